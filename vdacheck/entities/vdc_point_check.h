#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaPoint;

class VDC_API vdcPointCheck : public vdcEntityCheck {
public:
    using model_type = vdaPoint;
    explicit vdcPointCheck(vdaPoint& entity) : entity(entity) {}
    ~vdcPointCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_point_validity(vdcLog& log, vdcFileCheck& checker) const;

    vdaPoint& entity;
};
