#pragma once

#include <array>
#include <vector>

#include <vdacheck/util/ut_export.h>

class vdaSurfEval;

// What the tessellation needs to know of a surface before sampling it, taken from the Bernstein form of
// its patches: bounds of the second derivatives per patch column and row (how finely a grid must be cut
// so that its flat triangles stay within a chordal tolerance of the surface) and a box that holds the
// surface.
class VDA_API vdaSurfaceBounds {
public:
    static constexpr int max_steps = 256;  // per patch and direction

    explicit vdaSurfaceBounds(const vdaSurfEval& surf);

    int columns() const noexcept { return static_cast<int>(column_curvature_.size()); }
    int rows() const noexcept { return static_cast<int>(row_curvature_.size()); }
    // Equal steps that each patch column (u) and row (v) is cut into so that linear interpolation over a
    // grid cell of every patch deviates at most `tolerance` from the patch: with curvature bounds M (local
    // parameters) the deviation is at most (M_uu hu^2 + 2 M_uv hu hv + M_vv hv^2) / 8.
    void steps(double tolerance, std::vector<int>& u, std::vector<int>& v) const;
    // Triangles of the grid of the whole surface, keeping every `stride`-th breakpoint.
    double triangles(double tolerance, int stride) const;

    const std::array<double, 3>& box_min() const noexcept { return min_; }
    const std::array<double, 3>& box_max() const noexcept { return max_; }

private:
    std::vector<double> column_curvature_;  // max over the column's patches of (M_uu + M_uv) / 4
    std::vector<double> row_curvature_;     // max over the row's patches of (M_vv + M_uv) / 4
    std::array<double, 3> min_{};
    std::array<double, 3> max_{};
};
