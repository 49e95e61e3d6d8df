#include <vdacheck/quality/vdc_normal_scale.h>

#include <algorithm>
#include <array>
#include <limits>

#include <vdacheck/geometry/gi_vector_ops.h>

vdcNormalScale::vdcNormalScale(const vdaSurfEval& surf, double relative)
    : surf_(surf), relative_(relative),
      largest_(static_cast<std::size_t>(surf.num_patches_u()) * static_cast<std::size_t>(surf.num_patches_v()),
               vdcPeak2{})
{
}

int vdcNormalScale::grid_size(const vdaSurfPatch& patch) noexcept
{
    return std::clamp(2 * (std::max(patch.u_order(), patch.v_order()) - 1), 4, 24) + 1;
}

double vdcNormalScale::length(int i, int j, double u, double v) const noexcept
{
    const vdaSurfSample p = surf_.patch_sample(i, j, u, v, 1);
    return gi_norm(p.d_u.cross(p.d_v));
}

const vdcPeak2& vdcNormalScale::largest(int i, int j, const double* grid)
{
    vdcPeak2& known = largest_[static_cast<std::size_t>(j * surf_.num_patches_u() + i)];
    if (!std::isnan(known.value))
        return known;
    const int n = grid_size(surf_.patch(i, j));
    const double h = 1.0 / (n - 1);
    // The search looks for the least of minus the length, relative to the largest sample: a smooth
    // maximum is then right to about 1e-6 once the step is below 1e-3.
    std::array<double, 25 * 25> minus;
    for (int b = 0; b < n; ++b)
        for (int a = 0; a < n; ++a)
            minus[static_cast<std::size_t>(b * n + a)] = -(grid ? grid[b * n + a] : length(i, j, a * h, b * h));
    std::array<int, 3> start;
    const int starts = vdc_grid_minima(minus.data(), n, 0.5, start.data(), 3);
    known = {0.0, 0.0, 0.0};
    const double scale = starts > 0 ? -minus[static_cast<std::size_t>(start[0])] : 0.0;
    for (int k = 0; k < starts && scale > 0.0; ++k) {
        const int at = start[static_cast<std::size_t>(k)];
        const vdcPeak2 p =
            vdc_minimise_in_square([&](double u, double v) { return -length(i, j, u, v) / scale; }, (at % n) * h,
                                   (at / n) * h, minus[static_cast<std::size_t>(at)] / scale, 0.5 * h, 1e-3);
        if (-p.value * scale > known.value)
            known = {p.u, p.v, -p.value * scale};
    }
    return known;
}

bool vdcNormalScale::undefined(const giVector3& normal, int i, int j)
{
    const double n = gi_norm(normal);
    return n == 0.0 || !(n >= relative_ * largest(i, j).value);
}
