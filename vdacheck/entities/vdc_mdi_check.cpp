#include <vdacheck/entities/vdc_mdi_check.h>

#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcMDICheck::~vdcMDICheck() = default;

void vdcMDICheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_mdi_point(log, checker);
    check_mdi_vector(log, checker);
}

void vdcMDICheck::check_mdi_point(vdcLog& log, vdcFileCheck&) const
{
    const int n = entity.num_point_vector();
    for (int i = 0; i < n; ++i)
        if (entity.point(i).invalid())
            log_problem(log, entity, vdc_check_rule("mdi-point", __func__), {i});
}

void vdcMDICheck::check_mdi_vector(vdcLog& log, vdcFileCheck&) const
{
    const int n = entity.num_point_vector();
    for (int i = 0; i < n; ++i)
        if (entity.vector(i).invalid())
            log_problem(log, entity, vdc_check_rule("mdi-vector", __func__), {i});
}
