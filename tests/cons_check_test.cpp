#include "check_support.h"

namespace {

// A cons "E" with the given trim and segments on `surf` and `curve`, in a model that offers a clean
// surface "SF" and a clean curve "CV" over [0, 10].
std::function<void(Model&)> cons(double ts, double te,
                                 std::vector<vdaConsSegment> segments = {Model::cons_segment(0, 1)},
                                 const char* surf = "SF", const char* curve = "CV")
{
    return [=](Model& m) {
        m.surf("SF");
        m.add<vdaCurve>("CV", std::vector{Model::curve_segment(0, 4), Model::curve_segment(4, 10)});
        m.add<vdaCons>("E", surf, curve, ts, te, segments);
    };
}

Packet trim(double ts, double te)
{
    return {"Cons has invalid trim parameters", {}, {0, 10, ts, te}, fix_cons_trimming_params};
}

}  // namespace

TEST(ConsCheck, SegmentsAreCheckedAsForCurves)
{
    const vdaConsSegment bad_v(1, 2, 2, {giPoint2(0, 0), giPoint2(max_d, -max_d)});
    const vdaConsSegment plus_u(2, 3, 2, {giPoint2(max_d, 0), giPoint2(0, 0)});
    run_cases({
        {"clean", cons(2, 8), {}},
        {"v of coefficient 1 is minus the maximum, u plus the maximum is fine",
         cons(2, 8, {Model::cons_segment(0, 1), bad_v, plus_u}),
         {{"Cons segment has invalid coefficient", {1, 1}}}},
        {"faults of every segment rule",
         cons(2, 8, {Model::cons_segment(1, 0, 26), Model::cons_segment(2, 3)}),
         {{"Cons segment has non increasing parameters", {0}},
          {"Adjacent cons segment parameters dont match", {1}},
          {"Cons segment had invalid order", {0}}}},
        {"no segments: the references and the trim are still checked",
         cons(5, 5, {}, "NONE"),
         {{"Cons has no segments"}, {"Cons has null surface pointer"}, trim(5, 5)}},
    });
}

TEST(ConsCheck, EachReferenceIsReportedByExactlyOneOfItsThreeSubChecks)
{
    auto with = [](std::function<void(Model&)> extra, const char* surf, const char* curve) {
        return [=](Model& m) {
            extra(m);
            cons(2, 8, {Model::cons_segment(0, 1)}, surf, curve)(m);
        };
    };
    auto nothing = [](Model&) {};
    auto bad_curve = [](Model& m) { m.add<vdaCurve>("BADCV", std::vector{Model::curve_segment(0, 10, 30)}); };
    auto bad_surf = [](Model& m) { m.add<vdaSurf>("BADSF", 0, 3, std::vector<vdaSurfPatch>{}); };
    auto empty_curve = [](Model& m) { m.add<vdaCurve>("NOSEG", std::vector<vdaCurveSegment>{}); };
    run_cases({
        {"null curve: no trimming packet", with(nothing, "SF", "NONE"), {{"Cons has null curve pointer"}}},
        {"curve reference to a surface: no trimming packet",
         with(nothing, "SF", "SF"),
         {{"Cons curve pointer points to non curve"}}},
        {"faulty curve",
         with(bad_curve, "SF", "BADCV"),
         {{"Cons curve pointer points to invalid curve", {}, {}, fix_cons_curve_ptr}}},
        {"curve without segments: faulty, and no range to trim against",
         with(empty_curve, "SF", "NOSEG"),
         {{"Cons curve pointer points to invalid curve", {}, {}, fix_cons_curve_ptr}}},
        {"null surface", with(nothing, "NONE", "CV"), {{"Cons has null surface pointer"}}},
        {"surface reference to a curve", with(nothing, "CV", "CV"), {{"Cons surface pointer points to non surface"}}},
        {"faulty surface",
         with(bad_surf, "BADSF", "CV"),
         {{"Cons surface pointer points to invalid surface", {}, {}, fix_cons_surface_ptr}}},
    });
}

TEST(ConsCheck, TrimMustLieInTheCurveRangeAndNotBeEmpty)
{
    for (auto [ts, te] : {std::pair{2.0, 8.0}, {8.0, 2.0}, {0.0, 10.0}, {10.0, 0.0}, {nan_d, 5.0}})
        run_cases({{"valid trim", cons(ts, te), {}}});
    for (auto [ts, te] : {std::pair{2.0, 2.0}, {-1.0, 5.0}, {2.0, 11.0}, {5.0, -1.0}})
        run_cases({{"invalid trim", cons(ts, te), {trim(ts, te)}}});
}
