#pragma once

#include <cmath>
#include <vector>

#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/geometry/gi_point3.h>

// One sample of a path: its parameter, its point of a parameter plane (for paths on a surface) and its
// point in space.
struct vdaPathPoint {
    double x = 0.0;
    giPoint2 st;
    giPoint3 point;
};

// Samples a path to a chordal tolerance: the range is cut into `pieces` equal pieces, and a piece is
// halved while the path's point at its middle lies farther than the tolerance from the piece's chord, or
// while `split` asks for it (a piece too long in the parameter plane), at most max_depth times.
class vdaPathSampler {
public:
    static constexpr int max_depth = 16;

    // Appends the samples of (a, b] to `out`; `start` is the path's sample at a.
    // path(x) gives the vdaPathPoint at x; split(p, q) says whether the piece between two samples must
    // be halved whatever its chord.
    template <class Path, class Split>
    static void sample(const Path& path, const Split& split, const vdaPathPoint& start, double b, int pieces,
                       double tolerance, std::vector<vdaPathPoint>& out)
    {
        pieces = pieces < 1 ? 1 : pieces;
        const double a = start.x;
        vdaPathPoint p = start;
        for (int k = 1; k <= pieces; ++k) {
            const vdaPathPoint q = path(k == pieces ? b : a + (b - a) * k / pieces);
            refine(path, split, p, q, 0, tolerance, out);
            p = q;
        }
    }

    // Distance from r to the segment from p to q.
    static double chord_distance(const giPoint3& p, const giPoint3& q, const giPoint3& r) noexcept
    {
        const double dx = q.x() - p.x(), dy = q.y() - p.y(), dz = q.z() - p.z();
        const double rx = r.x() - p.x(), ry = r.y() - p.y(), rz = r.z() - p.z();
        const double len2 = dx * dx + dy * dy + dz * dz;
        double t = len2 > 0.0 ? (rx * dx + ry * dy + rz * dz) / len2 : 0.0;
        t = t < 0.0 ? 0.0 : t > 1.0 ? 1.0 : t;
        const double ex = rx - t * dx, ey = ry - t * dy, ez = rz - t * dz;
        return std::sqrt(ex * ex + ey * ey + ez * ez);
    }

private:
    template <class Path, class Split>
    static void refine(const Path& path, const Split& split, const vdaPathPoint& p, const vdaPathPoint& q, int depth,
                       double tolerance, std::vector<vdaPathPoint>& out)
    {
        if (depth < max_depth) {
            const vdaPathPoint m = path((p.x + q.x) / 2);
            if (split(p, q) || chord_distance(p.point, q.point, m.point) > tolerance) {
                refine(path, split, p, m, depth + 1, tolerance, out);
                refine(path, split, m, q, depth + 1, tolerance, out);
                return;
            }
        }
        out.push_back(q);
    }
};
