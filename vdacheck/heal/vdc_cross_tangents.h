#pragma once

#include <array>
#include <cmath>
#include <utility>

#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/geometry/gi_vector_ops.h>

// Tangent continuity across an edge where two sides meet: each side's derivative across the edge is turned
// about the edge's tangent so that the two sides' normals become one. Only the part across the edge turns
// (its length kept), and the sides share the angle in inverse proportion to those lengths, so that the
// larger side turns less and both move by about the same distance.
struct vdcCrossTangents {
    // `tangent` runs along the edge; `a` and `b` are the two sides' derivatives across it, both pointing the
    // same way across (from side a to side b). Returns the changes to a and b; zero where the edge has no
    // tangent or a side no part across it.
    static std::pair<giVector3, giVector3> meet(const giVector3& tangent, const giVector3& a, const giVector3& b)
    {
        const double length = gi_norm(tangent);
        if (!(length > 0.0))
            return {};
        const giVector3 t = (1.0 / length) * tangent;
        const giVector3 pa = a - a.dot(t) * t, pb = b - b.dot(t) * t;
        const double la = gi_norm(pa), lb = gi_norm(pb);
        if (!(la > 0.0) || !(lb > 0.0))
            return {};
        // The signed angle from pa to pb about t.
        const double theta = std::atan2(t.dot(pa.cross(pb)), pa.dot(pb));
        const double turn_a = theta * lb / (la + lb);
        return {turned(pa, t, turn_a) - pa, turned(pb, t, turn_a - theta) - pb};
    }

    // v (perpendicular to the unit vector t) turned by `angle` about t.
    static giVector3 turned(const giVector3& v, const giVector3& t, double angle)
    {
        return std::cos(angle) * v + std::sin(angle) * t.cross(v);
    }
};

inline giVector3 vdc_vector(const std::array<double, 3>& a) { return giVector3(a[0], a[1], a[2]); }
inline std::array<double, 3> vdc_array(const giVector3& v) { return {v.x(), v.y(), v.z()}; }
