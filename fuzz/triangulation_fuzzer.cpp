// The plane triangulation on random trimming loops: never a crash or a hang, and a result that keeps its
// word. A triangulation reported done has counter-clockwise triangles inside the loops (by parity), none
// crossed by a loop edge, and locally Delaunay edges wherever no loop runs; a failure has no triangles and
// a status that fits the input (a non-finite point, an open loop); loops that neither cross nor touch
// are always triangulated.
//
// The loops are drawn on a grid whose points, and the lattice the triangulation snaps them to, are exact
// in doubles, so that every check below is exact integer arithmetic on the lattice.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <vdacheck/geometry/gi_constrained_delaunay.h>

#include "fuzz_support.h"

namespace {

using Int = long long;
using Wide = __int128;
struct Q {
    Int x, y;
    bool operator==(const Q&) const = default;
};

Wide orient(const Q& a, const Q& b, const Q& c)
{
    return Wide(b.x - a.x) * (c.y - a.y) - Wide(b.y - a.y) * (c.x - a.x);
}

int sign(Wide v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// d strictly inside the circle through a, b, c (counter-clockwise).
bool in_circle(const Q& a, const Q& b, const Q& c, const Q& d)
{
    const Wide ax = a.x - d.x, ay = a.y - d.y, bx = b.x - d.x, by = b.y - d.y, cx = c.x - d.x, cy = c.y - d.y;
    const Wide det = (ax * ax + ay * ay) * (bx * cy - cx * by) - (bx * bx + by * by) * (ax * cy - cx * ay) +
                     (cx * cx + cy * cy) * (ax * by - bx * ay);
    return det > 0;
}

bool on_segment(const Q& p, const Q& a, const Q& b)
{
    return orient(a, b, p) == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
           std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y);
}

// Whether closed segments ab and cd meet.
bool meet(const Q& a, const Q& b, const Q& c, const Q& d)
{
    const int o1 = sign(orient(a, b, c)), o2 = sign(orient(a, b, d)), o3 = sign(orient(c, d, a)),
              o4 = sign(orient(c, d, b));
    if (o1 * o2 < 0 && o3 * o4 < 0)
        return true;
    return on_segment(c, a, b) || on_segment(d, a, b) || on_segment(a, c, d) || on_segment(b, c, d);
}

// Whether the open segment ab passes through the open triangle t (counter-clockwise): for X(s) = a + s (b - a),
// each edge's orientation is linear in s, and the three must be positive together for some s in (0, 1).
bool crosses_inside(const Q& a, const Q& b, const std::array<Q, 3>& t)
{
    // The open interval (lo_n / lo_d, hi_n / hi_d) of s, denominators positive.
    Wide lo_n = 0, lo_d = 1, hi_n = 1, hi_d = 1;
    for (int k = 0; k < 3; ++k) {
        const Wide fa = orient(t[k], t[(k + 1) % 3], a);
        const Wide fb = orient(t[k], t[(k + 1) % 3], b);
        // f(s) = fa + s (fb - fa) > 0
        const Wide slope = fb - fa;
        if (slope == 0) {
            if (fa <= 0)
                return false;
        } else if (slope > 0) {  // s > -fa / slope
            if (-fa * lo_d > lo_n * slope) {
                lo_n = -fa;
                lo_d = slope;
            }
        } else {  // s < fa / -slope
            if (fa * hi_d < hi_n * -slope) {
                hi_n = fa;
                hi_d = -slope;
            }
        }
    }
    return lo_n * hi_d < hi_n * lo_d;
}

// Reads the input as loops and Steiner points; it runs out into zeros.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    int coordinate(bool wide)
    {
        if (!wide)
            return static_cast<std::int8_t>(byte());
        const int high = static_cast<std::int8_t>(byte());
        return high * 256 + byte();
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Input {
    std::vector<std::vector<giPoint2>> loops;
    std::vector<giPoint2> steiner;
    bool not_finite = false;
    bool refine = false;
};

// Grid points (m + k) 2^e: with |k| < 2^15 and |m| < 2^20 the points, the lattice's centre and every
// lattice point mapped back are exact doubles.
Input input_from(const std::uint8_t* data, std::size_t size)
{
    Bytes in(data, size);
    const std::uint8_t flags = in.byte();
    const bool wide = flags & 1;
    const int e = static_cast<int>(in.byte() % 61) - 30;
    const int m = (static_cast<int>(in.byte()) << 12) - (1 << 19);
    const auto value = [&](int k) { return std::ldexp(double(m + k), e); };
    Input out;
    out.refine = flags & 2;
    const int loops = 1 + in.byte() % 4;
    for (int l = 0; l < loops; ++l) {
        std::vector<giPoint2>& loop = out.loops.emplace_back();
        const int n = 3 + in.byte() % 22;
        for (int i = 0; i < n; ++i) {
            const int x = in.coordinate(wide);
            loop.emplace_back(value(x), value(in.coordinate(wide)));
        }
        if (!(flags & 4) || l > 0)
            loop.push_back(loop.front());
    }
    const int steiner = in.byte() % 9;
    for (int i = 0; i < steiner; ++i) {
        const int x = in.coordinate(wide);
        out.steiner.emplace_back(value(x), value(in.coordinate(wide)));
    }
    if (flags & 8) {
        const double odd[] = {NAN, INFINITY, -INFINITY};
        std::vector<giPoint2>& loop = out.loops[in.byte() % out.loops.size()];
        loop[in.byte() % loop.size()] = giPoint2(odd[in.byte() % 3], 0.0);
        out.not_finite = true;
    }
    return out;
}

// The bounding box of the loops.
struct Box {
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;

    explicit Box(const std::vector<std::vector<giPoint2>>& loops)
    {
        for (const auto& loop : loops)
            for (const giPoint2& p : loop) {
                x0 = std::min(x0, p.x());
                x1 = std::max(x1, p.x());
                y0 = std::min(y0, p.y());
                y1 = std::max(y1, p.y());
            }
    }
};

// The lattice the triangulation snaps to: 2^24 steps across the loops' bounding box, centred on it.
struct Lattice {
    double cx, cy, scale;

    explicit Lattice(const Box& box) : cx(box.x0 / 2 + box.x1 / 2), cy(box.y0 / 2 + box.y1 / 2)
    {
        const double extent = std::max(box.x1 - box.x0, box.y1 - box.y0);
        scale = extent > 0 ? std::ldexp(1.0, 23 - std::ilogb(extent)) : 1.0;
    }
    Q snap(const giPoint2& p) const
    {
        return {Int(std::nearbyint((p.x() - cx) * scale)), Int(std::nearbyint((p.y() - cy) * scale))};
    }
};

std::string where(const giConstrainedDelaunay::Result& r)
{
    return std::string(giConstrainedDelaunay::describe(r.status)) + ", " + std::to_string(r.triangles.size()) +
           " triangles";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Status = giConstrainedDelaunay::Status;
    const Input input = input_from(data, size);
    giConstrainedDelaunay::Refine refine;
    if (input.refine) {  // split every triangle larger than a 256th of the square the loops span
        const Box box(input.loops);
        const double span = std::max(box.x1 - box.x0, box.y1 - box.y0);
        refine = [span](const giPoint2& a, const giPoint2& b, const giPoint2& c, giPoint2& insert) {
            const double area = std::fabs((b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x()));
            insert = giPoint2((a.x() + b.x() + c.x()) / 3, (a.y() + b.y() + c.y()) / 3);
            return area > span * span / 128;
        };
    }
    const giConstrainedDelaunay::Result r = giConstrainedDelaunay::triangulate(input.loops, input.steiner, refine);

    if (r.status == Status::stuck)
        fuzz_fail("the triangulation got stuck", where(r));
    if (input.not_finite) {
        if (r.status != Status::not_finite)
            fuzz_fail("a non-finite loop point was not reported", where(r));
        return 0;
    }
    if (r.status != Status::ok) {
        if (!r.triangles.empty())
            fuzz_fail("a failed triangulation has triangles", where(r));
    }

    const Lattice lattice{Box(input.loops)};
    std::vector<std::vector<Q>> rings;  // the snapped loops without repeated points, closed
    bool closed = true;
    for (const auto& loop : input.loops) {
        std::vector<Q>& ring = rings.emplace_back();
        for (const giPoint2& p : loop)
            if (ring.empty() || ring.back() != lattice.snap(p))
                ring.push_back(lattice.snap(p));
        closed = closed && ring.size() > 1 && ring.front() == ring.back();
    }
    std::vector<std::pair<Q, Q>> edges;
    for (const std::vector<Q>& ring : rings)
        for (std::size_t i = 0; i + 1 < ring.size(); ++i)
            edges.emplace_back(ring[i], ring[i + 1]);

    if (r.status != Status::ok) {
        if (!closed)
            return 0;
        // Closed loops of three points or more that neither cross nor touch (but for neighbouring edges
        // of a loop at their common point) are always triangulated.
        for (const std::vector<Q>& ring : rings) {
            if (ring.size() < 4)
                return 0;
            Wide area = 0;
            for (std::size_t i = 0; i + 1 < ring.size(); ++i)
                area += orient({0, 0}, ring[i], ring[i + 1]);
            if (area == 0)
                return 0;
        }
        for (std::size_t i = 0; i < edges.size(); ++i)
            for (std::size_t j = i + 1; j < edges.size(); ++j) {
                const auto& [a, b] = edges[i];
                const auto& [c, d] = edges[j];
                const bool next = b == c && !on_segment(d, a, b) && !on_segment(a, c, d);
                const bool previous = d == a && !on_segment(c, a, b) && !on_segment(b, c, d);
                if (meet(a, b, c, d) && !next && !previous)
                    return 0;
            }
        fuzz_fail("simple loops were not triangulated", where(r));
    }

    if (!closed)
        fuzz_fail("an open loop was triangulated", where(r));
    if (r.triangles.empty())
        fuzz_fail("a triangulation without triangles", where(r));
    std::vector<Q> points;
    for (const giPoint2& p : r.points)
        points.push_back(lattice.snap(p));
    std::size_t inputs = 0;
    for (const auto& loop : input.loops)
        for (std::size_t i = 0; i < loop.size(); ++i, ++inputs)
            if (inputs >= r.point_of_input.size() || r.point_of_input[inputs] >= points.size() ||
                points[r.point_of_input[inputs]] != lattice.snap(loop[i]))
                fuzz_fail("a loop point is not where its vertex is", where(r));
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> opposite;  // directed edge -> third vertex
    for (const auto& t : r.triangles) {
        for (const std::uint32_t v : t)
            if (v >= points.size())
                fuzz_fail("a triangle names a point that is not there", where(r));
        const std::array<Q, 3> q = {points[t[0]], points[t[1]], points[t[2]]};
        if (orient(q[0], q[1], q[2]) <= 0)
            fuzz_fail("a triangle is not counter-clockwise", where(r));
        // Its centroid (times three) lies inside by parity: a ray to +x crosses the loops an odd number of times.
        const Q g = {q[0].x + q[1].x + q[2].x, q[0].y + q[1].y + q[2].y};
        bool inside = false;
        for (const auto& [a0, b0] : edges) {
            const Q a = {3 * a0.x, 3 * a0.y}, b = {3 * b0.x, 3 * b0.y};
            if ((a.y > g.y) != (b.y > g.y) && sign(orient(a, b, g)) == (b.y > a.y ? 1 : -1))
                inside = !inside;
        }
        if (!inside)
            fuzz_fail("a triangle lies outside the loops", where(r));
        for (const auto& [a, b] : edges)
            if (crosses_inside(a, b, q))
                fuzz_fail("a loop edge runs through a triangle", where(r));
        for (int k = 0; k < 3; ++k)
            if (!opposite.emplace(std::pair{t[k], t[(k + 1) % 3]}, t[(k + 2) % 3]).second)
                fuzz_fail("two triangles overlap along an edge", where(r));
    }
    // Each edge between two triangles that no loop runs along is locally Delaunay.
    for (const auto& [edge, c] : opposite) {
        const auto other = opposite.find({edge.second, edge.first});
        if (other == opposite.end())
            continue;
        const Q &a = points[edge.first], &b = points[edge.second];
        bool along_a_loop = false;
        for (const auto& [p, q] : edges)
            along_a_loop = along_a_loop || (on_segment(a, p, q) && on_segment(b, p, q));
        if (!along_a_loop && in_circle(a, b, points[c], points[other->second]))
            fuzz_fail("an edge is not locally Delaunay", where(r));
    }
    return 0;
}
