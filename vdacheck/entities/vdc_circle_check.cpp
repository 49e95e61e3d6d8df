#include <vdacheck/entities/vdc_circle_check.h>

#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/rules/vdc_check_rules.h>

namespace {

// 1 when the Euclidean length of (a copy of) `v` differs from 1 by more than `tolerance`.
int not_unit_length(giVector3 v, double tolerance) noexcept
{
    return utMath::abs(v.length().value() - 1.0) > tolerance ? 1 : 0;
}

}  // namespace

vdcCircleCheck::~vdcCircleCheck() = default;

void vdcCircleCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_centre_point(log, checker);
    check_radius(log, checker);
    check_normal_v_vector(log, checker);
    check_normal_w_vector(log, checker);
    check_vectors_orthogonal(log, checker);
    check_angles(log, checker);
}

void vdcCircleCheck::check_centre_point(vdcLog& log, vdcFileCheck&) const
{
    if (entity.centre().invalid())
        log_problem(log, entity, vdc_check_rule("circle-centre-point", __func__));
}

void vdcCircleCheck::check_radius(vdcLog& log, vdcFileCheck&) const
{
    if (entity.radius() <= 0)
        log_problem(log, entity, vdc_check_rule("circle-radius", __func__));
}

void vdcCircleCheck::check_normal_v_vector(vdcLog& log, vdcFileCheck&) const
{
    if (not_unit_length(entity.plane_v(), tolerance))
        log_problem(log, entity, vdc_check_rule("circle-normal-v-vector", __func__));
}

void vdcCircleCheck::check_normal_w_vector(vdcLog& log, vdcFileCheck&) const
{
    if (not_unit_length(entity.plane_w(), tolerance))
        log_problem(log, entity, vdc_check_rule("circle-normal-w-vector", __func__));
}

// Orthogonality of the directions only: both vectors are unitized first.
void vdcCircleCheck::check_vectors_orthogonal(vdcLog& log, vdcFileCheck&) const
{
    giVector3 w = entity.plane_w();
    giVector3 v = entity.plane_v();
    w.unitize();
    v.unitize();
    const double d = v.x() * w.x() + v.y() * w.y() + v.z() * w.z();
    if (utMath::abs(d) > tolerance)
        log_problem(log, entity, vdc_check_rule("circle-vectors-orthogonal", __func__));
}

// A good arc has each angle in (-360, 360] and runs forward by more than 0 and at most one turn.
void vdcCircleCheck::check_angles(vdcLog& log, vdcFileCheck&) const
{
    const double s = entity.start_angle();
    const double e = entity.end_angle();
    if (s <= -360.0 || s > 360.0 || e <= -360.0 || e > 360.0 || e - s <= 0.0 || e - s > 360.0)
        log_problem(log, entity, vdc_check_rule("circle-angles", __func__), {}, {s, e});
}
