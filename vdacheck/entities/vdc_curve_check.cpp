#include <vdacheck/entities/vdc_curve_check.h>

#include <vdacheck/model/vda_curve.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcCurveCheck::~vdcCurveCheck() = default;

void vdcCurveCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_num_segments(log, checker);
    check_segment_parameters(log, checker);
    check_adjacent_parameters(log, checker);
    check_segment_orders(log, checker);
    check_segment_coeffs(log, checker);
}

void vdcCurveCheck::check_num_segments(vdcLog& log, vdcFileCheck&) const
{
    if (entity.num_segments() == 0)
        log_problem(log, entity, vdc_check_rule("curve-num-segments", __func__));
}

void vdcCurveCheck::check_segment_parameters(vdcLog& log, vdcFileCheck&) const
{
    log_non_increasing_segments(log, entity, vdc_check_rule("curve-segment-parameters", __func__));
}

void vdcCurveCheck::check_adjacent_parameters(vdcLog& log, vdcFileCheck&) const
{
    log_unjoined_segments(log, entity, vdc_check_rule("curve-adjacent-parameters", __func__));
}

void vdcCurveCheck::check_segment_orders(vdcLog& log, vdcFileCheck&) const
{
    log_segments_of_invalid_order(log, entity, vdc_check_rule("curve-segment-orders", __func__));
}

void vdcCurveCheck::check_segment_coeffs(vdcLog& log, vdcFileCheck&) const
{
    log_invalid_segment_coeffs(log, entity, vdc_check_rule("curve-segment-coeffs", __func__));
}
