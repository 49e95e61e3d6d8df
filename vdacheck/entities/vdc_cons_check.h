#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaCons;

// A curve on a surface: its own segments as for a curve, its references to its space curve and its
// basis surface (each followed through the checker), and its trimming interval against the parameter
// range of its space curve.
class VDC_API vdcConsCheck : public vdcEntityCheck {
public:
    using model_type = vdaCons;
    explicit vdcConsCheck(vdaCons& entity) : entity(entity) {}
    ~vdcConsCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_num_segments(vdcLog& log, vdcFileCheck& checker) const;
    void check_segment_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_adjacent_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_segment_orders(vdcLog& log, vdcFileCheck& checker) const;
    void check_segment_coeffs(vdcLog& log, vdcFileCheck& checker) const;
    void check_null_curve_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_curve_ptr_is_curve(vdcLog& log, vdcFileCheck& checker) const;
    void check_curve_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_null_surface_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_surface_ptr_is_surface(vdcLog& log, vdcFileCheck& checker) const;
    void check_surface_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_cons_trimming_params(vdcLog& log, vdcFileCheck& checker) const;

    vdaCons& entity;
};
