#include <cmath>
#include <deque>
#include <utility>

#include <vdacheck/geometry/gi_exact_predicates.h>
#include <vdacheck/geometry/gi_lattice_triangulation.h>

namespace {

using Pred = giExactPredicates;

int next(int i) noexcept { return i == 2 ? 0 : i + 1; }
int prev(int i) noexcept { return i == 0 ? 2 : i - 1; }

int index_of(const giLatticeTriangulation::Triangle& t, std::uint32_t v) noexcept
{
    return t.v[0] == v ? 0 : t.v[1] == v ? 1 : t.v[2] == v ? 2 : -1;
}

int index_of_neighbour(const giLatticeTriangulation::Triangle& t, std::uint32_t n) noexcept
{
    return t.n[0] == n ? 0 : t.n[1] == n ? 1 : t.n[2] == n ? 2 : -1;
}

// Exact on the lattice: |products| <= 2^52, sum <= 2^53.
double dot(const giPoint2& o, const giPoint2& p, const giPoint2& q) noexcept
{
    return (p.x() - o.x()) * (q.x() - o.x()) + (p.y() - o.y()) * (q.y() - o.y());
}

}  // namespace

giLatticeTriangulation::giLatticeTriangulation(std::size_t expected_vertices)
{
    points_.reserve(expected_vertices + first_vertex);
    vertex_triangle_.reserve(expected_vertices + first_vertex);
    triangles_.reserve(2 * expected_vertices + 1);
    // A triangle that holds the square [-r, r]^2 strictly inside, with corners on the lattice.
    const double r = half_extent;
    points_ = {giPoint2(-4 * r, -2 * r), giPoint2(4 * r, -2 * r), giPoint2(0, 4 * r)};
    vertex_triangle_ = {0, 0, 0};
    triangles_.push_back({{0, 1, 2}, {none, none, none}, {0, 0, 0}});
}

std::uint32_t giLatticeTriangulation::insert(const giPoint2& p)
{
    if (!(std::fabs(p.x()) <= half_extent && std::fabs(p.y()) <= half_extent))
        return none;
    const Location at = locate(p, last_);
    if (at.triangle == none)
        return none;
    if (at.on_vertex >= 0)
        return triangles_[at.triangle].v[static_cast<std::size_t>(at.on_vertex)];
    const auto v = static_cast<std::uint32_t>(points_.size());
    points_.push_back(p);
    vertex_triangle_.push_back(at.triangle);
    if (at.on_edge >= 0)
        split_edge(at.triangle, at.on_edge, v);
    else
        split_triangle(at.triangle, v);
    last_ = vertex_triangle_[v];
    return v;
}

giLatticeTriangulation::Location giLatticeTriangulation::locate(const giPoint2& p, std::uint32_t start) const
{
    std::uint32_t t = start < triangles_.size() ? start : 0;
    const std::size_t limit = step_limit();
    for (std::size_t step = 0; step < limit; ++step) {
        const Triangle& tr = triangles_[t];
        bool moved = false;
        // Starting the edge tests at a varying edge keeps the walk from cycling even where the mesh is
        // not Delaunay.
        for (int k = 0; k < 3 && !moved; ++k) {
            const int i = static_cast<int>((step + static_cast<std::size_t>(k)) % 3);
            const auto e1 = tr.v[static_cast<std::size_t>(next(i))], e2 = tr.v[static_cast<std::size_t>(prev(i))];
            if (Pred::orient(points_[e1], points_[e2], p) < 0) {
                if (tr.n[static_cast<std::size_t>(i)] == none)
                    return {};
                t = tr.n[static_cast<std::size_t>(i)];
                moved = true;
            }
        }
        if (!moved)
            return classify(t, p);
    }
    return scan(p);
}

giLatticeTriangulation::Location giLatticeTriangulation::scan(const giPoint2& p) const
{
    for (std::uint32_t t = 0; t < triangles_.size(); ++t) {
        const Triangle& tr = triangles_[t];
        if (Pred::orient(points_[tr.v[0]], points_[tr.v[1]], p) >= 0 &&
            Pred::orient(points_[tr.v[1]], points_[tr.v[2]], p) >= 0 &&
            Pred::orient(points_[tr.v[2]], points_[tr.v[0]], p) >= 0)
            return classify(t, p);
    }
    return {};
}

giLatticeTriangulation::Location giLatticeTriangulation::classify(std::uint32_t t, const giPoint2& p) const
{
    const Triangle& tr = triangles_[t];
    int zeros = 0, first = -1, second = -1;
    for (int i = 0; i < 3; ++i)
        if (Pred::orient(points_[tr.v[static_cast<std::size_t>(next(i))]],
                         points_[tr.v[static_cast<std::size_t>(prev(i))]], p) == 0) {
            (zeros == 0 ? first : second) = i;
            ++zeros;
        }
    Location at;
    at.triangle = t;
    if (zeros == 1)
        at.on_edge = first;
    else if (zeros == 2)
        at.on_vertex = 3 - first - second;  // the vertex both edges share
    return at;
}

std::uint32_t giLatticeTriangulation::add_triangle(const Triangle& t)
{
    triangles_.push_back(t);
    return static_cast<std::uint32_t>(triangles_.size() - 1);
}

void giLatticeTriangulation::replace_neighbour(std::uint32_t t, std::uint32_t old_n, std::uint32_t new_n)
{
    if (t == none)
        return;
    for (auto& n : triangles_[t].n)
        if (n == old_n)
            n = new_n;
}

void giLatticeTriangulation::split_triangle(std::uint32_t t, std::uint32_t p)
{
    const Triangle old = triangles_[t];
    const auto [a, b, c] = old.v;
    const std::uint32_t t1 = add_triangle(old), t2 = add_triangle(old);
    triangles_[t] = {{p, b, c}, {old.n[0], t1, t2}, {old.c[0], 0, 0}};
    triangles_[t1] = {{p, c, a}, {old.n[1], t2, t}, {old.c[1], 0, 0}};
    triangles_[t2] = {{p, a, b}, {old.n[2], t, t1}, {old.c[2], 0, 0}};
    replace_neighbour(old.n[1], t, t1);
    replace_neighbour(old.n[2], t, t2);
    vertex_triangle_[p] = t;
    vertex_triangle_[a] = t1;
    vertex_triangle_[b] = t;
    vertex_triangle_[c] = t;
    std::vector<std::uint32_t> stack{t, t1, t2};
    legalize_around(p, stack);
}

void giLatticeTriangulation::split_edge(std::uint32_t t, int i, std::uint32_t p)
{
    const Triangle old_t = triangles_[t];
    const auto si = static_cast<std::size_t>(i), sn = static_cast<std::size_t>(next(i)),
               sp = static_cast<std::size_t>(prev(i));
    const std::uint32_t u = old_t.n[si];
    if (u == none) {  // cannot happen inside the helper triangle; keep the mesh valid all the same
        split_triangle(t, p);
        return;
    }
    const Triangle old_u = triangles_[u];
    const int j = index_of_neighbour(old_u, t);
    const auto sj = static_cast<std::size_t>(j), sjn = static_cast<std::size_t>(next(j)),
               sjp = static_cast<std::size_t>(prev(j));
    const std::uint32_t a = old_t.v[si], b = old_t.v[sn], c = old_t.v[sp], d = old_u.v[sj];
    const std::uint16_t k = old_t.c[si];  // constraints along the edge being split
    const std::uint32_t t2 = add_triangle(old_t), t4 = add_triangle(old_t);
    // old_u is [d, c, b]: its edge (b, d) lies opposite c (index next(j)), (d, c) opposite b.
    triangles_[t] = {{p, a, b}, {old_t.n[sp], u, t2}, {old_t.c[sp], k, 0}};
    triangles_[t2] = {{p, c, a}, {old_t.n[sn], t, t4}, {old_t.c[sn], 0, k}};
    triangles_[u] = {{p, b, d}, {old_u.n[sjn], t4, t}, {old_u.c[sjn], 0, k}};
    triangles_[t4] = {{p, d, c}, {old_u.n[sjp], t2, u}, {old_u.c[sjp], k, 0}};
    replace_neighbour(old_t.n[sn], t, t2);
    replace_neighbour(old_u.n[sjp], u, t4);
    vertex_triangle_[p] = t;
    vertex_triangle_[a] = t;
    vertex_triangle_[b] = t;
    vertex_triangle_[c] = t2;
    vertex_triangle_[d] = u;
    std::vector<std::uint32_t> stack{t, t2, u, t4};
    legalize_around(p, stack);
}

std::uint32_t giLatticeTriangulation::flip(std::uint32_t t, int i)
{
    const Triangle tt = triangles_[t];
    const std::uint32_t u = tt.n[static_cast<std::size_t>(i)];
    const Triangle tu = triangles_[u];
    const int j = index_of_neighbour(tu, t);
    const auto si = static_cast<std::size_t>(i), sn = static_cast<std::size_t>(next(i)),
               sp = static_cast<std::size_t>(prev(i));
    const auto sj = static_cast<std::size_t>(j), sjn = static_cast<std::size_t>(next(j)),
               sjp = static_cast<std::size_t>(prev(j));
    const std::uint32_t a = tt.v[si], b = tt.v[sn], c = tt.v[sp], d = tu.v[sj];
    // tu is [d, c, b]: (b, d) lies opposite c (next(j)), (d, c) opposite b (prev(j)).
    triangles_[t] = {{a, b, d}, {tu.n[sjn], u, tt.n[sp]}, {tu.c[sjn], 0, tt.c[sp]}};
    triangles_[u] = {{a, d, c}, {tu.n[sjp], tt.n[sn], t}, {tu.c[sjp], tt.c[sn], 0}};
    replace_neighbour(tu.n[sjn], u, t);
    replace_neighbour(tt.n[sn], t, u);
    vertex_triangle_[a] = t;
    vertex_triangle_[b] = t;
    vertex_triangle_[d] = t;
    vertex_triangle_[c] = u;
    return u;
}

bool giLatticeTriangulation::locally_delaunay(std::uint32_t t, int i) const
{
    const Triangle& tr = triangles_[t];
    const std::uint32_t u = tr.n[static_cast<std::size_t>(i)];
    if (u == none)
        return true;
    const Triangle& tu = triangles_[u];
    const std::uint32_t d = tu.v[static_cast<std::size_t>(index_of_neighbour(tu, t))];
    return Pred::incircle(points_[tr.v[0]], points_[tr.v[1]], points_[tr.v[2]], points_[d]) <= 0;
}

void giLatticeTriangulation::legalize_around(std::uint32_t p, std::vector<std::uint32_t>& stack)
{
    while (!stack.empty()) {
        const std::uint32_t t = stack.back();
        stack.pop_back();
        const int i = index_of(triangles_[t], p);
        if (i < 0 || triangles_[t].c[static_cast<std::size_t>(i)] != 0 || locally_delaunay(t, i))
            continue;
        const std::uint32_t u = flip(t, i);
        stack.push_back(t);
        stack.push_back(u);
    }
}

void giLatticeTriangulation::legalize_edges(std::vector<Edge>& stack)
{
    std::size_t steps = 0;
    const std::size_t limit = 16 * step_limit();
    while (!stack.empty() && ++steps < limit) {
        const Edge e = stack.back();
        stack.pop_back();
        const EdgeRef r = find_edge(e[0], e[1]);
        if (r.triangle == none)
            continue;
        const Triangle& tr = triangles_[r.triangle];
        if (tr.c[static_cast<std::size_t>(r.index)] != 0 || locally_delaunay(r.triangle, r.index))
            continue;
        const std::uint32_t a = tr.v[static_cast<std::size_t>(r.index)];
        const std::uint32_t b = tr.v[static_cast<std::size_t>(next(r.index))];
        const std::uint32_t c = tr.v[static_cast<std::size_t>(prev(r.index))];
        const std::uint32_t u = flip(r.triangle, r.index);
        const std::uint32_t d = triangles_[u].v[1];  // u is [a, d, c]
        stack.push_back({a, b});
        stack.push_back({b, d});
        stack.push_back({d, c});
        stack.push_back({c, a});
    }
}

giLatticeTriangulation::EdgeRef giLatticeTriangulation::find_edge(std::uint32_t a, std::uint32_t b) const
{
    if (is_helper(a))  // the star of a helper vertex is open: start from the other end
        std::swap(a, b);
    const std::uint32_t start = vertex_triangle_[a];
    // Counter-clockwise around a; where the star is open (at a helper vertex), clockwise from the start.
    for (const bool ccw : {true, false}) {
        std::uint32_t t = start;
        for (std::size_t step = 0; step < triangles_.size(); ++step) {
            const Triangle& tr = triangles_[t];
            const int ia = index_of(tr, a);
            if (ia < 0)
                return {};
            if (tr.v[static_cast<std::size_t>(next(ia))] == b)
                return {t, prev(ia)};
            if (tr.v[static_cast<std::size_t>(prev(ia))] == b)
                return {t, next(ia)};
            t = tr.n[static_cast<std::size_t>(ccw ? next(ia) : prev(ia))];
            if (t == start)
                return {};
            if (t == none)
                break;
        }
    }
    return {};
}

void giLatticeTriangulation::count_constraint(std::uint32_t a, std::uint32_t b)
{
    const EdgeRef r = find_edge(a, b);
    if (r.triangle == none)
        return;
    Triangle& tr = triangles_[r.triangle];
    ++tr.c[static_cast<std::size_t>(r.index)];
    const std::uint32_t u = tr.n[static_cast<std::size_t>(r.index)];
    if (u != none) {
        Triangle& tu = triangles_[u];
        ++tu.c[static_cast<std::size_t>(index_of_neighbour(tu, r.triangle))];
    }
}

giLatticeTriangulation::Outcome giLatticeTriangulation::trace(std::uint32_t a, std::uint32_t b,
                                                              std::vector<Edge>& crossed, std::uint32_t& end) const
{
    crossed.clear();
    const giPoint2& pa = points_[a];
    const giPoint2& pb = points_[b];
    // The triangle around a whose corner at a holds the direction to b.
    const std::uint32_t start = vertex_triangle_[a];
    std::uint32_t t = start;
    std::uint32_t right = none, left = none;
    for (std::size_t step = 0;; ++step) {
        if (step > triangles_.size())
            return Outcome::stuck;
        const Triangle& tr = triangles_[t];
        const int ia = index_of(tr, a);
        if (ia < 0)
            return Outcome::stuck;
        const std::uint32_t p = tr.v[static_cast<std::size_t>(next(ia))];
        const std::uint32_t q = tr.v[static_cast<std::size_t>(prev(ia))];
        if (p == b || q == b) {
            end = b;
            return Outcome::done;
        }
        const int op = Pred::orient(pa, pb, points_[p]);
        if (op == 0 && dot(pa, points_[p], pb) > 0) {
            end = p;  // p lies on the segment, between a and b
            return Outcome::done;
        }
        if (op < 0 && Pred::orient(pa, pb, points_[q]) > 0) {
            if (tr.c[static_cast<std::size_t>(ia)] != 0)
                return Outcome::crossing;
            right = p;
            left = q;
            break;
        }
        t = tr.n[static_cast<std::size_t>(next(ia))];
        if (t == none || t == start)
            return Outcome::stuck;
    }
    crossed.push_back({right, left});
    for (std::size_t step = 0; step <= triangles_.size(); ++step) {
        const Triangle& tr = triangles_[t];
        const int k = tr.v[0] != right && tr.v[0] != left ? 0 : tr.v[1] != right && tr.v[1] != left ? 1 : 2;
        const std::uint32_t u = tr.n[static_cast<std::size_t>(k)];
        if (u == none)
            return Outcome::stuck;
        const Triangle& tu = triangles_[u];
        const int j = index_of_neighbour(tu, t);
        const std::uint32_t r = tu.v[static_cast<std::size_t>(j)];
        if (r == b) {
            end = b;
            return Outcome::done;
        }
        const int o = Pred::orient(pa, pb, points_[r]);
        if (o == 0) {
            end = r;  // r lies on the segment
            return Outcome::done;
        }
        // The segment leaves tu through the edge from r to the vertex on the other side of the segment.
        const int out = index_of(tu, o < 0 ? right : left);  // the edge (r, kept) lies opposite it
        if (tu.c[static_cast<std::size_t>(out)] != 0)
            return Outcome::crossing;
        (o < 0 ? right : left) = r;
        crossed.push_back({right, left});
        t = u;
    }
    return Outcome::stuck;
}

giLatticeTriangulation::Outcome giLatticeTriangulation::remove_crossings(std::uint32_t a, std::uint32_t b,
                                                                         std::vector<Edge>& crossed)
{
    // Flip crossing edges whose quadrilateral is convex; an edge whose quadrilateral is not waits its
    // turn again. Some crossing edge is always flippable, so the queue empties.
    std::deque<Edge> queue(crossed.begin(), crossed.end());
    crossed.clear();  // now collects the new edges that no longer cross
    const giPoint2& pa = points_[a];
    const giPoint2& pb = points_[b];
    const std::size_t limit = 64 + 16 * (queue.size() + 4) * (queue.size() + 4);
    for (std::size_t steps = 0; !queue.empty(); ++steps) {
        if (steps > limit)
            return Outcome::stuck;
        const Edge e = queue.front();
        queue.pop_front();
        const EdgeRef r = find_edge(e[0], e[1]);
        if (r.triangle == none)
            return Outcome::stuck;
        const Triangle& tr = triangles_[r.triangle];
        const std::uint32_t x = tr.v[static_cast<std::size_t>(r.index)];
        if (tr.n[static_cast<std::size_t>(r.index)] == none)
            return Outcome::stuck;
        const Triangle& tu = triangles_[tr.n[static_cast<std::size_t>(r.index)]];
        const std::uint32_t y = tu.v[static_cast<std::size_t>(index_of_neighbour(tu, r.triangle))];
        const int o0 = Pred::orient(points_[x], points_[y], points_[e[0]]);
        const int o1 = Pred::orient(points_[x], points_[y], points_[e[1]]);
        if (o0 * o1 >= 0) {
            queue.push_back(e);
            continue;
        }
        flip(r.triangle, r.index);
        if (Pred::orient(pa, pb, points_[x]) * Pred::orient(pa, pb, points_[y]) < 0)
            queue.push_back({x, y});
        else
            crossed.push_back({x, y});
    }
    return Outcome::done;
}

giLatticeTriangulation::Outcome giLatticeTriangulation::insert_constraint(std::uint32_t a, std::uint32_t b)
{
    std::vector<Edge> edges;
    for (std::size_t pieces = 0; a != b; ++pieces) {
        if (pieces > points_.size())
            return Outcome::stuck;
        std::uint32_t end = none;
        Outcome o = trace(a, b, edges, end);
        if (o != Outcome::done)
            return o;
        if (!edges.empty()) {
            o = remove_crossings(a, end, edges);
            if (o != Outcome::done)
                return o;
        }
        count_constraint(a, end);
        legalize_edges(edges);
        a = end;
    }
    return Outcome::done;
}

std::vector<bool> giLatticeTriangulation::inside() const
{
    // Flood fill from a triangle at a helper vertex (outside), flipping the parity across every edge
    // that carries an odd number of constraints.
    std::vector<signed char> parity(triangles_.size(), -1);
    std::vector<std::uint32_t> stack{vertex_triangle_[0]};
    parity[stack.back()] = 0;
    while (!stack.empty()) {
        const std::uint32_t t = stack.back();
        stack.pop_back();
        const Triangle& tr = triangles_[t];
        for (std::size_t i = 0; i < 3; ++i) {
            const std::uint32_t u = tr.n[i];
            if (u == none || parity[u] >= 0)
                continue;
            parity[u] = static_cast<signed char>(parity[t] ^ (tr.c[i] & 1));
            stack.push_back(u);
        }
    }
    std::vector<bool> result(triangles_.size());
    for (std::size_t t = 0; t < triangles_.size(); ++t) {
        const Triangle& tr = triangles_[t];
        result[t] = parity[t] == 1 && !is_helper(tr.v[0]) && !is_helper(tr.v[1]) && !is_helper(tr.v[2]);
    }
    return result;
}
