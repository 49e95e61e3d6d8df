#include <vdacheck/geometry/gi_point3.h>

#include <vdacheck/util/ut_math.h>

int giPoint3::invalid() const noexcept
{
    const double max = utMath::max_double();
    return (x_ == -max || x_ == max || y_ == max || z_ == max) ? 1 : 0;
}
