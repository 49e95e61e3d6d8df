#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <vdacheck/mesh/vda_scene.h>

class vdcBase64Writer;

// How the drawings of a scene travel in a report page: merged into one buffer per entity type and shape,
// so that the page draws each with one draw call and picks entities by their vertex ranges.
//
// The binary block holds the groups one after the other, each 4-byte aligned and little-endian:
//   positions  float32 x, y, z per vertex
//   elements   triangles: three vertex indices per triangle, counted from the drawing's first vertex,
//              uint16 when no drawing of the group has more than 65536 vertices, else uint32 (padded to 4);
//              lines: the first vertex of each polyline as uint32, counted from the drawing's first vertex
//   vectors    points with vectors (MDI): float32 x, y, z per vertex, zero for a point without one
// A drawing whose data does not hold together (an index past its vertices, a coordinate that is not
// finite, ...) is left out and listed with the reason, so that the page never reads past a buffer.
class vdcReportMesh {
public:
    struct Group {
        std::string type;
        vdaDrawing::Shape shape = vdaDrawing::Shape::points;
        std::uint64_t vertices = 0;
        std::uint64_t elements = 0;  // triangle indices or polyline starts
        int index_bytes = 2;         // triangles: 2 or 4
        bool vectors = false;
        std::uint64_t offset = 0;           // byte offset in the binary block
        std::vector<std::size_t> drawings;  // indices into the scene's drawings, in scene order
    };
    struct Skipped {
        std::size_t drawing;
        std::string reason;
    };

    explicit vdcReportMesh(const vdaScene& scene);

    const vdaScene& scene() const { return scene_; }
    const std::vector<Group>& groups() const { return groups_; }
    // Drawings kept, in scene order, with the group each went into.
    const std::vector<std::size_t>& drawings() const { return kept_; }
    const std::vector<std::size_t>& drawing_groups() const { return kept_group_; }
    const std::vector<Skipped>& skipped() const { return skipped_; }
    std::uint64_t bytes() const { return bytes_; }
    std::uint64_t triangles() const { return triangles_; }
    bool empty() const { return kept_.empty(); }
    // Bounding box of every vertex kept; meaningless when empty().
    const std::array<double, 3>& min() const { return min_; }
    const std::array<double, 3>& max() const { return max_; }

    static std::uint64_t elements_of(const vdaDrawing& drawing);  // what a drawing adds to its group's elements
    static const char* shape_name(vdaDrawing::Shape shape);

    void write_binary(vdcBase64Writer& out) const;

private:
    // Empty when the drawing can be sent as it is, else why not.
    std::string fault(const vdaDrawing& drawing) const;

    const vdaScene& scene_;
    std::vector<Group> groups_;
    std::vector<std::size_t> kept_;
    std::vector<std::size_t> kept_group_;
    std::vector<Skipped> skipped_;
    std::uint64_t bytes_ = 0;
    std::uint64_t triangles_ = 0;
    std::array<double, 3> min_{0.0, 0.0, 0.0};
    std::array<double, 3> max_{0.0, 0.0, 0.0};
};
