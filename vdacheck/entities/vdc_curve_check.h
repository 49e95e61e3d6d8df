#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaCurve;

// A space curve: its segments, their parameters, orders and coefficients. Follows no references and
// attaches no repair function.
class VDC_API vdcCurveCheck : public vdcEntityCheck {
public:
    using model_type = vdaCurve;
    explicit vdcCurveCheck(vdaCurve& entity) : entity(entity) {}
    ~vdcCurveCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_num_segments(vdcLog& log, vdcFileCheck& checker) const;
    void check_segment_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_adjacent_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_segment_orders(vdcLog& log, vdcFileCheck& checker) const;
    void check_segment_coeffs(vdcLog& log, vdcFileCheck& checker) const;

    vdaCurve& entity;
};
