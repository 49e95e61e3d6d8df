#include <vdacheck/entities/vdc_group_check.h>

#include <vdacheck/model/vda_group.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcGroupCheck::~vdcGroupCheck() = default;

void vdcGroupCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_null_entity_ptr(log, checker);
    check_entity_ptr_type(log, checker);
    check_entity_ptr(log, checker);
}

void vdcGroupCheck::check_null_entity_ptr(vdcLog& log, vdcFileCheck&) const
{
    log_null_elements(log, entity, vdc_check_rule("group-null-entity-ptr", __func__));
}

void vdcGroupCheck::check_entity_ptr_type(vdcLog& log, vdcFileCheck&) const
{
    log_elements_of_wrong_type(log, entity, vdc_check_rule("group-entity-ptr-type", __func__));
}

void vdcGroupCheck::check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    log_faulty_elements(log, checker, entity, vdc_check_rule("group-entity-ptr", __func__));
}
