#include <vdacheck/entities/vdc_begin_set_check.h>

#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/repair/vdc_reference_repairs.h>

vdcBeginSetCheck::~vdcBeginSetCheck() = default;

void vdcBeginSetCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_null_entity_ptr(log, checker);
    check_entity_ptr(log, checker);
}

void vdcBeginSetCheck::check_null_entity_ptr(vdcLog& log, vdcFileCheck&) const
{
    log_null_elements(log, entity, ut_lit("Set entity has null pointer"), fix_beginset_null_entity_ptr);
}

void vdcBeginSetCheck::check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    log_faulty_elements(log, checker, entity, ut_lit("Set entity has pointer to invalid entity"),
                        fix_beginset_entity_ptr);
}
