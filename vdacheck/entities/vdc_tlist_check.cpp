#include <vdacheck/entities/vdc_tlist_check.h>

#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcTlistCheck::~vdcTlistCheck() = default;

void vdcTlistCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_null_tmat_ptr(log, checker);
    check_tmat_ptr_type(log, checker);
    check_tmat_ptr(log, checker);
    check_null_entity_ptr(log, checker);
    check_entity_ptr_type(log, checker);
    check_entity_ptr(log, checker);
}

void vdcTlistCheck::check_null_tmat_ptr(vdcLog& log, vdcFileCheck&) const
{
    if (!entity.transform())
        log_problem(log, entity, vdc_check_rule("tlist-null-tmat-ptr", __func__));
}

void vdcTlistCheck::check_tmat_ptr_type(vdcLog& log, vdcFileCheck&) const
{
    if (refers_to_other_type(entity.transform(), vdaTmat::id))
        log_problem(log, entity, vdc_check_rule("tlist-tmat-ptr-type", __func__));
}

void vdcTlistCheck::check_tmat_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    if (refers_to_faulty(entity.transform(), vdaTmat::id, log, checker))
        log_problem(log, entity, vdc_check_rule("tlist-tmat-ptr", __func__));
}

void vdcTlistCheck::check_null_entity_ptr(vdcLog& log, vdcFileCheck&) const
{
    log_null_elements(log, entity, vdc_check_rule("tlist-null-entity-ptr", __func__));
}

void vdcTlistCheck::check_entity_ptr_type(vdcLog& log, vdcFileCheck&) const
{
    log_elements_of_wrong_type(log, entity, vdc_check_rule("tlist-entity-ptr-type", __func__));
}

void vdcTlistCheck::check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    log_faulty_elements(log, checker, entity, vdc_check_rule("tlist-entity-ptr", __func__));
}
