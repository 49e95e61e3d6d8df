#pragma once

// Repairs that recompute numeric data of the faulty entity from the model: trimming ranges clamped into
// the range of the trimmed curve, circle plane vectors made orthonormal, circle angles brought into one
// turn. None reads the packet's doubles or the log. Each fails, changing nothing, when the entity is not
// of its class or the packet's indices no longer fit it; the trimming repairs also fail when the trimmed
// cons or curve cannot be found or has no segments (no range to clamp into).

#include <vdacheck/check/vdc_export.h>

class vdaObjectPtr;
class vdcErrorPacket;
class vdcLog;

// The result of clamping a trimming range [trim_start, trim_end] into [start, end]: each end is
// limited from above first, then from below. A reversed range (start > end) clamps both ends to start.
struct vdcClampedTrim {
    double start;
    double end;
    bool collapsed;  // both ends fell on the same value
};
VDC_API vdcClampedTrim vdc_clamp_trim(double start, double end, double trim_start, double trim_end) noexcept;

// Face boundary piece: clamped into its cons's range; a collapsed piece takes the whole range.
VDC_API int fix_face_cons_parameters(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
// Topology trimming curve: clamped into its cons's range; fails, changing nothing, when it collapses.
VDC_API int fix_top_cons_parameters(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
// Cons trimming range: clamped into its space curve's range; fails, changing nothing, when it collapses.
VDC_API int fix_cons_trimming_params(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
// Plane vectors: v normalised, w normalised and, where not orthogonal to v, replaced by (w x v) x v.
// Fails, changing nothing, for a zero vector or parallel vectors (tolerance 1e-15).
VDC_API int fix_circle_vectors(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
// Angles reduced into one turn with the end following the start, even where the arc stays empty.
VDC_API int fix_circle_angles(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
