#pragma once

#include <stdexcept>
#include <string_view>

#include <vdacheck/repair/vdc_parameter_repairs.h>
#include <vdacheck/repair/vdc_reference_repairs.h>
#include <vdacheck/rules/vdc_rule.h>

// The structural rules: one row per sub-check of the entity checks (two rows where a sub-check logs two
// messages), grouped by entity type in the order of the checks. This table is the only place a packet's
// message text is written; the check classes log through it (vdc_check_rule), reports read it.
// A row of the table: every structural problem is an error.
constexpr vdcRule vdc_check_row(std::string_view id, std::string_view entity, std::string_view check,
                                const char* message, vdcErrorFunction repair, std::string_view repair_name,
                                std::string_view help)
{
    return {id,   vdcRuleKind::check, vdcSeverity::error, entity, check, message, repair, repair_name, help, 0.0, "",
            false};
}
// A row whose rule finds a reference to an entity that has problems of its own.
constexpr vdcRule vdc_reference_row(vdcRule rule)
{
    rule.reference = true;
    return rule;
}

// clang-format off
#define VDC_FIX(f) f, #f
inline constexpr vdcRule vdc_check_rules[] = {
    // POINT, PSET, MDI
    vdc_check_row("point-validity", "POINT", "check_point_validity",
     "Point entity has invalid point", nullptr, "",
     "The point holds the invalid-value marker (or an unset coordinate) instead of a position; it cannot be repaired."),
    vdc_check_row("pset-point-validity", "PSET", "check_point_validity",
     "Pset entity has invalid point", nullptr, "",
     "A point of the point set holds the invalid-value marker (or an unset coordinate); it cannot be repaired."),
    vdc_check_row("mdi-point", "MDI", "check_mdi_point",
     "Mdi entity has invalid point", nullptr, "",
     "A point of the point-vector set holds the invalid-value marker (or an unset coordinate); it cannot be repaired."),
    vdc_check_row("mdi-vector", "MDI", "check_mdi_vector",
     "Mdi entity has invalid vector", nullptr, "",
     "A vector of the point-vector set holds the invalid-value marker; it cannot be repaired."),

    // CURVE
    vdc_check_row("curve-num-segments", "CURVE", "check_num_segments",
     "Curve has no segments", nullptr, "",
     "The curve has no segments, so it has no shape; it cannot be repaired."),
    vdc_check_row("curve-segment-parameters", "CURVE", "check_segment_parameters",
     "Curve segment has non increasing parameters", nullptr, "",
     "A segment's parameter interval is empty or runs backwards; it cannot be repaired."),
    vdc_check_row("curve-adjacent-parameters", "CURVE", "check_adjacent_parameters",
     "Adjacent curve segment parameters dont match", nullptr, "",
     "A segment does not start at the parameter where the one before it ends; it cannot be repaired."),
    vdc_check_row("curve-segment-orders", "CURVE", "check_segment_orders",
     "Curve segment had invalid order", nullptr, "",
     "A segment's polynomial order is outside 2 to 25; it cannot be repaired."),
    vdc_check_row("curve-segment-coeffs", "CURVE", "check_segment_coeffs",
     "Curve segment has invalid coefficient", nullptr, "",
     "A segment's coefficient holds the invalid-value marker; it cannot be repaired."),

    // CONS
    vdc_check_row("cons-num-segments", "CONS", "check_num_segments",
     "Cons has no segments", nullptr, "",
     "The curve on surface has no segments, so it has no shape; it cannot be repaired."),
    vdc_check_row("cons-segment-parameters", "CONS", "check_segment_parameters",
     "Cons segment has non increasing parameters", nullptr, "",
     "A segment's parameter interval is empty or runs backwards; it cannot be repaired."),
    vdc_check_row("cons-adjacent-parameters", "CONS", "check_adjacent_parameters",
     "Adjacent cons segment parameters dont match", nullptr, "",
     "A segment does not start at the parameter where the one before it ends; it cannot be repaired."),
    vdc_check_row("cons-segment-orders", "CONS", "check_segment_orders",
     "Cons segment had invalid order", nullptr, "",
     "A segment's polynomial order is outside 2 to 25; it cannot be repaired."),
    vdc_check_row("cons-segment-coeffs", "CONS", "check_segment_coeffs",
     "Cons segment has invalid coefficient", nullptr, "",
     "A segment's coefficient holds the invalid-value marker; it cannot be repaired."),
    vdc_check_row("cons-null-curve-ptr", "CONS", "check_null_curve_ptr",
     "Cons has null curve pointer", nullptr, "",
     "The space curve the curve on surface names does not exist; it cannot be repaired."),
    vdc_check_row("cons-curve-ptr-is-curve", "CONS", "check_curve_ptr_is_curve",
     "Cons curve pointer points to non curve", nullptr, "",
     "The space curve the curve on surface names is not a CURVE; it cannot be repaired."),
    vdc_reference_row(vdc_check_row("cons-curve-ptr", "CONS", "check_curve_ptr",
     "Cons curve pointer points to invalid curve", VDC_FIX(fix_cons_curve_ptr),
     "The space curve has problems of its own; the repair accepts the reference once that curve is repaired in full.")),
    vdc_check_row("cons-null-surface-ptr", "CONS", "check_null_surface_ptr",
     "Cons has null surface pointer", nullptr, "",
     "The surface the curve on surface names does not exist; it cannot be repaired."),
    vdc_check_row("cons-surface-ptr-is-surface", "CONS", "check_surface_ptr_is_surface",
     "Cons surface pointer points to non surface", nullptr, "",
     "The surface the curve on surface names is not a SURF; it cannot be repaired."),
    vdc_reference_row(vdc_check_row("cons-surface-ptr", "CONS", "check_surface_ptr",
     "Cons surface pointer points to invalid surface", VDC_FIX(fix_cons_surface_ptr),
     "The surface has problems of its own; the repair accepts the reference once that surface is repaired in full.")),
    vdc_check_row("cons-trimming-params", "CONS", "check_cons_trimming_params",
     "Cons has invalid trim parameters", VDC_FIX(fix_cons_trimming_params),
     "The range of the space curve the curve on surface covers is empty or leaves the curve's range; the repair "
     "clamps it into the curve's range, unless nothing of it is left."),

    // SURF
    vdc_check_row("surf-num-patches", "SURF", "check_num_patches",
     "Surf has invalid number of patches", nullptr, "",
     "The surface has no patches in one direction, so it has no shape; it cannot be repaired."),
    vdc_check_row("surf-adjacent-v-parameters", "SURF", "check_adjacent_v_parameters",
     "Invalid adjacent v_parameters", nullptr, "",
     "A patch does not start in v where its neighbour ends; it cannot be repaired."),
    vdc_check_row("surf-adjacent-u-parameters", "SURF", "check_adjacent_u_parameters",
     "Invalid adjacent u_parameters", nullptr, "",
     "A patch does not start in u where its neighbour ends; it cannot be repaired."),
    vdc_check_row("surf-u-patch-parameters", "SURF", "check_u_patch_parameters",
     "Invalid u patch parameters", nullptr, "",
     "A patch's u interval is empty or runs backwards; it cannot be repaired."),
    vdc_check_row("surf-v-patch-parameters", "SURF", "check_v_patch_parameters",
     "Invalid v patch parameters", nullptr, "",
     "A patch's v interval is empty or runs backwards; it cannot be repaired."),
    vdc_check_row("surf-patch-order", "SURF", "check_patch_order",
     "Invalid patch order", nullptr, "",
     "A patch's polynomial order in u or v is outside 2 to 25; it cannot be repaired."),
    vdc_check_row("surf-patch-coeffs", "SURF", "check_patch_coeffs",
     "Surface patch has invalid coefficient", nullptr, "",
     "A patch's coefficient holds the invalid-value marker; it cannot be repaired."),
    vdc_check_row("surf-patch-coeffs-degenerate", "SURF", "check_patch_coeffs",
     "Degenerate surface patch", nullptr, "",
     "A patch's coefficients are zero in two coordinates, so it lies on a coordinate axis; it cannot be repaired."),

    // CIRCLE
    vdc_check_row("circle-centre-point", "CIRCLE", "check_centre_point",
     "Circle entity has invalid centre point", nullptr, "",
     "The centre holds the invalid-value marker (or an unset coordinate); it cannot be repaired."),
    vdc_check_row("circle-radius", "CIRCLE", "check_radius",
     "Circle entity has 0 or negative radius", nullptr, "",
     "The radius is zero or negative; it cannot be repaired."),
    vdc_check_row("circle-normal-v-vector", "CIRCLE", "check_normal_v_vector",
     "Circle entity has non-normalized v vector", VDC_FIX(fix_circle_vectors),
     "The first plane vector is not of unit length; the repair scales both plane vectors to unit length and makes the "
     "second orthogonal to the first."),
    vdc_check_row("circle-normal-w-vector", "CIRCLE", "check_normal_w_vector",
     "Circle entity has non-normalized w vector", VDC_FIX(fix_circle_vectors),
     "The second plane vector is not of unit length; the repair scales both plane vectors to unit length and makes "
     "the second orthogonal to the first."),
    vdc_check_row("circle-vectors-orthogonal", "CIRCLE", "check_vectors_orthogonal",
     "Circle entity has non-orthogonal plane vectors", VDC_FIX(fix_circle_vectors),
     "The plane vectors are not at right angles; the repair keeps the first and turns the second to be orthogonal to "
     "it (it fails for parallel vectors)."),
    vdc_check_row("circle-angles", "CIRCLE", "check_angles",
     "Circle entity has invalid angles", VDC_FIX(fix_circle_angles),
     "The arc is empty, runs backwards, covers more than a full turn or has an angle outside -360 to 360 degrees; "
     "the repair brings both angles into one turn with the end after the start."),

    // FACE
    vdc_check_row("face-null-surface-ptr", "FACE", "check_null_surface_ptr",
     "Face has null surface pointer", nullptr, "",
     "The surface the face trims does not exist; it cannot be repaired."),
    vdc_check_row("face-surface-ptr-is-surface", "FACE", "check_surface_ptr_is_surface",
     "Face surface pointer points to non surface", nullptr, "",
     "The surface the face names is not a SURF; it cannot be repaired."),
    vdc_reference_row(vdc_check_row("face-surface-ptr", "FACE", "check_surface_ptr",
     "Face surface pointer points to invalid surface", VDC_FIX(fix_face_surface_ptr),
     "The face's surface has problems of its own; the repair accepts the reference once that surface is repaired in "
     "full.")),
    vdc_check_row("face-surface-ptr-is-cons-surface-ptr", "FACE",
     "check_surface_ptr_is_cons_surface_ptr", "Face cons pointer points to different surface from face", nullptr, "",
     "A boundary curve lies on another surface than the face's own; it cannot be repaired."),
    vdc_check_row("face-null-cons-ptr", "FACE", "check_null_cons_ptr",
     "Face has null cons pointer", nullptr, "",
     "A boundary piece names a curve on surface that does not exist; it cannot be repaired."),
    vdc_check_row("face-cons-ptr-is-cons", "FACE", "check_cons_ptr_is_cons",
     "Face cons pointer points to non cons", nullptr, "",
     "A boundary piece names something that is not a CONS; it cannot be repaired."),
    vdc_reference_row(vdc_check_row("face-cons-ptr", "FACE", "check_cons_ptr",
     "Face cons pointer points to invalid cons", VDC_FIX(fix_face_cons_ptr),
     "A boundary curve has problems of its own; the repair accepts the reference once that curve is repaired in "
     "full.")),
    vdc_check_row("face-cons-parameters", "FACE", "check_cons_parameters",
     "Face entity has invalid cons trimming parameters", VDC_FIX(fix_face_cons_parameters),
     "A boundary piece is empty or leaves the range of its curve on surface; the repair clamps it into that range, "
     "or takes the whole curve when nothing of the piece is left."),

    // TOP
    vdc_check_row("top-null-face-surf-ptr", "TOP", "check_null_face_surf_ptr",
     "Top entity has null pointer to face or surface", nullptr, "",
     "A side of a surface pair names a face or surface that does not exist; it cannot be repaired."),
    vdc_check_row("top-face-surface-ptr-type", "TOP", "check_face_surface_ptr_type",
     "Top entity pointer to face or surface is not face or surface", nullptr, "",
     "A side of a surface pair names something that is neither a FACE nor a SURF; it cannot be repaired."),
    vdc_reference_row(vdc_check_row("top-face-surface-ptr", "TOP", "check_face_surface_ptr",
     "Top entity pointer to face or surface points to invalid entity", VDC_FIX(fix_top_face_surface_ptr),
     "A side's face or surface has problems of its own; the repair accepts the reference once it is repaired in "
     "full.")),
    vdc_check_row("top-null-cons-ptr", "TOP", "check_null_cons_ptr",
     "Top entity pointer to cons is pointing at nothing", nullptr, "",
     "A trimming curve of a side names a curve on surface that does not exist; it cannot be repaired."),
    vdc_check_row("top-cons-ptr-is-cons", "TOP", "check_cons_ptr_is_cons",
     "Top entity pointer to cons is pointing to non cons", nullptr, "",
     "A trimming curve of a side names something that is not a CONS; it cannot be repaired."),
    vdc_reference_row(vdc_check_row("top-cons-ptr", "TOP", "check_cons_ptr",
     "Top entity pointer to cons is pointing to invalid cons", VDC_FIX(fix_top_cons_ptr),
     "A trimming curve's curve on surface has problems of its own; the repair accepts the reference once it is "
     "repaired in full.")),
    vdc_check_row("top-cons-parameters", "TOP", "check_cons_parameters",
     "Top entity has invalid cons trimming parameters", VDC_FIX(fix_top_cons_parameters),
     "A trimming curve is empty or leaves the range of its curve on surface; the repair clamps it into that range, "
     "unless nothing of it is left."),
    vdc_check_row("top-continuity-class", "TOP", "check_continuity_class",
     "Top entity has invalid continuity flag", nullptr, "",
     "A surface pair's continuity code is not 0, 1 or 2; it cannot be repaired."),

    // TMAT
    vdc_check_row("tmat-invertible", "TMAT", "check_tmat_invertible",
     "Tmat entity has tmat which is not invertible", nullptr, "",
     "The transformation collapses space (its scale factor is zero); it cannot be repaired."),
    vdc_check_row("tmat-rigid", "TMAT", "check_tmat_rigid",
     "Tmat entity has tmat which is not rigid", nullptr, "",
     "The transformation scales or mirrors instead of only moving and turning; it cannot be repaired."),

    // TLIST
    vdc_check_row("tlist-null-tmat-ptr", "TLIST", "check_null_tmat_ptr",
     "Tlist entity has null tmat pointer", nullptr, "",
     "The transformation the list applies does not exist; it cannot be repaired."),
    vdc_check_row("tlist-tmat-ptr-type", "TLIST", "check_tmat_ptr_type",
     "Tlist entity has tmat pointer to invalid type", nullptr, "",
     "The transformation the list names is not a TMAT; it cannot be repaired."),
    vdc_reference_row(vdc_check_row("tlist-tmat-ptr", "TLIST", "check_tmat_ptr",
     "Tlist entity has pointer to invalid tmat", VDC_FIX(fix_tlist_tmat_ptr),
     "The transformation has problems of its own; the repair accepts the reference once it is repaired in full.")),
    vdc_check_row("tlist-null-entity-ptr", "TLIST", "check_null_entity_ptr",
     "Tlist entity has null pointer", VDC_FIX(fix_tlist_null_entity_ptr),
     "An element of the list names nothing; the repair accepts it, and the element is left out when the model is "
     "written."),
    vdc_check_row("tlist-entity-ptr-type", "TLIST", "check_entity_ptr_type",
     "Tlist entity has pointer to invalid entity type", VDC_FIX(fix_tlist_ptr_type),
     "An element is of a type a transformation list may not hold; the repair removes it from the list."),
    vdc_reference_row(vdc_check_row("tlist-entity-ptr", "TLIST", "check_entity_ptr",
     "Tlist entity has pointer to invalid entity", VDC_FIX(fix_tlist_entity_ptr),
     "An element has problems of its own; the repair removes it from the list unless it was repaired in full.")),

    // GROUP
    vdc_check_row("group-null-entity-ptr", "GROUP", "check_null_entity_ptr",
     "Group entity has null pointer", VDC_FIX(fix_group_null_entity_ptr),
     "An element of the group names nothing; the repair accepts it, and the element is left out when the model is "
     "written."),
    vdc_check_row("group-entity-ptr-type", "GROUP", "check_entity_ptr_type",
     "Group entity has pointer to invalid entity type", VDC_FIX(fix_group_entity_ptr_type),
     "An element is of a type a group may not hold; the repair removes it from the group."),
    vdc_reference_row(vdc_check_row("group-entity-ptr", "GROUP", "check_entity_ptr",
     "Group entity has pointer to invalid entity", VDC_FIX(fix_group_entity_ptr),
     "An element has problems of its own; the repair removes it from the group unless it was repaired in full.")),

    // BEGINSET
    vdc_check_row("beginset-null-entity-ptr", "BEGINSET", "check_null_entity_ptr",
     "Set entity has null pointer", VDC_FIX(fix_beginset_null_entity_ptr),
     "A member of the set is gone; the repair accepts it, and the member is left out when the model is written."),
    vdc_reference_row(vdc_check_row("beginset-entity-ptr", "BEGINSET", "check_entity_ptr",
     "Set entity has pointer to invalid entity", VDC_FIX(fix_beginset_entity_ptr),
     "A member has problems of its own; the repair removes it from the set unless it was repaired in full.")),
};
#undef VDC_FIX
// clang-format on

// The check rule of that id, found at compile time for the sub-check that logs it (`caller`: its
// __func__): a check that names an id no rule has, or a rule whose row names another sub-check, does not
// compile, so the table's sub-check names stay true.
consteval const vdcRule& vdc_check_rule(std::string_view id, std::string_view caller)
{
    for (const vdcRule& rule : vdc_check_rules)
        if (rule.id == id) {
            if (rule.check != caller)
                throw std::logic_error("the rule's row names another sub-check");
            return rule;
        }
    throw std::logic_error("no check rule has this id");
}
