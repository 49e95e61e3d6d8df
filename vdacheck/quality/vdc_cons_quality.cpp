#include <vdacheck/quality/vdc_cons_quality.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/quality/vdc_piece_chain.h>
#include <vdacheck/quality/vdc_quality_collector.h>
#include <vdacheck/quality/vdc_quality_numerics.h>
#include <vdacheck/quality/vdc_quality_references.h>

namespace {

using R = vdcQualityRule;
// A deviation this small (mm) is rounding noise: no digits worth refining.
constexpr double negligible = 1e-9;

// The largest order of the surface's patches: with the cons's order it sets how densely to sample.
int max_surface_order(const vdaSurfEval& surf) noexcept
{
    int order = 2;
    for (int j = 0; j < surf.num_patches_v(); ++j)
        for (int i = 0; i < surf.num_patches_u(); ++i)
            order = std::max({order, surf.patch(i, j).u_order(), surf.patch(i, j).v_order()});
    return order;
}

// The largest value of f(w) over the cons, segment by segment: {segment, w, value}.
struct ConsPeak {
    int segment = 0;
    vdcPeak peak;
};
template <class F>
ConsPeak maximise_over_segments(const vdaConsEval& cons, int samples, double noise, F&& f)
{
    ConsPeak best;
    for (int i = 0; i < cons.num_segments(); ++i) {
        const vdcPeak p = vdc_maximise([&](double u) { return f(i, u); }, 0.0, 1.0, samples, noise);
        if (i == 0 || p.value > best.peak.value)
            best = {i, p};
    }
    best.peak.x = cons.global_parameter(best.segment, best.peak.x);
    return best;
}

// On a breakpoint, the segment inside segment i of the cons (its start: after, its end: before).
vdaSide inside(double u) noexcept { return u < 0.5 ? vdaSide::after : vdaSide::before; }

// A stretch [u0, u1] of a cons segment (local parameters) that lies on one patch of the surface and maps
// into one segment of the space curve. The deviation is measured stretch by stretch, each with its own
// patch and its own curve segment: where the cons, the surface or the curve jump, each side is compared
// with the same side of the others.
struct Stretch {
    double u0, u1;
    int patch_u, patch_v, curve_segment;
};

// Cuts closer than this (in a segment's local parameter) to an end or to each other are one: the curve
// parameter of a joint that a cons and its curve share is computed, and lands a few units of the last
// place beside the curve's breakpoint.
constexpr double same_cut = 1e-9;

// Where segment i of the cons crosses an interior breakpoint of the surface: for a straight segment
// where its line does; else between samples on either side, narrowed by regula falsi. A cons running
// along a seam is not cut.
void surface_cuts(const vdaConsEval& c, int i, const vdaSurfEval& s, std::vector<double>& cuts)
{
    const bool straight = vdcPieceChain::straight(c.segment(i));
    const int n = straight ? 1 : std::clamp(4 * c.segment(i).order(), 8, 64);
    std::array<giPoint2, 65> p;
    for (int k = 0; k <= n; ++k)
        p[static_cast<std::size_t>(k)] = c.segment_point(i, double(k) / n);
    for (int axis = 0; axis < 2; ++axis) {
        const auto coordinate = [axis](const giPoint2& q) { return axis == 0 ? q.x() : q.y(); };
        const auto [low, high] =
            std::minmax_element(p.begin(), p.begin() + n + 1,
                                [&](const giPoint2& a, const giPoint2& b) { return coordinate(a) < coordinate(b); });
        const int patches = axis == 0 ? s.num_patches_u() : s.num_patches_v();
        const auto breakpoint = [&](int b) { return axis == 0 ? s.u_breakpoint(b) : s.v_breakpoint(b); };
        const int first = axis == 0 ? s.patch_u_at(coordinate(*low)) : s.patch_v_at(coordinate(*low));
        for (int b = std::max(first, 1); b < patches && breakpoint(b) <= coordinate(*high); ++b) {
            const double at = breakpoint(b);
            const auto f = [&](double u) { return coordinate(c.segment_point(i, u)) - at; };
            for (int k = 0; k < n; ++k) {
                double a = double(k) / n, z = double(k + 1) / n;
                double fa = coordinate(p[static_cast<std::size_t>(k)]) - at;
                double fz = coordinate(p[static_cast<std::size_t>(k) + 1]) - at;
                if ((fa > 0.0) == (fz > 0.0))
                    continue;
                if (straight) {
                    cuts.push_back(std::clamp(fa / (fa - fz), 0.0, 1.0));
                    continue;
                }
                // Regula falsi with the Illinois step, the root kept between a and z.
                double root = z;
                for (int iteration = 0, side = 0; iteration < 60 && z - a > 1e-15; ++iteration) {
                    const double m = std::clamp(a - fa * (z - a) / (fz - fa), a, z);
                    const double fm = f(m);
                    if (fm == 0.0) {
                        root = m;
                        break;
                    }
                    if ((fm > 0.0) == (fa > 0.0)) {
                        a = m, fa = fm;
                        fz = side == -1 ? 0.5 * fz : fz;
                        side = -1;
                    } else {
                        z = root = m, fz = fm;
                        fa = side == 1 ? 0.5 * fa : fa;
                        side = 1;
                    }
                }
                cuts.push_back(root);
            }
        }
    }
}

// Where the image of segment i on the space curve crosses a breakpoint of the curve.
void curve_cuts(const vdaConsEval& c, int i, const vdaCurveEval& curve, std::vector<double>& cuts)
{
    const double c0 = c.curve_parameter(c.breakpoint(i)), c1 = c.curve_parameter(c.breakpoint(i + 1));
    const int last = curve.segment_at(std::max(c0, c1));
    for (int k = curve.segment_at(std::min(c0, c1)) + 1; k <= last; ++k) {
        const double b = curve.breakpoint(k);
        if ((b - c0) * (b - c1) < 0.0)
            cuts.push_back((b - c0) / (c1 - c0));
    }
}

// The stretches of segment i, in order.
void stretches_of(const vdaConsEval& c, int i, const vdaSurfEval& s, const vdaCurveEval& curve,
                  std::vector<double>& cuts, std::vector<Stretch>& out)
{
    cuts.clear();
    surface_cuts(c, i, s, cuts);
    curve_cuts(c, i, curve, cuts);
    std::sort(cuts.begin(), cuts.end());
    out.clear();
    double start = 0.0;
    const auto add = [&](double end) {
        // The patch and the curve segment of the stretch's middle; a cons along a seam takes the patch
        // it moves into.
        const double middle = 0.5 * (start + end);
        const vdaConsSample m = c.segment_sample(i, middle, 1);
        const int pu = s.patch_u_at(m.point.x(), m.d1.x() < 0.0 ? vdaSide::before : vdaSide::after);
        const int pv = s.patch_v_at(m.point.y(), m.d1.y() < 0.0 ? vdaSide::before : vdaSide::after);
        const int k = curve.segment_at(c.curve_parameter(c.global_parameter(i, middle)),
                                       c.curve_parameter_rate() < 0.0 ? vdaSide::before : vdaSide::after);
        out.push_back({start, end, pu, pv, k});
        start = end;
    };
    for (const double cut : cuts)
        if (cut - start > same_cut && 1.0 - cut > same_cut)
            add(cut);
    add(1.0);
}

}  // namespace

void vdcConsQuality::measure(const vdaCons& cons) const
{
    const bool deviation = out_.on(R::cons_curve_deviation);
    if (!deviation && !out_.on(R::cons_outside_domain) && !out_.on(R::cons_segment_gap))
        return;
    const auto eval = vdaConsEval::make(cons);
    if (!eval) {
        out_.skipped(vdc_join({"not evaluated: ", eval.why_not()}));
        return;
    }
    std::string why;
    const auto surface =
        vdc_evaluator_of<vdaSurf, vdaSurfEval>(cons.basis_surface(), cons.basis_surface_name(), "surface", why);
    if (!surface) {
        out_.skipped(vdc_join({"not evaluated: ", why}));
        return;
    }
    const vdaConsEval& c = *eval;
    const vdaSurfEval& s = *surface;
    const int n = c.num_segments();
    int cons_order = 2;
    for (int i = 0; i < n; ++i)
        cons_order = std::max(cons_order, c.segment(i).order());
    const int samples = std::clamp(cons_order * max_surface_order(s) + 4, 8, 64);
    auto location = [&](int i, double w) {
        const vdaConsSample uv = c.sample(w, 1, inside(c.local_parameter(i, w)));
        return vdcQualityLocation::at({i}, {w, uv.point.x(), uv.point.y()}, s.sample_along(uv, 0).point);
    };

    if (out_.on(R::cons_segment_gap))
        for (int i = 0; i + 1 < n; ++i) {
            const giPoint3 end = s.sample_along(c.segment_sample(i, 1.0, 1), 0).point;
            const giPoint3 start = s.sample_along(c.segment_sample(i + 1, 0.0, 1), 0).point;
            out_.measured(R::cons_segment_gap, gi_distance(end, start),
                          vdcQualityLocation::at({i}, {c.breakpoint(i + 1)}, end));
        }

    if (out_.on(R::cons_outside_domain)) {
        // How far (s, t) lies beyond the domain, as a fraction of the domain's width; negative inside.
        const double s0 = s.u_start(), s1 = s.u_end(), t0 = s.v_start(), t1 = s.v_end();
        const ConsPeak beyond = maximise_over_segments(c, 4 * cons_order, -1.0, [&](int i, double u) {
            const giPoint2 p = c.segment_point(i, u);
            return std::max(std::max(s0 - p.x(), p.x() - s1) / (s1 - s0), std::max(t0 - p.y(), p.y() - t1) / (t1 - t0));
        });
        out_.measured(R::cons_outside_domain, beyond.peak.value, location(beyond.segment, beyond.peak.x));
    }

    if (!deviation)
        return;
    auto space = vdc_evaluator_of<vdaCurve, vdaCurveEval>(cons.curve_3d(), cons.curve_3d_name(), "curve", why);
    const auto within = [&](double x) { return x >= space->start() && x <= space->end(); };
    if (space && (!within(c.curve_start()) || !within(c.curve_end()))) {
        why = vdc_join({"the range of curve ", cons.curve_3d_name().view(), " used lies beyond the curve"});
        space.reset();
    }
    if (!space) {
        out_.skipped(vdc_join({"deviation from its curve not measured: ", why}));
        return;
    }
    const vdaCurveEval& curve = *space;
    // The surface at (s, t) on the stretch's patch.
    const auto on_patch = [&](const Stretch& st, const giPoint2& q) {
        return s.patch_point(st.patch_u, st.patch_v, s.local_u(st.patch_u, q.x()), s.local_v(st.patch_v, q.y()));
    };
    std::vector<double> cuts;
    std::vector<Stretch> parts;
    struct Worst {
        int segment = -1;
        Stretch stretch{};
        vdcPeak peak;
    } worst;
    for (int i = 0; i < n; ++i) {
        stretches_of(c, i, s, curve, cuts, parts);
        for (const Stretch& st : parts) {
            const auto deviation = [&](double u) {
                const double x = curve.local_parameter(st.curve_segment, c.curve_parameter(c.global_parameter(i, u)));
                return gi_distance(on_patch(st, c.segment_point(i, u)), curve.segment_point(st.curve_segment, x));
            };
            // Each stretch is sampled in proportion to its share of the segment.
            const int share = static_cast<int>(std::ceil(samples * (st.u1 - st.u0)));
            const vdcPeak p = vdc_maximise(deviation, st.u0, st.u1, std::max(share, 8), negligible);
            if (worst.segment < 0 || p.value > worst.peak.value)
                worst = {i, st, p};
        }
    }
    const giPoint2 q = c.segment_point(worst.segment, worst.peak.x);
    out_.measured(R::cons_curve_deviation, worst.peak.value,
                  vdcQualityLocation::at({worst.segment},
                                         {c.global_parameter(worst.segment, worst.peak.x), q.x(), q.y()},
                                         on_patch(worst.stretch, q)));
}
