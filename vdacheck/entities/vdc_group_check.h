#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaGroup;

// A group: each element must be non-null, of a type a group may hold (groups included), and lead to
// an entity without packets once that entity is checked through the checker.
class VDC_API vdcGroupCheck : public vdcEntityCheck {
public:
    using model_type = vdaGroup;
    explicit vdcGroupCheck(vdaGroup& entity) : entity(entity) {}
    ~vdcGroupCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_null_entity_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_entity_ptr_type(vdcLog& log, vdcFileCheck& checker) const;
    void check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const;

    vdaGroup& entity;
};
