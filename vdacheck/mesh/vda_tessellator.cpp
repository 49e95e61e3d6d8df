#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <vdacheck/eval/vda_circle_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/mesh/vda_bernstein.h>
#include <vdacheck/mesh/vda_drawing_maker.h>
#include <vdacheck/mesh/vda_drawing_ops.h>
#include <vdacheck/mesh/vda_surface_bounds.h>
#include <vdacheck/mesh/vda_tessellator.h>
#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_group.h>
#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/model/vda_point.h>
#include <vdacheck/model/vda_pset.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/util/ut_thread_team.h>

namespace {

struct Box {
    std::array<double, 3> min{INFINITY, INFINITY, INFINITY};
    std::array<double, 3> max{-INFINITY, -INFINITY, -INFINITY};

    void add(double x, double y, double z)
    {
        const double p[3] = {x, y, z};
        for (std::size_t d = 0; d < 3; ++d)
            if (std::isfinite(p[d])) {
                min[d] = std::min(min[d], p[d]);
                max[d] = std::max(max[d], p[d]);
            }
    }
    void add(const giPoint3& p)
    {
        if (!p.invalid())
            add(p.x(), p.y(), p.z());
    }
    double diagonal() const
    {
        if (!(min[0] <= max[0]))
            return 0.0;
        return std::hypot(max[0] - min[0], max[1] - min[1], max[2] - min[2]);
    }
};

// A box holding what the model draws, from control polygons where there are curves and surfaces: it
// sets the default tolerance before anything is sampled.
Box model_box(const std::vector<const vdaObject*>& entities,
              const std::function<const vdaSurfaceBounds*(const vdaSurf&)>& bounds_of)
{
    Box box;
    std::vector<vdaCoord3> b;
    for (const vdaObject* e : entities) {
        if (const auto* surf = vda_cast<vdaSurf>(e)) {
            if (const vdaSurfaceBounds* bounds = bounds_of(*surf)) {
                box.add(bounds->box_min()[0], bounds->box_min()[1], bounds->box_min()[2]);
                box.add(bounds->box_max()[0], bounds->box_max()[1], bounds->box_max()[2]);
            }
        } else if (const auto* curve = vda_cast<vdaCurve>(e)) {
            if (!vdaCurveEval::make(*curve))
                continue;
            for (int i = 0; i < curve->num_segments(); ++i) {
                const auto& coeffs = curve->segment(i).all_coeffs();
                b.resize(coeffs.size());
                for (std::size_t k = 0; k < coeffs.size(); ++k)
                    b[k] = {coeffs[k].x(), coeffs[k].y(), coeffs[k].z()};
                vda_power_to_bernstein(b.data(), static_cast<int>(b.size()), 1);
                for (const vdaCoord3& c : b)
                    box.add(c[0], c[1], c[2]);
            }
        } else if (const auto* circle = vda_cast<vdaCircle>(e)) {
            if (!vdaCircleEval::make(*circle))
                continue;
            const double r =
                circle->radius() * (circle->plane_v().length().value() + circle->plane_w().length().value());
            const giPoint3& m = circle->centre();
            box.add(m.x() - r, m.y() - r, m.z() - r);
            box.add(m.x() + r, m.y() + r, m.z() + r);
        } else if (const auto* point = vda_cast<vdaPoint>(e)) {
            box.add(point->point());
        } else if (const auto* pset = vda_cast<vdaPset>(e)) {
            for (int i = 0; i < pset->num_points(); ++i)
                box.add(pset->point(i));
        } else if (const auto* mdi = vda_cast<vdaMDI>(e)) {
            for (int i = 0; i < mdi->num_point_vector(); ++i)
                box.add(mdi->point(i));
        }
    }
    return box;
}

bool usable(const giXform3& m)
{
    auto ok = [](double x) { return std::isfinite(x) && std::fabs(x) != utMath::max_double(); };
    return std::all_of(m.matrix().begin(), m.matrix().end(), ok) &&
           std::all_of(m.translation().begin(), m.translation().end(), ok);
}

// The entities a TLIST lists, with the members of the GROUPs and sets it lists (at any depth, each once),
// in list order. TLISTs it lists are left out: one matrix per drawing.
std::vector<const vdaObject*> listed(const vdaTlist& tlist)
{
    std::vector<const vdaObject*> out;
    std::unordered_set<const vdaObject*> seen{&tlist};
    std::vector<std::pair<const vdaElementList*, int>> stack{{&tlist, 0}};  // no recursion: lists nest deep
    while (!stack.empty()) {
        const vdaElementList* list = stack.back().first;
        const int i = stack.back().second++;
        if (i >= list->num_elements()) {
            stack.pop_back();
            continue;
        }
        const vdaObject* e = list->element(i)();
        if (!e || !seen.insert(e).second)
            continue;
        if (e->is_type(vdaGroup::id) || e->is_type(vdaBeginSet::id))
            stack.emplace_back(static_cast<const vdaElementList*>(e), 0);
        else if (!e->is_type(vdaTlist::id))
            out.push_back(e);
    }
    return out;
}

// Maps each x, y, z triple of `values` by `map`; false when a result overflows a float.
template <class Map>
bool map_triples(std::vector<float>& values, const Map& map)
{
    for (std::size_t k = 0; k + 2 < values.size(); k += 3) {
        const auto r = map(values[k], values[k + 1], values[k + 2]);
        values[k] = static_cast<float>(r.x());
        values[k + 1] = static_cast<float>(r.y());
        values[k + 2] = static_cast<float>(r.z());
    }
    return vda_finite(values);
}

// A copy of `d` moved by the matrix; false when that overflows. A mirroring matrix reverses the triangles
// so that they keep facing out.
bool transformed(const vdaDrawing& d, const vdaTlist& tlist, const giXform3& m, vdaDrawing& out)
{
    out = d;
    out.transform = std::string(tlist.name().view());
    if (!map_triples(out.positions,
                     [&m](double x, double y, double z) { return gi_transform(m, giPoint3(x, y, z)); }) ||
        !map_triples(out.vectors, [&m](double x, double y, double z) { return gi_transform(m, giVector3(x, y, z)); }))
        return false;
    if (m.determinant() < 0)
        for (std::size_t k = 0; k + 2 < out.indices.size(); k += 3)
            std::swap(out.indices[k + 1], out.indices[k + 2]);
    return true;
}

}  // namespace

vdaScene vdaTessellator::tessellate(const vdaFile& file, const vdaTessellationOptions& options)
{
    vdaTessellator t(file, options);
    t.prepare();
    const double budget = static_cast<double>(std::max<std::size_t>(options.triangle_budget, 1));
    for (int round = 0; round < 64 && t.estimate(t.tolerance_, t.stride_) > 0.8 * budget; ++round)
        if (!t.coarsen(t.estimate(t.tolerance_, t.stride_), true))
            break;
    // A coarser drawing can have more triangles (a face's trim, triangulated among fewer grid points, may
    // take more): the drawing with the fewest is kept.
    Drawn best;
    double best_count = INFINITY;
    for (int round = 0;; ++round) {
        t.draw();
        const double count = t.drawn_triangles();
        if (count < best_count) {
            best_count = count;
            best = {std::move(t.drawings_), std::move(t.drawn_), t.tolerance_, t.stride_};
        }
        if (count <= budget || round == 8 || !t.coarsen(count, false))
            break;
    }
    t.drawings_ = std::move(best.drawings);
    t.drawn_ = std::move(best.drawn);
    t.tolerance_ = best.tolerance;
    t.stride_ = best.stride;
    t.fit_outlines(budget);
    return t.assemble();
}

vdaTessellator::vdaTessellator(const vdaFile& file, const vdaTessellationOptions& options)
    : options_(options), threads_(utThreadTeam::resolve(options.threads))
{
    for (const vdaObject& e : file)
        entities_.push_back(&e);
}

void vdaTessellator::prepare()
{
    std::vector<const vdaSurf*> surfaces;
    for (const vdaObject* e : entities_)
        if (const auto* surf = vda_cast<vdaSurf>(e)) {
            surface_.emplace(e, surfaces.size());
            surfaces.push_back(surf);
        }
    bounds_.resize(surfaces.size());
    utThreadTeam::for_each(surfaces.size(), threads_, [&](std::size_t i) {
        options_.cancel.check();
        if (const auto eval = vdaSurfEval::make(*surfaces[i]))
            bounds_[i].emplace(*eval);
    });
    for (const vdaObject* e : entities_)
        if (const auto* face = vda_cast<vdaFace>(e))
            if (const auto* surf = vda_cast<vdaSurf>(face->basis_surface()()))
                trimmed_.insert(surf);

    copies_.assign(entities_.size(), 1);
    std::unordered_map<const vdaObject*, std::size_t> position;
    for (std::size_t i = 0; i < entities_.size(); ++i) {
        const auto* tlist = vda_cast<vdaTlist>(entities_[i]);
        const auto* tmat = tlist ? vda_cast<vdaTmat>(tlist->transform()()) : nullptr;
        if (!tmat || !usable(tmat->matrix()))
            continue;
        if (position.empty())
            for (std::size_t k = 0; k < entities_.size(); ++k)
                position.emplace(entities_[k], k);
        Instances& list = instances_.emplace_back(Instances{i, {}});
        for (const vdaObject* e : listed(*tlist))
            if (const auto it = position.find(e); it != position.end()) {
                list.members.push_back(it->second);
                ++copies_[it->second];
            }
    }

    // The grids drawn: every SURF no FACE trims, and every FACE's surface.
    for (std::size_t i = 0; i < entities_.size(); ++i) {
        const vdaSurf* surf = vda_cast<vdaSurf>(entities_[i]);
        if (surf && trimmed_.count(surf))
            continue;
        if (const auto* face = vda_cast<vdaFace>(entities_[i]))
            surf = vda_cast<vdaSurf>(face->basis_surface()());
        if (const vdaSurfaceBounds* b = surf ? bounds_of(*surf) : nullptr)
            grids_.push_back({b, copies_[i]});
    }

    // A tolerance finer than a millionth of the model says more than a drawing can show, and would
    // sample curves (which the triangle budget does not bound) without end.
    double diagonal = model_box(entities_, [this](const vdaSurf& s) { return bounds_of(s); }).diagonal();
    diagonal = diagonal > 0 && std::isfinite(diagonal) ? diagonal : 1.0;
    const double requested =
        options_.chordal_tolerance > 0 ? options_.chordal_tolerance : options_.relative_tolerance * diagonal;
    tolerance_ = std::isfinite(requested) ? std::max(requested, 1e-6 * diagonal) : diagonal;
}

const vdaSurfaceBounds* vdaTessellator::bounds_of(const vdaSurf& surf) const
{
    const auto it = surface_.find(&surf);
    return it == surface_.end() || !bounds_[it->second] ? nullptr : &*bounds_[it->second];
}

double vdaTessellator::estimate(double tolerance, int stride) const
{
    double n = 0;
    for (const Grid& g : grids_)
        n += g.copies * g.bounds->triangles(tolerance, stride);
    return n;
}

bool vdaTessellator::coarsen(double count, bool grids_only)
{
    const double target = 0.8 * static_cast<double>(std::max<std::size_t>(options_.triangle_budget, 1));
    if (estimate(tolerance_, stride_) > estimate(INFINITY, stride_)) {
        tolerance_ *= std::max(1.25, count / target);
        return true;
    }
    if (estimate(INFINITY, 2 * stride_) < estimate(INFINITY, stride_)) {
        stride_ *= 2;
        return true;
    }
    if (grids_only || !(tolerance_ < 1e300))
        return false;
    tolerance_ *= std::max(1.25, count / target);
    return true;
}

void vdaTessellator::draw()
{
    const vdaDrawingMaker maker([this](const vdaSurf& s) { return bounds_of(s); },
                                [this](const vdaSurf& s) { return trimmed_.count(&s) > 0; }, {tolerance_, stride_});
    drawings_.assign(entities_.size(), {});
    drawn_.assign(entities_.size(), 0);
    utThreadTeam::for_each(entities_.size(), threads_, [&](std::size_t i) {
        options_.cancel.check();
        vdaDrawing& d = drawings_[i];
        drawn_[i] = maker.draw(*entities_[i], d);
        if (drawn_[i]) {
            d.entity = std::string(entities_[i]->name().view());
            d.type = entities_[i]->type().command_word();
            d.line = entities_[i]->line();
        } else {
            d = {};
        }
    });
}

void vdaTessellator::fit_outlines(double budget)
{
    double count = drawn_triangles();
    if (count <= budget)
        return;
    const auto triangles = [this](std::size_t i) {
        return copies_[i] * static_cast<double>(drawings_[i].indices.size() / 3);
    };
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < entities_.size(); ++i)
        if (drawn_[i] && drawings_[i].shape == vdaDrawing::Shape::triangles && !drawings_[i].indices.empty())
            order.push_back(i);
    // The largest first, so that as few as can be lose their triangles; ties in file order.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return triangles(a) > triangles(b); });
    std::size_t n = 0;
    while (n < order.size() && count > budget)
        count -= triangles(order[n++]);
    const vdaDrawingMaker maker([this](const vdaSurf& s) { return bounds_of(s); },
                                [this](const vdaSurf& s) { return trimmed_.count(&s) > 0; }, {tolerance_, stride_});
    utThreadTeam::for_each(n, threads_, [&](std::size_t k) {
        options_.cancel.check();
        const std::size_t i = order[k];
        vdaDrawing outline;
        if (!maker.draw_outline(*entities_[i], outline)) {
            drawn_[i] = 0;
            drawings_[i] = {};
            return;
        }
        outline.entity = std::move(drawings_[i].entity);
        outline.type = std::move(drawings_[i].type);
        outline.line = drawings_[i].line;
        drawings_[i] = std::move(outline);
    });
}

double vdaTessellator::drawn_triangles() const
{
    double n = 0;
    for (std::size_t i = 0; i < entities_.size(); ++i)
        n += copies_[i] * static_cast<double>(drawings_[i].indices.size() / 3);
    return n;
}

vdaScene vdaTessellator::assemble()
{
    // The instances each TLIST makes, then the scene in file order with each TLIST's instances after it.
    std::vector<std::vector<vdaDrawing>> moved(entities_.size());
    std::size_t count = 0;
    for (const Instances& list : instances_) {
        const auto& tlist = static_cast<const vdaTlist&>(*entities_[list.tlist]);
        const giXform3& matrix = vda_cast<vdaTmat>(tlist.transform()())->matrix();
        for (const std::size_t m : list.members) {
            vdaDrawing copy;
            if (drawn_[m] && transformed(drawings_[m], tlist, matrix, copy))
                moved[list.tlist].push_back(std::move(copy));
        }
        count += moved[list.tlist].size();
    }
    vdaScene scene;
    scene.chordal_tolerance = tolerance_;
    scene.triangle_budget = options_.triangle_budget;
    scene.drawings.reserve(count + static_cast<std::size_t>(std::count(drawn_.begin(), drawn_.end(), 1)));
    for (std::size_t i = 0; i < entities_.size(); ++i) {
        if (drawn_[i])
            scene.drawings.push_back(std::move(drawings_[i]));
        for (vdaDrawing& d : moved[i])
            scene.drawings.push_back(std::move(d));
    }

    Box box;
    for (const vdaDrawing& d : scene.drawings) {
        for (std::size_t k = 0; k + 2 < d.positions.size(); k += 3)
            box.add(d.positions[k], d.positions[k + 1], d.positions[k + 2]);
        scene.triangles += d.indices.size() / 3;
    }
    if (!scene.drawings.empty()) {
        scene.min = box.min;
        scene.max = box.max;
    }
    return scene;
}
