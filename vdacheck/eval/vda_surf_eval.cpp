#include <vdacheck/eval/vda_surf_eval.h>

#include <cmath>

#include <vdacheck/eval/vda_horner.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_surf.h>

namespace {

bool increasing(double a, double b) noexcept { return std::isfinite(a) && std::isfinite(b) && a < b; }

}  // namespace

vdaEvalResult<vdaSurfEval> vdaSurfEval::make(const vdaSurf& surf) noexcept
{
    using Result = vdaEvalResult<vdaSurfEval>;
    const int nu = surf.num_patches_in_u();
    const int nv = surf.num_patches_in_v();
    if (nu <= 0 || nv <= 0)
        return Result::refused("no patches");
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            const vdaSurfPatch& p = surf.patch(i, j);
            if (p.u_order() < 2 || p.u_order() > 25 || p.v_order() < 2 || p.v_order() > 25)
                return Result::refused("patch order outside 2..25");
            if (!increasing(p.u_start_parameter(), p.u_end_parameter()) ||
                !increasing(p.v_start_parameter(), p.v_end_parameter()))
                return Result::refused("patch parameters not increasing");
            // Every patch of a column shares the column's u interval, every patch of a row the row's v
            // interval, and neighbours meet: one grid of breakpoints.
            const vdaSurfPatch& column = surf.patch(i, 0);
            const vdaSurfPatch& row = surf.patch(0, j);
            if (p.u_start_parameter() != column.u_start_parameter() ||
                p.u_end_parameter() != column.u_end_parameter() || p.v_start_parameter() != row.v_start_parameter() ||
                p.v_end_parameter() != row.v_end_parameter() ||
                (i > 0 && p.u_start_parameter() != surf.patch(i - 1, j).u_end_parameter()) ||
                (j > 0 && p.v_start_parameter() != surf.patch(i, j - 1).v_end_parameter()))
                return Result::refused("patch parameters not joined");
            for (const giPoint3& c : p.all_coeffs())
                if (!vda_usable(c))
                    return Result::refused("invalid coefficient");
        }
    return vdaSurfEval(&surf.patch(0, 0), nu, nv);
}

giPoint3 vdaSurfEval::patch_point(int i, int j, double u, double v) const noexcept
{
    const vdaSurfPatch& p = patch(i, j);
    vdaCoords<3> r[1];
    vda_patch_horner<0>(p.all_coeffs().data(), p.u_order(), p.v_order(), u, v, r);
    return vda_from_coords<giPoint3>(r[0]);
}

vdaSurfSample vdaSurfEval::patch_sample(int i, int j, double u, double v, int derivatives) const noexcept
{
    const vdaSurfPatch& p = patch(i, j);
    const giPoint3* c = p.all_coeffs().data();
    vdaCoords<3> r[6]{};
    if (derivatives <= 0)
        vda_patch_horner<0>(c, p.u_order(), p.v_order(), u, v, r);
    else if (derivatives == 1)
        vda_patch_horner<1>(c, p.u_order(), p.v_order(), u, v, r);
    else
        vda_patch_horner<2>(c, p.u_order(), p.v_order(), u, v, r);
    vdaSurfSample out{vda_from_coords<giPoint3>(r[0]), {}, {}, {}, {}, {}};
    if (derivatives >= 1) {
        const double ku = 1.0 / (p.u_end_parameter() - p.u_start_parameter());
        const double kv = 1.0 / (p.v_end_parameter() - p.v_start_parameter());
        out.d_u = vda_from_coords<giVector3>(r[1], ku);
        out.d_v = vda_from_coords<giVector3>(r[2], kv);
        if (derivatives >= 2) {
            out.d_uu = vda_from_coords<giVector3>(r[3], ku * ku);
            out.d_uv = vda_from_coords<giVector3>(r[4], ku * kv);
            out.d_vv = vda_from_coords<giVector3>(r[5], kv * kv);
        }
    }
    return out;
}

vdaCurveSample vdaSurfEval::sample_along(const vdaConsSample& c, int derivatives) const noexcept
{
    const vdaSide su = c.d1.x() < 0.0 ? vdaSide::before : vdaSide::after;
    const vdaSide sv = c.d1.y() < 0.0 ? vdaSide::before : vdaSide::after;
    const vdaSurfSample s = sample(c.point.x(), c.point.y(), derivatives, su, sv);
    vdaCurveSample out{s.point, {}, {}};
    if (derivatives >= 1) {
        const double du = c.d1.x();
        const double dv = c.d1.y();
        out.d1 = du * s.d_u + dv * s.d_v;
        if (derivatives >= 2)
            out.d2 = (du * du) * s.d_uu + (2.0 * du * dv) * s.d_uv + (dv * dv) * s.d_vv + c.d2.x() * s.d_u +
                     c.d2.y() * s.d_v;
    }
    return out;
}
