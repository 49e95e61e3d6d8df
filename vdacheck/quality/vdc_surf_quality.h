#pragma once

class vdaSurf;
class vdaSurfEval;
class vdcNormalScale;
class vdcQualityCollector;

// The quality rules of a SURF: per patch its extent, its edges and its normal; per inner seam between
// neighbouring patches the gap and the angle between their normals.
class vdcSurfQuality {
public:
    explicit vdcSurfQuality(vdcQualityCollector& out) noexcept : out_(out) {}
    void measure(const vdaSurf& surf) const;

private:
    void measure_patch(const vdaSurfEval& surf, vdcNormalScale& normals, int i, int j) const;
    // The seam between patch (i, j) and its neighbour in u (direction 0) or in v (direction 1).
    // Points where either patch's normal is undefined have no kink.
    void measure_seam(const vdaSurfEval& surf, vdcNormalScale& normals, int i, int j, int direction) const;

    vdcQualityCollector& out_;
};
