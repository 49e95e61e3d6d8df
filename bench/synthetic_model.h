#pragma once

#include <cstddef>
#include <string>

// A deterministic synthetic VDA-FS model of about `target_bytes` bytes (at least a HEADER and END). Its
// mix follows exported CAD parts: mostly bicubic surfaces, each trimmed by a face whose boundary is made
// of cons that refer to the surface and to space curves, with now and then points, point sets, MDIs,
// circles, topology, groups, sets, matrices and transformation lists. Numbers carry 17 significant digits
// as CAD exports write them. About 3% of the entities hold a deliberate fault that the checks report
// (orders outside 2..25, reversed parameters, the invalid-value sentinel, references to missing names,
// non-unit circle vectors, invalid continuity).
std::string vda_synthetic_model(std::size_t target_bytes);
