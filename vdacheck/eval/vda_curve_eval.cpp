#include <vdacheck/eval/vda_curve_eval.h>

#include <vdacheck/model/vda_curve.h>

vdaEvalResult<vdaCurveEval> vdaCurveEval::make(const vdaCurve& curve) noexcept
{
    const int n = curve.num_segments();
    const vdaCurveSegment* segments = n > 0 ? &curve.segment(0) : nullptr;
    if (const char* why = why_not(segments, n))
        return vdaEvalResult<vdaCurveEval>::refused(why);
    return vdaCurveEval(segments, n);
}
