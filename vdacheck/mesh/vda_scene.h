#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The drawable form of a model: one drawing per entity (or per transformed instance of an entity), ready to
// be put on screen or exported. Coordinates are model millimetres, as float: a drawing is for looking at,
// the measurements of the model are made on the exact geometry. Plain data, filled by the tessellation
// and read by viewers and exporters.
struct vdaDrawing {
    enum class Shape : std::uint8_t {
        triangles,  // surfaces and faces: `indices` holds three vertex indices per triangle
        lines,      // curves, cons, circles: polylines, each a run of consecutive vertices (`runs`)
        points,     // points, point sets, MDIs: one vertex per point (`vectors` for an MDI)
    };

    std::string entity;     // name of the entity drawn
    std::string type;       // its command word: "SURF", "FACE", "CURVE", "CONS", "CIRCLE", "POINT", ...
    int line = 0;           // first line of its statement; 0 for an entity built in code
    std::string transform;  // name of the TLIST this instance is drawn under; empty for the entity itself
    Shape shape = Shape::points;

    std::vector<float> positions;        // x, y, z per vertex
    std::vector<std::uint32_t> indices;  // triangles: 3 per triangle, into the vertices
    std::vector<std::uint32_t> runs;     // lines: first vertex of each polyline, ascending
    std::vector<float> vectors;          // points of an MDI: x, y, z of each point's vector; else empty
    bool untrimmed = false;              // a FACE drawn without its trim: its boundary could not be
                                         // triangulated (open or self-intersecting loop)
    bool outline = false;                // a SURF or FACE drawn as its outline only (lines): the triangle
                                         // budget had no room for its triangles
};

// Everything drawn of one model, in the model's file order.
struct vdaScene {
    std::vector<vdaDrawing> drawings;
    std::array<double, 3> min{0.0, 0.0, 0.0};  // bounding box of every vertex drawn
    std::array<double, 3> max{0.0, 0.0, 0.0};
    double chordal_tolerance = 0.0;   // the tolerance the surfaces were tessellated to (mm)
    std::size_t triangles = 0;        // triangles in all drawings
    std::size_t triangle_budget = 0;  // the most triangles it could have; 0: not known
};
