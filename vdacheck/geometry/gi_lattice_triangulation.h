#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/util/ut_export.h>

// A constrained Delaunay triangulation of points on the integer lattice of giExactPredicates, inside the
// square |x|, |y| <= half_extent. It starts as one enclosing triangle of three helper vertices (0, 1, 2);
// points are inserted one by one and the Delaunay property is kept by edge flips. Constraint edges are
// then inserted between existing vertices: the edges they cross are flipped away, and the flips that
// follow keep every edge that is not a constraint locally Delaunay. Each edge counts how many
// constraints run along it, so that coincident boundaries (a hole touching the outer loop along an edge)
// are told apart by parity.
//
// Every decision is an exact predicate on lattice points, so the walks and flips end; each loop still
// carries a step limit, and reaching it is reported, never an endless loop.
class VDA_API giLatticeTriangulation {
public:
    static constexpr std::uint32_t none = 0xFFFFFFFFu;
    static constexpr double half_extent = 8388608.0;  // 2^23
    static constexpr std::uint32_t first_vertex = 3;  // vertices 0, 1, 2 enclose the square

    struct Triangle {
        std::array<std::uint32_t, 3> v;  // vertices, counter-clockwise
        std::array<std::uint32_t, 3> n;  // neighbour across the edge opposite v[i], or none
        std::array<std::uint16_t, 3> c;  // constraints along the edge opposite v[i]
    };

    enum class Outcome {
        done,
        crossing,  // the new constraint crosses an earlier one
        stuck,     // a step limit was reached (not expected with exact predicates)
    };

    explicit giLatticeTriangulation(std::size_t expected_vertices = 0);

    // Inserts a lattice point inside the square and returns its vertex; a point already present returns
    // the vertex it has. none when the point lies outside the square or the walk got stuck.
    std::uint32_t insert(const giPoint2& p);
    // Makes the segment between two vertices an edge of the triangulation, split at every vertex that
    // lies on it, and counts a constraint on each of its pieces.
    Outcome insert_constraint(std::uint32_t a, std::uint32_t b);
    // Per triangle: true when it lies inside the constraints, i.e. any path from the enclosing helper
    // vertices to it crosses an odd number of constraints (edges counted with their multiplicity).
    std::vector<bool> inside() const;

    const std::vector<Triangle>& triangles() const noexcept { return triangles_; }
    const giPoint2& vertex(std::uint32_t v) const noexcept { return points_[v]; }
    std::uint32_t num_vertices() const noexcept { return static_cast<std::uint32_t>(points_.size()); }
    bool is_helper(std::uint32_t v) const noexcept { return v < first_vertex; }

private:
    struct Location {
        std::uint32_t triangle = none;
        int on_edge = -1;    // index of the edge p lies on, or -1
        int on_vertex = -1;  // index of the vertex p equals, or -1
    };
    struct EdgeRef {
        std::uint32_t triangle = none;
        int index = -1;  // the edge is opposite triangles_[triangle].v[index]
    };
    using Edge = std::array<std::uint32_t, 2>;

    Location locate(const giPoint2& p, std::uint32_t start) const;
    Location scan(const giPoint2& p) const;
    Location classify(std::uint32_t t, const giPoint2& p) const;
    void split_triangle(std::uint32_t t, std::uint32_t p);
    void split_edge(std::uint32_t t, int i, std::uint32_t p);
    // Flips the edge opposite v[i] of t; afterwards t and its former neighbour both hold v[i].
    std::uint32_t flip(std::uint32_t t, int i);
    void legalize_around(std::uint32_t p, std::vector<std::uint32_t>& stack);
    void legalize_edges(std::vector<Edge>& stack);
    bool locally_delaunay(std::uint32_t t, int i) const;
    EdgeRef find_edge(std::uint32_t a, std::uint32_t b) const;
    void count_constraint(std::uint32_t a, std::uint32_t b);
    void replace_neighbour(std::uint32_t t, std::uint32_t old_n, std::uint32_t new_n);
    std::uint32_t add_triangle(const Triangle& t);
    // Finds the edges that the segment from a to b crosses, up to b or to the first vertex on the
    // segment (returned in `end`). crossing: one of them is a constraint.
    Outcome trace(std::uint32_t a, std::uint32_t b, std::vector<Edge>& crossed, std::uint32_t& end) const;
    Outcome remove_crossings(std::uint32_t a, std::uint32_t b, std::vector<Edge>& crossed);
    std::size_t step_limit() const noexcept { return 64 + 8 * triangles_.size(); }

    std::vector<giPoint2> points_;
    std::vector<std::uint32_t> vertex_triangle_;  // a triangle holding each vertex
    std::vector<Triangle> triangles_;
    std::uint32_t last_ = 0;  // where the next walk starts
};
