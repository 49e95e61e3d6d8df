#pragma once

#include <array>

#include <vdacheck/util/ut_export.h>

// An affine transformation x' = A x + t: a 3x3 matrix A (row by row) and a translation t.
class VDA_API giXform3 {
public:
    // The identity.
    constexpr giXform3() noexcept = default;
    constexpr giXform3(const std::array<double, 9>& matrix, const std::array<double, 3>& translation) noexcept
        : a_(matrix), t_(translation)
    {
    }

    // Element (row, column) of A, both 0 to 2.
    double a(int row, int column) const noexcept { return a_[static_cast<unsigned>(row * 3 + column)]; }
    double t(int i) const noexcept { return t_[static_cast<unsigned>(i)]; }
    const std::array<double, 9>& matrix() const noexcept { return a_; }
    const std::array<double, 3>& translation() const noexcept { return t_; }

    double determinant() const noexcept;
    // The scale factor: the signed cube root of det(A). 1 for a rigid motion, -1 for a reflection,
    // 0 for a singular matrix.
    double magnification() const noexcept;

    friend constexpr bool operator==(const giXform3&, const giXform3&) noexcept = default;

private:
    std::array<double, 9> a_{1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::array<double, 3> t_{0, 0, 0};
};
