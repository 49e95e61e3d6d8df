#include <vdacheck/entities/vdc_group_check.h>

#include <vdacheck/model/vda_group.h>
#include <vdacheck/repair/vdc_reference_repairs.h>

vdcGroupCheck::~vdcGroupCheck() = default;

void vdcGroupCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_null_entity_ptr(log, checker);
    check_entity_ptr_type(log, checker);
    check_entity_ptr(log, checker);
}

void vdcGroupCheck::check_null_entity_ptr(vdcLog& log, vdcFileCheck&) const
{
    log_null_elements(log, entity, ut_lit("Group entity has null pointer"), fix_group_null_entity_ptr);
}

void vdcGroupCheck::check_entity_ptr_type(vdcLog& log, vdcFileCheck&) const
{
    log_elements_of_wrong_type(log, entity, ut_lit("Group entity has pointer to invalid entity type"),
                               fix_group_entity_ptr_type);
}

void vdcGroupCheck::check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    log_faulty_elements(log, checker, entity, ut_lit("Group entity has pointer to invalid entity"),
                        fix_group_entity_ptr);
}
