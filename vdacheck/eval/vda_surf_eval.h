#pragma once

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_eval_result.h>
#include <vdacheck/eval/vda_side.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/model/vda_surf_patch.h>
#include <vdacheck/util/ut_export.h>

class vdaSurf;

// A point of a surface and its derivatives with respect to the global parameters s (u direction) and t
// (v direction). Derivatives not asked for are zero.
struct vdaSurfSample {
    giPoint3 point;
    giVector3 d_u, d_v;          // dS/ds, dS/dt
    giVector3 d_uu, d_uv, d_vv;  // second derivatives
};

// Evaluates a SURF. Patch (i, j) covers [u_breakpoint(i), u_breakpoint(i + 1)] x [v_breakpoint(j),
// v_breakpoint(j + 1)] of the global parameters (s, t); its coefficients coeffs(k, l) of u^k v^l are a
// power basis in the local parameters on the unit square. Derivatives are always with respect to the
// global parameters, also when a point is asked for by patch and local parameters.
//
// A small value object over the surface's patches, valid while the surface lives unchanged.
// Evaluating allocates nothing and makes no virtual call; a bicubic point with first derivatives costs
// a few tens of nanoseconds. Parameters outside the domain extrapolate the border patches.
class VDA_API vdaSurfEval {
public:
    // Refuses a surface the structural checks reject (no patches, orders outside 2..25, an invalid
    // coefficient), and one whose patch parameters do not form one grid of strictly increasing
    // breakpoints joined exactly between neighbours.
    static vdaEvalResult<vdaSurfEval> make(const vdaSurf& surf) noexcept;

    int num_patches_u() const noexcept { return nu_; }
    int num_patches_v() const noexcept { return nv_; }
    const vdaSurfPatch& patch(int i, int j) const noexcept { return patches_[j * nu_ + i]; }
    // 0 <= i <= num_patches_u(), 0 <= j <= num_patches_v().
    double u_breakpoint(int i) const noexcept
    {
        return i < nu_ ? patches_[i].u_start_parameter() : patches_[nu_ - 1].u_end_parameter();
    }
    double v_breakpoint(int j) const noexcept
    {
        return j < nv_ ? patches_[j * nu_].v_start_parameter() : patches_[(nv_ - 1) * nu_].v_end_parameter();
    }
    double u_start() const noexcept { return u_breakpoint(0); }
    double u_end() const noexcept { return u_breakpoint(nu_); }
    double v_start() const noexcept { return v_breakpoint(0); }
    double v_end() const noexcept { return v_breakpoint(nv_); }

    // The patch column holding s and the patch row holding t (see vdaSide at breakpoints).
    int patch_u_at(double s, vdaSide side = vdaSide::after) const noexcept
    {
        return vda_locate(nu_, s, side, [this](int i) { return patches_[i].u_start_parameter(); });
    }
    int patch_v_at(double t, vdaSide side = vdaSide::after) const noexcept
    {
        return vda_locate(nv_, t, side, [this](int j) { return patches_[j * nu_].v_start_parameter(); });
    }
    double local_u(int i, double s) const noexcept
    {
        const vdaSurfPatch& p = patches_[i];
        return (s - p.u_start_parameter()) / (p.u_end_parameter() - p.u_start_parameter());
    }
    double local_v(int j, double t) const noexcept
    {
        const vdaSurfPatch& p = patches_[j * nu_];
        return (t - p.v_start_parameter()) / (p.v_end_parameter() - p.v_start_parameter());
    }

    giPoint3 point(double s, double t, vdaSide su = vdaSide::after, vdaSide sv = vdaSide::after) const noexcept
    {
        const int i = patch_u_at(s, su);
        const int j = patch_v_at(t, sv);
        return patch_point(i, j, local_u(i, s), local_v(j, t));
    }
    // The point and its derivatives up to `derivatives` (0, 1 or 2).
    vdaSurfSample sample(double s, double t, int derivatives, vdaSide su = vdaSide::after,
                         vdaSide sv = vdaSide::after) const noexcept
    {
        const int i = patch_u_at(s, su);
        const int j = patch_v_at(t, sv);
        return patch_sample(i, j, local_u(i, s), local_v(j, t), derivatives);
    }

    // Patch (i, j) at local parameters (u, v) in the unit square.
    giPoint3 patch_point(int i, int j, double u, double v) const noexcept;
    vdaSurfSample patch_sample(int i, int j, double u, double v, int derivatives) const noexcept;

    // The surface along a curve of its parameter plane: the point at c.point and its derivatives with
    // respect to the curve's parameter (chain rule through c.d1 and c.d2), up to `derivatives`. On a
    // patch border the patch the curve moves into is taken.
    vdaCurveSample sample_along(const vdaConsSample& c, int derivatives) const noexcept;

private:
    vdaSurfEval(const vdaSurfPatch* patches, int nu, int nv) noexcept : patches_(patches), nu_(nu), nv_(nv) {}
    const vdaSurfPatch* patches_;
    int nu_;
    int nv_;
};
