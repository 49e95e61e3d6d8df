#include <vdacheck/entities/vdc_top_check.h>

#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_top.h>
#include <vdacheck/rules/vdc_check_rules.h>

namespace {

// Calls f(i, k, side) for both sides of every surface pair, pairs in index order, the first side first.
template <class F>
void for_each_side(const vdaTop& top, F f)
{
    const int num_pairs = top.num_surface_pairs();
    for (int i = 0; i < num_pairs; ++i) {
        const vdaSurfacePair& pair = top.surface_pair(i);
        f(i, 0, pair.first_linked_surface());
        f(i, 1, pair.second_linked_surface());
    }
}

// Calls f(i, k, j, curve) for every trimming curve j of every side (i, k); each count is read once.
template <class F>
void for_each_trimming_curve(const vdaTop& top, F f)
{
    for_each_side(top, [&](int i, int k, const vdaLinkedSurf& side) {
        const int num_curves = side.num_trimmed_curves();
        for (int j = 0; j < num_curves; ++j)
            f(i, k, j, side.trimmed_curve(j));
    });
}

// A side may rest on a face or on a surface, tested in that order.
int is_face_or_surface(const vdaObject& entity) noexcept
{
    return (entity.is_type(vdaFace::id) || entity.is_type(vdaSurf::id)) ? 1 : 0;
}

}  // namespace

vdcTopCheck::~vdcTopCheck() = default;

void vdcTopCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_null_face_surf_ptr(log, checker);
    check_face_surface_ptr_type(log, checker);
    check_face_surface_ptr(log, checker);
    check_null_cons_ptr(log, checker);
    check_cons_ptr_is_cons(log, checker);
    check_cons_ptr(log, checker);
    check_cons_parameters(log, checker);
    check_continuity_class(log, checker);
}

void vdcTopCheck::check_null_face_surf_ptr(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("top-null-face-surf-ptr", __func__);
    for_each_side(entity, [&](int i, int k, const vdaLinkedSurf& side) {
        if (!side.basis_entity())
            log_problem(log, entity, rule, {i, k});
    });
}

void vdcTopCheck::check_face_surface_ptr_type(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("top-face-surface-ptr-type", __func__);
    for_each_side(entity, [&](int i, int k, const vdaLinkedSurf& side) {
        const vdaObjectPtr basis = side.basis_entity();
        if (basis && !is_face_or_surface(*basis()))
            log_problem(log, entity, rule, {i, k});
    });
}

void vdcTopCheck::check_face_surface_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    constexpr const vdcRule& rule = vdc_check_rule("top-face-surface-ptr", __func__);
    for_each_side(entity, [&](int i, int k, const vdaLinkedSurf& side) {
        const vdaObjectPtr basis = side.basis_entity();
        if (basis && is_face_or_surface(*basis()) && refers_to_faulty(basis, log, checker))
            log_problem(log, entity, rule, {i, k});
    });
}

void vdcTopCheck::check_null_cons_ptr(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("top-null-cons-ptr", __func__);
    for_each_trimming_curve(entity, [&](int i, int k, int j, const vdaTrimmedCurve& curve) {
        if (!curve.basis_curve())
            log_problem(log, entity, rule, {i, k, j});
    });
}

void vdcTopCheck::check_cons_ptr_is_cons(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("top-cons-ptr-is-cons", __func__);
    for_each_trimming_curve(entity, [&](int i, int k, int j, const vdaTrimmedCurve& curve) {
        if (refers_to_other_type(curve.basis_curve(), vdaCons::id))
            log_problem(log, entity, rule, {i, k, j});
    });
}

void vdcTopCheck::check_cons_ptr(vdcLog& log, vdcFileCheck& checker) const
{
    constexpr const vdcRule& rule = vdc_check_rule("top-cons-ptr", __func__);
    for_each_trimming_curve(entity, [&](int i, int k, int j, const vdaTrimmedCurve& curve) {
        if (refers_to_faulty(curve.basis_curve(), vdaCons::id, log, checker))
            log_problem(log, entity, rule, {i, k, j});
    });
}

void vdcTopCheck::check_cons_parameters(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("top-cons-parameters", __func__);
    for_each_trimming_curve(entity, [&](int i, int k, int j, const vdaTrimmedCurve& curve) {
        TrimValues v;
        if (trim_outside_cons(curve, v))
            log_problem(log, entity, rule, {i, k, j}, {v.start, v.end, v.trim_start, v.trim_end});
    });
}

// Continuity classes are 0 (position), 1 (tangent) and 2 (curvature).
void vdcTopCheck::check_continuity_class(vdcLog& log, vdcFileCheck&) const
{
    const int num_pairs = entity.num_surface_pairs();
    for (int i = 0; i < num_pairs; ++i) {
        const int continuity = entity.surface_pair(i).continuity();
        if (continuity < 0 || continuity > 2)
            log_problem(log, entity, vdc_check_rule("top-continuity-class", __func__), {i});
    }
}
