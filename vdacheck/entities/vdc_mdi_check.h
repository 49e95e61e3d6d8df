#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaMDI;

class VDC_API vdcMDICheck : public vdcEntityCheck {
public:
    using model_type = vdaMDI;
    explicit vdcMDICheck(vdaMDI& entity) : entity(entity) {}
    ~vdcMDICheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_mdi_point(vdcLog& log, vdcFileCheck& checker) const;
    void check_mdi_vector(vdcLog& log, vdcFileCheck& checker) const;

    vdaMDI& entity;
};
