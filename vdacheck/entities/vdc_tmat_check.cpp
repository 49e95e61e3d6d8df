#include <vdacheck/entities/vdc_tmat_check.h>

#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcTmatCheck::~vdcTmatCheck() = default;

void vdcTmatCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_tmat_invertible(log, checker);
    check_tmat_rigid(log, checker);
}

void vdcTmatCheck::check_tmat_invertible(vdcLog& log, vdcFileCheck&) const
{
    if (utMath::abs(entity.matrix().magnification()) <= tolerance)
        log_problem(log, entity, vdc_check_rule("tmat-invertible", __func__));
}

void vdcTmatCheck::check_tmat_rigid(vdcLog& log, vdcFileCheck&) const
{
    if (utMath::abs(entity.matrix().magnification() - 1.0) > tolerance)
        log_problem(log, entity, vdc_check_rule("tmat-rigid", __func__));
}
