#pragma once

#include <vector>

#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/mesh/vda_path_sampler.h>
#include <vdacheck/util/ut_export.h>

class vdaFace;
class vdaSurfEval;
class vdaSurfaceGrid;
struct vdaDrawing;

// Meshes a FACE trimmed: each boundary loop is sampled piece by piece on the face's surface (vdaConsSampler),
// the pieces are chained into closed polylines of the parameter plane, and the region they bound is
// triangulated (giConstrainedDelaunay) with the surface's grid points inside it as Steiner points; the
// triangles are then lifted to the surface. The triangulation runs in the parameter plane scaled so that
// grid cells are about square: the grid is fine where the surface curves, and triangles then follow its
// steps in each direction. Where a triangle's centre still lies farther from the surface than the
// tolerance (at the boundary, where triangles are not grid cells), its centre is inserted.
class VDA_API vdaFaceMesher {
public:
    vdaFaceMesher(const vdaSurfEval& surf, const vdaSurfaceGrid& grid, double tolerance) noexcept
        : surf_(surf), grid_(grid), tolerance_(tolerance)
    {
    }

    // Appends the trimmed face to `out` (triangles). Returns null, or why the boundary cannot be
    // triangulated (an unresolved or unevaluable cons, a gap between pieces wider than the tolerance,
    // open or crossing loops); `out` is then unchanged. `parameters`, when given, receives the (s, t) of
    // each vertex added.
    const char* mesh(const vdaFace& face, vdaDrawing& out, std::vector<giPoint2>* parameters = nullptr) const;

    // The boundary loops of the face, each closed (its last sample repeats the first); null, or why not.
    const char* loops(const vdaFace& face, std::vector<std::vector<vdaPathPoint>>& loops) const;

private:
    // Grid points inside the loops' bounding box that lie at least a third of a grid step from every
    // loop segment: nearer ones would only make slivers.
    std::vector<giPoint2> steiner_points(const std::vector<std::vector<vdaPathPoint>>& loops) const;

    const vdaSurfEval& surf_;
    const vdaSurfaceGrid& grid_;
    double tolerance_;
};
