#pragma once

#include <cstddef>
#include <vector>

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/util/ut_export.h>

// One tensor-product polynomial patch of a surface: a u and a v parameter interval, a u and a v order
// and u_order() * v_order() coefficients. coeffs(k, l) is the coefficient of u^k v^l, stored with the u
// index running fastest (position l * u_order() + k), as VDA-FS lists them. An order of 0 or less in
// either direction leaves the patch without coefficients.
class VDA_API vdaSurfPatch {
public:
    // `coeffs` must hold max(u_order, 0) * max(v_order, 0) points (std::invalid_argument otherwise).
    vdaSurfPatch(double u_start, double u_end, double v_start, double v_end, int u_order, int v_order,
                 std::vector<giPoint3> coeffs);

    int u_order() const noexcept { return u_order_; }
    int v_order() const noexcept { return v_order_; }
    double u_start_parameter() const noexcept { return u_start_; }
    double u_end_parameter() const noexcept { return u_end_; }
    double v_start_parameter() const noexcept { return v_start_; }
    double v_end_parameter() const noexcept { return v_end_; }
    // 0 <= k < u_order(), 0 <= l < v_order().
    const giPoint3& coeffs(int k, int l) const noexcept
    {
        return coeffs_[static_cast<std::size_t>(l) * static_cast<std::size_t>(u_order_) + static_cast<std::size_t>(k)];
    }
    const std::vector<giPoint3>& all_coeffs() const noexcept { return coeffs_; }

private:
    double u_start_, u_end_, v_start_, v_end_;
    int u_order_, v_order_;
    std::vector<giPoint3> coeffs_;
};
