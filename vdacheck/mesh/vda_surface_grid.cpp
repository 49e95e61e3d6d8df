#include <algorithm>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/mesh/vda_surface_bounds.h>
#include <vdacheck/mesh/vda_surface_grid.h>

namespace {

// Lines through breakpoints 0, stride, 2 stride, ..., n, each interval cut into `steps(i)` equal steps.
template <class Breakpoint, class Steps>
void make_lines(int n, int stride, Breakpoint breakpoint, Steps steps, std::vector<double>& lines,
                std::vector<int>& piece)
{
    lines.push_back(breakpoint(0));
    for (int i = 0; i < n; i += stride) {
        const int end = std::min(i + stride, n);
        const double a = breakpoint(i), b = breakpoint(end);
        const int k = stride > 1 ? 1 : steps(i);
        for (int m = 1; m <= k; ++m) {
            lines.push_back(m == k ? b : a + (b - a) * m / k);
            piece.push_back(stride > 1 ? -1 : i);
        }
    }
}

int step_at(const std::vector<double>& lines, double x) noexcept
{
    const auto it = std::upper_bound(lines.begin() + 1, lines.end() - 1, x);
    return static_cast<int>(it - lines.begin()) - 1;
}

}  // namespace

vdaSurfaceGrid::vdaSurfaceGrid(const vdaSurfEval& surf, const vdaSurfaceBounds& bounds, double tolerance, int stride)
{
    stride = std::max(stride, 1);
    std::vector<int> u, v;
    bounds.steps(tolerance, u, v);
    make_lines(
        surf.num_patches_u(), stride, [&](int i) { return surf.u_breakpoint(i); },
        [&](int i) { return u[static_cast<std::size_t>(i)]; }, s_, column_);
    make_lines(
        surf.num_patches_v(), stride, [&](int j) { return surf.v_breakpoint(j); },
        [&](int j) { return v[static_cast<std::size_t>(j)]; }, t_, row_);
}

int vdaSurfaceGrid::step_s_at(double s) const noexcept { return step_at(s_, s); }

int vdaSurfaceGrid::step_t_at(double t) const noexcept { return step_at(t_, t); }
