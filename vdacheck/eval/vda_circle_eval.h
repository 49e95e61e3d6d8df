#pragma once

#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_eval_result.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/util/ut_export.h>

class vdaCircle;

// Evaluates a CIRCLE: P(phi) = M + r cos(phi) V + r sin(phi) W, the angle phi in degrees measured from V
// towards W, the arc running from start_angle() to end_angle(). V and W are taken as the entity holds
// them (a non-unit vector stretches the circle, as the formula says). Derivatives are with respect to
// the angle in degrees.
class VDA_API vdaCircleEval {
public:
    // Refuses a circle without a usable centre, a positive finite radius, finite angles and two finite,
    // non-parallel plane vectors.
    static vdaEvalResult<vdaCircleEval> make(const vdaCircle& circle) noexcept;

    double start_angle() const noexcept { return start_; }
    double end_angle() const noexcept { return end_; }
    giPoint3 point(double degrees) const noexcept;
    // The point and its derivatives up to `derivatives` (0, 1 or 2).
    vdaCurveSample sample(double degrees, int derivatives) const noexcept;

private:
    vdaCircleEval(const vdaCircle& circle) noexcept;
    giPoint3 centre_;
    giVector3 rv_;  // r V
    giVector3 rw_;  // r W
    double start_;
    double end_;
};
