#include <vdacheck/entities/vdc_cons_check.h>

#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/repair/vdc_parameter_repairs.h>
#include <vdacheck/repair/vdc_reference_repairs.h>

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
        log_problem(log, entity, ut_lit("Cons has no segments"));
}

void vdcConsCheck::check_segment_parameters(vdcLog& log, vdcFileCheck&) const
{
    log_non_increasing_segments(log, entity, ut_lit("Cons segment has non increasing parameters"));
}

void vdcConsCheck::check_adjacent_parameters(vdcLog& log, vdcFileCheck&) const
{
    log_unjoined_segments(log, entity, ut_lit("Adjacent cons segment parameters dont match"));
}

void vdcConsCheck::check_segment_orders(vdcLog& log, vdcFileCheck&) const
{
    log_segments_of_invalid_order(log, entity, ut_lit("Cons segment had invalid order"));
}

void vdcConsCheck::check_segment_coeffs(vdcLog& log, vdcFileCheck&) const
{
    log_invalid_segment_coeffs(log, entity, ut_lit("Cons segment has invalid coefficient"));
}

void vdcConsCheck::check_null_curve_ptr(vdcLog& log, vdcFileCheck&) const
{
    if (!entity.curve_3d())
        log_problem(log, entity, ut_lit("Cons has null curve pointer"));
}

void vdcConsCheck::check_curve_ptr_is_curve(vdcLog& log, vdcFileCheck&) const
{
    if (refers_to_other_type(entity.curve_3d(), vdaCurve::id))
        log_problem(log, entity, ut_lit("Cons curve pointer points to non curve"));
}

void vdcConsCheck::check_curve_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    if (refers_to_faulty(entity.curve_3d(), vdaCurve::id, log, checker))
        log_problem(log, entity, ut_lit("Cons curve pointer points to invalid curve"), {}, {}, fix_cons_curve_ptr);
}

void vdcConsCheck::check_null_surface_ptr(vdcLog& log, vdcFileCheck&) const
{
    if (!entity.basis_surface())
        log_problem(log, entity, ut_lit("Cons has null surface pointer"));
}

void vdcConsCheck::check_surface_ptr_is_surface(vdcLog& log, vdcFileCheck&) const
{
    if (refers_to_other_type(entity.basis_surface(), vdaSurf::id))
        log_problem(log, entity, ut_lit("Cons surface pointer points to non surface"));
}

void vdcConsCheck::check_surface_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    if (refers_to_faulty(entity.basis_surface(), vdaSurf::id, log, checker))
        log_problem(log, entity, ut_lit("Cons surface pointer points to invalid surface"), {}, {},
                    fix_cons_surface_ptr);
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
        log_problem(log, entity, ut_lit("Cons has invalid trim parameters"), {},
                    {v.start, v.end, v.trim_start, v.trim_end}, fix_cons_trimming_params);
}
