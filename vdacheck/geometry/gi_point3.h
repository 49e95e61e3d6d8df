#pragma once

#include <vdacheck/util/ut_export.h>

// A point in space.
class VDA_API giPoint3 {
public:
    constexpr giPoint3() noexcept = default;
    constexpr giPoint3(double x, double y, double z) noexcept : x_(x), y_(y), z_(z) {}

    double& x() noexcept { return x_; }
    double& y() noexcept { return y_; }
    double& z() noexcept { return z_; }
    constexpr double x() const noexcept { return x_; }
    constexpr double y() const noexcept { return y_; }
    constexpr double z() const noexcept { return z_; }

    // 1 when x is minus the maximum double (an invalid point) or any coordinate is plus the maximum
    // (an unset coordinate). y and z are not compared with minus the maximum.
    int invalid() const noexcept;

    friend constexpr bool operator==(const giPoint3&, const giPoint3&) noexcept = default;

private:
    double x_ = 0.0;
    double y_ = 0.0;
    double z_ = 0.0;
};
