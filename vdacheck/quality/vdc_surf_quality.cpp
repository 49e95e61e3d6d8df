#include <vdacheck/quality/vdc_surf_quality.h>

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <utility>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/quality/vdc_normal_scale.h>
#include <vdacheck/quality/vdc_poly_curve.h>
#include <vdacheck/quality/vdc_quality_collector.h>
#include <vdacheck/quality/vdc_quality_numerics.h>
#include <vdacheck/quality/vdc_quality_references.h>

namespace {

using R = vdcQualityRule;
constexpr double nan_d = std::numeric_limits<double>::quiet_NaN();
// Gaps (mm) and angles (degrees) this small are rounding noise: no digits worth refining.
constexpr double negligible = 1e-9;

// Samples per unit interval for a polynomial of that order: enough to separate its bumps.
int samples_for(int order) noexcept { return std::clamp(4 * order, 8, 64); }

// A patch sampled on a grid of n x n points of its unit square, with the length of its normal vector.
struct PatchGrid {
    static constexpr int max_points = 25;
    int n = 0;
    std::array<giPoint3, max_points * max_points> point;
    std::array<double, max_points * max_points> normal;

    std::size_t at(int a, int b) const noexcept { return static_cast<std::size_t>(b * n + a); }
    double parameter(int a) const noexcept { return double(a) / (n - 1); }

    PatchGrid(const vdaSurfEval& surf, int i, int j)
    {
        const vdaSurfPatch& patch = surf.patch(i, j);
        n = vdcNormalScale::grid_size(patch);
        for (int b = 0; b < n; ++b)
            for (int a = 0; a < n; ++a) {
                const vdaSurfSample p = surf.patch_sample(i, j, parameter(a), parameter(b), 1);
                point[at(a, b)] = p.point;
                normal[at(a, b)] = gi_norm(p.d_u.cross(p.d_v));
            }
    }
    // The length of the polyline through the grid points of row b (direction 0: along u) or of
    // column b (direction 1: along v). It never exceeds the length of the iso-curve through them.
    double polyline(int direction, int b) const noexcept
    {
        double length = 0.0;
        for (int a = 1; a < n; ++a)
            length += direction == 0 ? gi_distance(point[at(a - 1, b)], point[at(a, b)])
                                     : gi_distance(point[at(b, a - 1)], point[at(b, a)]);
        return length;
    }
};

// The longest iso-curve of the patch running in `direction`: its length and its fixed parameter.
vdcPeak longest_iso_curve(const vdaSurfPatch& patch, int direction, int samples)
{
    return vdc_maximise(
        [&](double x) {
            return (direction == 0 ? vdcPolyCurve::along_u(patch, x) : vdcPolyCurve::along_v(patch, x)).length();
        },
        0.0, 1.0, samples);
}

// Edge e of a patch: 0 at v = 0, 1 at u = 1, 2 at v = 1, 3 at u = 0 (counter-clockwise in (u, v)).
vdcPolyCurve edge_curve(const vdaSurfPatch& patch, int e) noexcept
{
    switch (e) {
    case 0:
        return vdcPolyCurve::along_u(patch, 0.0);
    case 1:
        return vdcPolyCurve::along_v(patch, 1.0);
    case 2:
        return vdcPolyCurve::along_u(patch, 1.0);
    default:
        return vdcPolyCurve::along_v(patch, 0.0);
    }
}
std::pair<double, double> edge_middle(int e) noexcept
{
    constexpr std::pair<double, double> middle[] = {{0.5, 0.0}, {1.0, 0.5}, {0.5, 1.0}, {0.0, 0.5}};
    return middle[e];
}

}  // namespace

void vdcSurfQuality::measure(const vdaSurf& surf) const
{
    const bool patches =
        out_.on(R::surf_tiny_patch) || out_.on(R::surf_degenerate_edge) || out_.on(R::surf_undefined_normal);
    const bool seams = out_.on(R::surf_patch_gap) || out_.on(R::surf_patch_kink);
    if (!patches && !seams)
        return;
    const auto eval = vdaSurfEval::make(surf);
    if (!eval) {
        out_.skipped(vdc_join({"not evaluated: ", eval.why_not()}));
        return;
    }
    const int nu = eval->num_patches_u();
    const int nv = eval->num_patches_v();
    // The patches first: the seams' kinks leave out where a patch's normal is undefined, which needs the
    // largest normal of each patch.
    vdcNormalScale normals(*eval, out_.tolerance(R::surf_undefined_normal));
    if (patches)
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i)
                measure_patch(*eval, normals, i, j);
    if (seams)
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                if (i + 1 < nu)
                    measure_seam(*eval, normals, i, j, 0);
                if (j + 1 < nv)
                    measure_seam(*eval, normals, i, j, 1);
            }
}

void vdcSurfQuality::measure_seam(const vdaSurfEval& surf, vdcNormalScale& normals, int i, int j, int direction) const
{
    // x runs along the seam: v on a seam between neighbours in u, u on one between neighbours in v.
    const int i2 = direction == 0 ? i + 1 : i;
    const int j2 = direction == 0 ? j : j + 1;
    auto sides = [&](double x, int derivatives) {
        return direction == 0 ? std::pair(surf.patch_sample(i, j, 1.0, x, derivatives),
                                          surf.patch_sample(i2, j2, 0.0, x, derivatives))
                              : std::pair(surf.patch_sample(i, j, x, 1.0, derivatives),
                                          surf.patch_sample(i2, j2, x, 0.0, derivatives));
    };
    auto location = [&](double x) {
        const double u = direction == 0 ? 1.0 : x;
        const double v = direction == 0 ? x : 1.0;
        const double s = surf.u_breakpoint(i) + u * (surf.u_breakpoint(i + 1) - surf.u_breakpoint(i));
        const double t = surf.v_breakpoint(j) + v * (surf.v_breakpoint(j + 1) - surf.v_breakpoint(j));
        return vdcQualityLocation::at({i, j, direction}, {s, t}, surf.patch_point(i, j, u, v));
    };
    const vdaSurfPatch& a = surf.patch(i, j);
    const vdaSurfPatch& b = surf.patch(i2, j2);
    const int samples = direction == 0 ? samples_for(std::max(a.v_order(), b.v_order()))
                                       : samples_for(std::max(a.u_order(), b.u_order()));
    if (out_.on(R::surf_patch_gap)) {
        const vdcPeak gap = vdc_maximise(
            [&](double x) {
                const auto [p, q] = sides(x, 0);
                return gi_distance(p.point, q.point);
            },
            0.0, 1.0, samples, negligible);
        out_.measured(R::surf_patch_gap, gap.value, location(gap.x));
    }
    if (out_.on(R::surf_patch_kink)) {
        const vdcPeak kink = vdc_maximise(
            [&](double x) {
                const auto [p, q] = sides(x, 1);
                const giVector3 np = p.d_u.cross(p.d_v), nq = q.d_u.cross(q.d_v);
                // Where either normal is undefined (a pole, a fold) there is no angle to measure.
                if (normals.undefined(np, i, j) || normals.undefined(nq, i2, j2))
                    return nan_d;
                return gi_angle_deg(np, nq);
            },
            0.0, 1.0, samples, negligible);
        out_.measured(R::surf_patch_kink, kink.value, location(kink.x));
    }
}

void vdcSurfQuality::measure_patch(const vdaSurfEval& surf, vdcNormalScale& normals, int i, int j) const
{
    const vdaSurfPatch& patch = surf.patch(i, j);
    const PatchGrid grid(surf, i, j);
    auto location = [&](std::initializer_list<int> indices, double u, double v) {
        const double s = surf.u_breakpoint(i) + u * (surf.u_breakpoint(i + 1) - surf.u_breakpoint(i));
        const double t = surf.v_breakpoint(j) + v * (surf.v_breakpoint(j + 1) - surf.v_breakpoint(j));
        return vdcQualityLocation::at(indices, {s, t}, surf.patch_point(i, j, u, v));
    };

    if (out_.on(R::surf_undefined_normal)) {
        // The least normal relative to the largest: the grid's least local minima refined. A patch whose
        // normal vanishes everywhere has 0 at its first corner.
        const double reference = normals.largest(i, j, grid.normal.data()).value;
        vdcPeak2 least{0.0, 0.0, reference > 0.0 ? nan_d : 0.0};
        std::array<int, 3> start;
        const int starts = reference > 0.0 ? vdc_grid_minima(grid.normal.data(), grid.n, 1.0, start.data(), 3) : 0;
        for (int k = 0; k < starts; ++k) {
            const int at = start[static_cast<std::size_t>(k)];
            const vdcPeak2 p =
                vdc_minimise_in_square([&](double u, double v) { return normals.length(i, j, u, v) / reference; },
                                       grid.parameter(at % grid.n), grid.parameter(at / grid.n),
                                       grid.normal[static_cast<std::size_t>(at)] / reference, 0.5 / (grid.n - 1), 1e-3);
            if (k == 0 || p.value < least.value)
                least = p;
        }
        out_.measured(R::surf_undefined_normal, least.value, location({i, j}, least.u, least.v));
    }

    if (out_.on(R::surf_tiny_patch)) {
        // The longest polyline of each direction is a lower bound of that direction's extent.
        std::array<double, 2> bound{0.0, 0.0};
        for (int direction = 0; direction < 2; ++direction)
            for (int b = 0; b < grid.n; ++b)
                bound[static_cast<std::size_t>(direction)] =
                    std::max(bound[static_cast<std::size_t>(direction)], grid.polyline(direction, b));
        if (!out_.could_matter(R::surf_tiny_patch, std::min(bound[0], bound[1]))) {
            out_.measured_beyond(R::surf_tiny_patch);
        } else {
            const int first = bound[0] <= bound[1] ? 0 : 1;
            int direction = first;
            vdcPeak extent = longest_iso_curve(patch, first, grid.n - 1);
            if (bound[static_cast<std::size_t>(1 - first)] < extent.value) {
                const vdcPeak other = longest_iso_curve(patch, 1 - first, grid.n - 1);
                if (other.value < extent.value) {
                    extent = other;
                    direction = 1 - first;
                }
            }
            const double u = direction == 0 ? 0.5 : extent.x;
            const double v = direction == 0 ? extent.x : 0.5;
            out_.measured(R::surf_tiny_patch, extent.value, location({i, j, direction}, u, v));
        }
    }

    if (out_.on(R::surf_degenerate_edge)) {
        const double tolerance = out_.tolerance(R::surf_degenerate_edge);
        // Each edge's polyline through the grid is a lower bound of its length; lengths are integrated only
        // where the bound does not decide.
        std::array<double, 4> length;
        std::array<bool, 4> exact{};
        const int last = grid.n - 1;
        const std::array<double, 4> bound{grid.polyline(0, 0), grid.polyline(1, last), grid.polyline(0, last),
                                          grid.polyline(1, 0)};
        auto exact_length = [&](int e) {
            if (!exact[static_cast<std::size_t>(e)]) {
                length[static_cast<std::size_t>(e)] = edge_curve(patch, e).length();
                exact[static_cast<std::size_t>(e)] = true;
            }
            return length[static_cast<std::size_t>(e)];
        };
        for (int e = 0; e < 4; ++e) {
            const int opposite = (e + 2) % 4;
            // Both edges collapsed: the whole patch is tiny in that direction, not one edge degenerate.
            if (bound[static_cast<std::size_t>(opposite)] < tolerance && exact_length(opposite) < tolerance)
                continue;
            if (!out_.could_matter(R::surf_degenerate_edge, bound[static_cast<std::size_t>(e)])) {
                out_.measured_beyond(R::surf_degenerate_edge);
                continue;
            }
            const auto [u, v] = edge_middle(e);
            out_.measured(R::surf_degenerate_edge, exact_length(e), location({i, j, e}, u, v));
        }
    }
}
