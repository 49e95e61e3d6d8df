#pragma once

#include <vdacheck/util/ut_export.h>

// A point in a surface's parameter plane: x is the u parameter, y the v parameter.
class VDA_API giPoint2 {
public:
    constexpr giPoint2() noexcept = default;
    constexpr giPoint2(double x, double y) noexcept : x_(x), y_(y) {}

    double& x() noexcept { return x_; }
    double& y() noexcept { return y_; }
    constexpr double x() const noexcept { return x_; }
    constexpr double y() const noexcept { return y_; }

    friend constexpr bool operator==(const giPoint2&, const giPoint2&) noexcept = default;

private:
    double x_ = 0.0;
    double y_ = 0.0;
};
