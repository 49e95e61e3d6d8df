#include <vdacheck/quality/vdc_face_quality.h>

#include <algorithm>
#include <cmath>
#include <string>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/quality/vdc_loop_crossings.h>
#include <vdacheck/quality/vdc_piece_chain.h>
#include <vdacheck/quality/vdc_quality_collector.h>
#include <vdacheck/quality/vdc_quality_numerics.h>
#include <vdacheck/quality/vdc_quality_references.h>

namespace {

using R = vdcQualityRule;

// Twice the signed area that a loop sweeps about its first point in the parameter plane (positive
// counter-clockwise): the integral of (s - s0) t' - (t - t0) s' along each piece, segment by segment of
// its cons, by a Gauss rule that is exact for these polynomials. `magnitude` adds up the segments'
// shares without their signs: the area is rounding noise when it is a tiny fraction of that.
struct SweptArea {
    double area = 0.0;
    double magnitude = 0.0;
};
SweptArea twice_signed_area(const vdcPieceChain& loop)
{
    const giPoint2 origin = loop.uv(0, 0.0, 0).point;
    SweptArea sum;
    for (int k = 0; k < loop.size(); ++k) {
        const vdcPieceChain::Piece& p = loop.piece(k);
        const double lo = std::min(p.w1, p.w2), hi = std::max(p.w1, p.w2);
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
            const double share = p.cons.segment(i).order() <= 9 ? vdc_integrate_fixed(vdc_gauss_legendre_8, f, a, b)
                                                                : vdc_integrate_fixed(vdc_gauss_legendre_24, f, a, b);
            sum.area += p.w2 > p.w1 ? share : -share;
            sum.magnitude += std::fabs(share);
        }
    }
    return sum;
}

// An area below this fraction of its magnitude is zero up to rounding: a loop without area, such as a
// bow-tie, has no orientation.
constexpr double no_area = 1e-9;
bool encloses_area(const SweptArea& a) noexcept { return std::fabs(a.area) > no_area * a.magnitude; }

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
    const SweptArea outer = twice_signed_area(loops[0]);
    if (!std::isfinite(outer.area) || !encloses_area(outer)) {
        out_.skipped("orientation of the holes not measured: boundary 0 encloses no area");
        return;
    }
    for (int b = 1; b < static_cast<int>(loops.size()); ++b) {
        const vdcPieceChain& hole = loops[static_cast<std::size_t>(b)];
        const SweptArea area = twice_signed_area(hole);
        if (!encloses_area(area))
            out_.skipped(vdc_join({"orientation not measured: boundary ", std::to_string(b), " encloses no area"}));
        else
            out_.measured(R::face_loop_orientation, area.area / outer.area,
                          vdcQualityLocation::at({b}, {}, hole.point(0, 0.0)));
    }
}

void vdcFaceQuality::measure_crossings(const std::vector<vdcPieceChain>& loops) const
{
    const vdcLoopCrossings::Result crossings = vdcLoopCrossings::count(loops);
    if (crossings.count < 0) {
        out_.skipped("crossings not counted: a boundary is not finite in the parameter plane");
        return;
    }
    if (crossings.count == 0) {
        out_.measured(R::face_loop_self_intersection, 0.0, vdcQualityLocation::without_point({}, {}));
        return;
    }
    const vdcLoopCrossings::Place& a = crossings.first;
    const vdcLoopCrossings::Place& b = crossings.other;
    out_.measured(R::face_loop_self_intersection, double(crossings.count),
                  vdcQualityLocation::at({a.loop, a.piece, b.loop, b.piece}, {crossings.uv.x(), crossings.uv.y()},
                                         loops[0].surface().point(crossings.uv.x(), crossings.uv.y())));
}
