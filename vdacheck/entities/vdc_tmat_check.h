#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaTmat;

// A transformation matrix: it must be invertible and rigid, judged by its magnification.
class VDC_API vdcTmatCheck : public vdcEntityCheck {
public:
    using model_type = vdaTmat;
    explicit vdcTmatCheck(vdaTmat& entity) : entity(entity) {}
    ~vdcTmatCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_tmat_invertible(vdcLog& log, vdcFileCheck& checker) const;
    void check_tmat_rigid(vdcLog& log, vdcFileCheck& checker) const;

    vdaTmat& entity;
};
