#pragma once

#include <cmath>
#include <type_traits>
#include <utility>

#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/util/ut_math.h>

// Power-basis evaluation by Horner's scheme, with first and second derivatives, shared by the curve,
// cons and surface evaluators. Coordinates are handled as plain arrays of doubles so that one loop
// serves points in space, points of a parameter plane and partly reduced patch rows; everything lives
// on the stack.

template <int D>
struct vdaCoords {
    static constexpr int dim = D;
    double c[D];
};

inline vdaCoords<3> vda_coords(const giPoint3& p) noexcept { return {{p.x(), p.y(), p.z()}}; }
inline vdaCoords<2> vda_coords(const giPoint2& p) noexcept { return {{p.x(), p.y()}}; }
template <int D>
inline const vdaCoords<D>& vda_coords(const vdaCoords<D>& c) noexcept
{
    return c;
}

template <class Coef>
using vdaCoordsOf = std::remove_cvref_t<decltype(vda_coords(std::declval<const Coef&>()))>;

// out[0] = sum_k c[k] u^k over 0 <= k < n (n >= 1), and, up to Derivs (0, 1 or 2), out[1] and out[2]:
// its first and second derivatives with respect to u.
template <int Derivs, class Coef, class C = vdaCoordsOf<Coef>>
inline void vda_horner(const Coef* c, int n, double u, C* out) noexcept
{
    C p = vda_coords(c[n - 1]);
    C d1{};
    C d2{};
    for (int k = n - 2; k >= 0; --k) {
        const C& ck = vda_coords(c[k]);
        for (int i = 0; i < C::dim; ++i) {
            if constexpr (Derivs >= 2)
                d2.c[i] = d2.c[i] * u + d1.c[i];
            if constexpr (Derivs >= 1)
                d1.c[i] = d1.c[i] * u + p.c[i];
            p.c[i] = p.c[i] * u + ck.c[i];
        }
    }
    out[0] = p;
    if constexpr (Derivs >= 1)
        out[1] = d1;
    if constexpr (Derivs >= 2)
        for (int i = 0; i < C::dim; ++i)
            out[2].c[i] = 2.0 * d2.c[i];
}

// A tensor-product patch: c(k, l) = c[l * nu + k] is the coefficient of u^k v^l (nu, nv >= 1).
// out: 0 point, 1 d/du, 2 d/dv, 3 d2/du2, 4 d2/dudv, 5 d2/dv2 (up to Derivs: 0 fills out[0], 1 out[0..2]).
// Each row of fixed v power l is reduced along u, and the rows are combined along v by Horner's scheme
// as they come, from the highest power down: no row is stored.
template <int Derivs>
inline void vda_patch_horner(const giPoint3* c, int nu, int nv, double u, double v, vdaCoords<3>* out) noexcept
{
    // p, p_v, p_vv/2 from the rows' values; p_u, p_uv from their u derivatives; p_uu from the second.
    vdaCoords<3> p{}, pv{}, pvv{}, pu{}, puv{}, puu{};
    for (int l = nv - 1; l >= 0; --l) {
        vdaCoords<3> r[3];
        vda_horner<Derivs>(c + l * nu, nu, u, r);
        for (int i = 0; i < 3; ++i) {
            if constexpr (Derivs >= 2) {
                pvv.c[i] = pvv.c[i] * v + pv.c[i];
                puv.c[i] = puv.c[i] * v + pu.c[i];
                puu.c[i] = puu.c[i] * v + r[2].c[i];
            }
            if constexpr (Derivs >= 1) {
                pv.c[i] = pv.c[i] * v + p.c[i];
                pu.c[i] = pu.c[i] * v + r[1].c[i];
            }
            p.c[i] = p.c[i] * v + r[0].c[i];
        }
    }
    out[0] = p;
    if constexpr (Derivs >= 1) {
        out[1] = pu;
        out[2] = pv;
    }
    if constexpr (Derivs >= 2) {
        out[3] = puu;
        out[4] = puv;
        for (int i = 0; i < 3; ++i)
            out[5].c[i] = 2.0 * pvv.c[i];
    }
}

// A point or vector type made from evaluated coordinates (giPoint3, giVector3 or giPoint2).
template <class T, int D>
inline T vda_from_coords(const vdaCoords<D>& c, double scale = 1.0) noexcept
{
    if constexpr (D == 3)
        return T(c.c[0] * scale, c.c[1] * scale, c.c[2] * scale);
    else
        return T(c.c[0] * scale, c.c[1] * scale);
}

// False when a coordinate is not finite or is plus or minus the largest double (the invalid-value
// sentinel and the unset coordinate): such a coefficient cannot be evaluated.
template <class Coef>
inline bool vda_usable(const Coef& p) noexcept
{
    const vdaCoordsOf<Coef> c = vda_coords(p);
    for (double x : c.c)
        if (!std::isfinite(x) || std::fabs(x) == utMath::max_double())
            return false;
    return true;
}
