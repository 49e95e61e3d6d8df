#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/mesh/vda_scene.h>

// Appends a vertex to a drawing and returns its index.
inline std::uint32_t vda_add_vertex(vdaDrawing& drawing, const giPoint3& p)
{
    const auto index = static_cast<std::uint32_t>(drawing.positions.size() / 3);
    drawing.positions.push_back(static_cast<float>(p.x()));
    drawing.positions.push_back(static_cast<float>(p.y()));
    drawing.positions.push_back(static_cast<float>(p.z()));
    return index;
}

inline void vda_add_triangle(vdaDrawing& drawing, std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    drawing.indices.push_back(a);
    drawing.indices.push_back(b);
    drawing.indices.push_back(c);
}

// True when no value overflowed a float (or was not a number to begin with).
inline bool vda_finite(const std::vector<float>& values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}
