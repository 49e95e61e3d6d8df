#include <vdacheck/geometry/gi_xform3.h>

#include <cmath>

double giXform3::determinant() const noexcept
{
    return a_[0] * (a_[4] * a_[8] - a_[5] * a_[7]) - a_[1] * (a_[3] * a_[8] - a_[5] * a_[6]) +
           a_[2] * (a_[3] * a_[7] - a_[4] * a_[6]);
}

double giXform3::magnification() const noexcept { return std::cbrt(determinant()); }
