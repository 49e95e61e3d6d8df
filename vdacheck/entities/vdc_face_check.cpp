#include <vdacheck/entities/vdc_face_check.h>

#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/rules/vdc_check_rules.h>

namespace {

// Calls f(b, s, piece) for every piece s of every boundary b, in index order; each count is read once.
template <class F>
void for_each_piece(const vdaFace& face, F f)
{
    const int num_boundaries = face.num_boundaries();
    for (int b = 0; b < num_boundaries; ++b) {
        const vdaBoundary& boundary = face.boundary(b);
        const int num_pieces = boundary.num_curve_segments();
        for (int s = 0; s < num_pieces; ++s)
            f(b, s, boundary.curve_segment(s));
    }
}

}  // namespace

vdcFaceCheck::~vdcFaceCheck() = default;

void vdcFaceCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_null_surface_ptr(log, checker);
    check_surface_ptr_is_surface(log, checker);
    check_surface_ptr(log, checker);
    check_surface_ptr_is_cons_surface_ptr(log, checker);
    check_null_cons_ptr(log, checker);
    check_cons_ptr_is_cons(log, checker);
    check_cons_ptr(log, checker);
    check_cons_parameters(log, checker);
}

void vdcFaceCheck::check_null_surface_ptr(vdcLog& log, vdcFileCheck&) const
{
    if (!entity.basis_surface())
        log_problem(log, entity, vdc_check_rule("face-null-surface-ptr", __func__));
}

void vdcFaceCheck::check_surface_ptr_is_surface(vdcLog& log, vdcFileCheck&) const
{
    if (refers_to_other_type(entity.basis_surface(), vdaSurf::id))
        log_problem(log, entity, vdc_check_rule("face-surface-ptr-is-surface", __func__));
}

void vdcFaceCheck::check_surface_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    if (refers_to_faulty(entity.basis_surface(), vdaSurf::id, log, checker))
        log_problem(log, entity, vdc_check_rule("face-surface-ptr", __func__));
}

// Surfaces are compared by name, so two references resolving to different entities of one name agree.
// Only pieces whose cons and whose cons's surface are of the right types are compared.
void vdcFaceCheck::check_surface_ptr_is_cons_surface_ptr(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("face-surface-ptr-is-cons-surface-ptr", __func__);
    const vdaSurf* face_surface = referenced<vdaSurf>(entity.basis_surface());
    if (!face_surface)
        return;
    for_each_piece(entity, [&](int b, int s, const vdaTrimmedCurve& piece) {
        const vdaCons* cons = referenced<vdaCons>(piece.basis_curve());
        const vdaSurf* cons_surface = cons ? referenced<vdaSurf>(cons->basis_surface()) : nullptr;
        if (cons_surface && cons_surface->name() != face_surface->name())
            log_problem(log, entity, rule, {b, s});
    });
}

void vdcFaceCheck::check_null_cons_ptr(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("face-null-cons-ptr", __func__);
    for_each_piece(entity, [&](int b, int s, const vdaTrimmedCurve& piece) {
        if (!piece.basis_curve())
            log_problem(log, entity, rule, {b, s});
    });
}

void vdcFaceCheck::check_cons_ptr_is_cons(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("face-cons-ptr-is-cons", __func__);
    for_each_piece(entity, [&](int b, int s, const vdaTrimmedCurve& piece) {
        if (refers_to_other_type(piece.basis_curve(), vdaCons::id))
            log_problem(log, entity, rule, {b, s});
    });
}

void vdcFaceCheck::check_cons_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    constexpr const vdcRule& rule = vdc_check_rule("face-cons-ptr", __func__);
    for_each_piece(entity, [&](int b, int s, const vdaTrimmedCurve& piece) {
        if (refers_to_faulty(piece.basis_curve(), vdaCons::id, log, checker))
            log_problem(log, entity, rule, {b, s});
    });
}

void vdcFaceCheck::check_cons_parameters(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("face-cons-parameters", __func__);
    for_each_piece(entity, [&](int b, int s, const vdaTrimmedCurve& piece) {
        TrimValues v;
        if (trim_outside_cons(piece, v))
            log_problem(log, entity, rule, {b, s}, {v.start, v.end, v.trim_start, v.trim_end});
    });
}
