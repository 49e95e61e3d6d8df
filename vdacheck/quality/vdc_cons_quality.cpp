#include <vdacheck/quality/vdc_cons_quality.h>

#include <algorithm>
#include <string>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_surf.h>
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
    const bool forward = c.curve_parameter_rate() > 0.0;
    const ConsPeak worst = maximise_over_segments(c, samples, negligible, [&](int i, double u) {
        const vdaConsSample uv = c.segment_sample(i, u, 1);
        const double w = c.global_parameter(i, u);
        // On a breakpoint of the curve, its segment on the same side as the cons's segment.
        const vdaSide side = (u < 0.5) == forward ? vdaSide::after : vdaSide::before;
        return gi_distance(s.sample_along(uv, 0).point, space->point(c.curve_parameter(w), side));
    });
    out_.measured(R::cons_curve_deviation, worst.peak.value, location(worst.segment, worst.peak.x));
}
