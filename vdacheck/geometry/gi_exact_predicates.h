#pragma once

#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/util/ut_export.h>

// Orientation and in-circle tests that give the exact sign for points on the integer lattice: both
// coordinates whole numbers of magnitude at most max_coordinate (held in doubles). On that lattice every
// difference, product and 2x2 determinant is exact in double arithmetic, and the in-circle determinant
// needs one exact product per term; so collinear and cocircular input (grids are exactly cocircular) is
// recognised as such, never decided by rounding.
class VDA_API giExactPredicates {
public:
    static constexpr double max_coordinate = 33554432.0;  // 2^25

    // +1 when a, b, c turn counter-clockwise, -1 clockwise, 0 when they are collinear.
    static int orient(const giPoint2& a, const giPoint2& b, const giPoint2& c) noexcept;
    // Twice the signed area of the triangle a, b, c: exact on the lattice.
    static double orient_value(const giPoint2& a, const giPoint2& b, const giPoint2& c) noexcept;
    // For a, b, c counter-clockwise: +1 when d lies inside their circumcircle, -1 outside, 0 on it.
    static int incircle(const giPoint2& a, const giPoint2& b, const giPoint2& c, const giPoint2& d) noexcept;
};
