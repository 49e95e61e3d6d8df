#pragma once

#include <vdacheck/eval/vda_eval_result.h>
#include <vdacheck/eval/vda_path_eval.h>
#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/model/vda_cons_segment.h>
#include <vdacheck/util/ut_export.h>

class vdaCons;

// A point of a curve on a surface, (s, t) in its surface's global parameters, and its derivatives with
// respect to the cons's own parameter w (giPoint2 doubles as a vector of the parameter plane).
using vdaConsSample = vdaPathSample<giPoint2, giPoint2>;

// Evaluates a CONS in its surface's parameter plane (see vdaPathEval for the parametrisation), and maps
// its parameter w to the parameter of its space curve: that runs linearly from the cons's start
// parameter s1 at the first breakpoint to s2 at the last (s1 > s2: against the curve). The surface and
// the curve are not needed to evaluate the cons; vdaSurfEval::sample_along takes it into space.
class VDA_API vdaConsEval : public vdaPathEval<giPoint2, giPoint2> {
public:
    // Refuses a cons the structural checks reject for its segments (as for a curve), and one whose
    // curve range s1, s2 is not finite.
    static vdaEvalResult<vdaConsEval> make(const vdaCons& cons) noexcept;

    double curve_start() const noexcept { return s1_; }
    double curve_end() const noexcept { return s2_; }
    // The curve parameter at w, and its derivative with respect to w (negative when s1 > s2).
    double curve_parameter(double w) const noexcept { return s1_ + (w - start()) * rate_; }
    double curve_parameter_rate() const noexcept { return rate_; }

private:
    vdaConsEval(const vdaConsSegment* segments, int n, double s1, double s2) noexcept;
    double s1_;
    double s2_;
    double rate_;
};
