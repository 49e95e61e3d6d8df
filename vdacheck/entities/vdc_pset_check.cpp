#include <vdacheck/entities/vdc_pset_check.h>

#include <vdacheck/model/vda_pset.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcPsetCheck::~vdcPsetCheck() = default;

void vdcPsetCheck::check(vdcLog& log, vdcFileCheck& checker) const { check_point_validity(log, checker); }

void vdcPsetCheck::check_point_validity(vdcLog& log, vdcFileCheck&) const
{
    const int n = entity.num_points();
    for (int i = 0; i < n; ++i)
        if (entity.point(i).invalid())
            log_problem(log, entity, vdc_check_rule("pset-point-validity", __func__), {i});
}
