#include <vdacheck/heal/vdc_displacement.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/heal/vdc_largest.h>
#include <vdacheck/heal/vdc_polynomial.h>

namespace {

// A chain of curve segments, evaluated by global parameter within a given segment.
class Chain {
public:
    explicit Chain(const std::vector<vdaCurveSegment>& segments) : segments_(segments)
    {
        for (const vdaCurveSegment& s : segments)
            polys_.push_back(vdcPolynomial<3>::of(s.all_coeffs()));
    }
    int size() const noexcept { return static_cast<int>(segments_.size()); }
    // The segment holding s (the first or last beyond the ends).
    int segment_at(double s) const noexcept
    {
        int i = 0;
        while (i + 1 < size() && segments_[static_cast<std::size_t>(i) + 1].start_parameter() <= s)
            ++i;
        return i;
    }
    giPoint3 point(int i, double s) const noexcept
    {
        const vdaCurveSegment& g = segments_[static_cast<std::size_t>(i)];
        const auto c = polys_[static_cast<std::size_t>(i)].at((s - g.start_parameter()) /
                                                              (g.end_parameter() - g.start_parameter()));
        return giPoint3(c[0], c[1], c[2]);
    }
    giPoint3 local_point(int i, double u) const noexcept
    {
        const auto c = polys_[static_cast<std::size_t>(i)].at(u);
        return giPoint3(c[0], c[1], c[2]);
    }
    int order(int i) const noexcept { return segments_[static_cast<std::size_t>(i)].order(); }
    std::vector<double> breakpoints() const
    {
        std::vector<double> b;
        for (const vdaCurveSegment& s : segments_)
            b.push_back(s.start_parameter());
        if (!segments_.empty())
            b.push_back(segments_.back().end_parameter());
        return b;
    }
    // The distance from p to the nearest point of the chain.
    double distance(const giPoint3& p) const
    {
        constexpr int samples = 32;
        int best_i = 0, best_k = 0;
        double best = std::numeric_limits<double>::infinity();
        for (int i = 0; i < size(); ++i)
            for (int k = 0; k <= samples; ++k) {
                const double d = gi_distance(p, local_point(i, double(k) / samples));
                if (d < best) {
                    best = d;
                    best_i = i;
                    best_k = k;
                }
            }
        const double lo = std::max(0, best_k - 1) / double(samples),
                     hi = std::min(samples, best_k + 1) / double(samples);
        const vdcLargest near = vdc_largest(
            [&](double x) { return -gi_distance(p, local_point(best_i, lo + x * (hi - lo))); }, 0.0, 1.0, 4);
        return std::min(best, -near.value);
    }

private:
    const std::vector<vdaCurveSegment>& segments_;
    std::vector<vdcPolynomial<3>> polys_;
};

std::vector<double> merged(std::vector<double> a, const std::vector<double>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    a.erase(std::unique(a.begin(), a.end()), a.end());
    return a;
}

}  // namespace

double vdcDisplacement::curves(const std::vector<vdaCurveSegment>& before, const std::vector<vdaCurveSegment>& after)
{
    const Chain a(before), b(after);
    if (a.size() == 0 || b.size() == 0)
        return 0.0;
    const std::vector<double> cuts = merged(a.breakpoints(), b.breakpoints());
    double worst = 0.0;
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        const double mid = 0.5 * (cuts[k] + cuts[k + 1]);
        const int i = a.segment_at(mid), j = b.segment_at(mid);
        const int samples = 8 + 2 * std::max(a.order(i), b.order(j));
        worst = std::max(worst, vdc_largest([&](double s) { return gi_distance(a.point(i, s), b.point(j, s)); },
                                            cuts[k], cuts[k + 1], samples)
                                    .value);
    }
    return worst;
}

double vdcDisplacement::curves_apart(const std::vector<vdaCurveSegment>& before,
                                     const std::vector<vdaCurveSegment>& after)
{
    const Chain a(before), b(after);
    double worst = 0.0;
    for (int side = 0; side < 2; ++side) {
        const Chain& from = side == 0 ? a : b;
        const Chain& to = side == 0 ? b : a;
        for (int i = 0; i < from.size(); ++i)
            worst = std::max(worst, vdc_largest([&](double u) { return to.distance(from.local_point(i, u)); }, 0.0, 1.0,
                                                8 + 2 * from.order(i))
                                        .value);
    }
    return worst;
}

double vdcDisplacement::surfaces(const vdaSurfEval& before, const vdaSurfEval& after)
{
    auto breaks = [](const vdaSurfEval& s, int direction) {
        std::vector<double> b;
        const int n = direction == 0 ? s.num_patches_u() : s.num_patches_v();
        for (int i = 0; i <= n; ++i)
            b.push_back(direction == 0 ? s.u_breakpoint(i) : s.v_breakpoint(i));
        return b;
    };
    const std::vector<double> us = merged(breaks(before, 0), breaks(after, 0));
    const std::vector<double> vs = merged(breaks(before, 1), breaks(after, 1));
    double worst = 0.0;
    for (std::size_t a = 0; a + 1 < us.size(); ++a)
        for (std::size_t b = 0; b + 1 < vs.size(); ++b) {
            const double s0 = us[a], s1 = us[a + 1], t0 = vs[b], t1 = vs[b + 1];
            const double sm = 0.5 * (s0 + s1), tm = 0.5 * (t0 + t1);
            const int pi = before.patch_u_at(sm), pj = before.patch_v_at(tm);
            const int qi = after.patch_u_at(sm), qj = after.patch_v_at(tm);
            const vdaSurfPatch& p = before.patch(pi, pj);
            const vdaSurfPatch& q = after.patch(qi, qj);
            // A patch the healing left as it was moved nowhere.
            if (p.all_coeffs() == q.all_coeffs() && p.u_start_parameter() == q.u_start_parameter() &&
                p.u_end_parameter() == q.u_end_parameter() && p.v_start_parameter() == q.v_start_parameter() &&
                p.v_end_parameter() == q.v_end_parameter())
                continue;
            const int samples = 4 + std::max({p.u_order(), p.v_order(), q.u_order(), q.v_order()});
            const vdcLargest2 m = vdc_largest_on_square(
                [&](double x, double y) {
                    const double s = s0 + x * (s1 - s0), t = t0 + y * (t1 - t0);
                    return gi_distance(before.patch_point(pi, pj, before.local_u(pi, s), before.local_v(pj, t)),
                                       after.patch_point(qi, qj, after.local_u(qi, s), after.local_v(qj, t)));
                },
                samples);
            worst = std::max(worst, m.value);
        }
    return worst;
}

double vdcDisplacement::cons(const vdaConsEval& before, const vdaSurfEval& surface_before, const vdaConsEval& after,
                             const vdaSurfEval& surface_after)
{
    std::vector<double> a, b;
    for (int i = 0; i <= before.num_segments(); ++i)
        a.push_back(before.breakpoint(i));
    for (int i = 0; i <= after.num_segments(); ++i)
        b.push_back(after.breakpoint(i));
    const std::vector<double> cuts = merged(a, b);
    double worst = 0.0;
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        const double mid = 0.5 * (cuts[k] + cuts[k + 1]);
        const int i = before.segment_at(mid), j = after.segment_at(mid);
        const int samples = 8 + 2 * std::max(before.segment(i).order(), after.segment(j).order());
        auto at = [&](const vdaConsEval& c, int seg, const vdaSurfEval& s, double w) {
            return s.sample_along(c.segment_sample(seg, c.local_parameter(seg, w), 1), 0).point;
        };
        worst = std::max(
            worst,
            vdc_largest(
                [&](double w) { return gi_distance(at(before, i, surface_before, w), at(after, j, surface_after, w)); },
                cuts[k], cuts[k + 1], samples)
                .value);
    }
    return worst;
}

double vdcDisplacement::trimmed(const vdaSurfEval& surf, const vdaConsEval& cons, double w1, double w2, double v1,
                                double v2)
{
    auto at = [&](double a, double b, double x) {
        const double w = a + x * (b - a);
        // Inside the piece at its ends, so that a joint of the cons with a gap is not mistaken for a move.
        const vdaSide side = (x < 0.5) == (b > a) ? vdaSide::after : vdaSide::before;
        return surf.sample_along(cons.sample(w, 1, side), 0).point;
    };
    return vdc_largest([&](double x) { return gi_distance(at(w1, w2, x), at(v1, v2, x)); }, 0.0, 1.0, 16).value;
}
