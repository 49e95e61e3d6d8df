#include <algorithm>
#include <cmath>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_constrained_delaunay.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/mesh/vda_cons_sampler.h>
#include <vdacheck/mesh/vda_drawing_ops.h>
#include <vdacheck/mesh/vda_face_mesher.h>
#include <vdacheck/mesh/vda_surface_grid.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_face.h>

namespace {

double segment_distance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

}  // namespace

const char* vdaFaceMesher::loops(const vdaFace& face, std::vector<std::vector<vdaPathPoint>>& loops) const
{
    const vdaConsSampler sampler(surf_, grid_, tolerance_);
    loops.clear();
    if (face.num_boundaries() == 0)
        return "the face has no boundary";
    std::vector<vdaPathPoint> piece;
    for (int b = 0; b < face.num_boundaries(); ++b) {
        const vdaBoundary& boundary = face.boundary(b);
        std::vector<vdaPathPoint>& loop = loops.emplace_back();
        for (int k = 0; k < boundary.num_curve_segments(); ++k) {
            const vdaTrimmedCurve& trimmed = boundary.curve_segment(k);
            const vdaCons* cons = vda_cast<vdaCons>(trimmed.basis_curve()());
            if (!cons)
                return "a boundary piece names no cons";
            const auto eval = vdaConsEval::make(*cons);
            if (!eval)
                return "a boundary cons cannot be evaluated";
            const double w0 = trimmed.start_parameter(), w1 = trimmed.end_parameter();
            if (!std::isfinite(w0) || !std::isfinite(w1))
                return "a boundary piece has no finite range";
            if (w0 == w1)
                continue;
            piece.clear();
            sampler.sample(*eval, w0, w1, piece);
            auto from = piece.begin();
            if (!loop.empty()) {
                if (gi_distance(loop.back().point, piece.front().point) > tolerance_)
                    return "a boundary has a gap between pieces";
                if (loop.back().st == piece.front().st)
                    ++from;
            }
            loop.insert(loop.end(), from, piece.end());
        }
        if (loop.empty())
            return "a boundary is empty";
        if (gi_distance(loop.back().point, loop.front().point) > tolerance_)
            return "a boundary loop is open";
        if (!(loop.back().st == loop.front().st))
            loop.push_back(loop.front());
    }
    return nullptr;
}

std::vector<giPoint2> vdaFaceMesher::steiner_points(const std::vector<std::vector<vdaPathPoint>>& loops) const
{
    double s0 = INFINITY, s1 = -INFINITY, t0 = INFINITY, t1 = -INFINITY;
    for (const auto& loop : loops)
        for (const vdaPathPoint& p : loop) {
            s0 = std::min(s0, p.st.x());
            s1 = std::max(s1, p.st.x());
            t0 = std::min(t0, p.st.y());
            t1 = std::max(t1, p.st.y());
        }
    const std::vector<double>& S = grid_.s();
    const std::vector<double>& T = grid_.t();
    // Grid lines strictly inside the box.
    const int a0 = static_cast<int>(std::upper_bound(S.begin(), S.end(), s0) - S.begin());
    const int a1 = static_cast<int>(std::lower_bound(S.begin(), S.end(), s1) - S.begin());
    const int b0 = static_cast<int>(std::upper_bound(T.begin(), T.end(), t0) - T.begin());
    const int b1 = static_cast<int>(std::lower_bound(T.begin(), T.end(), t1) - T.begin());
    std::vector<giPoint2> points;
    if (a0 >= a1 || b0 >= b1)
        return points;

    // Loop segments by the grid cells their boxes touch (cells a0 - 1 .. a1 - 1 by b0 - 1 .. b1 - 1).
    const int ca = std::max(a0 - 1, 0), cb = std::max(b0 - 1, 0);
    const int na = std::min(a1, static_cast<int>(S.size()) - 1) - ca;
    const int nb = std::min(b1, static_cast<int>(T.size()) - 1) - cb;
    auto cell = [&](int a, int b) {
        return static_cast<std::size_t>(a - ca) * static_cast<std::size_t>(nb) + static_cast<std::size_t>(b - cb);
    };
    std::vector<const vdaPathPoint*> starts;
    for (const auto& loop : loops)
        for (std::size_t k = 0; k + 1 < loop.size(); ++k)
            starts.push_back(&loop[k]);
    auto cells_of = [&](const vdaPathPoint* p, auto&& visit) {
        const vdaPathPoint* q = p + 1;
        const int x0 = std::clamp(grid_.step_s_at(std::min(p->st.x(), q->st.x())), ca, ca + na - 1);
        const int x1 = std::clamp(grid_.step_s_at(std::max(p->st.x(), q->st.x())), ca, ca + na - 1);
        const int y0 = std::clamp(grid_.step_t_at(std::min(p->st.y(), q->st.y())), cb, cb + nb - 1);
        const int y1 = std::clamp(grid_.step_t_at(std::max(p->st.y(), q->st.y())), cb, cb + nb - 1);
        for (int a = x0; a <= x1; ++a)
            for (int b = y0; b <= y1; ++b)
                visit(cell(a, b));
    };
    std::vector<std::uint32_t> offset(static_cast<std::size_t>(na) * static_cast<std::size_t>(nb) + 1, 0);
    for (const vdaPathPoint* p : starts)
        cells_of(p, [&](std::size_t c) { ++offset[c + 1]; });
    for (std::size_t c = 1; c < offset.size(); ++c)
        offset[c] += offset[c - 1];
    std::vector<const vdaPathPoint*> bucket(offset.back());
    std::vector<std::uint32_t> fill(offset.begin(), offset.end() - 1);
    for (const vdaPathPoint* p : starts)
        cells_of(p, [&](std::size_t c) { bucket[fill[c]++] = p; });

    const int last_a = static_cast<int>(S.size()) - 2, last_b = static_cast<int>(T.size()) - 2;
    for (int a = a0; a < a1; ++a)
        for (int b = b0; b < b1; ++b) {
            const double s = S[static_cast<std::size_t>(a)], t = T[static_cast<std::size_t>(b)];
            // Distances measured in grid steps around the point.
            const double ds =
                std::min(grid_.step_s_length(std::max(a - 1, 0)), grid_.step_s_length(std::min(a, last_a)));
            const double dt =
                std::min(grid_.step_t_length(std::max(b - 1, 0)), grid_.step_t_length(std::min(b, last_b)));
            bool near = false;
            for (int x = std::max(a - 1, ca); x <= std::min(a, ca + na - 1) && !near; ++x)
                for (int y = std::max(b - 1, cb); y <= std::min(b, cb + nb - 1) && !near; ++y)
                    for (std::uint32_t k = offset[cell(x, y)]; k < offset[cell(x, y) + 1] && !near; ++k) {
                        const vdaPathPoint* p = bucket[k];
                        near = segment_distance(s / ds, t / dt, p->st.x() / ds, p->st.y() / dt, p[1].st.x() / ds,
                                                p[1].st.y() / dt) < 1.0 / 3.0;
                    }
            if (!near)
                points.push_back({s, t});
        }
    return points;
}

const char* vdaFaceMesher::mesh(const vdaFace& face, vdaDrawing& out, std::vector<giPoint2>* parameters) const
{
    std::vector<std::vector<vdaPathPoint>> boundary;
    if (const char* why = loops(face, boundary))
        return why;
    const std::vector<giPoint2> steiner = steiner_points(boundary);

    const double ks = 1 / grid_.mean_step_s(), kt = 1 / grid_.mean_step_t();
    std::vector<std::vector<giPoint2>> scaled(boundary.size());
    std::vector<const vdaPathPoint*> flat;
    for (std::size_t l = 0; l < boundary.size(); ++l)
        for (const vdaPathPoint& p : boundary[l]) {
            scaled[l].push_back({p.st.x() * ks, p.st.y() * kt});
            flat.push_back(&p);
        }
    std::vector<giPoint2> scaled_steiner;
    scaled_steiner.reserve(steiner.size());
    for (const giPoint2& p : steiner)
        scaled_steiner.push_back({p.x() * ks, p.y() * kt});
    auto lift = [&](const giPoint2& p) { return surf_.point(p.x() / ks, p.y() / kt); };
    auto refine = [&](const giPoint2& a, const giPoint2& b, const giPoint2& c, giPoint2& insert) {
        const giPoint3 pa = lift(a), pb = lift(b), pc = lift(c);
        const giPoint3 centre((pa.x() + pb.x() + pc.x()) / 3, (pa.y() + pb.y() + pc.y()) / 3,
                              (pa.z() + pb.z() + pc.z()) / 3);
        insert = giPoint2((a.x() + b.x() + c.x()) / 3, (a.y() + b.y() + c.y()) / 3);
        return gi_distance(centre, lift(insert)) > tolerance_;
    };
    const giConstrainedDelaunay::Result r = giConstrainedDelaunay::triangulate(scaled, scaled_steiner, refine);
    if (r.status != giConstrainedDelaunay::Status::ok)
        return giConstrainedDelaunay::describe(r.status);

    constexpr std::uint32_t none = giConstrainedDelaunay::none;
    std::vector<std::uint32_t> origin(r.points.size(), none);  // first input of each distinct point
    for (std::uint32_t i = 0; i < r.point_of_input.size(); ++i) {
        const std::uint32_t o = r.point_of_input[i];
        if (o != none && origin[o] == none)
            origin[o] = i;
    }
    std::vector<std::uint32_t> vertex(r.points.size(), none);
    out.indices.reserve(out.indices.size() + 3 * r.triangles.size());
    for (const auto& triangle : r.triangles) {
        for (const std::uint32_t o : triangle)
            if (vertex[o] == none) {
                // A loop sample keeps the point it was sampled at; grid and refinement points are lifted.
                const std::uint32_t i = origin[o];
                const bool on_boundary = i < flat.size();
                const giPoint2 st = on_boundary ? flat[i]->st
                                    : i != none ? steiner[i - flat.size()]
                                                : giPoint2(r.points[o].x() / ks, r.points[o].y() / kt);
                vertex[o] = vda_add_vertex(out, on_boundary ? flat[i]->point : surf_.point(st.x(), st.y()));
                if (parameters)
                    parameters->push_back(st);
            }
        vda_add_triangle(out, vertex[triangle[0]], vertex[triangle[1]], vertex[triangle[2]]);
    }
    return nullptr;
}
