#pragma once

#include <optional>
#include <vector>

#include <vdacheck/model/vda_surf_patch.h>

class vdaSurfEval;

// Merges a tiny column (direction 0: thin in u) or row (direction 1: thin in v) of a surface's patches into
// a neighbouring one: each neighbour patch is carried over the thin patch's parameter range at its own rate
// (so the surface keeps its parametrisation, and every cons and face on it stays where it is), and its edge
// there is moved onto the thin patch's far edge by a blend that vanishes with zero slope on its other
// edge. The candidate that moves the surface least wins, if that is at most the tolerance.
class vdcStripMerger {
public:
    struct Merged {
        int nu = 0;
        int nv = 0;
        std::vector<vdaSurfPatch> patches;
        double displacement = 0.0;
        bool into_next = false;  // merged into the strip after it, or the one before
    };

    explicit vdcStripMerger(double tolerance) noexcept : tolerance_(tolerance) {}
    std::optional<Merged> merge(const vdaSurfEval& surf, int direction, int index) const;

private:
    std::optional<Merged> candidate(const vdaSurfEval& surf, int direction, int index, bool into_next) const;
    double tolerance_;
};
