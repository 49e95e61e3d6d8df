#include <vdacheck/entities/vdc_point_check.h>

#include <vdacheck/model/vda_point.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcPointCheck::~vdcPointCheck() = default;

void vdcPointCheck::check(vdcLog& log, vdcFileCheck& checker) const { check_point_validity(log, checker); }

void vdcPointCheck::check_point_validity(vdcLog& log, vdcFileCheck&) const
{
    if (entity.point().invalid())
        log_problem(log, entity, vdc_check_rule("point-validity", __func__));
}
