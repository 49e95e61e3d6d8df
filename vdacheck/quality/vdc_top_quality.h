#pragma once

#include <optional>

class vdaLinkedSurf;
class vdaTop;
class vdcPieceChain;
class vdcQualityCollector;

// The quality rules of a TOP, pair by pair: how far apart the two sides' edges lie (the largest distance
// from a point of either edge to the other edge), and, where the pair claims tangent continuity (codes 1
// and 2), the largest angle between the two sides' normals along the edge. A side is a FACE (its cons
// evaluated on the face's surface) or a SURF.
class vdcTopQuality {
public:
    explicit vdcTopQuality(vdcQualityCollector& out) noexcept : out_(out) {}
    void measure(const vdaTop& top) const;

private:
    void measure_pair(int pair, const vdcPieceChain& first, const vdcPieceChain& second, bool tangent) const;

    vdcQualityCollector& out_;
};
