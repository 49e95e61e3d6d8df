#pragma once

#include <vector>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/quality/vdc_quality_numerics.h>

// How long the normal vector dS/ds x dS/dt of a surface gets on each of its patches: the largest length on
// a patch, from a grid of samples refined by a local search. A normal shorter than `relative` times that
// is undefined: the patch has a pole, a fold or a collapsed edge there, and the normal's direction is
// rounding noise, no direction to compare with another.
class vdcNormalScale {
public:
    vdcNormalScale(const vdaSurfEval& surf, double relative);

    // The points of the grid along each direction of patch (i, j): enough to separate the bumps of its
    // normal's length.
    static int grid_size(const vdaSurfPatch& patch) noexcept;
    // The length of the normal vector of patch (i, j) at local parameters (u, v).
    double length(int i, int j, double u, double v) const noexcept;

    // The largest normal length on patch (i, j) and where it is (local parameters), measured on first use:
    // from `grid`, the lengths on the patch's grid (u running fastest), when given.
    const vdcPeak2& largest(int i, int j, const double* grid = nullptr);
    // True when `normal`, a normal vector of patch (i, j), has no direction.
    bool undefined(const giVector3& normal, int i, int j);

private:
    vdaSurfEval surf_;
    double relative_;
    std::vector<vdcPeak2> largest_;  // per patch; a NaN value until measured
};
