#include <vdacheck/report/vdc_report_mesh.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include <vdacheck/report/vdc_base64_writer.h>

namespace {

using Shape = vdaDrawing::Shape;

// Writes n values of T little-endian, whatever the machine's byte order.
template <class T>
void put(vdcBase64Writer& out, const T* data, std::size_t n)
{
    if constexpr (std::endian::native == std::endian::little) {
        out.write(data, n * sizeof(T));
    } else {
        unsigned char bytes[sizeof(T)];
        for (std::size_t i = 0; i < n; ++i) {
            std::memcpy(bytes, data + i, sizeof(T));
            std::reverse(bytes, bytes + sizeof(T));
            out.write(bytes, sizeof(T));
        }
    }
}

void pad(vdcBase64Writer& out, std::uint64_t bytes)
{
    static constexpr unsigned char zeros[4] = {0, 0, 0, 0};
    out.write(zeros, (4 - bytes % 4) % 4);
}

std::uint64_t padded(std::uint64_t bytes) { return (bytes + 3) / 4 * 4; }

bool all_finite(const std::vector<float>& values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

}  // namespace

vdcReportMesh::vdcReportMesh(const vdaScene& scene) : scene_(scene)
{
    min_.fill(std::numeric_limits<double>::infinity());
    max_.fill(-std::numeric_limits<double>::infinity());
    for (std::size_t d = 0; d < scene.drawings.size(); ++d) {
        const vdaDrawing& drawing = scene.drawings[d];
        if (std::string why = fault(drawing); !why.empty()) {
            skipped_.push_back({d, std::move(why)});
            continue;
        }
        auto group = std::find_if(groups_.begin(), groups_.end(),
                                  [&](const Group& g) { return g.type == drawing.type && g.shape == drawing.shape; });
        if (group == groups_.end()) {
            group = groups_.insert(groups_.end(), Group{});
            group->type = drawing.type;
            group->shape = drawing.shape;
        }
        const std::uint64_t vertices = drawing.positions.size() / 3;
        group->vertices += vertices;
        group->elements += elements_of(drawing);
        if (drawing.shape == Shape::triangles && vertices > 65536)
            group->index_bytes = 4;
        if (drawing.shape == Shape::points && !drawing.vectors.empty())
            group->vectors = true;
        group->drawings.push_back(d);
        kept_.push_back(d);
        kept_group_.push_back(static_cast<std::size_t>(group - groups_.begin()));
        if (drawing.shape == Shape::triangles)
            triangles_ += drawing.indices.size() / 3;
        for (std::size_t i = 0; i < drawing.positions.size(); ++i) {
            min_[i % 3] = std::min(min_[i % 3], double{drawing.positions[i]});
            max_[i % 3] = std::max(max_[i % 3], double{drawing.positions[i]});
        }
    }
    if (std::isinf(min_[0])) {  // nothing drawn, or no drawing has a vertex
        min_.fill(0.0);
        max_.fill(0.0);
    }
    for (Group& g : groups_) {
        g.offset = bytes_;
        bytes_ += g.vertices * 12;
        if (g.shape == Shape::triangles)
            bytes_ += padded(g.elements * static_cast<std::uint64_t>(g.index_bytes));
        else if (g.shape == Shape::lines)
            bytes_ += g.elements * 4;
        if (g.vectors)
            bytes_ += g.vertices * 12;
    }
}

std::uint64_t vdcReportMesh::elements_of(const vdaDrawing& drawing)
{
    switch (drawing.shape) {
    case Shape::triangles:
        return drawing.indices.size();
    case Shape::lines:
        // Without polyline starts the vertices are one polyline.
        return drawing.runs.empty() && !drawing.positions.empty() ? 1 : drawing.runs.size();
    case Shape::points:
        break;
    }
    return 0;
}

const char* vdcReportMesh::shape_name(Shape shape)
{
    switch (shape) {
    case Shape::triangles:
        return "triangles";
    case Shape::lines:
        return "lines";
    case Shape::points:
        break;
    }
    return "points";
}

std::string vdcReportMesh::fault(const vdaDrawing& drawing) const
{
    if (drawing.shape != Shape::triangles && drawing.shape != Shape::lines && drawing.shape != Shape::points)
        return "unknown shape " + std::to_string(static_cast<int>(drawing.shape));
    if (drawing.positions.size() % 3 != 0)
        return "positions are not whole x, y, z triples";
    const std::uint64_t vertices = drawing.positions.size() / 3;
    if (vertices > std::numeric_limits<std::uint32_t>::max())
        return "more vertices than 32-bit indices reach";
    if (!all_finite(drawing.positions))
        return "a coordinate is not finite";
    switch (drawing.shape) {
    case Shape::triangles:
        if (drawing.indices.size() % 3 != 0)
            return "indices are not whole triangles";
        for (const std::uint32_t i : drawing.indices)
            if (i >= vertices)
                return "index " + std::to_string(i) + " is past the " + std::to_string(vertices) + " vertices";
        break;
    case Shape::lines:
        for (std::size_t r = 0; r < drawing.runs.size(); ++r)
            if (drawing.runs[r] >= vertices || (r > 0 && drawing.runs[r] <= drawing.runs[r - 1]))
                return "polyline starts are not ascending within the " + std::to_string(vertices) + " vertices";
        break;
    case Shape::points:
        if (!drawing.vectors.empty() && drawing.vectors.size() != drawing.positions.size())
            return "not one vector per point";
        if (!all_finite(drawing.vectors))
            return "a vector is not finite";
        break;
    }
    return {};
}

void vdcReportMesh::write_binary(vdcBase64Writer& out) const
{
    std::vector<std::uint16_t> narrow;
    for (const Group& g : groups_) {
        for (const std::size_t d : g.drawings)
            put(out, scene_.drawings[d].positions.data(), scene_.drawings[d].positions.size());
        if (g.shape == Shape::triangles) {
            for (const std::size_t d : g.drawings) {
                const std::vector<std::uint32_t>& indices = scene_.drawings[d].indices;
                if (g.index_bytes == 4) {
                    put(out, indices.data(), indices.size());
                    continue;
                }
                narrow.assign(indices.begin(), indices.end());
                put(out, narrow.data(), narrow.size());
            }
            pad(out, g.elements * static_cast<std::uint64_t>(g.index_bytes));
        } else if (g.shape == Shape::lines) {
            static constexpr std::uint32_t whole = 0;
            for (const std::size_t d : g.drawings) {
                const vdaDrawing& drawing = scene_.drawings[d];
                if (elements_of(drawing) == 1 && drawing.runs.empty())
                    put(out, &whole, 1);
                else
                    put(out, drawing.runs.data(), drawing.runs.size());
            }
        }
        if (g.vectors) {
            for (const std::size_t d : g.drawings) {
                const vdaDrawing& drawing = scene_.drawings[d];
                if (!drawing.vectors.empty()) {
                    put(out, drawing.vectors.data(), drawing.vectors.size());
                    continue;
                }
                static constexpr float zero[3] = {0.0f, 0.0f, 0.0f};
                for (std::size_t v = 0; v < drawing.positions.size() / 3; ++v)
                    put(out, zero, 3);
            }
        }
    }
}
