#include <vdacheck/geometry/gi_vector3.h>

#include <cmath>

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
