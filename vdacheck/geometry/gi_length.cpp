#include <vdacheck/geometry/gi_length.h>

#include <vdacheck/util/ut_math.h>

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
