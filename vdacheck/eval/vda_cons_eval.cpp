#include <vdacheck/eval/vda_cons_eval.h>

#include <cmath>

#include <vdacheck/model/vda_cons.h>

vdaConsEval::vdaConsEval(const vdaConsSegment* segments, int n, double s1, double s2) noexcept
    : vdaPathEval(segments, n), s1_(s1), s2_(s2), rate_((s2 - s1) / (end() - start()))
{
}

vdaEvalResult<vdaConsEval> vdaConsEval::make(const vdaCons& cons) noexcept
{
    const int n = cons.num_segments();
    const vdaConsSegment* segments = n > 0 ? &cons.segment(0) : nullptr;
    if (const char* why = why_not(segments, n))
        return vdaEvalResult<vdaConsEval>::refused(why);
    if (!std::isfinite(cons.start_parameter()) || !std::isfinite(cons.end_parameter()))
        return vdaEvalResult<vdaConsEval>::refused("curve range not finite");
    return vdaConsEval(segments, n, cons.start_parameter(), cons.end_parameter());
}
