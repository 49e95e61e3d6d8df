#include "check_support.h"

namespace {

// A cons "E" with the given trim and segments on `surf` and `curve`, in a model that offers a clean
// surface "SF", a clean curve "CV" over [0, 10], a faulty surface "BADSF", a faulty curve "BADCV" over
// [0, 10] and a curve "NOSEG" without segments.
std::function<void(Model&)> cons(double ts, double te,
                                 std::vector<vdaConsSegment> segments = {Model::cons_segment(0, 1)},
                                 const char* surf = "SF", const char* curve = "CV")
{
    return [=](Model& m) {
        m.surf("SF");
        m.add<vdaCurve>("CV", std::vector{Model::curve_segment(0, 4), Model::curve_segment(4, 10)});
        m.add<vdaSurf>("BADSF", 0, 3, std::vector<vdaSurfPatch>{});
        m.add<vdaCurve>("BADCV", std::vector{Model::curve_segment(0, 10, 30)});
        m.add<vdaCurve>("NOSEG", std::vector<vdaCurveSegment>{});
        m.add<vdaCons>("E", surf, curve, ts, te, segments);
    };
}

Packet trim(double ts, double te)
{
    return {"Cons has invalid trim parameters", {}, {0, 10, ts, te}, fix_cons_trimming_params};
}

}  // namespace

TEST(ConsCheck, LogsEachFaultInSubCheckOrder)
{
    // Minus the maximum in u or in v marks a coefficient invalid; plus the maximum does not.
    const vdaConsSegment coeffs(2, 3, 2, {giPoint2(max_d, -max_d), giPoint2(-max_d, max_d)});
    const char* invalid_curve = "Cons curve pointer points to invalid curve";
    run_cases({
        {"clean", cons(2, 8), {}},
        {"no segments", cons(2, 8, {}), {{"Cons has no segments"}}},
        {"segment faults, then references, then the trim",
         cons(5, 5, {Model::cons_segment(1, 0, 26), coeffs}, "NONE"),
         {Packet("Cons segment has non increasing parameters", {0}),
          Packet("Adjacent cons segment parameters dont match", {1}), Packet("Cons segment had invalid order", {0}),
          Packet("Cons segment has invalid coefficient", {1, 0}),
          Packet("Cons segment has invalid coefficient", {1, 1}), Packet("Cons has null surface pointer"), trim(5, 5)}},
        // A curve reference that is null or not to a curve leaves no range to trim against.
        {"null curve, surface reference to a curve",
         cons(5, 5, {Model::cons_segment(0, 1)}, "CV", "NONE"),
         {{"Cons has null curve pointer"}, {"Cons surface pointer points to non surface"}}},
        {"curve reference to a surface, null surface",
         cons(5, 5, {Model::cons_segment(0, 1)}, "NONE", "SF"),
         {{"Cons curve pointer points to non curve"}, {"Cons has null surface pointer"}}},
        {"faulty curve and surface",
         cons(2, 8, {Model::cons_segment(0, 1)}, "BADSF", "BADCV"),
         {{invalid_curve, {}, {}, fix_cons_curve_ptr},
          {"Cons surface pointer points to invalid surface", {}, {}, fix_cons_surface_ptr}}},
        {"curve without segments: faulty, and no range to trim against",
         cons(5, 5, {Model::cons_segment(0, 1)}, "SF", "NOSEG"),
         {{invalid_curve, {}, {}, fix_cons_curve_ptr}}},
    });
}

TEST(ConsCheck, TrimMustLieInTheCurveRangeAndNotBeEmpty)
{
    for (auto [ts, te] : {std::pair{8.0, 2.0}, {0.0, 10.0}, {10.0, 0.0}, {nan_d, 5.0}})
        run_cases({{"valid trim", cons(ts, te), {}}});
    for (auto [ts, te] : {std::pair{2.0, 2.0}, {-1.0, 5.0}, {11.0, 5.0}, {2.0, 11.0}, {5.0, -1.0}})
        run_cases({{"invalid trim", cons(ts, te), {trim(ts, te)}}});
}
