#pragma once

#include <vdacheck/eval/vda_side.h>
#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/model/vda_segment.h>
#include <vdacheck/util/ut_export.h>

// A point of a piecewise polynomial curve (in space or in a parameter plane) with its first and second
// derivatives with respect to the curve's global parameter. Derivatives not asked for are zero.
template <class Point, class Vector>
struct vdaPathSample {
    Point point;
    Vector d1;
    Vector d2;
};

// Evaluation of a chain of polynomial segments, the common part of vdaCurveEval and vdaConsEval.
// Segment i runs over [breakpoint(i), breakpoint(i + 1)] of the global parameter; its coefficients
// are a power basis in the local parameter u = (s - breakpoint(i)) / (breakpoint(i + 1) - breakpoint(i))
// on [0, 1]. Derivatives are always with respect to the global parameter (the chain rule divides by the
// segment's length), also when a point is asked for by segment and local parameter.
//
// A small value object: it points into the entity's segments, and is valid while the entity lives
// unchanged. Evaluating allocates nothing and makes no virtual call. Parameters outside the breakpoint
// range extrapolate the first or last segment. Made for space curves (giPoint3, giVector3) and curves in a
// parameter plane (giPoint2, giPoint2).
template <class Point, class Vector>
class VDA_API vdaPathEval {
public:
    using Segment = vdaSegment<Point>;
    using Sample = vdaPathSample<Point, Vector>;

    int num_segments() const noexcept { return n_; }
    const Segment& segment(int i) const noexcept { return segs_[i]; }
    // 0 <= i <= num_segments(): the start of segment i, or the end of the last segment.
    double breakpoint(int i) const noexcept
    {
        return i < n_ ? segs_[i].start_parameter() : segs_[n_ - 1].end_parameter();
    }
    double start() const noexcept { return segs_[0].start_parameter(); }
    double end() const noexcept { return segs_[n_ - 1].end_parameter(); }

    // The segment that holds global parameter s; at a breakpoint, the one ending (before) or starting
    // (after) there.
    int segment_at(double s, vdaSide side = vdaSide::after) const noexcept
    {
        return vda_locate(n_, s, side, [this](int i) { return segs_[i].start_parameter(); });
    }
    double local_parameter(int i, double s) const noexcept
    {
        const Segment& g = segs_[i];
        return (s - g.start_parameter()) / (g.end_parameter() - g.start_parameter());
    }
    double global_parameter(int i, double u) const noexcept
    {
        const Segment& g = segs_[i];
        return g.start_parameter() + u * (g.end_parameter() - g.start_parameter());
    }

    Point point(double s, vdaSide side = vdaSide::after) const noexcept
    {
        const int i = segment_at(s, side);
        return segment_point(i, local_parameter(i, s));
    }
    // The point and its derivatives up to `derivatives` (0, 1 or 2).
    Sample sample(double s, int derivatives, vdaSide side = vdaSide::after) const noexcept
    {
        const int i = segment_at(s, side);
        return segment_sample(i, local_parameter(i, s), derivatives);
    }

    // Segment i at local parameter u (0 at its start, 1 at its end).
    Point segment_point(int i, double u) const noexcept;
    Sample segment_sample(int i, double u, int derivatives) const noexcept;

protected:
    vdaPathEval(const Segment* segments, int n) noexcept : segs_(segments), n_(n) {}

    // Null when segments[0..n) can be evaluated, else why not: at least one segment, orders 2 to 25,
    // finite parameters strictly increasing within each segment and joined exactly between segments,
    // finite coefficients other than the invalid-value sentinel.
    static const char* why_not(const Segment* segments, int n) noexcept;

private:
    const Segment* segs_;
    int n_;
};

extern template class vdaPathEval<giPoint3, giVector3>;
extern template class vdaPathEval<giPoint2, giPoint2>;
