#include "check_support.h"

namespace {

using Pieces = std::vector<vdaTrimmedCurve>;

// Entities a face or top can refer to: clean surfaces "SF" and "SF2", a clean curve "CV", clean cons
// "CN" (on SF) and "CN2" (on SF2) over [0, 1], a faulty surface "BADSF", faulty cons "NULLSF" (no
// surface) and "NOSEG" (no segments), a clean face "FC" and a faulty face "BADFC".
void referenced_entities(Model& m)
{
    m.surf("SF");
    m.surf("SF2");
    m.curve("CV");
    m.cons("CN", "SF", "CV");
    m.cons("CN2", "SF2", "CV");
    m.add<vdaSurf>("BADSF", 1, 0, std::vector<vdaSurfPatch>{});
    m.cons("NULLSF", "NONE", "CV");
    m.add<vdaCons>("NOSEG", "SF", "CV", 0.0, 1.0);
    m.add<vdaFace>("FC", "SF", std::vector{vdaBoundary(Pieces{{"CN", 0, 1}})});
    m.add<vdaFace>("BADFC", "NONE");
}

std::function<void(Model&)> face(const char* surface, std::vector<Pieces> boundaries = {})
{
    return [=](Model& m) {
        referenced_entities(m);
        m.add<vdaFace>("E", surface, std::vector<vdaBoundary>(boundaries.begin(), boundaries.end()));
    };
}

struct Pair {
    const char* first;
    Pieces first_curves;
    const char* second;
    Pieces second_curves;
    int continuity;
};
std::function<void(Model&)> top(std::vector<Pair> pairs)
{
    return [=](Model& m) {
        referenced_entities(m);
        std::vector<vdaSurfacePair> p;
        for (const Pair& s : pairs)
            p.emplace_back(vdaLinkedSurf(s.first, s.first_curves), vdaLinkedSurf(s.second, s.second_curves),
                           s.continuity);
        m.add<vdaTop>("E", p);
    };
}

}  // namespace

TEST(FaceCheck, LogsEachFaultWithItsIndicesInSubCheckOrder)
{
    const char* invalid_cons = "Face cons pointer points to invalid cons";
    const char* trim = "Face entity has invalid cons trimming parameters";
    run_cases({
        {"clean, a reversed trim included", face("SF", {{{"CN", 0, 1}, {"CN", 0.75, 0.25}}}), {}},
        {"null surface: the cons surfaces are not compared",
         face("NONE", {{{"CN", 0, 1}}}),
         {{"Face has null surface pointer"}}},
        {"surface reference to a cons", face("CN"), {{"Face surface pointer points to non surface"}}},
        {"faulty surface",
         face("BADSF"),
         {{"Face surface pointer points to invalid surface", {}, {}, fix_face_surface_ptr}}},
        // A cons without a surface is not compared; one without segments has no range to trim against.
        {"every piece fault",
         face("SF", {{{"CN2", 0.5, 0.5}, {"NONE", 0, 1}, {"CV", 0, 1}, {"NULLSF", 0, 1}, {"NOSEG", 0, 5}},
                     {{"CN", 0, 1}, {"CN", 0, 2}}}),
         {{"Face cons pointer points to different surface from face", {0, 0}},
          {"Face has null cons pointer", {0, 1}},
          {"Face cons pointer points to non cons", {0, 2}},
          {invalid_cons, {0, 3}, {}, fix_face_cons_ptr},
          {invalid_cons, {0, 4}, {}, fix_face_cons_ptr},
          {trim, {0, 0}, {0, 1, 0.5, 0.5}, fix_face_cons_parameters},
          {trim, {1, 1}, {0, 1, 0, 2}, fix_face_cons_parameters}}},
    });
}

TEST(TopCheck, LogsEachFaultWithItsIndicesInSubCheckOrder)
{
    const Pieces none;
    const char* trim = "Top entity has invalid cons trimming parameters";
    const char* continuity = "Top entity has invalid continuity flag";
    run_cases({
        {"clean: a face and a surface joined along two cons",
         top({{"FC", {{"CN", 0, 1}}, "SF", {{"CN", 0.75, 0.25}}, 0}, {"SF", none, "SF", none, 2}}),
         {}},
        {"every fault",
         top({{"NONE", {{"CN", 0.5, 0.5}, {"NONE", 0, 1}}, "CN", {{"CV", 0, 1}, {"NOSEG", 0, 1}}, 3},
              {"BADFC", {{"CN", 0.5, -0.5}}, "SF", {{"CN", 0.75, 0.25}}, -1}}),
         {{"Top entity has null pointer to face or surface", {0, 0}},
          {"Top entity pointer to face or surface is not face or surface", {0, 1}},
          {"Top entity pointer to face or surface points to invalid entity", {1, 0}, {}, fix_top_face_surface_ptr},
          {"Top entity pointer to cons is pointing at nothing", {0, 0, 1}},
          {"Top entity pointer to cons is pointing to non cons", {0, 1, 0}},
          {"Top entity pointer to cons is pointing to invalid cons", {0, 1, 1}, {}, fix_top_cons_ptr},
          {trim, {0, 0, 0}, {0, 1, 0.5, 0.5}, fix_top_cons_parameters},
          {trim, {1, 0, 0}, {0, 1, 0.5, -0.5}, fix_top_cons_parameters},
          {continuity, {0}},
          {continuity, {1}}}},
    });
}
