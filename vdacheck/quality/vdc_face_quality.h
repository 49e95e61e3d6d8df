#pragma once

#include <vector>

class vdaFace;
class vdcPieceChain;
class vdcQualityCollector;

// The quality rules of a FACE, its boundaries evaluated on the face's own surface: gaps where
// consecutive trimmed curves of a boundary meet, holes running the same way round as the outer
// boundary (the first), and boundaries crossing themselves or each other in the parameter plane.
class vdcFaceQuality {
public:
    explicit vdcFaceQuality(vdcQualityCollector& out) noexcept : out_(out) {}
    void measure(const vdaFace& face) const;

private:
    void measure_gaps(const std::vector<vdcPieceChain>& loops) const;
    void measure_orientation(const std::vector<vdcPieceChain>& loops) const;
    void measure_crossings(const std::vector<vdcPieceChain>& loops) const;

    vdcQualityCollector& out_;
};
