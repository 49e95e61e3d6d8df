#include <vdacheck/heal/vdc_edge_healer.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/heal/vdc_cross_tangents.h>
#include <vdacheck/heal/vdc_patch_edit.h>
#include <vdacheck/heal/vdc_polynomial_fit.h>

namespace {

using Vec = std::array<double, 3>;

// The patches of a surface along one of its boundary edges, in order of the running parameter, as edits.
// The edge as a whole runs over g in [0, 1], the surface's running parameter scaled to it.
class EdgeStrip {
public:
    EdgeStrip(const vdaSurfEval& surf, int edge) : surf_(surf)
    {
        fixed_ = edge % 2 == 0 ? 1 : 0;  // edges 0 and 2 lie at fixed v
        end_ = edge == 1 || edge == 2 ? 1 : 0;
        const int n = fixed_ == 1 ? surf.num_patches_u() : surf.num_patches_v();
        for (int k = 0; k <= n; ++k)
            breaks_.push_back(fixed_ == 1 ? surf.u_breakpoint(k) : surf.v_breakpoint(k));
        for (int k = 0; k < n; ++k)
            edits_.emplace_back(surf.patch(i(k), j(k)));
        curves_.resize(edits_.size());
    }
    int size() const noexcept { return static_cast<int>(edits_.size()); }
    vdcPatchEdit& edit(int k) noexcept { return edits_[static_cast<std::size_t>(k)]; }
    const vdcPatchEdit& edit(int k) const noexcept { return edits_[static_cast<std::size_t>(k)]; }
    // The derivative across the edge is sign() times the inward one.
    int sign() const noexcept { return end_ == 0 ? 1 : -1; }

    double g(int k, double y) const noexcept
    {
        const double a = breaks_[static_cast<std::size_t>(k)], b = breaks_[static_cast<std::size_t>(k) + 1];
        return (a + y * (b - a) - breaks_.front()) / (breaks_.back() - breaks_.front());
    }
    // The patch and local parameter at g (beyond [0, 1]: the end patch, extended).
    std::pair<int, double> at(double g) const noexcept
    {
        const double x = breaks_.front() + g * (breaks_.back() - breaks_.front());
        int k = 0;
        while (k + 1 < size() && breaks_[static_cast<std::size_t>(k) + 1] <= x)
            ++k;
        const double a = breaks_[static_cast<std::size_t>(k)], b = breaks_[static_cast<std::size_t>(k) + 1];
        return {k, (x - a) / (b - a)};
    }
    giPoint3 point(double g) const
    {
        const auto [k, y] = at(g);
        const auto p = curves(k).edge.at(y);
        return giPoint3(p[0], p[1], p[2]);
    }
    // With respect to g.
    giVector3 slope(double g) const
    {
        const auto [k, y] = at(g);
        const double a = breaks_[static_cast<std::size_t>(k)], b = breaks_[static_cast<std::size_t>(k) + 1];
        return ((breaks_.back() - breaks_.front()) / (b - a)) * vdc_vector(curves(k).edge.slope_at(y));
    }
    // On patch k at local y: the slope along the edge and the derivative across it pointing into the surface,
    // in the patch's local parameters.
    giVector3 along(int k, double y) const { return vdc_vector(edit(k).edge(fixed_, end_).slope_at(y)); }
    giVector3 inward(int k, double y) const { return double(sign()) * vdc_vector(edit(k).across(fixed_, end_).at(y)); }
    giVector3 inward(double g) const
    {
        const auto [k, y] = at(g);
        return inward(k, y);
    }

    // A move of the edge (slope_power 0) or a change of the slope across it, by a slope blend of that power.
    void add(int k, const vdcPolynomial<3>& f, int slope_power)
    {
        const std::vector<double> blend =
            slope_power > 0
                ? (end_ == 0 ? vdc_blend::slope_at_start(slope_power) : vdc_blend::slope_at_end(slope_power))
                : (end_ == 0 ? vdc_blend::value_at_start : vdc_blend::value_at_end);
        edit(k).add(fixed_, f, blend);
        curves_[static_cast<std::size_t>(k)].fresh = false;
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
    int max_order() const noexcept { return vdcPatchEdit::largest_order(edits_); }

private:
    int i(int k) const noexcept { return fixed_ == 1 ? k : (end_ == 1 ? surf_.num_patches_u() - 1 : 0); }
    int j(int k) const noexcept { return fixed_ == 0 ? k : (end_ == 1 ? surf_.num_patches_v() - 1 : 0); }

    // The edge and the derivative across it of each patch, made once per change.
    struct Curves {
        vdcPolynomial<3> edge, across;
        bool fresh = false;
    };
    const Curves& curves(int k) const
    {
        Curves& c = curves_[static_cast<std::size_t>(k)];
        if (!c.fresh) {
            c.edge = edit(k).edge(fixed_, end_);
            c.across = edit(k).across(fixed_, end_);
            c.fresh = true;
        }
        return c;
    }

    const vdaSurfEval& surf_;
    int fixed_, end_;
    std::vector<double> breaks_;
    std::vector<vdcPatchEdit> edits_;
    mutable std::vector<Curves> curves_;
};

// Which point of edge b goes with which of edge a: the nearest one, corrected linearly so that the ends go
// with the ends. Both sides move onto the mean of paired points, so they end on one curve.
class Pairing {
public:
    Pairing(const EdgeStrip& a, const EdgeStrip& b) : a_(a), b_(b)
    {
        const double same = gi_distance(a.point(0), b.point(0)) + gi_distance(a.point(1), b.point(1));
        const double crossed = gi_distance(a.point(0), b.point(1)) + gi_distance(a.point(1), b.point(0));
        end0_ = same <= crossed ? 0.0 : 1.0;
        // The nearest points along a, each found from the one before.
        table_.resize(samples + 1);
        double z = end0_;
        for (int m = 0; m <= samples; ++m) {
            z = nearest(a.point(double(m) / samples), z);
            table_[static_cast<std::size_t>(m)] = z;
        }
        shift0_ = end0_ - table_.front();
        shift1_ = (1.0 - end0_) - table_.back();
    }

    // The point of b paired with a(g).
    double of(double g) const { return nearest(a_.point(g), from_table(g)) + shift0_ * (1.0 - g) + shift1_ * g; }
    // The point of a paired with b(z): the g with of(g) = z, by the secant method from the table.
    double inverse(double z) const
    {
        double lo = 0.0, hi = 1.0;
        for (int m = 0; m < samples; ++m) {
            const double p = paired(m), q = paired(m + 1);
            if ((p - z) * (q - z) <= 0.0) {
                lo = double(m) / samples;
                hi = double(m + 1) / samples;
                break;
            }
        }
        double x0 = lo, x1 = hi, f0 = of(x0) - z, f1 = of(x1) - z;
        for (int iteration = 0; iteration < 40 && f1 != f0 && std::fabs(f1) > 1e-15; ++iteration) {
            const double x2 = x1 - f1 * (x1 - x0) / (f1 - f0);
            x0 = x1;
            f0 = f1;
            x1 = x2;
            f1 = of(x1) - z;
        }
        return x1;
    }

private:
    static constexpr int samples = 64;
    double from_table(double g) const
    {
        const double x = std::clamp(g, 0.0, 1.0) * samples;
        const int m = std::min(static_cast<int>(x), samples - 1);
        return table_[static_cast<std::size_t>(m)] +
               (x - m) * (table_[static_cast<std::size_t>(m) + 1] - table_[static_cast<std::size_t>(m)]);
    }
    double paired(int m) const
    {
        const double g = double(m) / samples;
        return table_[static_cast<std::size_t>(m)] + shift0_ * (1.0 - g) + shift1_ * g;
    }
    // The parameter of b nearest to p, by Newton's method on the squared distance from z.
    double nearest(const giPoint3& p, double z) const
    {
        for (int iteration = 0; iteration < 30; ++iteration) {
            const giVector3 d = b_.point(z) - p;
            const giVector3 t = b_.slope(z);
            const double h = 1e-7;
            const giVector3 tt = (1.0 / (2 * h)) * (b_.slope(z + h) - b_.slope(z - h));
            const double f = d.dot(t), df = t.dot(t) + d.dot(tt);
            if (!(df > 0.0))
                break;
            // Beyond the ends the edge runs on as its end patches do, so that the pairing stays smooth there.
            const double next = std::clamp(z - f / df, -0.5, 1.5);
            const bool done = std::fabs(next - z) < 1e-15;
            z = next;
            if (done)
                break;
        }
        return z;
    }

    const EdgeStrip& a_;
    const EdgeStrip& b_;
    double end0_ = 0.0;
    std::vector<double> table_;
    double shift0_ = 0.0, shift1_ = 0.0;
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
                    double tolerance, std::string& why)
{
    EdgeStrip strips[2] = {EdgeStrip(a, edge_a), EdgeStrip(b, edge_b)};
    // f(side, patch, local y, g of this side, g of the other side's paired point), fitted along each patch
    // of each side.
    auto along_each = [&](auto&& f) {
        const Pairing pairing(strips[0], strips[1]);
        std::array<std::vector<vdcPolynomial<3>>, 2> out;
        for (int side = 0; side < 2; ++side)
            for (int k = 0; k < strips[side].size(); ++k)
                out[static_cast<std::size_t>(side)].push_back(vdc_fit([&](double y) {
                    const double g = strips[side].g(k, y);
                    return f(side, k, y, g, side == 0 ? pairing.of(g) : pairing.inverse(g));
                }));
        return out;
    };
    if (close) {
        const auto moves = along_each([&](int side, int, double, double g, double h) {
            return vdc_array(0.5 * (strips[1 - side].point(h) - strips[side].point(g)));
        });
        for (int side = 0; side < 2; ++side)
            for (int k = 0; k < strips[side].size(); ++k)
                strips[side].add(k, moves[static_cast<std::size_t>(side)][static_cast<std::size_t>(k)], 0);
    }
    if (tangent) {
        const auto turns = along_each([&](int side, int k, double y, double, double h) {
            const EdgeStrip& own = strips[side];
            // Both derivatives across point from this side towards the other.
            const giVector3 mine =
                vdcCrossTangents::meet(own.along(k, y), -1.0 * own.inward(k, y), strips[1 - side].inward(h)).first;
            // The change of the inward derivative, as a change of the derivative across the edge.
            return vdc_array(double(-own.sign()) * mine);
        });
        // One blend along each side, so that the patches along it keep meeting.
        for (int side = 0; side < 2; ++side) {
            double largest = 0.0;
            for (const vdcPolynomial<3>& t : turns[static_cast<std::size_t>(side)])
                for (int m = 0; m <= 32; ++m)
                    largest = std::max(largest, gi_norm(vdc_vector(t.at(m / 32.0))));
            const int power = vdc_blend::gentlest(largest, 0.5 * tolerance);
            for (int k = 0; k < strips[side].size(); ++k)
                strips[side].add(k, turns[static_cast<std::size_t>(side)][static_cast<std::size_t>(k)], power);
        }
    }
    if (strips[0].max_order() > 25 || strips[1].max_order() > 25) {
        why = "a patch would need an order above 25";
        return std::nullopt;
    }
    return std::pair(strips[0].patches(), strips[1].patches());
}
