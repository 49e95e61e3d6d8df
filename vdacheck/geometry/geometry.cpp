#include <cmath>

#include <vdacheck/geometry/gi_length.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/geometry/gi_xform3.h>

int giPoint3::invalid() const noexcept
{
    const double max = utMath::max_double();
    return (x_ == -max || x_ == max || y_ == max || z_ == max) ? 1 : 0;
}

double giLength::l_validate() const noexcept
{
    if (l_ < 0.0)
        l_ = utMath::sqrt(-l_);
    return l_;
}

int giLength::is_zero(double tol) const noexcept
{
    if (invalid())
        return 0;
    if (l_ < 0.0)
        return -l_ <= tol * tol ? 1 : 0;
    return l_ <= tol ? 1 : 0;
}

int giVector3::invalid() const noexcept { return x_ == -utMath::max_double() ? 1 : 0; }

int giVector3::l_check() const noexcept
{
    if (len_.invalid())
        len_.become(gi_length_squared, x_ * x_ + y_ * y_ + z_ * z_);
    return 0;
}

int giVector3::is_zero(double tol) const noexcept
{
    if (invalid())
        return 0;
    l_check();
    return len_.is_zero(tol);
}

void giVector3::unitize() noexcept
{
    const double l = std::hypot(x_, y_, z_);  // no overflow for large components
    if (l > 0.0 && std::isfinite(l))
        set(x_ / l, y_ / l, z_ / l);
}

double giXform3::determinant() const noexcept
{
    return a_[0] * (a_[4] * a_[8] - a_[5] * a_[7]) - a_[1] * (a_[3] * a_[8] - a_[5] * a_[6]) +
           a_[2] * (a_[3] * a_[7] - a_[4] * a_[6]);
}

double giXform3::magnification() const noexcept { return std::cbrt(determinant()); }
