#pragma once

#include <vdacheck/heal/vdc_heal_export.h>
#include <vdacheck/heal/vdc_heal_options.h>
#include <vdacheck/heal/vdc_heal_result.h>

class vdaFile;

// Heals a model in place: repairs its structure (vdc_repair), measures its quality (vdcQualityCheck with
// the options' profile), closes every finding small enough to heal, and measures again.
//
// What is healed, when its value is within the tolerance (mm) or the angle (degrees):
//   curve-segment-gap, cons-segment-gap    the segment ends meet at their midpoint, blended into each
//                                           segment so that the tangents there stay as they were
//   curve-segment-kink                     the tangents at the joint turned to one direction
//   surf-patch-gap, surf-patch-kink        the neighbouring patches share the seam (and the tangent plane
//                                           across it), corners where four patches meet at one point
//   cons-curve-deviation                   the cons's space curve rebuilt as the cons's image on its surface
//   face-loop-gap                          the trimming curves trimmed to their crossing, or their ends
//                                           moved to meet, in the surface's parameters
//   top-edge-gap, top-continuity           the two surfaces meet along their common boundary edge (and,
//                                           for continuity 1 or 2, tangent)
//   curve-tiny-segment, surf-tiny-patch    merged into a neighbour
// and the space curves of cons whose surface or cons healing changed are rebuilt so they keep matching.
//
// The promise, checked on every run: no point of a curve, surface or curve on a surface moves by more than
// the tolerance; nothing within its profile tolerance before is outside it after; the changed entities
// check clean and read back from their written text as themselves. A healing that would break it is
// undone (and named in the result) before the final measurement. Entities nothing changed stay untouched,
// so the writer copies them byte for byte.
VDC_HEAL_API vdcHealResult vdc_heal(vdaFile& file, const vdcHealOptions& options = {});
