#pragma once

#include <vector>

#include <vdacheck/mesh/vda_path_sampler.h>
#include <vdacheck/util/ut_export.h>

class vdaConsEval;
class vdaSurfEval;
class vdaSurfaceGrid;

// Samples curves on a surface to a chordal tolerance in space, and never by a step longer than the
// surface's grid step at that place in the parameter plane: the boundary of a trimmed face is then as
// fine as the grid points inside it, and no triangle between them is longer than a grid cell.
class VDA_API vdaConsSampler {
public:
    vdaConsSampler(const vdaSurfEval& surf, const vdaSurfaceGrid& grid, double tolerance) noexcept
        : surf_(surf), grid_(grid), tolerance_(tolerance)
    {
    }

    // Appends the samples of the cons from w0 to w1 (w0 > w1: against the cons), both ends included,
    // each piece of a cons segment on its own.
    void sample(const vdaConsEval& cons, double w0, double w1, std::vector<vdaPathPoint>& out) const;

private:
    bool too_long(const vdaPathPoint& p, const vdaPathPoint& q) const noexcept;

    const vdaSurfEval& surf_;
    const vdaSurfaceGrid& grid_;
    double tolerance_;
};
