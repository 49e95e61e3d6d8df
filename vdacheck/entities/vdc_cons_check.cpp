#include <vdacheck/entities/vdc_cons_check.h>

#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/rules/vdc_check_rules.h>

vdcConsCheck::~vdcConsCheck() = default;

void vdcConsCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_num_segments(log, checker);
    check_segment_parameters(log, checker);
    check_adjacent_parameters(log, checker);
    check_segment_orders(log, checker);
    check_segment_coeffs(log, checker);
    check_null_curve_ptr(log, checker);
    check_curve_ptr_is_curve(log, checker);
    check_curve_ptr(log, checker);
    check_null_surface_ptr(log, checker);
    check_surface_ptr_is_surface(log, checker);
    check_surface_ptr(log, checker);
    check_cons_trimming_params(log, checker);
}

void vdcConsCheck::check_num_segments(vdcLog& log, vdcFileCheck&) const
{
    if (entity.num_segments() == 0)
        log_problem(log, entity, vdc_check_rule("cons-num-segments", __func__));
}

void vdcConsCheck::check_segment_parameters(vdcLog& log, vdcFileCheck&) const
{
    log_non_increasing_segments(log, entity, vdc_check_rule("cons-segment-parameters", __func__));
}

void vdcConsCheck::check_adjacent_parameters(vdcLog& log, vdcFileCheck&) const
{
    log_unjoined_segments(log, entity, vdc_check_rule("cons-adjacent-parameters", __func__));
}

void vdcConsCheck::check_segment_orders(vdcLog& log, vdcFileCheck&) const
{
    log_segments_of_invalid_order(log, entity, vdc_check_rule("cons-segment-orders", __func__));
}

void vdcConsCheck::check_segment_coeffs(vdcLog& log, vdcFileCheck&) const
{
    log_invalid_segment_coeffs(log, entity, vdc_check_rule("cons-segment-coeffs", __func__));
}

void vdcConsCheck::check_null_curve_ptr(vdcLog& log, vdcFileCheck&) const
{
    if (!entity.curve_3d())
        log_problem(log, entity, vdc_check_rule("cons-null-curve-ptr", __func__));
}

void vdcConsCheck::check_curve_ptr_is_curve(vdcLog& log, vdcFileCheck&) const
{
    if (refers_to_other_type(entity.curve_3d(), vdaCurve::id))
        log_problem(log, entity, vdc_check_rule("cons-curve-ptr-is-curve", __func__));
}

void vdcConsCheck::check_curve_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    if (refers_to_faulty(entity.curve_3d(), vdaCurve::id, log, checker))
        log_problem(log, entity, vdc_check_rule("cons-curve-ptr", __func__));
}

void vdcConsCheck::check_null_surface_ptr(vdcLog& log, vdcFileCheck&) const
{
    if (!entity.basis_surface())
        log_problem(log, entity, vdc_check_rule("cons-null-surface-ptr", __func__));
}

void vdcConsCheck::check_surface_ptr_is_surface(vdcLog& log, vdcFileCheck&) const
{
    if (refers_to_other_type(entity.basis_surface(), vdaSurf::id))
        log_problem(log, entity, vdc_check_rule("cons-surface-ptr-is-surface", __func__));
}

void vdcConsCheck::check_surface_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    if (refers_to_faulty(entity.basis_surface(), vdaSurf::id, log, checker))
        log_problem(log, entity, vdc_check_rule("cons-surface-ptr", __func__));
}

// The trim is compared with the range of the space curve's segments; a curve without segments has no
// range (its own check reports it), and a null or wrong-typed curve reference is reported above.
void vdcConsCheck::check_cons_trimming_params(vdcLog& log, vdcFileCheck&) const
{
    const vdaCurve* curve = referenced<vdaCurve>(entity.curve_3d());
    TrimValues v;
    if (!curve || !vda_parameter_range(*curve, v.start, v.end))
        return;
    v.trim_start = entity.start_parameter();
    v.trim_end = entity.end_parameter();
    if (trim_outside(v.start, v.end, v.trim_start, v.trim_end))
        log_problem(log, entity, vdc_check_rule("cons-trimming-params", __func__), {},
                    {v.start, v.end, v.trim_start, v.trim_end});
}
