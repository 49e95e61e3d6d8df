#pragma once

#include <vdacheck/util/ut_export.h>

class vdaSurfEval;
class vdaSurfaceGrid;
struct vdaDrawing;

// Meshes a whole surface on its grid: two triangles per grid cell, split along the shorter diagonal in
// space. A grid point on a seam between patches is one vertex of both where the patches meet there within
// `weld`, and one vertex per patch where they do not: the mesh opens exactly where the surface does.
class VDA_API vdaSurfaceMesher {
public:
    static void mesh(const vdaSurfEval& surf, const vdaSurfaceGrid& grid, double weld, vdaDrawing& out);
};
