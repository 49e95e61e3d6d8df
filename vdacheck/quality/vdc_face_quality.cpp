#include <vdacheck/quality/vdc_face_quality.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/quality/vdc_piece_chain.h>
#include <vdacheck/quality/vdc_quality_collector.h>
#include <vdacheck/quality/vdc_quality_numerics.h>
#include <vdacheck/quality/vdc_quality_references.h>

namespace {

using R = vdcQualityRule;

// Twice the signed area that a loop sweeps about its first point in the parameter plane (positive
// counter-clockwise): the integral of (s - s0) t' - (t - t0) s' along each piece, segment by segment of
// its cons, by a Gauss rule that is exact for these polynomials.
double twice_signed_area(const vdcPieceChain& loop)
{
    const giPoint2 origin = loop.uv(0, 0.0, 0).point;
    double sum = 0.0;
    for (int k = 0; k < loop.size(); ++k) {
        const vdcPieceChain::Piece& p = loop.piece(k);
        const double lo = std::min(p.w1, p.w2), hi = std::max(p.w1, p.w2);
        double piece = 0.0;
        for (int i = 0; i < p.cons.num_segments(); ++i) {
            const double a = std::max(lo, p.cons.breakpoint(i)), b = std::min(hi, p.cons.breakpoint(i + 1));
            if (!(a < b))
                continue;
            auto f = [&](double w) {
                const vdaConsSample c = p.cons.segment_sample(i, p.cons.local_parameter(i, w), 1);
                const giPoint2 d = c.point - origin;
                return d.x() * c.d1.y() - d.y() * c.d1.x();
            };
            // The integrand has degree 2 order - 3: 8 points are exact up to order 9, 24 up to order 25.
            piece += p.cons.segment(i).order() <= 9 ? vdc_integrate_fixed(vdc_gauss_legendre_8, f, a, b)
                                                    : vdc_integrate_fixed(vdc_gauss_legendre_24, f, a, b);
        }
        sum += p.w2 > p.w1 ? piece : -piece;
    }
    return sum;
}

// A polyline edge of a boundary in the parameter plane, between chain parameters x0 and x1 of one piece.
struct Edge {
    int loop, piece, index;  // index: position of the edge within its piece
    double x0, x1;
    giPoint2 a, b;
    double s_min, s_max;
};

double cross(const giPoint2& o, const giPoint2& a, const giPoint2& b) noexcept
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

// Where two edges cross: the fraction along each. A vertex exactly on the other edge's line counts as
// lying to its left, as if moved there by an infinitely small step: a boundary passing through a vertex
// of another then crosses it once, and one touching it crosses it twice or not at all. Collinear edges
// do not cross.
bool crossing(const Edge& e, const Edge& f, double& along_e, double& along_f) noexcept
{
    const double d1 = cross(e.a, e.b, f.a), d2 = cross(e.a, e.b, f.b);
    const double d3 = cross(f.a, f.b, e.a), d4 = cross(f.a, f.b, e.b);
    if ((d1 >= 0) == (d2 >= 0) || (d3 >= 0) == (d4 >= 0))
        return false;
    along_f = d1 / (d1 - d2);
    along_e = d3 / (d3 - d4);
    return true;
}

// Two edges that share a vertex of the boundary: neighbours within a piece, or the last edge of a piece
// and the first of the next piece of the same loop (they meet at the joint, whose gap is measured apart).
bool neighbours(const Edge& e, const Edge& f, const std::vector<vdcPieceChain>& loops, int edges_per_piece_of_e,
                int edges_per_piece_of_f) noexcept
{
    if (e.loop != f.loop)
        return false;
    if (e.piece == f.piece)
        return std::abs(e.index - f.index) <= 1 || (loops[static_cast<std::size_t>(e.loop)].size() == 1 &&
                                                    std::abs(e.index - f.index) == edges_per_piece_of_e - 1);
    const int n = loops[static_cast<std::size_t>(e.loop)].size();
    const bool e_then_f = (e.piece + 1) % n == f.piece && e.index == edges_per_piece_of_e - 1 && f.index == 0;
    const bool f_then_e = (f.piece + 1) % n == e.piece && f.index == edges_per_piece_of_f - 1 && e.index == 0;
    return e_then_f || f_then_e;
}

// Edges per piece: enough that chords follow the curve closely for every segment of the cons it covers.
int edges_for(const vdcPieceChain::Piece& p) noexcept
{
    int order = 2;
    for (int i = 0; i < p.cons.num_segments(); ++i)
        order = std::max(order, p.cons.segment(i).order());
    return std::clamp(4 * order * p.cons.num_segments(), 8, 256);
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

void vdcFaceQuality::measure(const vdaFace& face) const
{
    if (!out_.on(R::face_loop_gap) && !out_.on(R::face_loop_orientation) && !out_.on(R::face_loop_self_intersection))
        return;
    std::string why;
    const auto surface =
        vdc_evaluator_of<vdaSurf, vdaSurfEval>(face.basis_surface(), face.basis_surface_name(), "surface", why);
    if (!surface) {
        out_.skipped(vdc_join({"not evaluated: ", why}));
        return;
    }
    std::vector<vdcPieceChain> loops;
    for (int b = 0; b < face.num_boundaries(); ++b) {
        const vdaBoundary& boundary = face.boundary(b);
        vdcPieceChain& loop = loops.emplace_back(*surface);
        for (int k = 0; k < boundary.num_curve_segments(); ++k)
            if (!loop.add(boundary.curve_segment(k), why)) {
                out_.skipped(
                    vdc_join({"not evaluated: boundary ", std::to_string(b), " piece ", std::to_string(k), ": ", why}));
                return;
            }
        if (loop.size() == 0) {
            out_.skipped(vdc_join({"not evaluated: boundary ", std::to_string(b), " has no trimmed curves"}));
            return;
        }
    }
    if (out_.on(R::face_loop_gap))
        measure_gaps(loops);
    if (out_.on(R::face_loop_orientation))
        measure_orientation(loops);
    if (out_.on(R::face_loop_self_intersection))
        measure_crossings(loops);
}

void vdcFaceQuality::measure_gaps(const std::vector<vdcPieceChain>& loops) const
{
    for (int b = 0; b < static_cast<int>(loops.size()); ++b) {
        const vdcPieceChain& loop = loops[static_cast<std::size_t>(b)];
        for (int k = 0; k < loop.size(); ++k) {
            const vdaConsSample end = loop.uv(k, 1.0, 1);
            const giPoint3 p = loop.surface().sample_along(end, 0).point;
            const giPoint3 q = loop.point((k + 1) % loop.size(), 0.0);
            out_.measured(R::face_loop_gap, gi_distance(p, q),
                          vdcQualityLocation::at({b, k}, {end.point.x(), end.point.y()}, p));
        }
    }
}

void vdcFaceQuality::measure_orientation(const std::vector<vdcPieceChain>& loops) const
{
    if (loops.size() < 2)
        return;
    const double outer = twice_signed_area(loops[0]);
    if (outer == 0.0 || !std::isfinite(outer))
        return;
    for (int b = 1; b < static_cast<int>(loops.size()); ++b) {
        const vdcPieceChain& hole = loops[static_cast<std::size_t>(b)];
        out_.measured(R::face_loop_orientation, twice_signed_area(hole) / outer,
                      vdcQualityLocation::at({b}, {}, hole.point(0, 0.0)));
    }
}

void vdcFaceQuality::measure_crossings(const std::vector<vdcPieceChain>& loops) const
{
    std::vector<Edge> edges;
    std::vector<std::vector<int>> edges_per_piece(loops.size());
    for (int b = 0; b < static_cast<int>(loops.size()); ++b) {
        const vdcPieceChain& loop = loops[static_cast<std::size_t>(b)];
        for (int k = 0; k < loop.size(); ++k) {
            const int n = edges_for(loop.piece(k));
            edges_per_piece[static_cast<std::size_t>(b)].push_back(n);
            giPoint2 a = loop.uv(k, 0.0, 0).point;
            for (int m = 0; m < n; ++m) {
                const double x0 = double(m) / n, x1 = double(m + 1) / n;
                const giPoint2 c = loop.uv(k, x1, 0).point;
                edges.push_back({b, k, m, x0, x1, a, c, std::min(a.x(), c.x()), std::max(a.x(), c.x())});
                a = c;
            }
        }
    }
    // Sweep along s: only edges whose s ranges overlap can cross.
    std::sort(edges.begin(), edges.end(), [](const Edge& e, const Edge& f) { return e.s_min < f.s_min; });
    int crossings = 0;
    const Edge* first_e = nullptr;
    const Edge* first_f = nullptr;
    double first_x = 0.0, first_y = 0.0;
    auto per_piece = [&](const Edge& e) {
        return edges_per_piece[static_cast<std::size_t>(e.loop)][static_cast<std::size_t>(e.piece)];
    };
    auto key = [](const Edge& e) { return std::tuple(e.loop, e.piece, e.index); };
    for (std::size_t i = 0; i < edges.size(); ++i)
        for (std::size_t j = i + 1; j < edges.size() && edges[j].s_min <= edges[i].s_max; ++j) {
            const Edge* e = &edges[i];
            const Edge* f = &edges[j];
            if (key(*f) < key(*e))
                std::swap(e, f);
            double along_e = 0.0, along_f = 0.0;
            if (neighbours(*e, *f, loops, per_piece(*e), per_piece(*f)) || !crossing(*e, *f, along_e, along_f))
                continue;
            ++crossings;
            // The first crossing in boundary, piece and edge order is the one reported.
            if (!first_e || std::tuple(key(*e), key(*f)) < std::tuple(key(*first_e), key(*first_f))) {
                first_e = e;
                first_f = f;
                first_x = e->x0 + along_e * (e->x1 - e->x0);
                first_y = f->x0 + along_f * (f->x1 - f->x0);
            }
        }
    if (crossings == 0) {
        out_.measured(R::face_loop_self_intersection, 0.0, vdcQualityLocation::without_point({}, {}));
        return;
    }
    const vdcPieceChain& ce = loops[static_cast<std::size_t>(first_e->loop)];
    const vdcPieceChain& cf = loops[static_cast<std::size_t>(first_f->loop)];
    refine_crossing(ce, first_e->piece, first_x, cf, first_f->piece, first_y);
    const vdaConsSample at = ce.uv(first_e->piece, first_x, 1);
    out_.measured(R::face_loop_self_intersection, double(crossings),
                  vdcQualityLocation::at({first_e->loop, first_e->piece, first_f->loop, first_f->piece},
                                         {at.point.x(), at.point.y()}, ce.surface().sample_along(at, 0).point));
}
