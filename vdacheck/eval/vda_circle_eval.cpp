#include <vdacheck/eval/vda_circle_eval.h>

#include <cmath>
#include <numbers>

#include <vdacheck/eval/vda_horner.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_circle.h>

namespace {

constexpr double radians_per_degree = std::numbers::pi / 180.0;

bool usable(const giVector3& v) noexcept { return vda_usable(giPoint3(v.x(), v.y(), v.z())); }

}  // namespace

vdaCircleEval::vdaCircleEval(const vdaCircle& circle) noexcept
    : centre_(circle.centre()), rv_(circle.radius() * circle.plane_v()), rw_(circle.radius() * circle.plane_w()),
      start_(circle.start_angle()), end_(circle.end_angle())
{
}

vdaEvalResult<vdaCircleEval> vdaCircleEval::make(const vdaCircle& circle) noexcept
{
    using Result = vdaEvalResult<vdaCircleEval>;
    if (!vda_usable(circle.centre()))
        return Result::refused("invalid centre");
    if (!(circle.radius() > 0.0) || !std::isfinite(circle.radius()))
        return Result::refused("radius not positive");
    if (!usable(circle.plane_v()) || !usable(circle.plane_w()))
        return Result::refused("invalid plane vector");
    if (gi_norm(circle.plane_v().cross(circle.plane_w())) == 0.0)
        return Result::refused("plane vectors do not span a plane");
    if (!std::isfinite(circle.start_angle()) || !std::isfinite(circle.end_angle()))
        return Result::refused("angles not finite");
    return vdaCircleEval(circle);
}

giPoint3 vdaCircleEval::point(double degrees) const noexcept
{
    const double phi = degrees * radians_per_degree;
    return centre_ + (std::cos(phi) * rv_ + std::sin(phi) * rw_);
}

vdaCurveSample vdaCircleEval::sample(double degrees, int derivatives) const noexcept
{
    const double phi = degrees * radians_per_degree;
    const double c = std::cos(phi);
    const double s = std::sin(phi);
    vdaCurveSample out{centre_ + (c * rv_ + s * rw_), {}, {}};
    if (derivatives >= 1)
        out.d1 = radians_per_degree * (c * rw_ - s * rv_);
    if (derivatives >= 2)
        out.d2 = (-radians_per_degree * radians_per_degree) * (c * rv_ + s * rw_);
    return out;
}
