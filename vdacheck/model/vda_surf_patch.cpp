#include <vdacheck/model/vda_surf_patch.h>

#include <stdexcept>
#include <utility>

vdaSurfPatch::vdaSurfPatch(double u_start, double u_end, double v_start, double v_end, int u_order, int v_order,
                           std::vector<giPoint3> coeffs)
    : u_start_(u_start), u_end_(u_end), v_start_(v_start), v_end_(v_end), u_order_(u_order), v_order_(v_order),
      coeffs_(std::move(coeffs))
{
    const std::size_t expected =
        (u_order > 0 && v_order > 0) ? static_cast<std::size_t>(u_order) * static_cast<std::size_t>(v_order) : 0;
    if (coeffs_.size() != expected)
        throw std::invalid_argument("patch coefficients do not match its orders");
}
