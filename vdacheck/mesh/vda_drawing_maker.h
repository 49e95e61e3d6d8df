#pragma once

#include <functional>
#include <optional>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/mesh/vda_surface_grid.h>
#include <vdacheck/util/ut_export.h>

class vdaObject;
class vdaSurf;
class vdaSurfaceBounds;
struct vdaDrawing;

// Draws one entity: surfaces and faces as triangles, curves, cons and circles as polylines, points,
// point sets and MDIs as points; to one chordal tolerance. Entities of other types have no drawing, nor
// has a SURF that a FACE trims (it is drawn through its faces); malformed ones (what the evaluators
// refuse, invalid points, references that do not resolve, coordinates that overflow a float) are
// skipped. A FACE whose boundary cannot be triangulated is drawn untrimmed.
class VDA_API vdaDrawingMaker {
public:
    struct Settings {
        double tolerance = 1.0;  // chordal tolerance (model units)
        int stride = 1;          // surface grids keep every stride-th breakpoint (see vdaSurfaceGrid)
    };
    // bounds(surf): the bounds of an evaluable surface, or null. trimmed(surf): a FACE trims it.
    using BoundsOf = std::function<const vdaSurfaceBounds*(const vdaSurf&)>;
    using Trimmed = std::function<bool(const vdaSurf&)>;

    vdaDrawingMaker(BoundsOf bounds, Trimmed trimmed, Settings settings)
        : bounds_(std::move(bounds)), trimmed_(std::move(trimmed)), settings_(settings)
    {
    }

    // Fills `out` (shape, vertices, triangles or runs, vectors, untrimmed) and returns true when the
    // entity is drawn; names, type and line are the caller's.
    bool draw(const vdaObject& entity, vdaDrawing& out) const;
    // A SURF or FACE as its outline only, polylines without a triangle: a face's boundary loops (the edges
    // of its surface's domain when they cannot be followed), a surface's domain edges. False for other
    // entities and what cannot be evaluated.
    bool draw_outline(const vdaObject& entity, vdaDrawing& out) const;

private:
    struct SurfaceGrid {
        vdaSurfEval eval;
        vdaSurfaceGrid grid;
    };
    // The evaluator and grid of the surface `entity` is, at the maker's tolerance; nothing when it is no
    // surface or cannot be evaluated.
    std::optional<SurfaceGrid> surface_grid(const vdaObject* entity) const;
    bool draw_surface(const vdaSurf& surf, vdaDrawing& out) const;
    void draw_domain_edges(const SurfaceGrid& s, vdaDrawing& out) const;
    bool draw_face(const vdaObject& entity, vdaDrawing& out) const;
    bool draw_cons(const vdaObject& entity, vdaDrawing& out) const;
    bool draw_curve(const vdaObject& entity, vdaDrawing& out) const;
    bool draw_circle(const vdaObject& entity, vdaDrawing& out) const;
    bool draw_points(const vdaObject& entity, vdaDrawing& out) const;

    BoundsOf bounds_;
    Trimmed trimmed_;
    Settings settings_;
};
