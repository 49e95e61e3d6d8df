#include <algorithm>
#include <cmath>

#include <vdacheck/geometry/gi_constrained_delaunay.h>
#include <vdacheck/geometry/gi_lattice_triangulation.h>

namespace {

using Status = giConstrainedDelaunay::Status;

// Position along a Hilbert curve over a 2^16 grid: inserting points in this order keeps each walk short.
std::uint64_t hilbert_key(std::uint32_t x, std::uint32_t y) noexcept
{
    std::uint64_t d = 0;
    for (std::uint32_t s = 1u << 15; s > 0; s >>= 1) {
        const std::uint32_t rx = (x & s) ? 1 : 0;
        const std::uint32_t ry = (y & s) ? 1 : 0;
        d += std::uint64_t(s) * s * ((3 * rx) ^ ry);
        if (ry == 0) {
            if (rx == 1) {
                x = 0xFFFFu - x;
                y = 0xFFFFu - y;
            }
            std::swap(x, y);
        }
    }
    return d;
}

// Maps points to the lattice of giLatticeTriangulation and back.
struct Lattice {
    double cx = 0, cy = 0, scale = 0;
    giPoint2 snap(const giPoint2& p) const
    {
        return {std::nearbyint((p.x() - cx) * scale), std::nearbyint((p.y() - cy) * scale)};
    }
    giPoint2 unsnap(const giPoint2& q) const { return {cx + q.x() / scale, cy + q.y() / scale}; }
};

struct Snapped {
    giPoint2 q;
    std::uint32_t input;
};

}  // namespace

const char* giConstrainedDelaunay::describe(Status status) noexcept
{
    switch (status) {
    case Status::ok:
        return "triangulated";
    case Status::open_loop:
        return "a boundary loop is open";
    case Status::degenerate_loop:
        return "a boundary loop encloses no area";
    case Status::crossing:
        return "boundary loops cross";
    case Status::not_finite:
        return "a boundary point is not finite";
    case Status::stuck:
        return "the triangulation did not converge";
    }
    return "";
}

giConstrainedDelaunay::Result giConstrainedDelaunay::triangulate(const std::vector<std::vector<giPoint2>>& loops,
                                                                 const std::vector<giPoint2>& steiner,
                                                                 const Refine& refine)
{
    Result result;
    auto fail = [&](Status status, int loop) {
        result.status = status;
        result.loop = loop;
        result.triangles.clear();
        return result;
    };

    // The lattice spans the loops' bounding box.
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    std::size_t loop_points = 0;
    for (std::size_t l = 0; l < loops.size(); ++l)
        for (const giPoint2& p : loops[l]) {
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                return fail(Status::not_finite, static_cast<int>(l));
            x0 = std::min(x0, p.x());
            x1 = std::max(x1, p.x());
            y0 = std::min(y0, p.y());
            y1 = std::max(y1, p.y());
            ++loop_points;
        }
    const double extent = std::max(x1 - x0, y1 - y0);
    if (loops.empty() || !(extent > 0.0))
        return fail(Status::degenerate_loop, loops.empty() ? -1 : 0);
    if (!std::isfinite(extent))
        return fail(Status::not_finite, -1);
    const int exponent = 23 - std::ilogb(extent);  // extent * scale lies in [2^23, 2^24)
    if (exponent > 1000)
        return fail(Status::degenerate_loop, -1);
    Lattice lattice{x0 / 2 + x1 / 2, y0 / 2 + y1 / 2, std::ldexp(1.0, exponent)};

    // Snap, and merge points that land on one lattice point; `points` keeps the order of first use.
    std::vector<Snapped> snapped;
    snapped.reserve(loop_points + steiner.size());
    std::uint32_t input = 0;
    for (const auto& loop : loops)
        for (const giPoint2& p : loop)
            snapped.push_back({lattice.snap(p), input++});
    for (const giPoint2& p : steiner) {
        if (p.x() >= x0 && p.x() <= x1 && p.y() >= y0 && p.y() <= y1)
            snapped.push_back({lattice.snap(p), input});
        ++input;
    }
    result.point_of_input.assign(input, none);
    std::sort(snapped.begin(), snapped.end(), [](const Snapped& a, const Snapped& b) {
        return a.q.x() != b.q.x() ? a.q.x() < b.q.x() : a.q.y() != b.q.y() ? a.q.y() < b.q.y() : a.input < b.input;
    });
    std::vector<std::uint32_t> first_inputs;  // per distinct point, its first input
    for (std::size_t i = 0; i < snapped.size(); ++i) {
        if (i == 0 || snapped[i].q != snapped[i - 1].q)
            first_inputs.push_back(snapped[i].input);
        result.point_of_input[snapped[i].input] = first_inputs.back();  // for now: the first input
    }
    std::sort(first_inputs.begin(), first_inputs.end());
    std::vector<std::uint32_t> rank(input, none);
    for (std::uint32_t i = 0; i < first_inputs.size(); ++i)
        rank[first_inputs[i]] = i;
    for (std::uint32_t& p : result.point_of_input)
        if (p != none)
            p = rank[p];
    std::vector<giPoint2> lattice_points(first_inputs.size());
    for (const Snapped& s : snapped)
        lattice_points[result.point_of_input[s.input]] = s.q;

    // Insert the distinct points along a Hilbert curve.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> order(lattice_points.size());
    for (std::uint32_t i = 0; i < lattice_points.size(); ++i) {
        const auto hx = static_cast<std::uint32_t>((lattice_points[i].x() + giLatticeTriangulation::half_extent)) >> 8;
        const auto hy = static_cast<std::uint32_t>((lattice_points[i].y() + giLatticeTriangulation::half_extent)) >> 8;
        order[i] = {hilbert_key(std::min(hx, 0xFFFFu), std::min(hy, 0xFFFFu)), i};
    }
    std::sort(order.begin(), order.end());
    giLatticeTriangulation mesh(lattice_points.size());
    std::vector<std::uint32_t> vertex_of(lattice_points.size(), none);
    std::vector<std::uint32_t> point_of_vertex(lattice_points.size() + giLatticeTriangulation::first_vertex, none);
    for (const auto& [key, i] : order) {
        const std::uint32_t v = mesh.insert(lattice_points[i]);
        if (v == giLatticeTriangulation::none)
            return fail(Status::stuck, -1);
        vertex_of[i] = v;
        point_of_vertex[v] = i;
    }

    // Each loop: closed, at least three distinct points; then its edges become constraints.
    std::vector<std::vector<std::uint32_t>> rings(loops.size());
    input = 0;
    for (std::size_t l = 0; l < loops.size(); ++l) {
        std::vector<std::uint32_t>& ring = rings[l];
        for (std::size_t k = 0; k < loops[l].size(); ++k, ++input) {
            const std::uint32_t v = vertex_of[result.point_of_input[input]];
            if (ring.empty() || ring.back() != v)
                ring.push_back(v);
        }
        if (ring.size() < 2 || ring.front() != ring.back())
            return fail(ring.size() < 2 ? Status::degenerate_loop : Status::open_loop, static_cast<int>(l));
        ring.pop_back();
        if (ring.size() < 3)
            return fail(Status::degenerate_loop, static_cast<int>(l));
    }
    for (std::size_t l = 0; l < rings.size(); ++l) {
        const std::vector<std::uint32_t>& ring = rings[l];
        for (std::size_t k = 0; k < ring.size(); ++k) {
            const auto outcome = mesh.insert_constraint(ring[k], ring[(k + 1) % ring.size()]);
            if (outcome == giLatticeTriangulation::Outcome::crossing)
                return fail(Status::crossing, static_cast<int>(l));
            if (outcome == giLatticeTriangulation::Outcome::stuck)
                return fail(Status::stuck, static_cast<int>(l));
        }
    }

    std::vector<bool> inside = mesh.inside();
    for (int round = 0; refine && round < max_refinement_rounds; ++round) {
        std::vector<giPoint2> wanted;
        for (std::size_t t = 0; t < inside.size(); ++t)
            if (inside[t]) {
                const auto& v = mesh.triangles()[t].v;
                giPoint2 p;
                if (refine(lattice.unsnap(mesh.vertex(v[0])), lattice.unsnap(mesh.vertex(v[1])),
                           lattice.unsnap(mesh.vertex(v[2])), p))
                    wanted.push_back(lattice.snap(p));
            }
        const std::uint32_t before = mesh.num_vertices();
        for (const giPoint2& q : wanted) {
            const std::uint32_t v = mesh.insert(q);
            if (v != giLatticeTriangulation::none && v >= point_of_vertex.size()) {  // new, not one there already
                point_of_vertex.resize(v + 1, none);
                point_of_vertex[v] = static_cast<std::uint32_t>(lattice_points.size());
                lattice_points.push_back(q);
            }
        }
        if (mesh.num_vertices() == before)
            break;
        inside = mesh.inside();
    }

    for (std::size_t t = 0; t < inside.size(); ++t)
        if (inside[t]) {
            const auto& v = mesh.triangles()[t].v;
            result.triangles.push_back({point_of_vertex[v[0]], point_of_vertex[v[1]], point_of_vertex[v[2]]});
        }
    if (result.triangles.empty())
        return fail(Status::degenerate_loop, -1);
    result.points.resize(lattice_points.size());
    for (std::size_t i = 0; i < lattice_points.size(); ++i)
        result.points[i] = lattice.unsnap(lattice_points[i]);
    return result;
}
