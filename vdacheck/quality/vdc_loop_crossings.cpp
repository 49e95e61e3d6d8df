#include <vdacheck/quality/vdc_loop_crossings.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include <vdacheck/geometry/gi_exact_predicates.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/quality/vdc_piece_chain.h>

namespace {

using Pred = giExactPredicates;
using Place = vdcLoopCrossings::Place;

// Lattice steps across the boundaries' bounding box; lattice points then stay well within the range on
// which the predicates are exact, also one step beyond the box.
constexpr double lattice_steps = 16777216.0;  // 2^24
// Refinement of curved segments stops at this level, or once the boundaries have this many vertices.
constexpr int max_level = 6;
constexpr std::size_t max_vertices = 200000;

// A vertex of a boundary's polyline: where the boundary is, that point on the lattice, and the place on
// the boundary as the end of the edge coming in and as the start of the edge going out (they differ at a
// joint of two pieces).
struct Vertex {
    giPoint2 uv;
    giPoint2 lattice;
    Place in, out;
};

// The place at fraction t along the edge from a to b.
Place place_along(const Vertex& a, const Vertex& b, double t) noexcept
{
    const Place &p = a.out, &q = b.in;
    return p.loop == q.loop && p.piece == q.piece ? Place{p.loop, p.piece, p.x + t * (q.x - p.x)} : (t < 0.5 ? p : q);
}
using Polyline = std::vector<Vertex>;  // closed: the last vertex joins the first

// Appends piece k of a chain from its start to its end: a vertex at each end of every cons segment it
// covers (so both sides of a jump), straight segments as one edge, curved ones as 2 (order - 1) edges
// over a whole segment, doubled `level` times. Sets `curved` when a segment is curved.
void append_piece(const vdcPieceChain& chain, int loop, int k, int level, Polyline& out, bool& curved)
{
    const vdcPieceChain::Piece& p = chain.piece(k);
    const vdaConsEval& cons = p.cons;
    const bool forward = p.w2 > p.w1;
    const double lo = std::min(p.w1, p.w2), hi = std::max(p.w1, p.w2);
    const int first = cons.segment_at(lo, vdaSide::after), last = cons.segment_at(hi, vdaSide::before);
    for (int step = 0; step <= last - first; ++step) {
        const int i = forward ? first + step : last - step;
        const double a = std::max(lo, cons.breakpoint(i)), b = std::min(hi, cons.breakpoint(i + 1));
        const double from = forward ? a : b, to = forward ? b : a;
        int n = 1;
        if (!vdcPieceChain::straight(cons.segment(i))) {
            curved = true;
            const double share = (b - a) / (cons.breakpoint(i + 1) - cons.breakpoint(i));
            n = std::max(2, static_cast<int>(std::ceil(2 * (cons.segment(i).order() - 1) * share))) << level;
        }
        for (int m = 0; m <= n; ++m) {
            const double w = m == n ? to : from + (to - from) * m / n;
            const Place at{loop, k, (w - p.w1) / (p.w2 - p.w1)};
            out.push_back({cons.segment_point(i, cons.local_parameter(i, w)), {}, at, at});
        }
    }
}

// Puts every vertex on the lattice and merges consecutive vertices on one lattice point. False when a
// boundary is not finite.
bool snap(std::vector<Polyline>& loops)
{
    double s0 = std::numeric_limits<double>::infinity(), s1 = -s0, t0 = s0, t1 = -s0;
    for (const Polyline& loop : loops)
        for (const Vertex& v : loop) {
            s0 = std::min(s0, v.uv.x());
            s1 = std::max(s1, v.uv.x());
            t0 = std::min(t0, v.uv.y());
            t1 = std::max(t1, v.uv.y());
        }
    if (!std::isfinite(s1 - s0) || !std::isfinite(t1 - t0))
        return false;
    const double ks = s1 > s0 ? lattice_steps / (s1 - s0) : 0.0, kt = t1 > t0 ? lattice_steps / (t1 - t0) : 0.0;
    for (Polyline& loop : loops) {
        Polyline merged;
        for (Vertex& v : loop) {
            v.lattice = {std::round((v.uv.x() - s0) * ks), std::round((v.uv.y() - t0) * kt)};
            if (merged.empty() || !(merged.back().lattice == v.lattice))
                merged.push_back(v);
            else
                merged.back().out = v.out;
        }
        while (merged.size() > 1 && merged.back().lattice == merged.front().lattice) {
            merged.front().in = merged.back().in;
            merged.pop_back();
        }
        loop = std::move(merged);
    }
    return true;
}

// True when the edge a b meets the square of side 2 around v: not all its corners lie strictly on one
// side of the edge's line (the boxes of edge and square are known to overlap).
bool near(const giPoint2& a, const giPoint2& b, const giPoint2& v) noexcept
{
    int left = 0, right = 0;
    for (const double dx : {-1.0, 1.0})
        for (const double dy : {-1.0, 1.0}) {
            const int o = Pred::orient(a, b, giPoint2(v.x() + dx, v.y() + dy));
            left += o > 0;
            right += o < 0;
        }
    return left < 4 && right < 4;
}

// Every vertex within one lattice step of an edge becomes a vertex of that edge as well, until no edge
// passes that near a vertex it does not have: boundaries that meet up to rounding then share vertices.
void insert_near_vertices(std::vector<Polyline>& loops)
{
    for (int pass = 0; pass < 8; ++pass) {
        std::vector<Vertex> points;
        for (const Polyline& loop : loops)
            points.insert(points.end(), loop.begin(), loop.end());
        const auto by_lattice = [](const Vertex& a, const Vertex& b) {
            return std::pair(a.lattice.x(), a.lattice.y()) < std::pair(b.lattice.x(), b.lattice.y());
        };
        std::sort(points.begin(), points.end(), by_lattice);
        points.erase(std::unique(points.begin(), points.end(),
                                 [](const Vertex& a, const Vertex& b) { return a.lattice == b.lattice; }),
                     points.end());
        bool changed = false;
        std::vector<std::pair<double, Vertex>> found;
        for (Polyline& loop : loops) {
            const std::size_t n = loop.size();
            if (n < 2)
                continue;
            Polyline next;
            for (std::size_t m = 0; m < n; ++m) {
                const Vertex& a = loop[m];
                const Vertex& b = loop[(m + 1) % n];
                next.push_back(a);
                const double x0 = std::min(a.lattice.x(), b.lattice.x()) - 1,
                             x1 = std::max(a.lattice.x(), b.lattice.x()) + 1;
                const double y0 = std::min(a.lattice.y(), b.lattice.y()) - 1,
                             y1 = std::max(a.lattice.y(), b.lattice.y()) + 1;
                const giPoint2 ab = b.lattice - a.lattice;
                found.clear();
                auto it = std::lower_bound(points.begin(), points.end(), x0,
                                           [](const Vertex& v, double x) { return v.lattice.x() < x; });
                for (; it != points.end() && it->lattice.x() <= x1; ++it) {
                    const giPoint2& p = it->lattice;
                    if (p.y() < y0 || p.y() > y1 || p == a.lattice || p == b.lattice || !near(a.lattice, b.lattice, p))
                        continue;
                    const double t = ((p.x() - a.lattice.x()) * ab.x() + (p.y() - a.lattice.y()) * ab.y()) /
                                     (ab.x() * ab.x() + ab.y() * ab.y());
                    Vertex v = *it;
                    v.in = v.out = place_along(a, b, t);
                    found.emplace_back(t, v);
                }
                std::sort(found.begin(), found.end(), [](const auto& p, const auto& q) { return p.first < q.first; });
                for (const auto& f : found)
                    next.push_back(f.second);
                changed = changed || !found.empty();
            }
            loop = std::move(next);
        }
        if (!changed)
            return;
    }
}

// +1 when the ray from p through z leaves p on the left of the path prev -> p -> next (in the angle
// turned counter-clockwise from next round to prev), -1 on its right, 0 along the path. On a path that
// turns back on itself everything is on one side.
int side(const giPoint2& prev, const giPoint2& p, const giPoint2& next, const giPoint2& z) noexcept
{
    const auto cross = [&p](const giPoint2& a, const giPoint2& b) { return Pred::orient(a, b, p); };
    const auto dot = [&p](const giPoint2& a, const giPoint2& b) {
        return (a.x() - p.x()) * (b.x() - p.x()) + (a.y() - p.y()) * (b.y() - p.y());
    };
    if ((cross(z, next) == 0 && dot(z, next) > 0) || (cross(z, prev) == 0 && dot(z, prev) > 0))
        return 0;
    const int turn = cross(next, prev);
    bool left = true;
    if (turn > 0)
        left = cross(next, z) > 0 && cross(z, prev) > 0;
    else if (turn < 0)
        left = !(cross(prev, z) >= 0 && cross(z, next) >= 0);
    else if (dot(next, prev) < 0)
        left = cross(next, z) > 0;
    return left ? 1 : -1;
}

// The crossings found so far and the first of them.
struct Tally {
    int count = 0;
    Place first, other;
    giPoint2 uv;
    bool proper = false;  // the first is where two edges cross in their interiors

    void add(Place p, Place q, const giPoint2& where, bool edges)
    {
        const auto key = [](const Place& a, const Place& b) {
            return std::tie(a.loop, a.piece, a.x, b.loop, b.piece, b.x);
        };
        if (std::tie(q.loop, q.piece, q.x) < std::tie(p.loop, p.piece, p.x))
            std::swap(p, q);
        if (count++ == 0 || key(p, q) < key(first, other)) {
            first = p;
            other = q;
            uv = where;
            proper = edges;
        }
    }
};

// Edges crossing in their interiors: a sweep along s over the edges' ranges. Edges that share a
// vertex meet there, which the vertices' count decides.
void count_edge_crossings(const std::vector<Polyline>& loops, Tally& tally)
{
    struct Edge {
        const Vertex* a;
        const Vertex* b;
        double x0, x1;
    };
    std::vector<Edge> edges;
    for (const Polyline& loop : loops)
        for (std::size_t m = 0; loop.size() > 1 && m < loop.size(); ++m) {
            const Vertex& a = loop[m];
            const Vertex& b = loop[(m + 1) % loop.size()];
            edges.push_back({&a, &b, std::min(a.lattice.x(), b.lattice.x()), std::max(a.lattice.x(), b.lattice.x())});
        }
    std::sort(edges.begin(), edges.end(), [](const Edge& e, const Edge& f) { return e.x0 < f.x0; });
    const auto sign = [](double v) { return (v > 0.0) - (v < 0.0); };
    for (std::size_t i = 0; i < edges.size(); ++i)
        for (std::size_t j = i + 1; j < edges.size() && edges[j].x0 <= edges[i].x1; ++j) {
            const Edge& e = edges[i];
            const Edge& f = edges[j];
            const giPoint2 &a = e.a->lattice, &b = e.b->lattice, &c = f.a->lattice, &d = f.b->lattice;
            if (a == c || a == d || b == c || b == d)
                continue;
            const double d1 = Pred::orient_value(a, b, c), d2 = Pred::orient_value(a, b, d);
            const double d3 = Pred::orient_value(c, d, a), d4 = Pred::orient_value(c, d, b);
            if (sign(d1) * sign(d2) >= 0 || sign(d3) * sign(d4) >= 0)
                continue;
            const double te = d3 / (d3 - d4), tf = d1 / (d1 - d2);
            tally.add(place_along(*e.a, *e.b, te), place_along(*f.a, *f.b, tf), e.a->uv + te * (e.b->uv - e.a->uv),
                      true);
        }
}

// Two passes of boundaries through one lattice point: a of `la` at index i, b of `lb` at index j. A
// stretch the two share is decided once, from its start on a; `stretches` keeps those decided.
void count_meeting(const std::vector<Polyline>& loops, int la, int i, int lb, int j,
                   std::set<std::array<int, 4>>& stretches, Tally& tally)
{
    const Polyline& a = loops[static_cast<std::size_t>(la)];
    const Polyline& b = loops[static_cast<std::size_t>(lb)];
    const int na = static_cast<int>(a.size()), nb = static_cast<int>(b.size());
    const auto wrap = [](int k, int n) { return ((k % n) + n) % n; };
    const auto pa = [&](int k) -> const giPoint2& { return a[static_cast<std::size_t>(wrap(k, na))].lattice; };
    const auto pb = [&](int k) -> const giPoint2& { return b[static_cast<std::size_t>(wrap(k, nb))].lattice; };
    const auto decide = [&](int i1, int before, int after) {
        // b comes from `before` and leaves towards `after`: a crossing when they lie on the two sides of a.
        const int s0 = side(pa(i - 1), pa(i), pa(i + 1), pb(before));
        const int s1 = side(pa(i1 - 1), pa(i1), pa(i1 + 1), pb(after));
        if (s0 * s1 < 0)
            tally.add(a[static_cast<std::size_t>(wrap(i, na))].out, b[static_cast<std::size_t>(wrap(j, nb))].out,
                      a[static_cast<std::size_t>(wrap(i, na))].uv, false);
    };
    // dir: +1 when b runs on along a's next edge, -1 when it runs back along it, 0 when they part.
    const int dir = pa(i + 1) == pb(j + 1) ? 1 : pa(i + 1) == pb(j - 1) ? -1 : 0;
    if (dir == 0) {
        // A meeting at a point, unless a shared stretch ends here (decided at its start).
        if (!(pa(i - 1) == pb(j - 1)) && !(pa(i - 1) == pb(j + 1)))
            decide(i, j - 1, j + 1);
        return;
    }
    if (pa(i - 1) == pb(j - dir))
        return;  // within a shared stretch
    // Along the stretch they share, to where they part.
    int k = 0;
    while (pa(i + k + 1) == pb(j + dir * (k + 1))) {
        if (++k >= std::min(na, nb))
            return;  // the boundaries run together all round: a touch
        if (la == lb && wrap(i + k, na) == wrap(j + dir * k, na))
            return;  // the boundary folds back onto itself: a touch
    }
    const int j1 = j + dir * k;
    const std::array<int, 2> on_a{la, wrap(i, na)}, on_b{lb, wrap(dir > 0 ? j : j1, nb)};
    const std::array<int, 4> key = on_a < on_b ? std::array<int, 4>{on_a[0], on_a[1], on_b[0], on_b[1]}
                                               : std::array<int, 4>{on_b[0], on_b[1], on_a[0], on_a[1]};
    if (stretches.insert(key).second)
        decide(i + k, j - dir, j1 + dir);
}

// The boundaries' passes through every lattice point that more than one pass visits, pair by pair.
void count_vertex_crossings(const std::vector<Polyline>& loops, Tally& tally)
{
    struct Pass {
        giPoint2 at;
        int loop, index;
    };
    std::vector<Pass> passes;
    for (int l = 0; l < static_cast<int>(loops.size()); ++l)
        for (int m = 0; m < static_cast<int>(loops[static_cast<std::size_t>(l)].size()); ++m)
            passes.push_back({loops[static_cast<std::size_t>(l)][static_cast<std::size_t>(m)].lattice, l, m});
    std::sort(passes.begin(), passes.end(), [](const Pass& p, const Pass& q) {
        return std::tuple(p.at.x(), p.at.y(), p.loop, p.index) < std::tuple(q.at.x(), q.at.y(), q.loop, q.index);
    });
    std::set<std::array<int, 4>> stretches;
    for (std::size_t g = 0; g < passes.size();) {
        std::size_t end = g + 1;
        while (end < passes.size() && passes[end].at == passes[g].at)
            ++end;
        for (std::size_t p = g; p < end; ++p)
            for (std::size_t q = p + 1; q < end; ++q)
                count_meeting(loops, passes[p].loop, passes[p].index, passes[q].loop, passes[q].index, stretches,
                              tally);
        g = end;
    }
}

// The crossings of the boundaries drawn at refinement `level`; false when they are not finite.
bool count_at(const std::vector<vdcPieceChain>& chains, int level, bool& curved, std::size_t& vertices, Tally& tally)
{
    std::vector<Polyline> loops(chains.size());
    for (std::size_t b = 0; b < chains.size(); ++b)
        for (int k = 0; k < chains[b].size(); ++k)
            append_piece(chains[b], static_cast<int>(b), k, level, loops[b], curved);
    if (!snap(loops))
        return false;
    insert_near_vertices(loops);
    vertices = 0;
    for (const Polyline& loop : loops)
        vertices += loop.size();
    count_edge_crossings(loops, tally);
    count_vertex_crossings(loops, tally);
    return true;
}

// Newton's method on c_e(x) = c_f(y) from the chords' crossing: the crossing of the curves themselves.
void refine_crossing(const vdcPieceChain& ce, int ke, double& x, const vdcPieceChain& cf, int kf, double& y)
{
    for (int iteration = 0; iteration < 8; ++iteration) {
        const vdaConsSample p = ce.uv(ke, x, 1), q = cf.uv(kf, y, 1);
        const giPoint2 r = p.point - q.point;
        // Solve [p' -q'] (dx, dy) = -r.
        const double det = -p.d1.x() * q.d1.y() + p.d1.y() * q.d1.x();
        if (det == 0.0 || !std::isfinite(det))
            return;
        const double dx = (-r.x() * -q.d1.y() - -r.y() * -q.d1.x()) / det;
        const double dy = (p.d1.x() * -r.y() - p.d1.y() * -r.x()) / det;
        const double nx = std::clamp(x + dx, 0.0, 1.0), ny = std::clamp(y + dy, 0.0, 1.0);
        if (nx == x && ny == y)
            return;
        x = nx;
        y = ny;
    }
}

}  // namespace

vdcLoopCrossings::Result vdcLoopCrossings::count(const std::vector<vdcPieceChain>& loops)
{
    bool curved = false;
    std::size_t vertices = 0;
    Tally tally;
    if (!count_at(loops, 0, curved, vertices, tally))
        return {-1, {}, {}, {}};
    for (int level = 1; curved && level <= max_level && vertices < max_vertices; ++level) {
        Tally finer;
        if (!count_at(loops, level, curved, vertices, finer))
            break;
        const bool stable = finer.count == tally.count;
        tally = finer;
        if (stable)
            break;
    }
    Result result{tally.count, tally.first, tally.other, tally.uv};
    if (tally.count > 0 && tally.proper) {
        const vdcPieceChain& ce = loops[static_cast<std::size_t>(result.first.loop)];
        const vdcPieceChain& cf = loops[static_cast<std::size_t>(result.other.loop)];
        refine_crossing(ce, result.first.piece, result.first.x, cf, result.other.piece, result.other.x);
        result.uv = ce.uv(result.first.piece, result.first.x, 0).point;
    }
    return result;
}
