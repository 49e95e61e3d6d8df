#pragma once

#include <cmath>
#include <numbers>

#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/geometry/gi_xform3.h>

// The arithmetic that evaluation and measuring need on the geometry types: differences of points,
// points moved by vectors, scaled and summed vectors, and the affine map of a transformation matrix.
// A giPoint2 stands for a point of a parameter plane and also for a vector in it.

inline giVector3 operator-(const giPoint3& a, const giPoint3& b) noexcept
{
    return {a.x() - b.x(), a.y() - b.y(), a.z() - b.z()};
}
inline giPoint3 operator+(const giPoint3& p, const giVector3& v) noexcept
{
    return {p.x() + v.x(), p.y() + v.y(), p.z() + v.z()};
}
inline giVector3 operator+(const giVector3& a, const giVector3& b) noexcept
{
    return {a.x() + b.x(), a.y() + b.y(), a.z() + b.z()};
}
inline giVector3 operator-(const giVector3& a, const giVector3& b) noexcept
{
    return {a.x() - b.x(), a.y() - b.y(), a.z() - b.z()};
}
inline giVector3 operator*(double k, const giVector3& v) noexcept { return {k * v.x(), k * v.y(), k * v.z()}; }

inline giPoint2 operator+(const giPoint2& a, const giPoint2& b) noexcept { return {a.x() + b.x(), a.y() + b.y()}; }
inline giPoint2 operator-(const giPoint2& a, const giPoint2& b) noexcept { return {a.x() - b.x(), a.y() - b.y()}; }
inline giPoint2 operator*(double k, const giPoint2& v) noexcept { return {k * v.x(), k * v.y()}; }

// Euclidean length, without touching the vector's length cache.
inline double gi_norm(const giVector3& v) noexcept { return std::sqrt(v.dot(v)); }
inline double gi_norm(const giPoint2& v) noexcept { return std::hypot(v.x(), v.y()); }
inline double gi_distance(const giPoint3& a, const giPoint3& b) noexcept { return gi_norm(a - b); }

// The angle between two directions in degrees, 0 to 180; accurate for small angles too (atan2 of sine
// and cosine instead of acos). 0 when either vector is zero.
inline double gi_angle_deg(const giVector3& a, const giVector3& b) noexcept
{
    return std::atan2(gi_norm(a.cross(b)), a.dot(b)) * (180.0 / std::numbers::pi);
}

// x' = A x + t.
inline giPoint3 gi_transform(const giXform3& m, const giPoint3& p) noexcept
{
    return {m.a(0, 0) * p.x() + m.a(0, 1) * p.y() + m.a(0, 2) * p.z() + m.t(0),
            m.a(1, 0) * p.x() + m.a(1, 1) * p.y() + m.a(1, 2) * p.z() + m.t(1),
            m.a(2, 0) * p.x() + m.a(2, 1) * p.y() + m.a(2, 2) * p.z() + m.t(2)};
}
// A vector (a derivative, a direction) takes only the matrix: v' = A v.
inline giVector3 gi_transform(const giXform3& m, const giVector3& v) noexcept
{
    return {m.a(0, 0) * v.x() + m.a(0, 1) * v.y() + m.a(0, 2) * v.z(),
            m.a(1, 0) * v.x() + m.a(1, 1) * v.y() + m.a(1, 2) * v.z(),
            m.a(2, 0) * v.x() + m.a(2, 1) * v.y() + m.a(2, 2) * v.z()};
}
