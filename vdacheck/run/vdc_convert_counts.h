#pragma once

#include <cstddef>

// What the output of a conversion holds.
struct vdcConvertCounts {
    std::size_t faces = 0;        // trimmed and untrimmed faces, those in shells included
    std::size_t shells = 0;       // faces sewn along topology edges
    std::size_t edges = 0;        // free edges: curves, circles, cons that bound no face
    std::size_t vertices = 0;     // points, points of point sets and MDIs
    std::size_t assemblies = 0;   // groups, sets and transformation lists
    std::size_t instances = 0;    // placed entities of transformation lists
    std::size_t meshes = 0;       // glTF: meshes written
    std::size_t triangles = 0;    // glTF: triangles in them
    std::size_t line_strips = 0;  // glTF: polylines of curves and boundaries
};
