#include "check_support.h"

namespace {

// A surface "E" of nu by nv unit patches joined exactly; `change` then edits patch (i, j).
using Edit = std::function<void(int i, int j, vdaSurfPatch& p)>;
std::function<void(Model&)> grid(int nu, int nv, Edit change = {})
{
    return [=](Model& m) {
        std::vector<vdaSurfPatch> patches;
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                patches.push_back(Model::patch(i, i + 1, j, j + 1, 4, 4));
                if (change)
                    change(i, j, patches.back());
            }
        m.add<vdaSurf>("E", nu, nv, patches);
    };
}

Edit at(int pi, int pj, vdaSurfPatch replacement)
{
    return [=](int i, int j, vdaSurfPatch& p) {
        if (i == pi && j == pj)
            p = replacement;
    };
}

vdaSurfPatch with_coeffs(int uo, int vo, std::vector<giPoint3> c)
{
    return vdaSurfPatch(0, 1, 0, 1, uo, vo, c);
}

}  // namespace

TEST(SurfCheck, LogsEachFaultWithItsIndicesInSubCheckOrder)
{
    const giPoint3 on_z(0, 0, 5), in_plane(1, 1, 0);
    std::vector<giPoint3> z_invalid(6, giPoint3(1, 2, 3));
    z_invalid[2 * 2 + 1] = giPoint3(1, 2, -max_d); // coeffs(1, 2): u index 1, v index 2
    run_cases({
        {"2 by 3 bicubic", grid(2, 3), {}},
        {"no patches in u",
         [](Model& m) { m.add<vdaSurf>("E", 0, 3, std::vector<vdaSurfPatch>{}); },
         {{"Surf has invalid number of patches"}}},
        {"gap in u",
         grid(3, 1, at(2, 0, Model::patch(1.5, 3, 0, 1, 4, 4))),
         {{"Invalid adjacent u_parameters", {2, 0}}}},
        {"empty u and reversed v intervals",
         grid(1, 1, at(0, 0, Model::patch(1, 1, 2, 1))),
         {{"Invalid u patch parameters", {0, 0}}, {"Invalid v patch parameters", {0, 0}}}},
        {"u order 1 and v order 30: one packet",
         grid(1, 1, at(0, 0, Model::patch(0, 1, 0, 1, 1, 30))),
         {{"Invalid patch order", {0, 0}}}},
        {"order 0: no coefficients, so degenerate",
         grid(1, 1, at(0, 0, Model::patch(0, 1, 0, 1, 0, 2))),
         {{"Invalid patch order", {0, 0}}, {"Degenerate surface patch", {0, 0}}}},
        {"patch (0, 1) on the z axis",
         grid(1, 2, at(0, 1, Model::patch(0, 1, 1, 2, 2, 2, on_z))),
         {{"Degenerate surface patch", {0, 1}}}},
        {"a patch in the plane z = 0 is fine", grid(1, 1, at(0, 0, Model::patch(0, 1, 0, 1, 2, 2, in_plane))), {}},
        {"one y of 0.5 keeps an x = y = 0 patch off the axis",
         grid(1, 1, at(0, 0, with_coeffs(2, 2, {{0, 0, 1}, {0, 0.5, 2}, {-0.0, 0, 3}, {0, 0, 4}}))),
         {}},
        {"invalid coefficient: ints i, j, l, k",
         grid(1, 1, at(0, 0, with_coeffs(2, 3, z_invalid))),
         {{"Surface patch has invalid coefficient", {0, 0, 2, 1}}}},
        {"NaN start: no interval error, but an adjacency error",
         grid(2, 1, at(1, 0, Model::patch(nan_d, 2, 0, 1))),
         {{"Invalid adjacent u_parameters", {1, 0}}}},
    });
}

TEST(SurfCheck, AdjacencyLoopsRunUOuterForVAndVOuterForU)
{
    const Edit shifts = [](int i, int j, vdaSurfPatch& p) {
        const bool shift_v = (i == 1 && j == 1) || (i == 0 && j == 2);
        const bool shift_u = (i == 2 && j == 0) || (i == 1 && j == 1);
        p = Model::patch(i + (shift_u ? 0.25 : 0), i + 1, j + (shift_v ? 0.25 : 0), j + 1, 4, 4);
    };
    run_cases({{"3 by 3 with four gaps",
                grid(3, 3, shifts),
                {{"Invalid adjacent v_parameters", {0, 2}},
                 {"Invalid adjacent v_parameters", {1, 1}},
                 {"Invalid adjacent u_parameters", {2, 0}},
                 {"Invalid adjacent u_parameters", {1, 1}}}}});
}
