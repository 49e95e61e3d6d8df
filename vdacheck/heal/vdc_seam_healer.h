#pragma once

#include <optional>
#include <string>
#include <vector>

#include <vdacheck/model/vda_surf_patch.h>

class vdaSurfEval;

// Closes the inner seams of one surface. Pass by pass, first the seams between neighbours in u, then those
// between neighbours in v: the two edges of a seam are moved to their mean, each patch corrected by a
// blend that is one on the edge and vanishes with zero slope on the opposite edge, so the slopes across
// the seam are kept; seams that are also to be tangent have their derivatives across turned to meet (see
// vdcCrossTangents), blended by a slope blend that vanishes on the opposite edge (the gentlest that moves a
// patch by at most half the tolerance, see vdc_blend::gentlest). Where a corrected seam
// ends at an inner corner, the other seams there are closed with it (when their gaps are within the
// tolerance), so that all patches around the corner meet at one point; seams of one grid line share the
// turn of their derivatives at the corners between them, so that the perpendicular seams stay closed.
class vdcSeamHealer {
public:
    struct Seam {
        int i = 0;  // the seam follows patch (i, j): between (i, j) and (i + 1, j) in direction 0,
        int j = 0;  // between (i, j) and (i, j + 1) in direction 1
        int direction = 0;
        bool tangent = false;  // also make the two sides tangent continuous
    };

    // `tolerance`: the largest gap a seam closed along with another may have, and twice the largest move a
    // turn of the slopes across a seam may make.
    explicit vdcSeamHealer(double tolerance) noexcept : tolerance_(tolerance) {}

    // The surface's patches with the seams healed, or nothing (with why) when a patch would need an order
    // above 25.
    std::optional<std::vector<vdaSurfPatch>> heal(const vdaSurfEval& surf, const std::vector<Seam>& seams,
                                                  std::string& why) const;

private:
    double tolerance_;
};
