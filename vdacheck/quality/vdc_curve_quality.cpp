#include <vdacheck/quality/vdc_curve_quality.h>

#include <string>

#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/quality/vdc_poly_curve.h>
#include <vdacheck/quality/vdc_quality_collector.h>
#include <vdacheck/quality/vdc_quality_references.h>

void vdcCurveQuality::measure(const vdaCurve& curve) const
{
    using R = vdcQualityRule;
    if (!out_.on(R::curve_segment_gap) && !out_.on(R::curve_segment_kink) && !out_.on(R::curve_tiny_segment))
        return;
    const auto eval = vdaCurveEval::make(curve);
    if (!eval) {
        out_.skipped(vdc_join({"not evaluated: ", eval.why_not()}));
        return;
    }
    const int n = eval->num_segments();
    for (int i = 0; i + 1 < n; ++i) {
        const vdaCurveSample end = eval->segment_sample(i, 1.0, 1);
        const vdaCurveSample start = eval->segment_sample(i + 1, 0.0, 1);
        const vdcQualityLocation where = vdcQualityLocation::at({i}, {eval->breakpoint(i + 1)}, end.point);
        if (out_.on(R::curve_segment_gap))
            out_.measured(R::curve_segment_gap, gi_distance(end.point, start.point), where);
        // A vanishing tangent has no direction: no angle is measured there.
        if (out_.on(R::curve_segment_kink) && gi_norm(end.d1) > 0.0 && gi_norm(start.d1) > 0.0)
            out_.measured(R::curve_segment_kink, gi_angle_deg(end.d1, start.d1), where);
    }
    if (out_.on(R::curve_tiny_segment))
        for (int i = 0; i < n; ++i) {
            // The chord is a lower bound of the length: a long chord spares integrating.
            const double chord = gi_distance(eval->segment_point(i, 0.0), eval->segment_point(i, 1.0));
            if (!out_.could_matter(R::curve_tiny_segment, chord)) {
                out_.measured_beyond(R::curve_tiny_segment);
                continue;
            }
            const vdaCurveSegment& segment = eval->segment(i);
            const double length = vdcPolyCurve(segment.all_coeffs().data(), segment.order()).length();
            out_.measured(R::curve_tiny_segment, length,
                          vdcQualityLocation::at({i}, {eval->global_parameter(i, 0.5)}, eval->segment_point(i, 0.5)));
        }
}
