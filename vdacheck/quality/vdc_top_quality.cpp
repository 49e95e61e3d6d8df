#include <vdacheck/quality/vdc_top_quality.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_top.h>
#include <vdacheck/quality/vdc_normal_scale.h>
#include <vdacheck/quality/vdc_piece_chain.h>
#include <vdacheck/quality/vdc_quality_collector.h>
#include <vdacheck/quality/vdc_quality_numerics.h>
#include <vdacheck/quality/vdc_quality_references.h>

namespace {

using R = vdcQualityRule;
constexpr double nan_d = std::numeric_limits<double>::quiet_NaN();
// Distances (mm) and angles (degrees) this small are rounding noise: no digits worth refining.
constexpr double negligible = 1e-9;

// A point of a chain: its piece and the piece's parameter x.
struct ChainPoint {
    int piece = 0;
    double x = 0.0;
};

// A chain in space as a polyline through points dense enough to find, for any point, the part of the
// chain nearest to it; the nearest point itself is then found on the chain.
class ChainPolyline {
public:
    explicit ChainPolyline(const vdcPieceChain& chain) : chain_(chain)
    {
        for (int k = 0; k < chain.size(); ++k) {
            const int n = vertices_for(chain.piece(k));
            first_.push_back(static_cast<int>(vertices_.size()));
            for (int m = 0; m <= n; ++m)
                vertices_.push_back({{k, double(m) / n}, chain.point(k, double(m) / n)});
        }
        first_.push_back(static_cast<int>(vertices_.size()));
    }

    const vdcPieceChain& chain() const noexcept { return chain_; }
    int size() const noexcept { return static_cast<int>(vertices_.size()); }
    ChainPoint vertex(int m) const noexcept { return vertices_[static_cast<std::size_t>(m)].at; }
    // The parameters of the vertices before and after vertex m on its piece (m itself at a piece end).
    std::pair<double, double> bracket(int m) const noexcept
    {
        const int k = vertex(m).piece;
        const int lo = std::max(m - 1, first_[static_cast<std::size_t>(k)]);
        const int hi = std::min(m + 1, first_[static_cast<std::size_t>(k) + 1] - 1);
        return {vertex(lo).x, vertex(hi).x};
    }

    // The point of the chain nearest to p and its distance.
    std::pair<ChainPoint, double> nearest(const giPoint3& p) const
    {
        // The nearest polyline edge first: edges join consecutive vertices of one piece.
        int best = 0;
        double best_t = 0.0, best_d = std::numeric_limits<double>::infinity();
        for (int m = 0; m + 1 < size(); ++m) {
            const Vertex& a = vertices_[static_cast<std::size_t>(m)];
            const Vertex& b = vertices_[static_cast<std::size_t>(m) + 1];
            if (a.at.piece != b.at.piece)
                continue;
            const giVector3 ab = b.p - a.p;
            const double len2 = ab.dot(ab);
            const double t = len2 > 0.0 ? std::clamp((p - a.p).dot(ab) / len2, 0.0, 1.0) : 0.0;
            const double d = gi_distance(p, a.p + t * ab);
            if (d < best_d) {
                best = m;
                best_t = t;
                best_d = d;
            }
        }
        const int k = vertex(best).piece;
        const double x0 = vertex(best).x, x1 = vertex(best + 1).x;
        const double lo = bracket(best).first, hi = bracket(best + 1).second;
        const double start = x0 + best_t * (x1 - x0);
        // The squared distance is smooth where the distance itself has a kink (at 0): Brent's parabolas fit.
        auto squared = [&](double x) {
            const giVector3 d = p - chain_.point(k, x);
            return -d.dot(d);
        };
        const vdcPeak closest = vdc_refine_max(squared, lo, hi, start, squared(start));
        return {{k, closest.x}, std::sqrt(-closest.value)};
    }

private:
    struct Vertex {
        ChainPoint at;
        giPoint3 p;
    };
    static int vertices_for(const vdcPieceChain::Piece& p) noexcept
    {
        int order = 2;
        for (int i = 0; i < p.cons.num_segments(); ++i)
            order = std::max(order, p.cons.segment(i).order());
        return std::clamp(4 * order * p.cons.num_segments(), 16, 128);
    }

    const vdcPieceChain& chain_;
    std::vector<Vertex> vertices_;
    std::vector<int> first_;  // index of each piece's first vertex, and the total at the end
};

// The angle between the lines of two normals, 0 to 90 degrees: two sides may be parametrised so that
// their normals point to opposite sides.
double normal_angle(const giVector3& a, const giVector3& b) noexcept
{
    const double angle = gi_angle_deg(a, b);
    return std::min(angle, 180.0 - angle);
}

// The largest value of f(piece, x) over a chain: at the polyline's vertices, then refined on the piece
// between the neighbouring vertices of the best local maxima among them (those within half of the best),
// unless the best is negligible. f may be NaN where it is undefined.
struct ChainPeak {
    ChainPoint at;
    double value = nan_d;
};
template <class F>
ChainPeak maximise_along(const ChainPolyline& line, double noise, F&& f)
{
    // Minus f at the vertices, so that its peaks are the least local minima; a piece's ends have no
    // neighbour on another piece.
    std::vector<double> minus(static_cast<std::size_t>(line.size()));
    for (int m = 0; m < line.size(); ++m) {
        const double y = f(line.vertex(m).piece, line.vertex(m).x);
        minus[static_cast<std::size_t>(m)] = std::isnan(y) ? nan_d : -y;
    }
    const auto has_lower = [&](int m) {
        const auto lower = [&](int o) {
            return o >= 0 && o < line.size() && line.vertex(o).piece == line.vertex(m).piece &&
                   minus[static_cast<std::size_t>(o)] < minus[static_cast<std::size_t>(m)];
        };
        return lower(m - 1) || lower(m + 1);
    };
    std::array<int, 3> start;
    const int starts = vdc_local_minima(minus.data(), line.size(), has_lower, 0.5, start.data(), 3);
    if (starts == 0)
        return {};
    ChainPeak best{line.vertex(start[0]), -minus[static_cast<std::size_t>(start[0])]};
    if (best.value <= noise)
        return best;
    for (int s = 0; s < starts; ++s) {
        const int m = start[static_cast<std::size_t>(s)];
        const int k = line.vertex(m).piece;
        const auto [lo, hi] = line.bracket(m);
        const vdcPeak p = vdc_refine_max([&](double x) { return f(k, x); }, lo, hi, line.vertex(m).x,
                                         -minus[static_cast<std::size_t>(m)]);
        if (p.value > best.value)
            best = {{k, p.x}, p.value};
    }
    return best;
}

// The chain of one side of a pair on its face's or surface's surface; empty, with `why`, when it cannot
// be evaluated.
std::optional<vdcPieceChain> side_chain(const vdaLinkedSurf& side, std::string& why)
{
    const vdaObjectPtr basis = side.basis_entity();
    std::optional<vdaSurfEval> surface;
    if (basis && basis->is_type(vdaFace::id)) {
        const auto* face = static_cast<const vdaFace*>(basis());
        surface =
            vdc_evaluator_of<vdaSurf, vdaSurfEval>(face->basis_surface(), face->basis_surface_name(), "surface", why);
    } else if (basis && basis->is_type(vdaSurf::id)) {
        surface = vdc_evaluator_of<vdaSurf, vdaSurfEval>(basis, side.basis_entity_name(), "surface", why);
    } else {
        why = basis ? vdc_join({side.basis_entity_name().view(), " is neither a FACE nor a SURF"})
                    : vdc_join({"side ", side.basis_entity_name().view(), " is missing"});
    }
    if (!surface)
        return std::nullopt;
    vdcPieceChain chain(*surface);
    for (int j = 0; j < side.num_trimmed_curves(); ++j)
        if (!chain.add(side.trimmed_curve(j), why))
            return std::nullopt;
    if (chain.size() == 0) {
        why = "no trimmed curves";
        return std::nullopt;
    }
    return chain;
}

}  // namespace

void vdcTopQuality::measure(const vdaTop& top) const
{
    if (!out_.on(R::top_edge_gap) && !out_.on(R::top_continuity))
        return;
    for (int i = 0; i < top.num_surface_pairs(); ++i) {
        const vdaSurfacePair& pair = top.surface_pair(i);
        std::string why;
        std::optional<vdcPieceChain> first = side_chain(pair.first_linked_surface(), why);
        std::optional<vdcPieceChain> second = first ? side_chain(pair.second_linked_surface(), why) : std::nullopt;
        if (!second) {
            out_.skipped(vdc_join({"pair ", std::to_string(i), " side ", first ? "1" : "0", " not evaluated: ", why}));
            continue;
        }
        const bool tangent = pair.continuity() == 1 || pair.continuity() == 2;
        measure_pair(i, *first, *second, tangent);
    }
}

void vdcTopQuality::measure_pair(int pair, const vdcPieceChain& first, const vdcPieceChain& second, bool tangent) const
{
    const ChainPolyline lines[2] = {ChainPolyline(first), ChainPolyline(second)};
    auto location = [&](int side, const ChainPoint& at) {
        const vdcPieceChain& chain = lines[side].chain();
        return vdcQualityLocation::at({pair, side, at.piece}, {chain.w(at.piece, at.x)}, chain.point(at.piece, at.x));
    };

    if (out_.on(R::top_edge_gap)) {
        // The larger of the two directed distances: each side's farthest point from the other side.
        int worst_side = 0;
        ChainPeak worst;
        for (int side = 0; side < 2; ++side) {
            const ChainPolyline& from = lines[side];
            const ChainPolyline& to = lines[1 - side];
            const ChainPeak p = maximise_along(
                from, negligible, [&](int k, double x) { return to.nearest(from.chain().point(k, x)).second; });
            if (side == 0 || p.value > worst.value) {
                worst = p;
                worst_side = side;
            }
        }
        out_.measured(R::top_edge_gap, worst.value, location(worst_side, worst.at));
    }

    if (tangent && out_.on(R::top_continuity)) {
        // Where either side's normal is undefined (a pole, a fold) there is no angle to measure.
        const double relative = out_.tolerance(R::surf_undefined_normal);
        vdcNormalScale scales[2] = {vdcNormalScale(first.surface(), relative),
                                    vdcNormalScale(second.surface(), relative)};
        const ChainPeak kink = maximise_along(lines[0], negligible, [&](int k, double x) {
            const ChainPoint other = lines[1].nearest(first.point(k, x)).first;
            const vdcPieceChain::Normal a = first.normal(k, x), b = second.normal(other.piece, other.x);
            if (scales[0].undefined(a.vector, a.patch_u, a.patch_v) ||
                scales[1].undefined(b.vector, b.patch_u, b.patch_v))
                return nan_d;
            return normal_angle(a.vector, b.vector);
        });
        out_.measured(R::top_continuity, kink.value, location(0, kink.at));
    }
}
