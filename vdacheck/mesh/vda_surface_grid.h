#pragma once

#include <vector>

#include <vdacheck/util/ut_export.h>

class vdaSurfEval;
class vdaSurfaceBounds;

// The sampling of a surface's parameter plane that everything drawn on the surface shares: grid lines in
// s and t through every patch breakpoint, each patch column (row) cut into the equal steps its most curved
// patch needs. Neighbouring patches therefore meet at the same points along every seam: the seam sampling
// is decided once, for the whole column or row. With a stride k > 1 (coarsening for the triangle budget)
// only every k-th breakpoint is kept, and each merged column or row is one step.
class VDA_API vdaSurfaceGrid {
public:
    vdaSurfaceGrid(const vdaSurfEval& surf, const vdaSurfaceBounds& bounds, double tolerance, int stride);

    const std::vector<double>& s() const noexcept { return s_; }
    const std::vector<double>& t() const noexcept { return t_; }
    // The patch column of the step [s[a], s[a + 1]] and the patch row of [t[b], t[b + 1]]; -1 when the
    // step spans several patches (stride > 1).
    int column_of_step(int a) const noexcept { return column_[static_cast<std::size_t>(a)]; }
    int row_of_step(int b) const noexcept { return row_[static_cast<std::size_t>(b)]; }
    // The step that holds s (t), clamped to the grid; the length of that step.
    int step_s_at(double s) const noexcept;
    int step_t_at(double t) const noexcept;
    double step_s_length(int a) const noexcept
    {
        return s_[static_cast<std::size_t>(a) + 1] - s_[static_cast<std::size_t>(a)];
    }
    double step_t_length(int b) const noexcept
    {
        return t_[static_cast<std::size_t>(b) + 1] - t_[static_cast<std::size_t>(b)];
    }
    // The mean step in s and in t.
    double mean_step_s() const noexcept { return (s_.back() - s_.front()) / static_cast<double>(s_.size() - 1); }
    double mean_step_t() const noexcept { return (t_.back() - t_.front()) / static_cast<double>(t_.size() - 1); }

private:
    std::vector<double> s_, t_;
    std::vector<int> column_, row_;
};
