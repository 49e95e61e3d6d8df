#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaHeader;

// A header carries only free text: nothing in it can be faulty.
class VDC_API vdcHeaderCheck : public vdcEntityCheck {
public:
    using model_type = vdaHeader;
    explicit vdcHeaderCheck(vdaHeader& entity) : entity(entity) {}
    ~vdcHeaderCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    vdaHeader& entity;
};
