#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <vdacheck/quality/vdc_quality_numerics.h>

#include "vda_test_support.h"
#include <synthetic_model.h>

#include "quality_support.h"

namespace {

using R = vdcQualityRule;
using qt::bilinear;
using qt::deg;
using qt::Expected;
using qt::line;

std::unique_ptr<vdaFile> load_sample(const char* name)
{
    return vdatest::read(vdatest::slurp(vdatest::sample_path(name)));
}

// Three segments: a 0.05 gap and a 5 degree kink after the first; the third is 0.01 long, eased in and out
// (its speed varies, its tangent vanishes at both ends). Its twin joins straight on.
TEST(CurveQuality, GapKinkAndTinySegmentWhereTheyAre)
{
    vdaFile file;
    const giPoint3 start1(10, 0.05, 0);
    const giPoint3 end1 = start1 + 10.0 * giVector3(std::cos(5 * deg), std::sin(5 * deg), 0);
    const giVector3 tiny = 0.01 * giVector3(std::cos(5 * deg), std::sin(5 * deg), 0);
    file.create<vdaCurve>("C", std::vector{line(0, 1, {0, 0, 0}, {10, 0, 0}), line(1, 2, start1, end1),
                                           vdaCurveSegment(2, 3,
                                                           {end1,
                                                            {0, 0, 0},
                                                            giPoint3(3 * tiny.x(), 3 * tiny.y(), 0),
                                                            giPoint3(-2 * tiny.x(), -2 * tiny.y(), 0)})});
    file.create<vdaCurve>("T", std::vector{line(0, 1, {0, 0, 0}, {10, 0, 0}), line(1, 3, {10, 0, 0}, {20, 0, 0})});

    const vdcQualityReport report = qt::run(file);
    qt::expect_findings(report, {
                                    {R::curve_segment_gap, "C", 0.05, {0}, {10, 0, 0}},
                                    {R::curve_segment_kink, "C", 5.0, {0}, {10, 0, 0}},
                                    {R::curve_tiny_segment, "C", 0.01, {2}, {}},
                                });
    EXPECT_EQ(report.findings[0].where.parameters[0], 1.0);
    // Joints: two of C, one of T; the kink at C's eased joint has no tangent to measure.
    EXPECT_EQ(report.rule(R::curve_segment_gap).items, 3u);
    EXPECT_EQ(report.rule(R::curve_segment_kink).items, 2u);
    EXPECT_EQ(report.rule(R::curve_tiny_segment).worst->entity, "C");
}

// One surface per fault, and a clean 2 x 2 surface whose seams close exactly.
TEST(SurfQuality, SeamsPatchesAndEdgesWhereTheyAre)
{
    vdaFile file;
    const double c5 = 10 * std::cos(5 * deg), s5 = 10 * std::sin(5 * deg);
    file.create<vdaSurf>("SHIFT", 2, 1,
                         std::vector{bilinear({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0}, 0, 1),
                                     bilinear({10, 0, 0.05}, {20, 0, 0.05}, {10, 10, 0.05}, {20, 10, 0.05}, 1, 2)});
    file.create<vdaSurf>("KINK", 2, 1,
                         std::vector{bilinear({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0}, 0, 1),
                                     bilinear({10, 0, 0}, {10 + c5, 0, s5}, {10, 10, 0}, {10 + c5, 10, s5}, 1, 2)});
    std::vector<vdaSurfPatch> flat;
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
            flat.push_back(bilinear({10.0 * i, 10.0 * j, 0}, {10.0 * i + 10, 10.0 * j, 0}, {10.0 * i, 10.0 * j + 10, 0},
                                    {10.0 * i + 10, 10.0 * j + 10, 0}, i, i + 1, j, j + 1));
    file.create<vdaSurf>("FLAT", 2, 2, flat);
    file.create<vdaSurf>("TRI", 1, 1, std::vector{bilinear({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 10, 0})});
    file.create<vdaSurf>("THIN", 1, 1, std::vector{bilinear({0, 0, 0}, {0.01, 0, 0}, {0, 10, 0}, {0.01, 10, 0})});

    const vdcQualityReport report = qt::run(file);
    qt::expect_findings(report, {
                                    {R::surf_patch_gap, "SHIFT", 0.05, {0, 0, 0}, {}},
                                    {R::surf_patch_kink, "KINK", 5.0, {0, 0, 0}, {}},
                                    {R::surf_degenerate_edge, "TRI", 0.0, {0, 0, 2}, {0, 10, 0}},
                                    {R::surf_undefined_normal, "TRI", 0.0, {0, 0}, {0, 10, 0}},
                                    {R::surf_tiny_patch, "THIN", 0.01, {0, 0, 0}, {}},
                                });
    // Both the gap and the kink lie on the seam x = 10, s = 1.
    for (int k : {0, 1}) {
        EXPECT_NEAR(report.findings[k].where.point.x(), 10, 1e-12);
        EXPECT_EQ(report.findings[k].where.parameters[0], 1.0);
    }
    // SHIFT, KINK and FLAT (two seams each way) have six seams; the clean ones show 0.
    EXPECT_EQ(report.rule(R::surf_patch_gap).items, 6u);
    EXPECT_EQ(report.rule(R::surf_tiny_patch).worst->entity, "THIN");
}

// z = (x + y)^2 / 100 swept out of a pole at the origin: S0(u, v) = 100 (v (1 - u), v u, v^2) and S1(u, v) =
// 100 (-v u, v (1 - u), v^2 (1 - 2u)^2), which meet along the seam x = 0 with one normal. POLE12's pole is
// opened to 1e-12 mm, in a direction that turns its normals there by 90 degrees; KINK takes 200 v^2 u
// from S1's height, a kink of acos(sqrt(8) / 3) at v = 1/2 of the seam; SMOOTH (v from 0.5) has no pole. The same
// patches as separate surfaces meet in tangent tops. Only KINK's kink is reported.
TEST(SurfQuality, PolesOfSmoothSurfacesAreNoKink)
{
    const auto patches = [](double noise, double slope, double v0) {
        const auto s0 = [=](double u, double t) {
            const double v = v0 + (1 - v0) * t;
            return giPoint3(100 * v * (1 - u), 100 * v * u, 100 * v * v + noise * u * (1 - t));
        };
        const auto s1 = [=](double u, double t) {
            const double v = v0 + (1 - v0) * t;
            return giPoint3(-100 * v * u + noise * u * (1 - t), 100 * v * (1 - u),
                            100 * v * v * ((1 - 2 * u) * (1 - 2 * u) + slope * u));
        };
        return std::pair(qt::patch_of(2, 3, s0), qt::patch_of(3, 3, s1, 1, 2));
    };
    vdaFile file;
    for (const auto& [name, noise, slope, v0] :
         {std::tuple("POLE", 0.0, 0.0, 0.0), std::tuple("POLE12", 1e-12, 0.0, 0.0), std::tuple("KINK", 0.0, -2.0, 0.0),
          std::tuple("SMOOTH", 0.0, 0.0, 0.5)}) {
        auto [p0, p1] = patches(noise, slope, v0);
        file.create<vdaSurf>(name, 2, 1, std::vector{p0, p1});
    }
    struct Top {
        const char *a, *b, *ea, *eb, *top;
        double noise;
    };
    for (const Top& t : {Top{"A", "B", "EA", "EB", "T", 0.0}, Top{"A12", "B12", "EA12", "EB12", "T12", 1e-12}}) {
        auto [p0, p1] = patches(t.noise, 0.0, 0.0);
        file.create<vdaSurf>(t.a, 1, 1, std::vector{p0});
        file.create<vdaSurf>(t.b, 1, 1,
                             std::vector{vdaSurfPatch(0, 1, 0, 1, p1.u_order(), p1.v_order(), p1.all_coeffs())});
        file.create<vdaCons>(t.ea, t.a, "", 0.0, 1.0, std::vector{line(0, 1, {1, 0}, {1, 1})});
        file.create<vdaCons>(t.eb, t.b, "", 0.0, 1.0, std::vector{line(0, 1, {0, 1}, {0, 0})});
        file.create<vdaTop>(t.top, std::vector{vdaSurfacePair(vdaLinkedSurf(t.a, {vdaTrimmedCurve(t.ea, 0, 1)}),
                                                              vdaLinkedSurf(t.b, {vdaTrimmedCurve(t.eb, 0, 1)}), 1)});
    }

    // The poles are the business of these two rules, which still decide where a normal is undefined.
    vdcQualityProfile profile;
    for (R rule : {R::surf_degenerate_edge, R::surf_undefined_normal, R::cons_curve_deviation})
        profile.set_enabled(rule, false);
    const vdcQualityReport report = qt::run(file, profile);
    const double kink = std::acos(std::sqrt(8.0) / 3) / deg;
    qt::expect_findings(report, {{R::surf_patch_kink, "KINK", kink, {0, 0, 0}, {}}});
    EXPECT_NEAR(report.findings[0].where.parameters[1], 0.5, 1e-5);
    EXPECT_EQ(report.rule(R::surf_patch_kink).items, 4u);
    EXPECT_EQ(report.rule(R::top_continuity).items, 2u);
    EXPECT_LT(report.rule(R::top_continuity).worst->value, 0.01);
}

// The least normal of a patch relative to its largest, to three digits and where it is. FOLD maps
// (p, q) = (u - 0.3, v - 0.65) like z^2 with a monkey saddle on top: its normal vanishes at (0.3, 0.65)
// only. GRAPH is the graph of h = 20 (u - 0.2)^2 + 50 (v - 0.3)^3 - 54 (v - 0.3) over 10 x 10: |N| =
// 10 sqrt(100 + h_u^2 + h_v^2), least at (0.2, 0.9), largest at (1, 0.3) between the samples.
TEST(SurfQuality, LeastNormalToThreeDigitsWhereItIs)
{
    struct Case {
        const char* what;
        int nu, nv;
        giPoint3 (*f)(double, double);
        double value;
        double s, t;
    };
    const Case cases[] = {
        {"FOLD", 4, 4,
         [](double u, double v) {
             const double p = u - 0.3, q = v - 0.65;
             return giPoint3(100 * (p * p - q * q), 200 * p * q, 30 * (p * p * p - 3 * p * q * q));
         },
         0.0, 0.3, 0.65},
        {"GRAPH", 3, 4,
         [](double u, double v) {
             const double p = u - 0.2, q = v - 0.3;
             return giPoint3(10 * u, 10 * v, 20 * p * p + 50 * q * q * q - 54 * q);
         },
         10 / std::sqrt(4040.0), 0.2, 0.9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vdaFile file;
        file.create<vdaSurf>(c.what, 1, 1, std::vector{qt::patch_of(c.nu, c.nv, c.f)});
        const vdcQualityReport report = qt::run(file);
        const vdcQualityFinding& least = *report.rule(R::surf_undefined_normal).worst;
        EXPECT_NEAR(least.value, c.value, std::max(1e-12, 5e-4 * c.value));
        EXPECT_NEAR(least.where.parameters[0], c.s, 1e-4);
        EXPECT_NEAR(least.where.parameters[1], c.t, 1e-4);
    }
}

// On the plane P: a cons whose curve bulges 0.03 up at its middle, its straight twin, one that runs a
// tenth of the domain beyond it, and one of two segments 0.03 apart.
TEST(ConsQuality, DeviationDomainAndSegmentGapWhereTheyAre)
{
    vdaFile file;
    qt::plane(file, "P");
    file.create<vdaCurve>("CB", std::vector{vdaCurveSegment(0, 1, {{10, 50, 0}, {80, 0, 0.12}, {0, 0, -0.12}})});
    file.create<vdaCurve>("CL", std::vector{line(0, 1, {10, 50, 0}, {90, 50, 0})});
    file.create<vdaCurve>("CO", std::vector{line(0, 1, {10, 50, 0}, {110, 50, 0})});
    file.create<vdaCons>("NB", "P", "CB", 0.0, 1.0, std::vector{line(0, 1, {0.1, 0.5}, {0.9, 0.5})});
    file.create<vdaCons>("NL", "P", "CL", 0.0, 1.0, std::vector{line(0, 1, {0.1, 0.5}, {0.9, 0.5})});
    file.create<vdaCons>("NO", "P", "CO", 0.0, 1.0, std::vector{line(0, 1, {0.1, 0.5}, {1.1, 0.5})});
    file.create<vdaCons>("NG", "P", "NOCURVE", 0.0, 1.0,
                         std::vector{line(0, 1, {0.1, 0.5}, {0.5, 0.5}), line(1, 2, {0.5, 0.5003}, {0.9, 0.5003})});

    const vdcQualityReport report = qt::run(file);
    qt::expect_findings(report, {
                                    {R::cons_curve_deviation, "NB", 0.03, {0}, {50, 50, 0}},
                                    {R::cons_outside_domain, "NO", 0.1, {0}, {110, 50, 0}},
                                    {R::cons_segment_gap, "NG", 0.03, {0}, {50, 50, 0}},
                                });
    EXPECT_NEAR(report.findings[0].where.parameters[0], 0.5, 1e-6);
    // Inside its domain a cons measures how far it keeps from the border: NB keeps a tenth of the width.
    EXPECT_EQ(report.rule(R::cons_outside_domain).items, 4u);
    ASSERT_EQ(report.skipped.size(), 1u);
    EXPECT_EQ(report.skipped[0].entity, "NG");
    EXPECT_EQ(report.skipped[0].reason, "deviation from its curve not measured: curve NOCURVE is missing");
}

// A cons of two segments that jumps 0.05 at w = 0.37 on the plane P, its curve jumping with it where that
// breakpoint maps to: at the parameter computed, and a unit of the last place either side of it. On PL,
// whose second patch (from s = 0.61) stands 0.05 higher, a straight cons crosses the seam and its curve
// follows each patch. Each side is compared with its own side: only NB deviates, where its curve bulges
// 0.03 on the second segment, and the tolerance of 1e-12 shows that the others stay below it.
TEST(ConsQuality, JumpsSharedByConsAndCurveAreNoDeviation)
{
    vdaFile file;
    qt::plane(file, "P");
    file.create<vdaSurf>(
        "PL", 2, 1,
        std::vector{bilinear({0, 0, 0}, {61, 0, 0}, {0, 100, 0}, {61, 100, 0}, 0, 0.61),
                    bilinear({61, 0, 0.05}, {100, 0, 0.05}, {61, 100, 0.05}, {100, 100, 0.05}, 0.61, 1)});
    const double s1 = 0.13, s2 = 2.71, joint = 0.37;
    const double matching = s1 + (joint - 0.0) * ((s2 - s1) / (1.0 - 0.0));
    struct Case {
        const char* cons;
        const char* curve;
        double breakpoint;
        bool jump, bulge;
    };
    for (const Case& c :
         {Case{"NJ-", "CJ-", std::nextafter(matching, 0.0), true, false}, Case{"NJ", "CJ", matching, true, false},
          Case{"NJ+", "CJ+", std::nextafter(matching, 3.0), true, false}, Case{"NB", "CB", matching, true, true},
          Case{"NT", "CT", matching, false, false}}) {
        const double lift = c.jump ? 0.05 : 0.0;
        const vdaCurveSegment second =
            c.bulge ? vdaCurveSegment(c.breakpoint, s2, {{50, 50 + lift, 0}, {40, 0, 0.12}, {0, 0, -0.12}})
                    : line(c.breakpoint, s2, {50, 50 + lift, 0}, {90, 50 + lift, 0});
        file.create<vdaCurve>(c.curve, std::vector{line(s1, c.breakpoint, {10, 50, 0}, {50, 50, 0}), second});
        file.create<vdaCons>(c.cons, "P", c.curve, s1, s2,
                             std::vector{line(0, joint, {0.1, 0.5}, {0.5, 0.5}),
                                         line(joint, 1, {0.5, 0.5 + lift / 100}, {0.9, 0.5 + lift / 100})});
    }
    file.create<vdaCurve>(
        "CS", std::vector{line(0, 0.6375, {10, 50, 0}, {61, 50, 0}), line(0.6375, 1, {61, 50, 0.05}, {90, 50, 0.05})});
    file.create<vdaCons>("NS", "PL", "CS", 0.0, 1.0, std::vector{line(0, 1, {0.1, 0.5}, {0.9, 0.5})});

    vdcQualityProfile profile;
    profile.set_tolerance(R::cons_curve_deviation, 1e-12);
    for (R rule : {R::curve_segment_gap, R::curve_segment_kink})
        profile.set_enabled(rule, false);
    const vdcQualityReport report = qt::run(file, profile);
    qt::expect_findings(report, {
                                    {R::surf_patch_gap, "PL", 0.05, {0, 0, 0}, {}},
                                    {R::cons_segment_gap, "NJ-", 0.05, {0}, {50, 50, 0}},
                                    {R::cons_segment_gap, "NJ", 0.05, {0}, {50, 50, 0}},
                                    {R::cons_segment_gap, "NJ+", 0.05, {0}, {50, 50, 0}},
                                    {R::cons_curve_deviation, "NB", 0.03, {1}, {70, 50.05, 0}},
                                    {R::cons_segment_gap, "NB", 0.05, {0}, {50, 50, 0}},
                                });
    EXPECT_NEAR(report.findings[4].where.parameters[0], 0.685, 1e-6);
}

// The outer boundary of the faces on the plane P runs counter-clockwise round [0.1, 0.9]^2.
struct FaceModel {
    vdaFile file;
    FaceModel()
    {
        qt::plane(file, "P");
        const giPoint2 a(0.1, 0.1), b(0.9, 0.1), c(0.9, 0.9), d(0.1, 0.9);
        file.create<vdaCons>("B1", "P", "", 0.0, 1.0, std::vector{line(0, 1, a, b)});
        file.create<vdaCons>("B2", "P", "", 0.0, 1.0, std::vector{line(0, 1, b, c)});
        file.create<vdaCons>("B3", "P", "", 0.0, 1.0, std::vector{line(0, 1, c, d)});
        file.create<vdaCons>("B4", "P", "", 0.0, 1.0, std::vector{line(0, 1, d, a)});
        square("HCW", 0.4, 0.6, 0.4, 0.6, false);
        square("HCCW", 0.4, 0.6, 0.4, 0.6, true);
        square("HX", 0.8, 1.0, 0.4, 0.6, false);
    }
    // A cons of four segments round a rectangle of the parameter plane.
    void square(const char* name, double s0, double s1, double t0, double t1, bool counter_clockwise)
    {
        std::vector<giPoint2> p{{s0, t0}, {s1, t0}, {s1, t1}, {s0, t1}};
        if (!counter_clockwise)
            std::swap(p[1], p[3]);
        std::vector<vdaConsSegment> segments;
        for (int k = 0; k < 4; ++k)
            segments.push_back(
                line(k, k + 1, p[static_cast<std::size_t>(k)], p[static_cast<std::size_t>((k + 1) % 4)]));
        file.create<vdaCons>(name, "P", "", 0.0, 1.0, segments);
    }
    // A face of the outer boundary (its third piece starting at w3) and, when named, a hole.
    void face(const char* name, double w3, const char* hole)
    {
        std::vector<vdaBoundary> boundaries{vdaBoundary({vdaTrimmedCurve("B1", 0, 1), vdaTrimmedCurve("B2", 0, 1),
                                                         vdaTrimmedCurve("B3", w3, 1), vdaTrimmedCurve("B4", 0, 1)})};
        if (hole)
            boundaries.push_back(vdaBoundary({vdaTrimmedCurve(hole, 0, 4)}));
        file.create<vdaFace>(name, "P", boundaries);
    }
};

TEST(FaceQuality, LoopGapOrientationAndCrossingWhereTheyAre)
{
    FaceModel m;
    m.face("F", 0, "HCW");
    m.face("FG", 0.00125, nullptr);  // a thousandth of the domain short: 0.1 mm
    m.face("FO", 0, "HCCW");
    m.face("FX", 0, "HX");  // the hole crosses the outer boundary's right side twice

    vdcQualityProfile profile;
    profile.set_enabled(R::cons_curve_deviation, false);
    const vdcQualityReport report = qt::run(m.file, profile);
    qt::expect_findings(report, {
                                    {R::face_loop_gap, "FG", 0.1, {0, 1}, {90, 90, 0}},
                                    {R::face_loop_orientation, "FO", 0.04 / 0.64, {1}, {40, 40, 0}},
                                    {R::face_loop_self_intersection, "FX", 2, {0, 1, 1, 0}, {90, 40, 0}},
                                });
    // The clean face's hole runs against its outer boundary: its area counts negative.
    EXPECT_NEAR(report.rule(R::face_loop_orientation).worst->value, 0.0625, 1e-12);
    EXPECT_EQ(report.rule(R::face_loop_orientation).items, 3u);
}

// Boundaries on the plane P: the outer one counter-clockwise round [0.1, 0.9]^2, holes clockwise. Each
// shape twice: its cons broken at whole numbers (the outer boundary as four cons), and at irregular
// breakpoints (one cons each), where evaluating a segment's end lands a unit of the last place off its
// corner. A touch counts no crossing, a crossing one; a bow-tie crosses itself once and, without area,
// has no orientation.
TEST(FaceQuality, CrossingsCountedAsGeometryWhateverTheBreakpoints)
{
    using Loop = std::vector<giPoint2>;
    struct Case {
        const char* what;
        std::vector<Loop> holes;
        int crossings;
        std::vector<double> point;  // of the first crossing along the outer boundary
    };
    const std::vector<Case> cases = {
        {"a hole cutting a corner", {{{0.89, 0.89}, {0.89, 0.91}, {0.91, 0.91}, {0.91, 0.89}}}, 2, {90, 89, 0}},
        {"a hole through a side", {{{0.8, 0.4}, {0.8, 0.6}, {1.0, 0.6}, {1.0, 0.4}}}, 2, {90, 40, 0}},
        {"a notch along a side", {{{0.7, 0.4}, {0.7, 0.6}, {0.9, 0.6}, {0.9, 0.4}}}, 0, {}},
        {"a notch touching a side", {{{0.7, 0.4}, {0.7, 0.6}, {0.9, 0.5}}}, 0, {}},
        {"holes touching on a slant",
         {{{0.3, 0.3}, {0.5, 0.5}, {0.5, 0.3}}, {{0.4, 0.4}, {0.25, 0.35}, {0.3, 0.5}}},
         0,
         {}},
        {"a bow-tie", {{{0.4, 0.4}, {0.6, 0.6}, {0.6, 0.4}, {0.4, 0.6}}}, 1, {50, 50, 0}},
    };
    const std::vector<double> irregular = {0, 0.137, 0.5213, 0.9, 1.71};
    for (const Case& c : cases)
        for (const bool round : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (round ? ", round" : ", irregular"));
            vdaFile file;
            qt::plane(file, "P");
            // A cons through the points, back to the first unless there are only two.
            const auto cons = [&](const std::string& name, const Loop& p) {
                std::vector<vdaConsSegment> segments;
                for (std::size_t k = 0; k < (p.size() == 2 ? 1 : p.size()); ++k)
                    segments.push_back(line(round ? double(k) : irregular[k], round ? k + 1.0 : irregular[k + 1], p[k],
                                            p[(k + 1) % p.size()]));
                file.create<vdaCons>(utString(name), "P", "", 0.0, 1.0, segments);
                return vdaTrimmedCurve(utString(name), segments.front().start_parameter(),
                                       segments.back().end_parameter());
            };
            const Loop outer{{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}};
            std::vector<vdaBoundary> boundaries;
            if (round) {
                std::vector<vdaTrimmedCurve> sides;
                for (std::size_t k = 0; k < 4; ++k)
                    sides.push_back(cons({'B', char('0' + k)}, {outer[k], outer[(k + 1) % 4]}));
                boundaries.emplace_back(sides);
            } else {
                boundaries.push_back(vdaBoundary({cons("B", outer)}));
            }
            for (std::size_t h = 0; h < c.holes.size(); ++h)
                boundaries.push_back(vdaBoundary({cons({'H', char('0' + h)}, c.holes[h])}));
            file.create<vdaFace>("F", "P", boundaries);

            vdcQualityProfile profile;
            for (R rule : {R::face_loop_gap, R::cons_curve_deviation})
                profile.set_enabled(rule, false);
            const vdcQualityReport report = qt::run(file, profile);
            if (c.crossings == 0) {
                EXPECT_TRUE(report.findings.empty());
                EXPECT_EQ(report.rule(R::face_loop_self_intersection).items, 1u);
                continue;
            }
            qt::expect_findings(report, {{R::face_loop_self_intersection, "F", double(c.crossings), {}, c.point}});
            const std::array<int, 4>& at = report.findings[0].where.indices;
            EXPECT_EQ(at[0], c.holes.size() == 1 && c.crossings == 1 ? 1 : 0);
            EXPECT_EQ(at[2], 1);
            // A hole without area is not misoriented; it is said why its orientation is not measured.
            const bool bow_tie = c.crossings == 1;
            EXPECT_EQ(report.rule(R::face_loop_orientation).items, bow_tie ? 0u : 1u);
            ASSERT_EQ(report.skipped.size(), bow_tie ? 1u : 0u);
            if (bow_tie) {
                EXPECT_EQ(report.skipped[0].reason, "orientation not measured: boundary 1 encloses no area");
            }
        }
}

// Two planar faces meeting along x = 10; the second rises at 3 degrees, is flat, or lies 0.05 higher.
TEST(TopQuality, EdgeGapAndContinuityWhereTheyAre)
{
    vdaFile file;
    const double c3 = 10 * std::cos(3 * deg), s3 = 10 * std::sin(3 * deg);
    file.create<vdaSurf>("A", 1, 1, std::vector{bilinear({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0})});
    file.create<vdaSurf>("B", 1, 1,
                         std::vector{bilinear({10, 0, 0}, {10 + c3, 0, s3}, {10, 10, 0}, {10 + c3, 10, s3})});
    file.create<vdaSurf>("B0", 1, 1, std::vector{bilinear({10, 0, 0}, {20, 0, 0}, {10, 10, 0}, {20, 10, 0})});
    file.create<vdaSurf>("BS", 1, 1,
                         std::vector{bilinear({10, 0, 0.05}, {20, 0, 0.05}, {10, 10, 0.05}, {20, 10, 0.05})});
    // A's right edge upwards, the left edge of the B surfaces downwards.
    file.create<vdaCons>("EA", "A", "", 0.0, 1.0, std::vector{line(0, 1, {1, 0}, {1, 1})});
    file.create<vdaCons>("EB", "B", "", 0.0, 1.0, std::vector{line(0, 1, {0, 1}, {0, 0})});
    // A face on B bounded by its whole domain.
    file.create<vdaCons>("LB", "B", "", 0.0, 1.0,
                         std::vector{line(0, 1, {0, 0}, {1, 0}), line(1, 2, {1, 0}, {1, 1}), line(2, 3, {1, 1}, {0, 1}),
                                     line(3, 4, {0, 1}, {0, 0})});
    file.create<vdaFace>("FB", "B", std::vector{vdaBoundary({vdaTrimmedCurve("LB", 0, 4)})});
    auto top = [&](const char* name, const char* second, int continuity) {
        file.create<vdaTop>(
            name, std::vector{vdaSurfacePair(vdaLinkedSurf("A", {vdaTrimmedCurve("EA", 0, 1)}),
                                             vdaLinkedSurf(second, {vdaTrimmedCurve("EB", 0, 1)}), continuity)});
    };
    top("T3", "FB", 1);
    top("T3G0", "FB", 0);
    top("TS", "BS", 0);
    top("TF", "B0", 2);

    vdcQualityProfile profile;
    profile.set_enabled(R::cons_curve_deviation, false);
    const vdcQualityReport report = qt::run(file, profile);
    qt::expect_findings(report, {
                                    {R::top_continuity, "T3", 3.0, {0, 0, 0}, {}},
                                    {R::top_edge_gap, "TS", 0.05, {0, 0, 0}, {}},
                                });
    for (const vdcQualityFinding& f : report.findings)
        EXPECT_NEAR(f.where.point.x(), 10, 1e-9);
    EXPECT_EQ(report.rule(R::top_edge_gap).items, 4u);
    EXPECT_EQ(report.rule(R::top_continuity).items, 2u);  // the pairs that claim tangent continuity
}

// The DIN surface example as transcribed lost eight minus signs: its seam opens by 8.87 mm at the end t = 1.
TEST(QualitySamples, SurfaceSeamThatOpensAndAProfileThatLetsItPass)
{
    const auto file = load_sample("OpenVDAFS__SURF_FLAE0001.vda");
    const std::vector<vdcQualityFinding> gaps = qt::findings(qt::run(*file), R::surf_patch_gap);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_EQ(gaps[0].entity, "FLAE0001");
    EXPECT_EQ(gaps[0].type, std::string("SURF"));
    EXPECT_NEAR(gaps[0].value, 8.87, 0.005);
    EXPECT_EQ(gaps[0].where.indices, (std::array<int, 4>{0, 0, 1, 0}));  // between patches (0, 0) and (0, 1)
    EXPECT_EQ(gaps[0].where.parameters[0], 1.0);
    EXPECT_EQ(gaps[0].where.parameters[1], 1.0);
    EXPECT_NEAR(gaps[0].where.point.x(), 10.0, 0.001);
    EXPECT_NEAR(gaps[0].where.point.y(), -30.0, 0.001);
    EXPECT_NEAR(gaps[0].where.point.z(), -191.126, 0.001);

    // A profile turns rules off and moves tolerances; the worst value is measured whatever the tolerance.
    vdcQualityProfile profile;
    profile.set_tolerance(R::surf_patch_gap, 10.0);
    profile.set_enabled(R::surf_patch_kink, false);
    const vdcQualityReport report = qt::run(*file, profile);
    EXPECT_TRUE(report.findings.empty());
    EXPECT_NEAR(report.rule(R::surf_patch_gap).worst->value, 8.87, 0.005);
    EXPECT_EQ(report.rule(R::surf_patch_gap).worst->tolerance, 10.0);
    EXPECT_EQ(report.rule(R::surf_patch_kink).items, 0u);
    EXPECT_FALSE(report.rule(R::surf_patch_kink).worst);
    profile.set_all_enabled(false);
    for (const vdcQualityRuleSummary& s : qt::run(*file, profile).rules)
        EXPECT_EQ(s.items, 0u);
}

// The exported face's cons lie on their surface within 0.017 mm: nothing at the default tolerance, and the
// worst value shows how close they came.
TEST(QualitySamples, ExportedConsStayOnTheirSurface)
{
    const auto file = load_sample("OpenVDAFS__FC267.vda");
    const vdcQualityReport report = qt::run(*file);
    EXPECT_TRUE(report.findings.empty());
    EXPECT_TRUE(report.skipped.empty());
    const vdcQualityRuleSummary& deviation = report.rule(R::cons_curve_deviation);
    EXPECT_EQ(deviation.items, 6u);
    ASSERT_TRUE(deviation.worst);
    EXPECT_EQ(deviation.worst->entity, "CN261");
    EXPECT_NEAR(deviation.worst->value, 0.01698, 0.000005);
    // Its hole runs against its outer boundary.
    EXPECT_LT(report.rule(R::face_loop_orientation).worst->value, 0.0);
}

// The quality run's seed models, as files: surfaces out of a pole (exact, opened to 1e-12 mm, and with a
// kink), cons and curves that jump together, and holes that cross, touch or have no area. The rules
// listed are switched off where they report what the models are made of (collapsed edges, the corners of
// the boundaries' curves); the deviation's tolerance of 1e-12 shows that none is measured.
TEST(QualitySamples, SeedModelsWithPolesJumpsAndLoops)
{
    struct Case {
        const char* file;
        std::vector<R> off;
        std::vector<Expected> expected;
        std::size_t skipped;
    };
    const std::vector<Case> cases = {
        {"quality_poles.vda",
         {R::surf_degenerate_edge, R::surf_undefined_normal},
         {{R::surf_patch_kink, "KINK", std::acos(std::sqrt(8.0) / 3) / deg, {0, 0, 0}, {}}},
         0},
        {"quality_jumps.vda",
         {},
         {{R::surf_patch_gap, "PL", 0.05, {0, 0, 0}, {61, 0, 0}},
          {R::curve_segment_gap, "CJ", 0.05, {0}, {50, 50, 0}},
          {R::cons_segment_gap, "NJ", 0.05, {0}, {50, 50, 0}},
          {R::curve_segment_gap, "CS", 0.05, {0}, {61, 50, 0}}},
         0},
        {"quality_loops.vda",
         {R::curve_segment_kink},
         {{R::face_loop_self_intersection, "F", 3, {0, 0, 1, 0}, {90, 89, 0}}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto file = vdatest::read(vdatest::slurp(std::string(VDACHECK_SOURCE_DIR) + "/tests/data/" + c.file));
        vdcQualityProfile profile;
        profile.set_tolerance(R::cons_curve_deviation, 1e-12);
        for (R rule : c.off)
            profile.set_enabled(rule, false);
        const vdcQualityReport report = qt::run(*file, profile);
        qt::expect_findings(report, c.expected);
        EXPECT_EQ(report.skipped.size(), c.skipped);
    }
}

// A model of many small parts, some faulty, for the run-wide properties.
std::unique_ptr<vdaFile> many_parts(int parts)
{
    auto file = std::make_unique<vdaFile>();
    for (int k = 0; k < parts; ++k) {
        const std::string n = std::to_string(k);
        const double lift = k % 7 == 0 ? 0.05 : 0.0;  // every seventh surface's second patch lies higher
        file->create<vdaSurf>(
            utString("S" + n), 2, 1,
            std::vector{bilinear({0, 0, 0}, {10, 0, k * 0.01}, {0, 10, 0}, {10, 10, 0}, 0, 1),
                        bilinear({10, 0, k * 0.01 + lift}, {20, 0, 0}, {10, 10, lift}, {20, 10, 0}, 1, 2)});
        file->create<vdaCurve>(utString("C" + n), std::vector{line(0, 1, {0, 0, 0}, {20, 0, 0})});
        file->create<vdaCons>(utString("N" + n), utString("S" + n), utString(k % 5 == 0 ? "MISSING" : "C" + n), 0.0,
                              1.0, std::vector{line(0, 1, {0, 0}, {2, 0})});
    }
    return file;
}

// A report as text, values to the last bit: what runs on any number of threads must agree on.
std::string bits(const vdcQualityReport& r)
{
    std::ostringstream out;
    out << std::hexfloat;
    for (const vdcQualityFinding& f : r.findings) {
        out << f.id() << ' ' << f.entity.view() << ' ' << f.value;
        for (const int i : f.where.indices)
            out << ' ' << i;
        for (const double p : f.where.parameters)
            out << ' ' << p;
        out << '\n';
    }
    for (const vdcQualityRuleSummary& s : r.rules)
        out << s.items << ' ' << s.findings << ' ' << (s.worst ? s.worst->entity.view() : "-") << ' '
            << (s.worst ? s.worst->value : 0.0) << '\n';
    for (const vdcQualitySkip& k : r.skipped)
        out << k.entity.view() << ": " << k.reason << '\n';
    return out.str();
}

// Several threads, one thread, all threads: the same report, to the last bit, its findings in file order,
// then rule order.
TEST(QualityRun, SameReportInFileOrderWhateverTheThreads)
{
    const auto file = many_parts(400);
    const vdcQualityReport one = qt::run(*file, {}, 1);
    ASSERT_FALSE(one.findings.empty());
    ASSERT_FALSE(one.skipped.empty());
    for (int threads : {3, 0})
        EXPECT_EQ(bits(qt::run(*file, {}, threads)), bits(one)) << threads << " threads";
    for (std::size_t i = 1; i < one.findings.size(); ++i) {
        const vdcQualityFinding &a = one.findings[i - 1], &b = one.findings[i];
        const int ka = std::stoi(std::string(a.entity.view().substr(1))),
                  kb = std::stoi(std::string(b.entity.view().substr(1)));
        EXPECT_TRUE(ka < kb || (ka == kb && a.entity.view()[0] == 'S' && b.entity.view()[0] != 'S') ||
                    (a.entity == b.entity && a.rule <= b.rule))
            << a.entity.view() << " before " << b.entity.view();
    }
}

// The DIN curve example joins its segments but kinks at the second and third joint; the model read is left
// as it was.
TEST(QualitySamples, CurveKinksAndAModelLeftAlone)
{
    const auto file = load_sample("OpenVDAFS__CURVE_SP1.vda");
    const std::string before = vdatest::written(*file);
    const vdcQualityReport report = qt::run(*file);
    EXPECT_EQ(vdatest::written(*file), before);
    for (const vdaObject& entity : *file)
        EXPECT_FALSE(entity.changed());
    qt::expect_findings(report, {
                                    {R::curve_segment_kink, "SP1", 60.2507, {1}, {82, 76, -5}},
                                    {R::curve_segment_kink, "SP1", 50.4007, {2}, {111, 55, -10}},
                                });
    EXPECT_EQ(report.findings[0].line, 22);
}

// Malformed entities and references to them are skipped, each with its reason, and nothing else is lost.
TEST(QualityRun, SkipsWhatCannotBeEvaluatedWithTheReason)
{
    vdaFile file;
    qt::plane(file, "P");
    file.create<vdaSurf>("BAD", 1, 1, std::vector{vdaSurfPatch(0, 1, 0, 1, 1, 1, {{0, 0, 0}})});
    file.create<vdaCurve>("C", std::vector{line(0, 1, {0, 0, 0}, {100, 0, 0})});
    file.create<vdaCons>("N", "P", "C", 0.0, 1.0, std::vector{line(0, 1, {0, 0}, {1, 0})});
    file.create<vdaCons>("NB", "BAD", "C", 0.0, 1.0, std::vector{line(0, 1, {0, 0}, {1, 0})});
    file.create<vdaCons>("NC", "P", "C", 0.0, 2.0, std::vector{line(0, 1, {0, 0}, {1, 0})});
    file.create<vdaCons>("NT", "C", "C", 0.0, 1.0, std::vector{line(0, 1, {0, 0}, {1, 0})});
    file.create<vdaCons>("NE", "P", "C", 0.0, 1.0);
    file.create<vdaFace>("F1", "P",
                         std::vector{vdaBoundary({vdaTrimmedCurve("N", 0, 1), vdaTrimmedCurve("NE", 0, 1)})});
    file.create<vdaFace>("F2", "P", std::vector{vdaBoundary({vdaTrimmedCurve("N", 0.5, 1.5)})});
    file.create<vdaFace>("F3", "NONE", std::vector{vdaBoundary({vdaTrimmedCurve("N", 0, 1)})});
    file.create<vdaTop>("T", std::vector{vdaSurfacePair(vdaLinkedSurf("P", {vdaTrimmedCurve("N", 0, 1)}),
                                                        vdaLinkedSurf("C", {vdaTrimmedCurve("N", 0, 1)}), 1)});

    const vdcQualityReport report = qt::run(file);
    struct Skip {
        const char* entity;
        const char* reason;
    };
    const std::vector<Skip> expected = {
        {"BAD", "not evaluated: patch order outside 2..25"},
        {"NB", "not evaluated: surface BAD cannot be evaluated: patch order outside 2..25"},
        {"NC", "deviation from its curve not measured: the range of curve C used lies beyond the curve"},
        {"NT", "not evaluated: surface C is not a SURF"},
        {"NE", "not evaluated: no segments"},
        {"F1", "not evaluated: boundary 0 piece 1: cons NE cannot be evaluated: no segments"},
        {"F2", "not evaluated: boundary 0 piece 0: the range of cons N used is empty or beyond the cons"},
        {"F3", "not evaluated: surface NONE is missing"},
        {"T", "pair 0 side 1 not evaluated: C is neither a FACE nor a SURF"},
    };
    ASSERT_EQ(report.skipped.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(report.skipped[i].entity, expected[i].entity);
        EXPECT_EQ(report.skipped[i].reason, expected[i].reason);
    }
    // The good cons N is measured whole; NC still gets its domain and joints measured.
    EXPECT_EQ(report.rule(R::cons_curve_deviation).items, 1u);
    EXPECT_EQ(report.rule(R::cons_outside_domain).items, 2u);
}

// The synthetic model's geometry holds together where it is meant to, and its geometric faults are
// measured at the size they were made.
TEST(QualitySynthetic, CoherentPartsWithTheirPlantedFaults)
{
    const auto file = vdatest::read(vda_synthetic_model(std::size_t{4} << 20));
    const vdcQualityReport report = qt::run(*file, {}, 0);
    for (R clean : {R::curve_segment_gap, R::curve_segment_kink, R::surf_patch_kink, R::top_edge_gap,
                    R::cons_outside_domain, R::face_loop_self_intersection}) {
        EXPECT_GT(report.rule(clean).items, 0u) << vdc_quality_rule_info(clean).id;
        EXPECT_EQ(report.rule(clean).findings, 0u) << vdc_quality_rule_info(clean).id;
        EXPECT_LT(report.rule(clean).worst->value, 1e-6) << vdc_quality_rule_info(clean).id;
    }
    std::set<R> found;
    for (const vdcQualityFinding& f : report.findings) {
        found.insert(f.rule);
        SCOPED_TRACE(std::string(f.entity.view()) + " " + f.id());
        switch (f.rule) {
        case R::cons_curve_deviation:  // a space curve 0.1 off, or a cons through a patch lifted 0.05
            EXPECT_TRUE(std::fabs(f.value - 0.1) < 1e-9 || std::fabs(f.value - 0.05) < 1e-9) << f.value;
            break;
        case R::surf_patch_gap:
            EXPECT_NEAR(f.value, 0.05, 1e-9);
            break;
        case R::top_continuity:
            EXPECT_NEAR(f.value, 0.5, 0.1);
            break;
        case R::face_loop_gap:
            EXPECT_GE(f.value, 0.1);
            break;
        case R::curve_tiny_segment:
        case R::surf_degenerate_edge:
        case R::surf_undefined_normal:
            EXPECT_LT(f.value, 1e-9);
            break;  // the collapsed top edges
        default:
            ADD_FAILURE() << "unplanted";
            break;
        }
    }
    EXPECT_EQ(found.size(), 7u);
    for (R rule : found)
        EXPECT_LT(report.rule(rule).findings, report.rule(rule).items / 5) << vdc_quality_rule_info(rule).id;
}

TEST(QualityRules, IdsAreUniqueAndFoundAgain)
{
    std::set<std::string> ids;
    for (std::size_t i = 0; i < vdc_num_quality_rules; ++i) {
        const vdcQualityRuleInfo& rule = vdc_quality_rules[i];
        EXPECT_TRUE(ids.insert(rule.id).second) << rule.id;
        EXPECT_EQ(vdc_quality_rule(rule.id), static_cast<vdcQualityRule>(i));
        EXPECT_NE(std::string(rule.help).back(), ' ');
    }
    EXPECT_FALSE(vdc_quality_rule("surf-patch"));
}

// The numerical tools on functions whose answers are known.
TEST(QualityNumerics, QuadratureAndMaximumSearch)
{
    // 8 points integrate x^15 exactly, 24 points x^47.
    EXPECT_NEAR(vdc_integrate_fixed(
                    vdc_gauss_legendre_8, [](double x) { return std::pow(x, 15); }, 0, 2),
                std::pow(2.0, 16) / 16, 1e-9);
    EXPECT_NEAR(vdc_integrate_fixed(
                    vdc_gauss_legendre_24, [](double x) { return 48 * std::pow(x, 47); }, 0, 1),
                1.0, 1e-13);
    // The arc length of y = x^2 from 0 to 1, a closed form.
    const double parabola = vdc_integrate([](double x) { return std::sqrt(1 + 4 * x * x); }, 0, 1);
    EXPECT_NEAR(parabola, std::sqrt(5.0) / 2 + std::asinh(2.0) / 4, 1e-12);

    struct Case {
        const char* what;
        double (*f)(double);
        double x, value;
    };
    // sin 9x + x peaks where cos 9x = -1/9, the higher peak in the second turn.
    const double second_peak = (std::acos(-1.0 / 9) + 2 * std::numbers::pi) / 9;
    for (const Case& c : {
             Case{"interior peak between samples", [](double x) { return 1 - (x - 0.3141) * (x - 0.3141); }, 0.3141, 1},
             Case{"rising to the end", [](double x) { return x * x; }, 1, 1},
             Case{"two peaks, the second higher", [](double x) { return std::sin(9 * x) + x; }, second_peak,
                  std::sin(9 * second_peak) + second_peak},
             Case{"undefined on the left half", [](double x) { return x < 0.5 ? std::nan("") : 1 - x; }, 0.5, 0.5},
         }) {
        const vdcPeak p = vdc_maximise(c.f, 0.0, 1.0, 8);
        EXPECT_NEAR(p.x, c.x, 1e-4) << c.what;
        EXPECT_NEAR(p.value, c.value, 1e-5) << c.what;
    }
    const vdcPeak2 low = vdc_minimise_in_square([](double u, double v) { return std::hypot(u - 0.3, v - 0.7); }, 0.5,
                                                0.5, std::hypot(0.2, 0.2), 0.25, 1e-12);
    EXPECT_NEAR(low.value, 0.0, 1e-11);
}

}  // namespace
