#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <vdacheck/model/vda_surf_patch.h>

class vdaConsEval;
class vdaSurfEval;

// Makes two surfaces meet along a shared boundary edge, as a topology pair links them: each surface's edge
// moves onto the mean of the two (each point paired with the nearest point of the other edge), and, for
// a pair declared tangent, each side's derivative across the edge turns to meet the other's (see
// vdcCrossTangents). The changes are fitted as polynomials along each patch on the edge and blended into
// the patch, vanishing with zero slope on its opposite edge. Edges are numbered as on a patch: 0 where t is
// smallest, 1 where s is largest, 2 where t is largest, 3 where s is smallest.
class vdcEdgeHealer {
public:
    // A piece of a topology side: its cons and range.
    struct Piece {
        const vdaConsEval* cons;
        double w1, w2;
    };
    // The boundary edge of `surf` that the pieces together run along from end to end, if they do.
    static std::optional<int> boundary_edge(const vdaSurfEval& surf, const std::vector<Piece>& pieces);

    // New patches for both surfaces, or nothing with why. A turn is blended by the gentlest slope blend that
    // moves a surface by at most half the tolerance (see vdc_blend::gentlest).
    static std::optional<std::pair<std::vector<vdaSurfPatch>, std::vector<vdaSurfPatch>>>
    heal(const vdaSurfEval& a, int edge_a, const vdaSurfEval& b, int edge_b, bool close, bool tangent, double tolerance,
         std::string& why);
};
