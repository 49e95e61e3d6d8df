#pragma once

#include <vdacheck/eval/vda_eval_result.h>
#include <vdacheck/eval/vda_path_eval.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/model/vda_curve_segment.h>
#include <vdacheck/util/ut_export.h>

class vdaCurve;

// A point of a space curve and its derivatives with respect to the curve's global parameter.
using vdaCurveSample = vdaPathSample<giPoint3, giVector3>;

// Evaluates a CURVE: position, first and second derivatives at a global parameter s (or by segment and
// local parameter). See vdaPathEval for the parametrisation.
//     if (auto curve = vdaCurveEval::make(entity)) { giPoint3 p = curve->point(s); }
class VDA_API vdaCurveEval : public vdaPathEval<giPoint3, giVector3> {
public:
    // Refuses a curve the structural checks reject (no segments, order outside 2..25, parameters not
    // increasing or not joined, an invalid coefficient).
    static vdaEvalResult<vdaCurveEval> make(const vdaCurve& curve) noexcept;

private:
    using vdaPathEval::vdaPathEval;
};
