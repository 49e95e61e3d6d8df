#include <tool/vdc_repair_names.h>

#include <iterator>

#include <vdacheck/repair/vdc_parameter_repairs.h>
#include <vdacheck/repair/vdc_reference_repairs.h>

namespace {

struct Named {
    vdcErrorFunction function;
    const char* name;
};

// clang-format off
#define VDC_REPAIR(f) Named{&f, #f}
// clang-format on

// Every repair function the checks attach to a packet.
constexpr Named repairs[] = {
    VDC_REPAIR(fix_face_surface_ptr),         VDC_REPAIR(fix_face_cons_ptr),
    VDC_REPAIR(fix_top_face_surface_ptr),     VDC_REPAIR(fix_top_cons_ptr),
    VDC_REPAIR(fix_tlist_tmat_ptr),           VDC_REPAIR(fix_cons_curve_ptr),
    VDC_REPAIR(fix_cons_surface_ptr),         VDC_REPAIR(fix_tlist_ptr_type),
    VDC_REPAIR(fix_group_entity_ptr_type),    VDC_REPAIR(fix_tlist_entity_ptr),
    VDC_REPAIR(fix_group_entity_ptr),         VDC_REPAIR(fix_beginset_entity_ptr),
    VDC_REPAIR(fix_tlist_null_entity_ptr),    VDC_REPAIR(fix_group_null_entity_ptr),
    VDC_REPAIR(fix_beginset_null_entity_ptr), VDC_REPAIR(fix_face_cons_parameters),
    VDC_REPAIR(fix_top_cons_parameters),      VDC_REPAIR(fix_cons_trimming_params),
    VDC_REPAIR(fix_circle_vectors),           VDC_REPAIR(fix_circle_angles),
};

#undef VDC_REPAIR

}  // namespace

const char* vdc_repair_name(vdcErrorFunction function) noexcept
{
    if (!function)
        return nullptr;
    for (const Named& repair : repairs)
        if (repair.function == function)
            return repair.name;
    return nullptr;
}
