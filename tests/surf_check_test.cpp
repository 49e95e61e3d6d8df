#include "check_support.h"

namespace {

// Patch (i, j) of a grid replaced.
struct At {
    int i, j;
    vdaSurfPatch patch;
};

// A surface "E" of nu by nv unit patches joined exactly, with the given patches replaced.
std::function<void(Model&)> grid(int nu, int nv, std::vector<At> changes = {})
{
    return [=](Model& m) {
        std::vector<vdaSurfPatch> patches;
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i)
                patches.push_back(Model::patch(i, i + 1, j, j + 1));
        for (const At& c : changes)
            patches[std::size_t(c.j * nu + c.i)] = c.patch;
        m.add<vdaSurf>("E", nu, nv, patches);
    };
}

}  // namespace

TEST(SurfCheck, LogsEachFaultWithItsIndicesInSubCheckOrder)
{
    std::vector<giPoint3> z_invalid(6, giPoint3(1, 2, 3));
    z_invalid[2 * 2 + 1] = giPoint3(1, 2, -max_d);  // coeffs(1, 2): u index 1, v index 2
    const giPoint3 off(0, 0, -max_d);
    run_cases({
        // Degenerate means all zeros in two coordinates over all coefficients.
        {"clean: one patch in the plane z = 0, one off the z axis by a single y",
         grid(1, 2,
              {{0, 0, Model::patch(0, 1, 0, 1, 2, 2, {1, 1, 0})},
               {0, 1, vdaSurfPatch(0, 1, 1, 2, 2, 2, {{0, 0, 1}, {0, 0.5, 2}, {0, 0, 3}, {0, 0, 4}})}}),
         {}},
        {"no patches in u", grid(0, 3), {{"Surf has invalid number of patches"}}},
        // Patch 1 is empty in u, reversed in v, of u order 1 and on the z axis at minus the maximum;
        // patch 2 has no coefficients at all, which counts as degenerate.
        {"every patch fault",
         grid(3, 1, {{1, 0, Model::patch(1.5, 1.5, 1, 0, 1, 2, off)}, {2, 0, Model::patch(2, 3, 0, 1, 0, 2)}}),
         {Packet("Invalid adjacent u_parameters", {1, 0}), Packet("Invalid adjacent u_parameters", {2, 0}),
          Packet("Invalid u patch parameters", {1, 0}), Packet("Invalid v patch parameters", {1, 0}),
          Packet("Invalid patch order", {1, 0}), Packet("Invalid patch order", {2, 0}),
          Packet("Surface patch has invalid coefficient", {1, 0, 0, 0}),
          Packet("Surface patch has invalid coefficient", {1, 0, 1, 0}), Packet("Degenerate surface patch", {1, 0}),
          Packet("Degenerate surface patch", {2, 0})}},
        {"v order 30", grid(1, 1, {{0, 0, Model::patch(0, 1, 0, 1, 2, 30)}}), {{"Invalid patch order", {0, 0}}}},
        {"invalid coefficient: ints i, j, l, k",
         grid(1, 1, {{0, 0, vdaSurfPatch(0, 1, 0, 1, 2, 3, z_invalid)}}),
         {{"Surface patch has invalid coefficient", {0, 0, 2, 1}}}},
        {"NaN start: no interval error, but an adjacency error",
         grid(2, 1, {{1, 0, Model::patch(nan_d, 2, 0, 1)}}),
         {{"Invalid adjacent u_parameters", {1, 0}}}},
        // v joins are compared column by column (u outermost), u joins row by row (v outermost).
        {"3 by 3 with four gaps",
         grid(3, 3,
              {{1, 1, Model::patch(1.25, 2, 1.25, 2)},
               {0, 2, Model::patch(0, 1, 2.25, 3)},
               {2, 0, Model::patch(2.25, 3, 0, 1)}}),
         {Packet("Invalid adjacent v_parameters", {0, 2}), Packet("Invalid adjacent v_parameters", {1, 1}),
          Packet("Invalid adjacent u_parameters", {2, 0}), Packet("Invalid adjacent u_parameters", {1, 1})}},
    });
}
