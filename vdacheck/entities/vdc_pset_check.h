#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaPset;

class VDC_API vdcPsetCheck : public vdcEntityCheck {
public:
    using model_type = vdaPset;
    explicit vdcPsetCheck(vdaPset& entity) : entity(entity) {}
    ~vdcPsetCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_point_validity(vdcLog& log, vdcFileCheck& checker) const;

    vdaPset& entity;
};
