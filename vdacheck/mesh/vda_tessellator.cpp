#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <vdacheck/eval/vda_circle_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/eval/vda_vector_ops.h>
#include <vdacheck/mesh/vda_bernstein.h>
#include <vdacheck/mesh/vda_drawing_maker.h>
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

namespace {

// Calls f(i) for i in [0, n) on `threads` threads (the caller's among them); the first exception thrown
// stops the others and is rethrown on the caller's thread.
template <class F>
void parallel_for(std::size_t n, unsigned threads, const F& f)
{
    if (threads <= 1 || n < 2) {
        for (std::size_t i = 0; i < n; ++i)
            f(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::exception_ptr error;
    std::mutex error_mutex;
    auto work = [&] {
        try {
            for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < n;)
                f(i);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(error_mutex);
            if (!error)
                error = std::current_exception();
            next.store(n);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned k = 1; k < std::min<std::size_t>(threads, n); ++k)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    if (error)
        std::rethrow_exception(error);
}

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
            const double r = circle->radius() * (circle->plane_v().length().value() + circle->plane_w().length().value());
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
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

// A copy of `d` moved by the matrix; false when that overflows. A mirroring matrix reverses the triangles
// so that they keep facing out.
bool transformed(const vdaDrawing& d, const vdaTlist& tlist, const giXform3& m, vdaDrawing& out)
{
    out = d;
    out.transform = std::string(tlist.name().view());
    if (!map_triples(out.positions, [&m](double x, double y, double z) { return vda_transform(m, giPoint3(x, y, z)); }) ||
        !map_triples(out.vectors, [&m](double x, double y, double z) { return vda_transform(m, giVector3(x, y, z)); }))
        return false;
    if (m.determinant() < 0)
        for (std::size_t k = 0; k + 2 < out.indices.size(); k += 3)
            std::swap(out.indices[k + 1], out.indices[k + 2]);
    return true;
}

std::size_t count_triangles(const std::vector<vdaDrawing>& drawings)
{
    std::size_t n = 0;
    for (const vdaDrawing& d : drawings)
        n += d.indices.size() / 3;
    return n;
}

}  // namespace

vdaScene vdaTessellator::tessellate(const vdaFile& file, const vdaTessellationOptions& options)
{
    std::vector<const vdaObject*> entities;
    for (const vdaObject& e : file)
        entities.push_back(&e);
    const unsigned threads =
        options.threads > 0 ? static_cast<unsigned>(options.threads) : std::max(1u, std::thread::hardware_concurrency());

    // What the surfaces need before anything is drawn.
    std::vector<const vdaSurf*> surfaces;
    std::unordered_map<const vdaObject*, std::size_t> surface_index;
    for (const vdaObject* e : entities)
        if (const auto* surf = vda_cast<vdaSurf>(e)) {
            surface_index.emplace(e, surfaces.size());
            surfaces.push_back(surf);
        }
    std::vector<std::optional<vdaSurfaceBounds>> bounds(surfaces.size());
    parallel_for(surfaces.size(), threads, [&](std::size_t i) {
        if (const auto eval = vdaSurfEval::make(*surfaces[i]))
            bounds[i].emplace(*eval);
    });
    auto bounds_of = [&](const vdaSurf& surf) -> const vdaSurfaceBounds* {
        const auto it = surface_index.find(&surf);
        return it == surface_index.end() || !bounds[it->second] ? nullptr : &*bounds[it->second];
    };
    std::unordered_set<const vdaObject*> trimmed;
    std::vector<const vdaSurfaceBounds*> face_bounds;  // one per drawable face
    for (const vdaObject* e : entities)
        if (const auto* face = vda_cast<vdaFace>(e))
            if (const auto* surf = vda_cast<vdaSurf>(face->basis_surface()())) {
                trimmed.insert(surf);
                if (const vdaSurfaceBounds* b = bounds_of(*surf))
                    face_bounds.push_back(b);
            }

    const double diagonal = model_box(entities, bounds_of).diagonal();
    double tolerance = options.chordal_tolerance > 0 ? options.chordal_tolerance
                                                     : options.relative_tolerance * (diagonal > 0 ? diagonal : 1.0);
    if (!(tolerance > 0) || !std::isfinite(tolerance))
        tolerance = 1.0;

    // Triangles the surfaces' grids would have: faces are counted as their whole surface.
    auto estimate = [&](double tol, int stride) {
        double n = 0;
        for (std::size_t i = 0; i < surfaces.size(); ++i)
            if (bounds[i] && !trimmed.count(surfaces[i]))
                n += bounds[i]->triangles(tol, stride);
        for (const vdaSurfaceBounds* b : face_bounds)
            n += b->triangles(tol, stride);
        return n;
    };
    // Coarser: a larger tolerance while the grids can still shrink (their triangles fall about as
    // 1 / tolerance), then merged patches (a stride), then a larger tolerance for what is left (curves
    // and face boundaries). False when nothing helps any more.
    const double budget = static_cast<double>(std::max<std::size_t>(options.triangle_budget, 1));
    const double target = 0.8 * budget;
    int stride = 1;
    auto coarsen = [&](double count, bool grids_only) {
        if (estimate(tolerance, stride) > estimate(INFINITY, stride)) {
            tolerance *= std::max(1.25, count / target);
            return true;
        }
        if (estimate(INFINITY, 2 * stride) < estimate(INFINITY, stride)) {
            stride *= 2;
            return true;
        }
        if (grids_only || !(tolerance < 1e300))
            return false;
        tolerance *= std::max(1.25, count / target);
        return true;
    };
    for (int round = 0; round < 64 && estimate(tolerance, stride) > target; ++round)
        if (!coarsen(estimate(tolerance, stride), true))
            break;

    std::vector<vdaDrawing> drawings(entities.size());
    std::vector<char> drawn(entities.size());
    for (int round = 0;; ++round) {
        const vdaDrawingMaker maker(bounds_of, [&](const vdaSurf& s) { return trimmed.count(&s) > 0; },
                                    {tolerance, stride});
        parallel_for(entities.size(), threads, [&](std::size_t i) {
            vdaDrawing d;
            drawn[i] = maker.draw(*entities[i], d);
            if (drawn[i]) {
                d.entity = std::string(entities[i]->name().view());
                d.type = entities[i]->type().command_word();
                d.line = entities[i]->line();
            }
            drawings[i] = std::move(d);
        });
        const double count = static_cast<double>(count_triangles(drawings));
        if (count <= budget || round == 8 || !coarsen(count, false))
            break;
    }

    // The instances each TLIST makes, then the scene in file order with each TLIST's instances after it.
    std::unordered_map<const vdaObject*, std::size_t> index_of;
    std::vector<std::vector<vdaDrawing>> instances(entities.size());
    std::size_t drawn_count = 0;
    for (std::size_t i = 0; i < entities.size(); ++i) {
        drawn_count += drawn[i] ? 1 : 0;
        const auto* tlist = vda_cast<vdaTlist>(entities[i]);
        const auto* tmat = tlist ? vda_cast<vdaTmat>(tlist->transform()()) : nullptr;
        if (!tmat || !usable(tmat->matrix()))
            continue;
        if (index_of.empty())
            for (std::size_t k = 0; k < entities.size(); ++k)
                index_of.emplace(entities[k], k);
        for (const vdaObject* e : listed(*tlist)) {
            const auto it = index_of.find(e);
            vdaDrawing copy;
            if (it != index_of.end() && drawn[it->second] &&
                transformed(drawings[it->second], *tlist, tmat->matrix(), copy))
                instances[i].push_back(std::move(copy));
        }
        drawn_count += instances[i].size();
    }
    vdaScene scene;
    scene.chordal_tolerance = tolerance;
    scene.drawings.reserve(drawn_count);
    for (std::size_t i = 0; i < entities.size(); ++i) {
        if (drawn[i])
            scene.drawings.push_back(std::move(drawings[i]));
        for (vdaDrawing& d : instances[i])
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
