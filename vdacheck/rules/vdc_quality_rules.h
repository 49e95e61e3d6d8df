#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// The geometric quality rules: what each measures, its default tolerance and unit, and how its findings
// say where they are. Plain data, one row per rule in vdcQualityRule order.

enum class vdcQualityRule : unsigned char {
    curve_segment_gap,
    curve_segment_kink,
    curve_tiny_segment,
    surf_patch_gap,
    surf_patch_kink,
    surf_tiny_patch,
    surf_degenerate_edge,
    surf_undefined_normal,
    cons_curve_deviation,
    cons_outside_domain,
    cons_segment_gap,
    face_loop_gap,
    face_loop_orientation,
    face_loop_self_intersection,
    top_edge_gap,
    top_continuity,
};

// at_most: a measured value above the tolerance is a finding, and the worst value is the largest;
// at_least: a value below the tolerance is a finding, and the worst is the smallest.
enum class vdcQualityLimit : unsigned char { at_most, at_least };

struct vdcQualityRuleInfo {
    const char* id;    // stable identifier, used in reports and profiles
    const char* help;  // one sentence in plain words
    double default_tolerance;
    const char* unit;  // "mm", "deg", "relative" or "crossings"
    vdcQualityLimit limit;
    // What the indices and parameters of a finding's location stand for, in order (null: unused).
    std::array<const char*, 4> indices;
    std::array<const char*, 3> parameters;
};

// One row per rule, kept as a table rather than one field per line.
// clang-format off
inline constexpr std::array<vdcQualityRuleInfo, 16> vdc_quality_rules = {{
    {"curve-segment-gap", "The end of a curve segment is this far from the start of the next one.", 0.02, "mm",
     vdcQualityLimit::at_most, {"segment"}, {"s"}},
    {"curve-segment-kink", "The tangents of a curve segment and the next one meet at this angle.", 0.1, "deg",
     vdcQualityLimit::at_most, {"segment"}, {"s"}},
    {"curve-tiny-segment", "A curve segment is only this long.", 0.02, "mm", vdcQualityLimit::at_least, {"segment"},
     {"s"}},
    {"surf-patch-gap", "Two neighbouring surface patches are this far apart along their common edge.", 0.02, "mm",
     vdcQualityLimit::at_most, {"patch_u", "patch_v", "direction"}, {"s", "t"}},
    {"surf-patch-kink",
     "The normals of two neighbouring surface patches differ by this angle along their common edge, where both are "
     "defined.",
     0.1, "deg", vdcQualityLimit::at_most, {"patch_u", "patch_v", "direction"}, {"s", "t"}},
    {"surf-tiny-patch", "A surface patch is only this long in one direction.", 0.02, "mm", vdcQualityLimit::at_least,
     {"patch_u", "patch_v", "direction"}, {"s", "t"}},
    {"surf-degenerate-edge", "An edge of a surface patch has shrunk to this length while the opposite edge has not.",
     0.02, "mm", vdcQualityLimit::at_least, {"patch_u", "patch_v", "edge"}, {"s", "t"}},
    {"surf-undefined-normal",
     "A surface patch has a point where its normal is undefined: the cross product of its derivatives nearly "
     "vanishes, relative to its largest value on the patch.",
     1e-9, "relative", vdcQualityLimit::at_least, {"patch_u", "patch_v"}, {"s", "t"}},
    {"cons-curve-deviation", "A curve on a surface lies this far from the space curve that should match it.", 0.02,
     "mm", vdcQualityLimit::at_most, {"segment"}, {"w", "s", "t"}},
    {"cons-outside-domain",
     "A curve on a surface leaves the parameter range of its surface by this fraction of the range.", 1e-9,
     "relative", vdcQualityLimit::at_most, {"segment"}, {"w", "s", "t"}},
    {"cons-segment-gap", "On the surface, the end of a segment of a curve on it is this far from the next segment.",
     0.02, "mm", vdcQualityLimit::at_most, {"segment"}, {"w"}},
    {"face-loop-gap", "Consecutive trimming curves of a face boundary are this far apart where they should meet.",
     0.02, "mm", vdcQualityLimit::at_most, {"boundary", "piece"}, {"s", "t"}},
    {"face-loop-orientation",
     "A hole of a face runs the same way round as its outer boundary (its area over the outer boundary's is "
     "positive); a hole without area has no orientation.",
     0.0, "relative", vdcQualityLimit::at_most, {"boundary"}, {}},
    {"face-loop-self-intersection",
     "A face boundary crosses itself or another boundary of the face this many times; boundaries that only touch "
     "do not cross.",
     0.0, "crossings", vdcQualityLimit::at_most, {"boundary", "piece", "other_boundary", "other_piece"}, {"s", "t"}},
    {"top-edge-gap", "The two sides of a topology pair are this far apart along their common edge.", 0.02, "mm",
     vdcQualityLimit::at_most, {"pair", "side", "piece"}, {"w"}},
    {"top-continuity",
     "A topology pair declared tangent continuous has normals that differ by this angle along its edge, where both "
     "are defined.",
     0.1, "deg", vdcQualityLimit::at_most, {"pair", "side", "piece"}, {"w"}},
}};
// clang-format on

inline constexpr std::size_t vdc_num_quality_rules = vdc_quality_rules.size();

constexpr const vdcQualityRuleInfo& vdc_quality_rule_info(vdcQualityRule rule) noexcept
{
    return vdc_quality_rules[static_cast<std::size_t>(rule)];
}

// The rule of that id, or nothing.
constexpr std::optional<vdcQualityRule> vdc_quality_rule(std::string_view id) noexcept
{
    for (std::size_t i = 0; i < vdc_num_quality_rules; ++i)
        if (id == vdc_quality_rules[i].id)
            return static_cast<vdcQualityRule>(i);
    return std::nullopt;
}
