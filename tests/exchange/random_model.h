#pragma once

#include <cstdint>
#include <memory>

class vdaFile;

// A random model whose geometry is exact by construction, for the exchange tests: each part is a polynomial
// surface of random degrees (1 to 5 in each direction) over random, unevenly spaced breakpoints, its patches
// stored with random extra orders (zero terms, so that lower-order patches meet higher-order ones); a face on it
// bounded by a rectangle of its parameter plane, sometimes with a rectangular hole, whose pieces are cons of
// random segments and orders over their own breakpoints, running with or against their space curve, and
// trimmed forward or backward; the space curves are the surface along those lines, re-expanded exactly on
// their own uneven breakpoints. Parts come in pairs: two faces side by side on one surface, joined by a TOP.
// Then now and then an untrimmed surface, a free curve, a circle, points, a group, and a TLIST that turns a
// face. Every entity checks clean, every gap is rounding.
std::unique_ptr<vdaFile> vdatest_random_model(std::uint64_t seed, int pairs);

// A model of closed surfaces: CYL, a cylinder (radius 50, height 80) of four cubic patches round its axis, each a
// quarter turn, so that its last patch ends exactly where its first begins (closed in u); and BAND, the same
// cylinder moved up, with the face FB trimmed to the band t in [0.25, 0.75] all the way round, whose boundary
// runs along the seam twice (at s = 0 and at s = 4). Every entity checks clean.
std::unique_ptr<vdaFile> vdatest_cylinder_model();
