#include <vdacheck/exchange/vdc_face_builder.h>

#include <algorithm>
#include <cmath>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRep_Builder.hxx>
#include <Precision.hxx>
#include <ShapeAnalysis_WireOrder.hxx>
#include <Standard_Failure.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Vertex.hxx>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/exchange/vdc_export_plan.h>
#include <vdacheck/exchange/vdc_geometry_cache.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_surf.h>

namespace {

gp_Pnt on_surface(const Handle(Geom_Surface) & surface, const Handle(Geom2d_Curve) & c2, double w)
{
    const gp_Pnt2d uv = c2->Value(w);
    return surface->Value(uv.X(), uv.Y());
}

// The signed area a loop encloses in (s, t), from a polygon through samples of its pieces.
template <class Pieces>
double signed_area(const Pieces& loop)
{
    double twice = 0.0;
    gp_Pnt2d previous = loop.back().c2->Value(loop.back().b);
    for (const auto& piece : loop)
        for (int i = 1; i <= 16; ++i) {
            const gp_Pnt2d p = piece.c2->Value(piece.a + (piece.b - piece.a) * i / 16.0);
            twice += previous.X() * p.Y() - p.X() * previous.Y();
            previous = p;
        }
    return twice / 2.0;
}

}  // namespace

bool vdcFaceBuilder::pieces(const vdaBoundary& boundary, std::vector<Piece>& out, Failure& failure) const
{
    for (int k = 0; k < boundary.num_curve_segments(); ++k) {
        const vdaTrimmedCurve& trimmed = boundary.curve_segment(k);
        Piece piece;
        piece.cons = vda_cast<vdaCons>(trimmed.basis_curve()());
        const vdaCurve* curve = piece.cons ? vda_cast<vdaCurve>(piece.cons->curve_3d()()) : nullptr;
        const auto eval = piece.cons ? vdaConsEval::make(*piece.cons) : vdaEvalResult<vdaConsEval>::refused("");
        if (curve && eval) {
            piece.c3 = geometry_.curve(*curve);
            piece.c2 = geometry_.pcurve(*piece.cons);
        }
        if (piece.c3.IsNull() || piece.c2.IsNull()) {
            failure = {"convert-face-not-built",
                       "the curves of its boundary piece " + std::to_string(k) + " cannot be made"};
            return false;
        }
        piece.a = eval->curve_parameter(trimmed.start_parameter());
        piece.b = eval->curve_parameter(trimmed.end_parameter());
        piece.tolerance =
            std::max(Precision::Confusion(), 1.05 * plan_.measured(*piece.cons, vdcQualityRule::cons_curve_deviation));
        // A space curve that stays at one point along the piece (a boundary along a collapsed edge of the
        // surface) makes a degenerated edge, which OCCT gives no space curve.
        const gp_Pnt start = piece.c3->Value(piece.a);
        double reach = 0.0;
        for (int i = 1; i <= 8; ++i)
            reach = std::max(reach, start.Distance(piece.c3->Value(piece.a + (piece.b - piece.a) * i / 8.0)));
        piece.degenerate = reach <= piece.tolerance;
        piece.closed = !piece.degenerate && start.Distance(piece.c3->Value(piece.b)) <= piece.tolerance;
        out.push_back(piece);
    }
    return !out.empty();
}

double vdcFaceBuilder::largest_gap(const std::vector<Piece>& loop, const Handle(Geom_Surface) & surface)
{
    double gap = 0.0;
    for (std::size_t k = 0; k < loop.size(); ++k) {
        const Piece& p = loop[k];
        const Piece& q = loop[(k + 1) % loop.size()];
        gap = std::max(gap, on_surface(surface, p.c2, p.b).Distance(on_surface(surface, q.c2, q.a)));
    }
    return gap;
}

// Shape healing's order of the pieces end to end (reversing some where that joins them), taken when every
// gap is then within the tolerance.
bool vdcFaceBuilder::reorder(std::vector<Piece>& loop, const Handle(Geom_Surface) & surface, double tolerance)
{
    ShapeAnalysis_WireOrder order(Standard_True, tolerance);
    for (const Piece& p : loop)
        order.Add(on_surface(surface, p.c2, p.a).XYZ(), on_surface(surface, p.c2, p.b).XYZ());
    order.Perform();
    if (!order.IsDone() || order.NbEdges() != static_cast<int>(loop.size()))
        return false;
    std::vector<Piece> ordered;
    for (int i = 1; i <= order.NbEdges(); ++i) {
        const int k = order.Ordered(i);
        Piece p = loop[static_cast<std::size_t>(std::abs(k) - 1)];
        if (k < 0)
            std::swap(p.a, p.b);
        ordered.push_back(p);
    }
    if (largest_gap(ordered, surface) > tolerance)
        return false;
    loop = std::move(ordered);
    return true;
}

TopoDS_Wire vdcFaceBuilder::wire(const std::vector<Piece>& loop, const Handle(Geom_Surface) & surface, bool outer,
                                 Failure& failure) const
{
    const std::size_t n = loop.size();
    // Joint k is where piece k ends and piece k + 1 starts. Joints at both ends of a degenerated piece are one
    // vertex, and so are those of a closed one (OCCT bounds a closed curve's edge by one vertex), as on a
    // surface closed in s a boundary that runs once round it.
    std::vector<std::size_t> vertex_of(n);
    for (std::size_t k = 0; k < n; ++k)
        vertex_of[k] = k;
    for (std::size_t k = 0; k < n; ++k)
        if (loop[k].degenerate || loop[k].closed) {
            const std::size_t from = vertex_of[(k + n - 1) % n], to = vertex_of[k];
            for (std::size_t& v : vertex_of)
                if (v == to)
                    v = from;
        }
    std::vector<std::vector<gp_Pnt>> points(n);
    std::vector<double> tolerance(n, Precision::Confusion());
    for (std::size_t k = 0; k < n; ++k) {
        const Piece& p = loop[k];
        const Piece& q = loop[(k + 1) % n];
        std::vector<gp_Pnt>& at = points[vertex_of[k]];
        at.push_back(on_surface(surface, p.c2, p.b));
        at.push_back(on_surface(surface, q.c2, q.a));
        if (!p.degenerate)
            at.push_back(p.c3->Value(p.b));
        if (!q.degenerate)
            at.push_back(q.c3->Value(q.a));
        double& tol = tolerance[vertex_of[k]];
        tol = std::max({tol, p.tolerance, q.tolerance});
    }
    BRep_Builder builder;
    std::vector<TopoDS_Vertex> vertices(n);
    for (std::size_t v = 0; v < n; ++v) {
        if (points[v].empty())
            continue;
        gp_XYZ sum(0, 0, 0);
        for (const gp_Pnt& p : points[v])
            sum += p.XYZ();
        const gp_Pnt centre(sum / static_cast<double>(points[v].size()));
        double reach = 0.0;
        for (const gp_Pnt& p : points[v])
            reach = std::max(reach, centre.Distance(p));
        builder.MakeVertex(vertices[v], centre, std::max(tolerance[v], 1.001 * reach + Precision::Confusion()));
    }
    TopoDS_Wire wire;
    builder.MakeWire(wire);
    for (std::size_t k = 0; k < n; ++k) {
        const Piece& p = loop[k];
        const bool forward = p.a < p.b;
        const TopoDS_Vertex& start = vertices[vertex_of[(k + n - 1) % n]];
        const TopoDS_Vertex& end = vertices[vertex_of[k]];
        const double lo = std::min(p.a, p.b), hi = std::max(p.a, p.b);
        BRepBuilderAPI_MakeEdge make =
            p.degenerate ? BRepBuilderAPI_MakeEdge(p.c2, surface, forward ? start : end, forward ? end : start, lo, hi)
                         : BRepBuilderAPI_MakeEdge(p.c3, forward ? start : end, forward ? end : start, lo, hi);
        if (!make.IsDone()) {
            failure = {"convert-face-not-built",
                       "OCCT cannot make the edge of its cons " + std::string(p.cons->name().view())};
            return {};
        }
        TopoDS_Edge edge = make.Edge();
        if (p.degenerate)
            builder.Degenerated(edge, Standard_True);
        else
            builder.UpdateEdge(edge, p.c2, surface, TopLoc_Location(), p.tolerance);
        builder.Add(wire, forward ? edge : TopoDS::Edge(edge.Reversed()));
    }
    wire.Closed(Standard_True);
    // Material on the left: the outer boundary counter-clockwise in (s, t), holes clockwise.
    if ((signed_area(loop) > 0.0) != outer)
        wire.Reverse();
    return wire;
}

TopoDS_Face vdcFaceBuilder::build(const vdaFace& face, bool mend, Failure& failure, bool& mended) const
{
    mended = false;
    const vdaSurf* surf = vda_cast<vdaSurf>(face.basis_surface()());
    const Handle(Geom_Surface) surface = surf ? geometry_.surface(*surf) : Handle(Geom_BSplineSurface)();
    if (surface.IsNull()) {
        failure = {"convert-face-not-built", "its surface cannot be made"};
        return {};
    }
    try {
        BRep_Builder builder;
        TopoDS_Face result;
        builder.MakeFace(result, surface, Precision::Confusion());
        const double tolerance = plan_.tolerance(vdcQualityRule::face_loop_gap);
        for (int b = 0; b < face.num_boundaries(); ++b) {
            std::vector<Piece> loop;
            if (!pieces(face.boundary(b), loop, failure))
                return {};
            if (const double gap = largest_gap(loop, surface); gap > tolerance) {
                if (!mend || !reorder(loop, surface, tolerance)) {
                    const vdcQualityRuleInfo& info = vdc_quality_rule_info(vdcQualityRule::face_loop_gap);
                    failure = {info.id,
                               std::string(info.help) + " Boundary " + std::to_string(b) +
                                   " does not close, also when its pieces are ordered end to end.",
                               gap};
                    return {};
                }
                mended = true;
            }
            const TopoDS_Wire w = wire(loop, surface, b == 0, failure);
            if (w.IsNull())
                return {};
            builder.Add(result, w);
        }
        BRepCheck_Analyzer analyzer(result);
        if (!analyzer.IsValid()) {
            failure = {"convert-invalid-face", "OCCT's checker finds the face built from it invalid"};
            return {};
        }
        return result;
    } catch (const Standard_Failure& e) {
        failure = {"convert-face-not-built", std::string("OCCT failed: ") + e.GetMessageString()};
        return {};
    }
}
