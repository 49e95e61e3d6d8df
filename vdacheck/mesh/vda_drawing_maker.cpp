#include <algorithm>
#include <cmath>
#include <numbers>

#include <vdacheck/eval/vda_circle_eval.h>
#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_horner.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/mesh/vda_cons_sampler.h>
#include <vdacheck/mesh/vda_drawing_maker.h>
#include <vdacheck/mesh/vda_drawing_ops.h>
#include <vdacheck/mesh/vda_face_mesher.h>
#include <vdacheck/mesh/vda_surface_bounds.h>
#include <vdacheck/mesh/vda_surface_grid.h>
#include <vdacheck/mesh/vda_surface_mesher.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/model/vda_point.h>
#include <vdacheck/model/vda_pset.h>
#include <vdacheck/model/vda_surf.h>

namespace {

// A point or vector with every coordinate finite and none the invalid-value sentinel or unset.
bool usable(const giPoint3& p) { return vda_usable(p); }
bool usable(const giVector3& v) { return vda_usable(giPoint3(v.x(), v.y(), v.z())); }

// Appends a path's samples as polylines: a new run starts wherever a piece does not begin within the
// tolerance of where the previous one ended.
void add_run(vdaDrawing& out, const std::vector<vdaPathPoint>& piece, double tolerance)
{
    if (piece.empty())
        return;
    auto from = piece.begin();
    const std::size_t vertices = out.positions.size() / 3;
    bool joined = false;
    if (vertices > 0) {
        const float* last = out.positions.data() + out.positions.size() - 3;
        joined = gi_distance(giPoint3(last[0], last[1], last[2]), piece.front().point) <= tolerance;
    }
    if (joined)
        ++from;
    else
        out.runs.push_back(static_cast<std::uint32_t>(vertices));
    for (; from != piece.end(); ++from)
        vda_add_vertex(out, from->point);
}

}  // namespace

bool vdaDrawingMaker::draw(const vdaObject& entity, vdaDrawing& out) const
{
    bool drawn = false;
    if (const vdaSurf* surf = vda_cast<vdaSurf>(&entity))
        drawn = draw_surface(*surf, out);
    else if (entity.is_type(vdaFace::id))
        drawn = draw_face(entity, out);
    else if (entity.is_type(vdaCons::id))
        drawn = draw_cons(entity, out);
    else if (entity.is_type(vdaCurve::id))
        drawn = draw_curve(entity, out);
    else if (entity.is_type(vdaCircle::id))
        drawn = draw_circle(entity, out);
    else if (entity.is_type(vdaPoint::id) || entity.is_type(vdaPset::id) || entity.is_type(vdaMDI::id))
        drawn = draw_points(entity, out);
    // Geometry that overflows a float (or evaluation that overflowed) cannot be drawn.
    return drawn && out.positions.size() >= 3 && vda_finite(out.positions) && vda_finite(out.vectors);
}

std::optional<vdaDrawingMaker::SurfaceGrid> vdaDrawingMaker::surface_grid(const vdaObject* entity) const
{
    const vdaSurf* surf = vda_cast<vdaSurf>(entity);
    const vdaSurfaceBounds* bounds = surf ? bounds_(*surf) : nullptr;
    const auto eval = bounds ? vdaSurfEval::make(*surf) : vdaEvalResult<vdaSurfEval>::refused("no surface");
    if (!eval)
        return std::nullopt;
    return SurfaceGrid{*eval, vdaSurfaceGrid(*eval, *bounds, settings_.tolerance, settings_.stride)};
}

bool vdaDrawingMaker::draw_surface(const vdaSurf& surf, vdaDrawing& out) const
{
    const auto s = trimmed_(surf) ? std::nullopt : surface_grid(&surf);
    if (!s)
        return false;
    out.shape = vdaDrawing::Shape::triangles;
    vdaSurfaceMesher::mesh(s->eval, s->grid, settings_.tolerance, out);
    return true;
}

bool vdaDrawingMaker::draw_outline(const vdaObject& entity, vdaDrawing& out) const
{
    const vdaFace* face = vda_cast<vdaFace>(&entity);
    const auto s = surface_grid(face ? face->basis_surface()() : &entity);
    if (!s || !(face || entity.is_type(vdaSurf::id)))
        return false;
    out = {};
    out.shape = vdaDrawing::Shape::lines;
    out.outline = true;
    std::vector<std::vector<vdaPathPoint>> loops;
    if (face && !vdaFaceMesher(s->eval, s->grid, settings_.tolerance).loops(*face, loops)) {
        for (const std::vector<vdaPathPoint>& loop : loops) {
            out.runs.push_back(static_cast<std::uint32_t>(out.positions.size() / 3));
            for (const vdaPathPoint& p : loop)
                vda_add_vertex(out, p.point);
        }
    } else {
        draw_domain_edges(*s, out);
    }
    return out.positions.size() >= 3 && vda_finite(out.positions);
}

// The four edges of the surface's parameter domain, through the grid's points along them, as one closed run.
void vdaDrawingMaker::draw_domain_edges(const SurfaceGrid& s, vdaDrawing& out) const
{
    const std::vector<double>& S = s.grid.s();
    const std::vector<double>& T = s.grid.t();
    out.runs.push_back(static_cast<std::uint32_t>(out.positions.size() / 3));
    for (std::size_t i = 0; i < S.size(); ++i)
        vda_add_vertex(out, s.eval.point(S[i], T.front()));
    for (std::size_t j = 1; j < T.size(); ++j)
        vda_add_vertex(out, s.eval.point(S.back(), T[j]));
    for (std::size_t i = S.size() - 1; i-- > 0;)
        vda_add_vertex(out, s.eval.point(S[i], T.back()));
    for (std::size_t j = T.size() - 1; j-- > 0;)
        vda_add_vertex(out, s.eval.point(S.front(), T[j]));
}

bool vdaDrawingMaker::draw_face(const vdaObject& entity, vdaDrawing& out) const
{
    const auto& face = static_cast<const vdaFace&>(entity);
    const auto s = surface_grid(face.basis_surface()());
    if (!s)
        return false;
    out.shape = vdaDrawing::Shape::triangles;
    if (vdaFaceMesher(s->eval, s->grid, settings_.tolerance).mesh(face, out)) {
        out.untrimmed = true;
        vdaSurfaceMesher::mesh(s->eval, s->grid, settings_.tolerance, out);
    }
    return true;
}

bool vdaDrawingMaker::draw_cons(const vdaObject& entity, vdaDrawing& out) const
{
    const auto& cons = static_cast<const vdaCons&>(entity);
    const auto s = surface_grid(cons.basis_surface()());
    const auto eval = vdaConsEval::make(cons);
    if (!s || !eval)
        return false;
    out.shape = vdaDrawing::Shape::lines;
    const vdaConsSampler sampler(s->eval, s->grid, settings_.tolerance);
    std::vector<vdaPathPoint> piece;
    for (int i = 0; i < eval->num_segments(); ++i) {
        piece.clear();
        sampler.sample(*eval, eval->breakpoint(i), eval->breakpoint(i + 1), piece);
        add_run(out, piece, settings_.tolerance);
    }
    return true;
}

bool vdaDrawingMaker::draw_curve(const vdaObject& entity, vdaDrawing& out) const
{
    const auto eval = vdaCurveEval::make(static_cast<const vdaCurve&>(entity));
    if (!eval)
        return false;
    out.shape = vdaDrawing::Shape::lines;
    std::vector<vdaPathPoint> piece;
    for (int i = 0; i < eval->num_segments(); ++i) {
        auto path = [&](double u) {
            vdaPathPoint p;
            p.x = u;
            p.point = eval->segment_point(i, u);
            return p;
        };
        piece.assign(1, path(0.0));
        vdaPathSampler::sample(
            path, [](const vdaPathPoint&, const vdaPathPoint&) { return false; }, piece.front(), 1.0,
            2 * std::max(eval->segment(i).order() - 1, 1), settings_.tolerance, piece);
        add_run(out, piece, settings_.tolerance);
    }
    return true;
}

bool vdaDrawingMaker::draw_circle(const vdaObject& entity, vdaDrawing& out) const
{
    const auto& circle = static_cast<const vdaCircle&>(entity);
    const auto eval = vdaCircleEval::make(circle);
    if (!eval)
        return false;
    // The chord of an angle step a on radius R deviates R (1 - cos(a / 2)) from the arc.
    const double radius =
        circle.radius() * std::max(circle.plane_v().length().value(), circle.plane_w().length().value());
    const double sweep = eval->end_angle() - eval->start_angle();
    const double step = 2 * std::acos(std::clamp(1 - settings_.tolerance / radius, -1.0, 1.0)) * 180 / std::numbers::pi;
    const double n =
        std::max({std::ceil(std::fabs(sweep) / std::max(step, 1e-9)), std::ceil(std::fabs(sweep) / 90), 1.0});
    const int steps = static_cast<int>(std::min(n, 100000.0));
    out.shape = vdaDrawing::Shape::lines;
    out.runs.push_back(0);
    for (int k = 0; k <= steps; ++k)
        vda_add_vertex(out, eval->point(k == steps ? eval->end_angle() : eval->start_angle() + sweep * k / steps));
    return true;
}

bool vdaDrawingMaker::draw_points(const vdaObject& entity, vdaDrawing& out) const
{
    out.shape = vdaDrawing::Shape::points;
    if (const auto* point = vda_cast<vdaPoint>(&entity)) {
        if (!usable(point->point()))
            return false;
        vda_add_vertex(out, point->point());
    } else if (const auto* pset = vda_cast<vdaPset>(&entity)) {
        for (int i = 0; i < pset->num_points(); ++i) {
            if (!usable(pset->point(i)))
                return false;
            vda_add_vertex(out, pset->point(i));
        }
    } else if (const auto* mdi = vda_cast<vdaMDI>(&entity)) {
        for (int i = 0; i < mdi->num_point_vector(); ++i) {
            const giVector3& v = mdi->vector(i);
            if (!usable(mdi->point(i)) || !usable(v))
                return false;
            vda_add_vertex(out, mdi->point(i));
            out.vectors.insert(out.vectors.end(),
                               {static_cast<float>(v.x()), static_cast<float>(v.y()), static_cast<float>(v.z())});
        }
    }
    return true;
}
