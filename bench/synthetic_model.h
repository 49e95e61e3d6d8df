#pragma once

#include <cstddef>
#include <memory>
#include <string>

class vdaFile;

// A deterministic synthetic VDA-FS model of about `target_bytes` bytes (at least a HEADER and END). Its
// mix follows exported CAD parts: mostly bicubic surfaces, each trimmed by a face whose boundary is made
// of cons that refer to the surface and to space curves, with now and then points, point sets, MDIs,
// circles, topology, groups, sets, matrices and transformation lists. Numbers carry 17 significant digits
// as CAD exports write them.
//
// The geometry is coherent: parts lie in rows of ten on smooth height fields, the patches of a surface
// join, each cons runs along an edge of its surface's domain and its space curve is that edge exactly
// (the curves of two edges run against their cons), faces are bounded by their surface's domain, and a
// topology entity joins two neighbouring parts along their common edge, tangent continuous as it claims.
// About 3% of the entities hold a deliberate structural fault that the checks report (orders outside
// 2..25, reversed parameters, the invalid-value sentinel, references to missing names, trims beyond their
// cons, non-unit circle vectors, invalid continuity), and a few percent of the parts a geometric one that
// the quality rules report (a patch lifted 0.05 mm, a space curve 0.1 mm off its cons, a 0.1 mm gap in a
// face boundary, a 0.5 degree kink across a topology edge, a top edge collapsed to a point).
std::string vda_synthetic_model(std::size_t target_bytes);

// The benchmarks' model: the synthetic model of VDACHECK_BENCH_MB megabytes (200 when unset), made once per
// process, as text and as read.
const std::string& vda_bench_model_text();
const vdaFile& vda_bench_model();
