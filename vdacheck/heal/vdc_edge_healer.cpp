#include <vdacheck/heal/vdc_edge_healer.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/heal/vdc_cross_tangents.h>
#include <vdacheck/heal/vdc_largest.h>
#include <vdacheck/heal/vdc_patch_edit.h>
#include <vdacheck/heal/vdc_polynomial_fit.h>

namespace {

using Vec = std::array<double, 3>;

// The patches of a surface along one of its boundary edges, in order of the running parameter, as edits.
class EdgeStrip {
public:
    EdgeStrip(const vdaSurfEval& surf, int edge) : surf_(surf), edge_(edge)
    {
        fixed_ = edge % 2 == 0 ? 1 : 0;  // edges 0, 2 lie at fixed v
        end_ = edge == 1 || edge == 2 ? 1 : 0;
        const int n = fixed_ == 1 ? surf.num_patches_u() : surf.num_patches_v();
        for (int k = 0; k < n; ++k)
            edits_.emplace_back(surf.patch(i(k), j(k)));
    }
    int size() const noexcept { return static_cast<int>(edits_.size()); }
    int i(int k) const noexcept { return fixed_ == 1 ? k : (end_ == 1 ? surf_.num_patches_u() - 1 : 0); }
    int j(int k) const noexcept { return fixed_ == 0 ? k : (end_ == 1 ? surf_.num_patches_v() - 1 : 0); }
    // The derivative across the edge is sign() times the inward one.
    int sign() const noexcept { return end_ == 0 ? 1 : -1; }
    vdcPatchEdit& edit(int k) noexcept { return edits_[static_cast<std::size_t>(k)]; }
    const vdcPatchEdit& edit(int k) const noexcept { return edits_[static_cast<std::size_t>(k)]; }

    // On patch k at running parameter y: the edge point, the slope along it and the derivative across
    // pointing into the surface, all with respect to the patch's local parameters.
    giPoint3 point(int k, double y) const
    {
        const Vec p = edit(k).edge(fixed_, end_).at(y);
        return giPoint3(p[0], p[1], p[2]);
    }
    giVector3 along(int k, double y) const { return vdc_vector(edit(k).edge(fixed_, end_).slope_at(y)); }
    giVector3 inward(int k, double y) const
    {
        return (end_ == 0 ? 1.0 : -1.0) * vdc_vector(edit(k).across(fixed_, end_).at(y));
    }

    // The point of the edge nearest to p: patch and running parameter.
    std::pair<int, double> nearest(const giPoint3& p) const
    {
        constexpr int samples = 32;
        int best_k = 0, best_m = 0;
        double best = std::numeric_limits<double>::infinity();
        for (int k = 0; k < size(); ++k)
            for (int m = 0; m <= samples; ++m) {
                const double d = gi_distance(p, point(k, double(m) / samples));
                if (d < best) {
                    best = d;
                    best_k = k;
                    best_m = m;
                }
            }
        const double lo = std::max(best_m - 1, 0) / double(samples),
                     hi = std::min(best_m + 1, samples) / double(samples);
        const vdcLargest near = vdc_largest([&](double y) { return -gi_distance(p, point(best_k, y)); }, lo, hi, 4);
        return {best_k, near.value >= -best ? near.at : double(best_m) / samples};
    }

    void add(int k, const vdcPolynomial<3>& f, bool slope)
    {
        const std::vector<double>& blend = slope ? (end_ == 0 ? vdc_blend::slope_at_start : vdc_blend::slope_at_end)
                                                 : (end_ == 0 ? vdc_blend::value_at_start : vdc_blend::value_at_end);
        edit(k).add(fixed_, f, blend);
    }
    // The whole surface's patches with the strip's edits in place.
    std::vector<vdaSurfPatch> patches() const
    {
        std::vector<vdaSurfPatch> out;
        for (int jj = 0; jj < surf_.num_patches_v(); ++jj)
            for (int ii = 0; ii < surf_.num_patches_u(); ++ii) {
                int found = -1;
                for (int k = 0; k < size(); ++k)
                    if (i(k) == ii && j(k) == jj)
                        found = k;
                out.push_back(found >= 0 ? edit(found).patch() : surf_.patch(ii, jj));
            }
        return out;
    }
    int max_order() const noexcept
    {
        int order = 0;
        for (const vdcPatchEdit& e : edits_)
            order = std::max({order, e.u_order(), e.v_order()});
        return order;
    }

private:
    const vdaSurfEval& surf_;
    int edge_;
    int fixed_, end_;
    std::vector<vdcPatchEdit> edits_;
};

}  // namespace

std::optional<int> vdcEdgeHealer::boundary_edge(const vdaSurfEval& surf, const std::vector<Piece>& pieces)
{
    if (pieces.empty())
        return std::nullopt;
    const double s0 = surf.u_start(), s1 = surf.u_end(), t0 = surf.v_start(), t1 = surf.v_end();
    for (int edge = 0; edge < 4; ++edge) {
        const int fixed = edge % 2 == 0 ? 1 : 0;  // the coordinate constant on the edge
        const double level = edge == 0 ? t0 : edge == 1 ? s1 : edge == 2 ? t1 : s0;
        const double width = fixed == 1 ? t1 - t0 : s1 - s0;
        const double run0 = fixed == 1 ? s0 : t0, run1 = fixed == 1 ? s1 : t1;
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        bool on = true;
        for (const Piece& p : pieces) {
            constexpr int samples = 16;
            for (int m = 0; m <= samples && on; ++m) {
                const giPoint2 c = p.cons->point(p.w1 + (p.w2 - p.w1) * m / samples);
                const double fixed_value = fixed == 1 ? c.y() : c.x();
                const double run = fixed == 1 ? c.x() : c.y();
                on = std::fabs(fixed_value - level) <= 1e-12 * width;
                lo = std::min(lo, run);
                hi = std::max(hi, run);
            }
        }
        const double length = run1 - run0;
        if (on && lo <= run0 + 1e-9 * length && hi >= run1 - 1e-9 * length)
            return edge;
    }
    return std::nullopt;
}

std::optional<std::pair<std::vector<vdaSurfPatch>, std::vector<vdaSurfPatch>>>
vdcEdgeHealer::heal(const vdaSurfEval& a, int edge_a, const vdaSurfEval& b, int edge_b, bool close, bool tangent,
                    std::string& why)
{
    EdgeStrip strips[2] = {EdgeStrip(a, edge_a), EdgeStrip(b, edge_b)};
    if (close) {
        // Both moves from the edges as they were, then made.
        std::vector<std::vector<vdcPolynomial<3>>> moves(2);
        for (int side = 0; side < 2; ++side) {
            const EdgeStrip& own = strips[side];
            const EdgeStrip& other = strips[1 - side];
            for (int k = 0; k < own.size(); ++k)
                moves[static_cast<std::size_t>(side)].push_back(vdc_fit([&](double y) {
                    const giPoint3 p = own.point(k, y);
                    const auto [ok, oy] = other.nearest(p);
                    return vdc_array(0.5 * (other.point(ok, oy) - p));
                }));
        }
        for (int side = 0; side < 2; ++side)
            for (int k = 0; k < strips[side].size(); ++k)
                strips[side].add(k, moves[static_cast<std::size_t>(side)][static_cast<std::size_t>(k)], false);
    }
    if (tangent) {
        std::vector<std::vector<vdcPolynomial<3>>> turns(2);
        for (int side = 0; side < 2; ++side) {
            const EdgeStrip& own = strips[side];
            const EdgeStrip& other = strips[1 - side];
            for (int k = 0; k < own.size(); ++k)
                turns[static_cast<std::size_t>(side)].push_back(vdc_fit([&](double y) {
                    const auto [ok, oy] = other.nearest(own.point(k, y));
                    // Both derivatives across point from this side towards the other.
                    const auto [mine, theirs] =
                        vdcCrossTangents::meet(own.along(k, y), -1.0 * own.inward(k, y), other.inward(ok, oy));
                    (void)theirs;
                    // The change of the inward derivative, as a change of the derivative across the edge.
                    return vdc_array(double(-own.sign()) * mine);
                }));
        }
        for (int side = 0; side < 2; ++side)
            for (int k = 0; k < strips[side].size(); ++k)
                strips[side].add(k, turns[static_cast<std::size_t>(side)][static_cast<std::size_t>(k)], true);
    }
    if (strips[0].max_order() > 25 || strips[1].max_order() > 25) {
        why = "a patch would need an order above 25";
        return std::nullopt;
    }
    return std::pair(strips[0].patches(), strips[1].patches());
}
