#pragma once

#include <cmath>
#include <limits>

#include <vdacheck/util/ut_export.h>

// Maths statics shared by the geometry types and the checks.
class VDA_API utMath {
public:
    // The largest finite double. Plus it marks an unset coordinate or a length not yet computed;
    // minus it marks an invalid vector, point or polynomial coefficient. Both are tested exactly.
    static constexpr double max_double() noexcept { return std::numeric_limits<double>::max(); }
    static double abs(double x) noexcept { return std::fabs(x); }
    static double sqrt(double x) noexcept { return std::sqrt(x); }
};
