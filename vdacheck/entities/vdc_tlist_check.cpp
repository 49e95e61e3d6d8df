#include <vdacheck/entities/vdc_tlist_check.h>

#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/repair/vdc_reference_repairs.h>

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
        log_problem(log, entity, ut_lit("Tlist entity has null tmat pointer"));
}

void vdcTlistCheck::check_tmat_ptr_type(vdcLog& log, vdcFileCheck&) const
{
    if (refers_to_other_type(entity.transform(), vdaTmat::id))
        log_problem(log, entity, ut_lit("Tlist entity has tmat pointer to invalid type"));
}

void vdcTlistCheck::check_tmat_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    if (refers_to_faulty(entity.transform(), vdaTmat::id, log, checker))
        log_problem(log, entity, ut_lit("Tlist entity has pointer to invalid tmat"), {}, {}, fix_tlist_tmat_ptr);
}

void vdcTlistCheck::check_null_entity_ptr(vdcLog& log, vdcFileCheck&) const
{
    log_null_elements(log, entity, ut_lit("Tlist entity has null pointer"), fix_tlist_null_entity_ptr);
}

void vdcTlistCheck::check_entity_ptr_type(vdcLog& log, vdcFileCheck&) const
{
    log_elements_of_wrong_type(log, entity, ut_lit("Tlist entity has pointer to invalid entity type"),
                               fix_tlist_ptr_type);
}

void vdcTlistCheck::check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    log_faulty_elements(log, checker, entity, ut_lit("Tlist entity has pointer to invalid entity"),
                        fix_tlist_entity_ptr);
}
