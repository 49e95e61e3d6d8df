#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaBeginSet;

// A set: each element must be non-null and lead to an entity without packets once that entity is
// checked through the checker. A set may hold entities of any type.
class VDC_API vdcBeginSetCheck : public vdcEntityCheck {
public:
    using model_type = vdaBeginSet;
    explicit vdcBeginSetCheck(vdaBeginSet& entity) : entity(entity) {}
    ~vdcBeginSetCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_null_entity_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const;

    vdaBeginSet& entity;
};
