#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/util/ut_export.h>

// Triangulates a plane region bounded by closed loops (an outer loop and holes, in any order and any
// sense) with extra points inside it (Steiner points): a constrained Delaunay triangulation in which every
// loop edge is a chain of mesh edges, and every other edge is locally Delaunay.
//
// The inside is decided by parity: a point is inside when a ray from it crosses the loops an odd number
// of times. So two loops that share a vertex or run along one edge (a hole touching the outer loop) are
// fine, and duplicate and collinear points are merged or split into the edges they lie on.
//
// Points are first snapped to a lattice of 2^24 steps across the loops' bounding box (a relative
// resolution of 6e-8); the triangulation is exact for the snapped points. Points that fall on one lattice
// point become one vertex.
class VDA_API giConstrainedDelaunay {
public:
    enum class Status : std::uint8_t {
        ok,
        open_loop,        // a loop does not end where it starts
        degenerate_loop,  // a loop has fewer than three distinct points, or the region has no area
        crossing,         // a loop crosses itself or another loop
        not_finite,       // a loop point is not finite
        stuck,            // an internal step limit was reached
    };
    static constexpr std::uint32_t none = 0xFFFFFFFFu;

    struct Result {
        Status status = Status::ok;
        int loop = -1;  // the loop the failure was found in, when it is one loop's
        // The distinct input points (snapped), in order of first use, then the points refinement added.
        std::vector<giPoint2> points;
        // For each input point (the loops' points in order, then the Steiner points): its index in
        // `points`, or none for a Steiner point outside the loops' bounding box or not finite.
        std::vector<std::uint32_t> point_of_input;
        std::vector<std::array<std::uint32_t, 3>> triangles;  // counter-clockwise, indices into points
    };

    // Refinement: called with the corners of each triangle of the region; returns true, with a point inside
    // the triangle, to have that point inserted.
    using Refine = std::function<bool(const giPoint2& a, const giPoint2& b, const giPoint2& c, giPoint2& insert)>;
    static constexpr int max_refinement_rounds = 8;

    // Each loop lists its points in order and repeats the first at the end. Steiner points outside the
    // region are dropped. A failed triangulation has no triangles. With `refine`, the triangles of the
    // region are offered to it, the points it asks for are inserted, and the new triangles offered again,
    // until none asks or max_refinement_rounds have passed.
    static Result triangulate(const std::vector<std::vector<giPoint2>>& loops, const std::vector<giPoint2>& steiner,
                              const Refine& refine = {});
    static const char* describe(Status status) noexcept;
};
