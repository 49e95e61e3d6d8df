#include <vdacheck/entities/vdc_surf_check.h>

#include <vdacheck/model/vda_surf.h>
#include <vdacheck/rules/vdc_check_rules.h>

namespace {

// Calls f(i, j, patch) for every patch, the u index i outermost. A count of 0 or less in either
// direction gives no patch.
template <class F>
void for_each_patch(const vdaSurf& surf, F f)
{
    const int nu = surf.num_patches_in_u();
    const int nv = surf.num_patches_in_v();
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j)
            f(i, j, surf.patch(i, j));
}

// 1 when the patch's coefficients have only zeros in at least two of the three coordinates (-0.0 counts
// as zero): the patch lies on a coordinate axis. A patch without coefficients counts as degenerate.
int all_zero_in_two_coordinates(const vdaSurfPatch& patch)
{
    bool x_zero = true, y_zero = true, z_zero = true;
    for (const giPoint3& c : patch.all_coeffs()) {
        x_zero = x_zero && c.x() == 0.0;
        y_zero = y_zero && c.y() == 0.0;
        z_zero = z_zero && c.z() == 0.0;
    }
    return (int(x_zero) + int(y_zero) + int(z_zero)) >= 2 ? 1 : 0;
}

}  // namespace

vdcSurfCheck::~vdcSurfCheck() = default;

void vdcSurfCheck::check(vdcLog& log, vdcFileCheck& checker) const
{
    check_num_patches(log, checker);
    check_adjacent_v_parameters(log, checker);
    check_adjacent_u_parameters(log, checker);
    check_u_patch_parameters(log, checker);
    check_v_patch_parameters(log, checker);
    check_patch_order(log, checker);
    check_patch_coeffs(log, checker);
}

void vdcSurfCheck::check_num_patches(vdcLog& log, vdcFileCheck&) const
{
    if (entity.num_patches_in_u() <= 0 || entity.num_patches_in_v() <= 0)
        log_problem(log, entity, vdc_check_rule("surf-num-patches", __func__));
}

// Along v within each column of patches, the u index outermost.
void vdcSurfCheck::check_adjacent_v_parameters(vdcLog& log, vdcFileCheck&) const
{
    const int nu = entity.num_patches_in_u();
    const int nv = entity.num_patches_in_v();
    for (int i = 0; i < nu; ++i)
        for (int j = 1; j < nv; ++j)
            if (entity.patch(i, j).v_start_parameter() != entity.patch(i, j - 1).v_end_parameter())
                log_problem(log, entity, vdc_check_rule("surf-adjacent-v-parameters", __func__), {i, j});
}

// Along u within each row of patches, the v index outermost.
void vdcSurfCheck::check_adjacent_u_parameters(vdcLog& log, vdcFileCheck&) const
{
    const int nu = entity.num_patches_in_u();
    const int nv = entity.num_patches_in_v();
    for (int j = 0; j < nv; ++j)
        for (int i = 1; i < nu; ++i)
            if (entity.patch(i, j).u_start_parameter() != entity.patch(i - 1, j).u_end_parameter())
                log_problem(log, entity, vdc_check_rule("surf-adjacent-u-parameters", __func__), {i, j});
}

void vdcSurfCheck::check_u_patch_parameters(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("surf-u-patch-parameters", __func__);
    for_each_patch(entity, [&](int i, int j, const vdaSurfPatch& patch) {
        if (patch.u_end_parameter() <= patch.u_start_parameter())
            log_problem(log, entity, rule, {i, j});
    });
}

void vdcSurfCheck::check_v_patch_parameters(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("surf-v-patch-parameters", __func__);
    for_each_patch(entity, [&](int i, int j, const vdaSurfPatch& patch) {
        if (patch.v_end_parameter() <= patch.v_start_parameter())
            log_problem(log, entity, rule, {i, j});
    });
}

void vdcSurfCheck::check_patch_order(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("surf-patch-order", __func__);
    for_each_patch(entity, [&](int i, int j, const vdaSurfPatch& patch) {
        if (invalid_order(patch.u_order()) || invalid_order(patch.v_order()))
            log_problem(log, entity, rule, {i, j});
    });
}

// Per patch: every invalid coefficient (ints i, j, l, k; the u-direction index k runs innermost), then
// the degenerate test over all its coefficients.
void vdcSurfCheck::check_patch_coeffs(vdcLog& log, vdcFileCheck&) const
{
    constexpr const vdcRule& rule = vdc_check_rule("surf-patch-coeffs", __func__);
    constexpr const vdcRule& degenerate_rule = vdc_check_rule("surf-patch-coeffs-degenerate", __func__);
    for_each_patch(entity, [&](int i, int j, const vdaSurfPatch& patch) {
        const int u_order = patch.u_order();
        const int v_order = patch.v_order();
        for (int l = 0; l < v_order; ++l)
            for (int k = 0; k < u_order; ++k)
                if (invalid_coefficient(patch.coeffs(k, l)))
                    log_problem(log, entity, rule, {i, j, l, k});
        if (all_zero_in_two_coordinates(patch))
            log_problem(log, entity, degenerate_rule, {i, j});
    });
}
