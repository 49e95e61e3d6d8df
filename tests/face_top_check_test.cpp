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
        std::vector<vdaBoundary> b(boundaries.begin(), boundaries.end());
        m.add<vdaFace>("E", surface, b);
    };
}

struct Pair {
    const char* first;
    Pieces first_curves;
    const char* second;
    Pieces second_curves;
    int continuity = 0;
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

Packet face_packet(const char* message, int b, int s, vdcErrorFunction f = nullptr)
{
    return {message, {b, s}, {}, f};
}
Packet face_trim(int b, int s, double ts, double te)
{
    return {"Face entity has invalid cons trimming parameters", {b, s}, {0, 1, ts, te}, fix_face_cons_parameters};
}
Packet top_packet(const char* message, std::vector<int> ints, vdcErrorFunction f = nullptr)
{
    return {message, ints, {}, f};
}
Packet top_trim(int i, int k, int j, double ts, double te)
{
    return {"Top entity has invalid cons trimming parameters", {i, k, j}, {0, 1, ts, te}, fix_top_cons_parameters};
}

}  // namespace

TEST(FaceCheck, SurfaceReferenceIsReportedByExactlyOneSubCheck)
{
    run_cases({
        {"clean", face("SF", {{{"CN", 0, 1}, {"CN", 0.75, 0.25}}}), {}},
        {"no boundaries, and a boundary without pieces", face("SF", {{}}), {}},
        {"null surface: the cons surfaces are not compared",
         face("NONE", {{{"CN", 0, 1}}}),
         {{"Face has null surface pointer"}}},
        {"surface reference to a cons", face("CN"), {{"Face surface pointer points to non surface"}}},
        {"faulty surface",
         face("BADSF"),
         {{"Face surface pointer points to invalid surface", {}, {}, fix_face_surface_ptr}}},
    });
}

TEST(FaceCheck, PiecesAreCheckedBoundaryByBoundaryInSubCheckOrder)
{
    const char* invalid_cons = "Face cons pointer points to invalid cons";
    run_cases({
        {"cons on another surface",
         face("SF", {{{"CN2", 0, 1}}}),
         {face_packet("Face cons pointer points to different surface from face", 0, 0)}},
        {"cons without surface is not compared, but faulty",
         face("SF", {{{"CN", 0, 1}, {"NULLSF", 0, 1}}}),
         {face_packet(invalid_cons, 0, 1, fix_face_cons_ptr)}},
        {"cons without segments: faulty, no trimming packet",
         face("SF", {{{"NOSEG", 0, 5}}}),
         {face_packet(invalid_cons, 0, 0, fix_face_cons_ptr)}},
        {"empty and outside trims",
         face("SF", {{{"CN", 0.5, 0.5}}, {{"CN", 0.5, -0.5}}}),
         {face_trim(0, 0, 0.5, 0.5), face_trim(1, 0, 0.5, -0.5)}},
        {"failing pieces (0, 2) and (1, 0)",
         face("SF", {{{"CN", 0, 1}, {"CN", 0, 1}, {"CN", 0, 2}}, {{"CN", -1, 1}}}),
         {face_trim(0, 2, 0, 2), face_trim(1, 0, -1, 1)}},
        {"one fault per sub-check",
         face("SF", {{{"CN2", 0.5, 0.5}, {"NONE", 0, 1}, {"CV", 0, 1}}}),
         {face_packet("Face cons pointer points to different surface from face", 0, 0),
          face_packet("Face has null cons pointer", 0, 1), face_packet("Face cons pointer points to non cons", 0, 2),
          face_trim(0, 0, 0.5, 0.5)}},
    });
}

TEST(TopCheck, SidesAndContinuity)
{
    const Pieces none;
    run_cases({
        {"clean: a face and a surface joined along two cons",
         top({{"FC", {{"CN", 0, 1}}, "SF", {{"CN", 0.75, 0.25}}, 1}}),
         {}},
        {"no pairs", top({}), {}},
        {"continuity -1 and 3",
         top({{"SF", none, "SF", none, 0},
              {"SF", none, "SF", none, -1},
              {"SF", none, "SF", none, 2},
              {"SF", none, "SF", none, 3}}),
         {top_packet("Top entity has invalid continuity flag", {1}),
          top_packet("Top entity has invalid continuity flag", {3})}},
        {"null second side of pair 2",
         top({{"SF", none, "SF", none}, {"SF", none, "SF", none}, {"SF", none, "NONE", none}}),
         {top_packet("Top entity has null pointer to face or surface", {2, 1})}},
        {"side on a cons",
         top({{"CN", none, "SF", none}}),
         {top_packet("Top entity pointer to face or surface is not face or surface", {0, 0})}},
        {"side on a faulty face",
         top({{"SF", none, "BADFC", none}}),
         {top_packet("Top entity pointer to face or surface points to invalid entity", {0, 1},
                     fix_top_face_surface_ptr)}},
    });
}

TEST(TopCheck, TrimmingCurvesPairBySideByCurve)
{
    run_cases({
        {"null, non-cons, faulty cons and trims",
         top({{"SF", {{"CN", 0.5, 0.5}, {"NONE", 0, 1}}, "SF", {{"CV", 0, 1}, {"NOSEG", 0, 1}}},
              {"SF", {{"CN", 0.5, -0.5}}, "SF", {{"CN", 0.75, 0.25}}}}),
         {top_packet("Top entity pointer to cons is pointing at nothing", {0, 0, 1}),
          top_packet("Top entity pointer to cons is pointing to non cons", {0, 1, 0}),
          top_packet("Top entity pointer to cons is pointing to invalid cons", {0, 1, 1}, fix_top_cons_ptr),
          top_trim(0, 0, 0, 0.5, 0.5), top_trim(1, 0, 0, 0.5, -0.5)}},
    });
}
