#include <vdacheck/entities/vdc_begin_set_check.h>

#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcBeginSetCheck::~vdcBeginSetCheck() = default;

void vdcBeginSetCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_null_entity_ptr(log, checker);
    check_entity_ptr(log, checker);
}

void vdcBeginSetCheck::check_null_entity_ptr(vdcLog& log, vdcFileCheck&) const
{
    log_null_elements(log, entity, vdc_check_rule("beginset-null-entity-ptr", __func__));
}

void vdcBeginSetCheck::check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    log_faulty_elements(log, checker, entity, vdc_check_rule("beginset-entity-ptr", __func__));
}
