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

std::function<void(Model&)> top(std::vector<vdaSurfacePair> pairs)
{
    return [=](Model& m) {
        referenced_entities(m);
        m.add<vdaTop>("E", pairs);
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
         face("SF", {{{"CN", 0, 1}, {"CN2", 0.5, 0.5}, {"CV", 0, 1}, {"NULLSF", 0, 1}, {"NOSEG", 0, 5}},
                     {{"NONE", 0, 1}, {"CN", 0, 2}}}),
         {Packet("Face cons pointer points to different surface from face", {0, 1}),
          Packet("Face has null cons pointer", {1, 0}), Packet("Face cons pointer points to non cons", {0, 2}),
          Packet(invalid_cons, {0, 3}, {}, fix_face_cons_ptr), Packet(invalid_cons, {0, 4}, {}, fix_face_cons_ptr),
          Packet(trim, {0, 1}, {0, 1, 0.5, 0.5}, fix_face_cons_parameters),
          Packet(trim, {1, 1}, {0, 1, 0, 2}, fix_face_cons_parameters)}},
    });
}

TEST(TopCheck, LogsEachFaultWithItsIndicesInSubCheckOrder)
{
    const char* trim = "Top entity has invalid cons trimming parameters";
    const char* continuity = "Top entity has invalid continuity flag";
    run_cases({
        {"clean: a face and a surface joined along two cons",
         top({{{"FC", {{"CN", 0, 1}}}, {"SF", {{"CN", 0.75, 0.25}}}, 0}, {{"SF", {}}, {"SF", {}}, 2}}),
         {}},
        {"every fault",
         top({{{"NONE", {{"CN", 0.5, 0.5}, {"NONE", 0, 1}}},
               {"CN", {{"CV", 0, 1}, {"NOSEG", 0, 1}, {"CN", 0.5, -0.5}}},
               3},
              {{"BADFC", {}}, {"SF", {{"CN", 0.75, 0.25}}}, -1}}),
         {Packet("Top entity has null pointer to face or surface", {0, 0}),
          Packet("Top entity pointer to face or surface is not face or surface", {0, 1}),
          Packet("Top entity pointer to face or surface points to invalid entity", {1, 0}, {},
                 fix_top_face_surface_ptr),
          Packet("Top entity pointer to cons is pointing at nothing", {0, 0, 1}),
          Packet("Top entity pointer to cons is pointing to non cons", {0, 1, 0}),
          Packet("Top entity pointer to cons is pointing to invalid cons", {0, 1, 1}, {}, fix_top_cons_ptr),
          Packet(trim, {0, 0, 0}, {0, 1, 0.5, 0.5}, fix_top_cons_parameters),
          Packet(trim, {0, 1, 2}, {0, 1, 0.5, -0.5}, fix_top_cons_parameters), Packet(continuity, {0}),
          Packet(continuity, {1})}},
    });
}
