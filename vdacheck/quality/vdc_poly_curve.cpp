#include <vdacheck/quality/vdc_poly_curve.h>

#include <algorithm>

#include <vdacheck/eval/vda_horner.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_surf_patch.h>
#include <vdacheck/quality/vdc_quality_numerics.h>

vdcPolyCurve::vdcPolyCurve(const giPoint3* coeffs, int order) noexcept : n_(std::clamp(order, 1, 25))
{
    std::copy(coeffs, coeffs + n_, c_.begin());
}

vdcPolyCurve vdcPolyCurve::along_u(const vdaSurfPatch& patch, double v) noexcept
{
    // Coefficient k of u is the polynomial in v of column k of the patch.
    vdcPolyCurve curve;
    curve.n_ = patch.u_order();
    std::array<vdaCoords<3>, 25> column;
    for (int k = 0; k < curve.n_; ++k) {
        for (int l = 0; l < patch.v_order(); ++l)
            column[static_cast<std::size_t>(l)] = vda_coords(patch.coeffs(k, l));
        vdaCoords<3> r[1];
        vda_horner<0>(column.data(), patch.v_order(), v, r);
        curve.c_[static_cast<std::size_t>(k)] = vda_from_coords<giPoint3>(r[0]);
    }
    return curve;
}

vdcPolyCurve vdcPolyCurve::along_v(const vdaSurfPatch& patch, double u) noexcept
{
    vdcPolyCurve curve;
    curve.n_ = patch.v_order();
    for (int l = 0; l < curve.n_; ++l) {
        vdaCoords<3> r[1];
        vda_horner<0>(&patch.coeffs(0, l), patch.u_order(), u, r);
        curve.c_[static_cast<std::size_t>(l)] = vda_from_coords<giPoint3>(r[0]);
    }
    return curve;
}

giPoint3 vdcPolyCurve::point(double u) const noexcept
{
    vdaCoords<3> r[1];
    vda_horner<0>(c_.data(), n_, u, r);
    return vda_from_coords<giPoint3>(r[0]);
}

giVector3 vdcPolyCurve::derivative(double u) const noexcept
{
    vdaCoords<3> r[2];
    vda_horner<1>(c_.data(), n_, u, r);
    return vda_from_coords<giVector3>(r[1]);
}

double vdcPolyCurve::length() const noexcept
{
    return vdc_integrate([this](double u) { return gi_norm(derivative(u)); }, 0.0, 1.0);
}
