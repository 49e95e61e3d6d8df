#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaSurf;

// A surface: its grid of patches, how adjacent patches join, each patch's parameters and orders, its
// coefficients, and patches that collapse onto a coordinate axis. Follows no references and attaches
// no repair function.
class VDC_API vdcSurfCheck : public vdcEntityCheck {
public:
    using model_type = vdaSurf;
    explicit vdcSurfCheck(vdaSurf& entity) : entity(entity) {}
    ~vdcSurfCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_num_patches(vdcLog& log, vdcFileCheck& checker) const;
    void check_adjacent_v_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_adjacent_u_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_u_patch_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_v_patch_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_patch_order(vdcLog& log, vdcFileCheck& checker) const;
    void check_patch_coeffs(vdcLog& log, vdcFileCheck& checker) const;

    vdaSurf& entity;
};
