#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include <vdacheck/heal/vdc_polynomial.h>
#include <vdacheck/model/vda_segment.h>

// Closes joints of a chain of segments (a CURVE in space, a CONS in its surface's parameters): the end of
// a segment and the start of the next meet at their midpoint, and, for a joint to be made tangent, their
// tangents take one direction between the two (each keeping its length; the longer tangent turns less,
// so that both segments move about as far). Each change is a Hermite blend on the segment it belongs to,
// zero with zero slope at the segment's other end, so joints not healed stay as they were: cubic, or for a
// turn that would move a segment by more than `limit`, the gentlest slope blend that does not (see
// vdc_blend::gentlest). A segment below the blend's order is raised to it.
template <class Point>
class vdcJointHealer {
public:
    using Segment = vdaSegment<Point>;
    static constexpr int dims = vdaCoordsOf<Point>::dim;
    using Vec = std::array<double, dims>;

    struct Joint {
        int index = 0;  // between segment index and index + 1; n - 1 for the last segment's end and the
                        // first's start of a closed chain
        bool close = true;
        bool tangent = false;
    };

    explicit vdcJointHealer(std::vector<Segment> segments, double limit = std::numeric_limits<double>::infinity())
        : segments_(std::move(segments)), limit_(limit)
    {
        ends_.resize(segments_.size());
    }

    // Moves the end of segment i (at_end) or its start by `delta`, its slope there kept.
    void move(int i, bool at_end, const Vec& delta) { end(i, at_end).value = add(end(i, at_end).value, delta); }

    void heal(const Joint& joint)
    {
        const int n = static_cast<int>(segments_.size());
        const int a = joint.index, b = (joint.index + 1) % n;
        const Vec p = poly(a).at(1.0), q = poly(b).at(0.0);
        if (joint.close) {
            Vec half{};
            for (int d = 0; d < dims; ++d)
                half[static_cast<std::size_t>(d)] =
                    0.5 * (q[static_cast<std::size_t>(d)] - p[static_cast<std::size_t>(d)]);
            move(a, true, half);
            move(b, false, scaled(half, -1.0));
        }
        if (joint.tangent && dims == 3)
            turn(a, b);
    }

    // The segments with every change made.
    std::vector<Segment> segments() const
    {
        std::vector<Segment> out;
        out.reserve(segments_.size());
        for (std::size_t i = 0; i < segments_.size(); ++i) {
            const Segment& s = segments_[i];
            const Change& c = ends_[i];
            vdcPolynomial<dims> p = vdcPolynomial<dims>::template of<Point>(s.all_coeffs());
            if (!c.empty()) {
                p = p.plus(vdcPolynomial<dims>({c.start.value}).times(vdc_blend::value_at_start))
                        .plus(vdcPolynomial<dims>({c.start.slope}).times(vdc_blend::slope_at_start(c.start.power)))
                        .plus(vdcPolynomial<dims>({c.end.value}).times(vdc_blend::value_at_end))
                        .plus(vdcPolynomial<dims>({c.end.slope}).times(vdc_blend::slope_at_end(c.end.power)));
            }
            out.emplace_back(s.start_parameter(), s.end_parameter(), p.template points<Point>(0));
        }
        return out;
    }

private:
    struct End {
        Vec value{};
        Vec slope{};    // with respect to the segment's local parameter
        int power = 2;  // of the slope blend
    };
    struct Change {
        End start, end;
        bool empty() const noexcept
        {
            return start.value == Vec{} && start.slope == Vec{} && end.value == Vec{} && end.slope == Vec{};
        }
    };

    End& end(int i, bool at_end)
    {
        return at_end ? ends_[static_cast<std::size_t>(i)].end : ends_[static_cast<std::size_t>(i)].start;
    }
    vdcPolynomial<dims> poly(int i) const
    {
        return vdcPolynomial<dims>::template of<Point>(segments_[static_cast<std::size_t>(i)].all_coeffs());
    }
    static Vec add(const Vec& a, const Vec& b)
    {
        Vec r{};
        for (int d = 0; d < dims; ++d)
            r[static_cast<std::size_t>(d)] = a[static_cast<std::size_t>(d)] + b[static_cast<std::size_t>(d)];
        return r;
    }
    static Vec scaled(const Vec& a, double k)
    {
        Vec r{};
        for (int d = 0; d < dims; ++d)
            r[static_cast<std::size_t>(d)] = k * a[static_cast<std::size_t>(d)];
        return r;
    }
    static double dot(const Vec& a, const Vec& b)
    {
        double s = 0.0;
        for (int d = 0; d < dims; ++d)
            s += a[static_cast<std::size_t>(d)] * b[static_cast<std::size_t>(d)];
        return s;
    }

    // Turns the tangents at the joint of segments a and b to one direction.
    void turn(int a, int b)
    {
        const Segment& sa = segments_[static_cast<std::size_t>(a)];
        const Segment& sb = segments_[static_cast<std::size_t>(b)];
        // Local slopes; their lengths on the global parameter weigh the turn, as the move is local.
        const Vec ta = poly(a).slope_at(1.0), tb = poly(b).slope_at(0.0);
        const double la = std::sqrt(dot(ta, ta)), lb = std::sqrt(dot(tb, tb));
        if (!(la > 0.0) || !(lb > 0.0) || !(sa.end_parameter() > sa.start_parameter()) ||
            !(sb.end_parameter() > sb.start_parameter()))
            return;
        const Vec ua = scaled(ta, 1.0 / la), ub = scaled(tb, 1.0 / lb);
        const double c = std::clamp(dot(ua, ub), -1.0, 1.0);
        Vec normal = add(ub, scaled(ua, -c));
        const double s = std::sqrt(dot(normal, normal));
        if (!(s > 0.0))
            return;
        normal = scaled(normal, 1.0 / s);
        const double theta = std::atan2(s, c);
        const double turn_a = theta * lb / (la + lb);
        const Vec dir = add(scaled(ua, std::cos(turn_a)), scaled(normal, std::sin(turn_a)));
        end(a, true).slope = add(end(a, true).slope, add(scaled(dir, la), scaled(ta, -1.0)));
        end(b, false).slope = add(end(b, false).slope, add(scaled(dir, lb), scaled(tb, -1.0)));
        for (End* e : {&end(a, true), &end(b, false)})
            e->power = vdc_blend::gentlest(std::sqrt(dot(e->slope, e->slope)), limit_);
    }

    std::vector<Segment> segments_;
    double limit_;
    std::vector<Change> ends_;
};
