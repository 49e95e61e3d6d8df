#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include <vdacheck/eval/vda_circle_eval.h>
#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/vdacheck.h>

#include "vda_test_support.h"

namespace {

constexpr double max_d = std::numeric_limits<double>::max();
constexpr double nan_d = std::numeric_limits<double>::quiet_NaN();
constexpr double deg = std::numbers::pi / 180.0;

void expect_near(const giPoint3& a, const giPoint3& b, const std::string& what, double tol = 1e-12)
{
    EXPECT_NEAR(a.x(), b.x(), tol) << what;
    EXPECT_NEAR(a.y(), b.y(), tol) << what;
    EXPECT_NEAR(a.z(), b.z(), tol) << what;
}
void expect_near(const giVector3& a, const giVector3& b, const std::string& what, double tol = 1e-12)
{
    expect_near(giPoint3(a.x(), a.y(), a.z()), giPoint3(b.x(), b.y(), b.z()), what, tol);
}

// Q(s) = (s^3 - 2s + 1, 2s^2 + s, 5 - s) as a curve of two segments over [0, 1] and [1, 3]; the second
// segment is Q(1 + 2u) expanded by hand, shifted by `jump` in z to tell the two sides of s = 1 apart.
vdaCurve& two_segment_curve(vdaFile& file, const char* name, double jump = 0.0)
{
    return file.create<vdaCurve>(name,
                                 std::vector<vdaCurveSegment>{
                                     vdaCurveSegment(0, 1, {{1, 0, 5}, {-2, 1, -1}, {0, 2, 0}, {1, 0, 0}}),
                                     vdaCurveSegment(1, 3, {{0, 3, 4 + jump}, {2, 10, -2}, {12, 8, 0}, {8, 0, 0}}),
                                 });
}
giPoint3 q(double s) { return {s * s * s - 2 * s + 1, 2 * s * s + s, 5 - s}; }
giVector3 dq(double s) { return {3 * s * s - 2, 4 * s + 1, -1}; }
giVector3 ddq(double s) { return {6 * s, 4, 0}; }

// On the breakpoint s = 1 each side reads its own segment (the jump in z tells them apart).
TEST(CurveEval, PositionAndDerivativesOfTheGlobalParameterAcrossSegmentsOfDifferentLength)
{
    vdaFile file;
    const auto curve = vdaCurveEval::make(two_segment_curve(file, "C"));
    ASSERT_TRUE(curve) << curve.why_not();
    EXPECT_EQ(curve->start(), 0.0);
    EXPECT_EQ(curve->end(), 3.0);
    for (double s : {0.0, 0.25, 0.7, 1.0, 1.5, 2.2, 3.0}) {
        const std::string at = "s = " + std::to_string(s);
        const vdaCurveSample p = curve->sample(s, 2);
        expect_near(p.point, q(s), at);
        expect_near(p.d1, dq(s), at);
        expect_near(p.d2, ddq(s), at);
        expect_near(curve->point(s), q(s), at);
    }
    // Segment-local evaluation gives global derivatives too: u = 0.5 on [1, 3] is s = 2.
    const vdaCurveSample mid = curve->segment_sample(1, 0.5, 2);
    expect_near(mid.point, q(2), "local");
    expect_near(mid.d1, dq(2), "local");
    expect_near(mid.d2, ddq(2), "local");
    // Derivatives not asked for stay zero.
    expect_near(curve->sample(2, 0).d1, giVector3(0, 0, 0), "no derivative");

    const auto jump = vdaCurveEval::make(two_segment_curve(file, "J", 1.0));
    ASSERT_TRUE(jump);
    struct Case {
        double s;
        vdaSide side;
        int segment;
    };
    const vdaSide b = vdaSide::before, a = vdaSide::after;
    for (const Case& c : {Case{-1, a, 0}, Case{0, b, 0}, Case{0, a, 0}, Case{0.5, b, 0}, Case{1, b, 0}, Case{1, a, 1},
                          Case{2, b, 1}, Case{3, b, 1}, Case{3, a, 1}, Case{7, a, 1}})
        EXPECT_EQ(jump->segment_at(c.s, c.side), c.segment) << c.s << (c.side == b ? " before" : " after");
    expect_near(jump->point(1, vdaSide::before), q(1), "end of segment 0");
    expect_near(jump->point(1, vdaSide::after), q(1) + giVector3(0, 0, 1), "start of segment 1");
}

// Local polynomial of each test patch: x = u + 2u^2 v, y = v - u v^2 + 3u^3, z = 1 + uv + v^3, plus an
// offset that tells the patches apart; coefficients listed u power fastest.
vdaSurfPatch test_patch(double u0, double u1, double v0, double v1, double offset)
{
    std::vector<giPoint3> c(16, giPoint3(0, 0, 0));
    auto at = [&](int k, int l) -> giPoint3& { return c[static_cast<std::size_t>(l * 4 + k)]; };
    at(0, 0) = {offset, 0, 1};
    at(1, 0) = {1, 0, 0};
    at(3, 0) = {0, 3, 0};
    at(0, 1) = {0, 1, 0};
    at(2, 1) = {2, 0, 0};
    at(1, 1) = {0, 0, 1};
    at(1, 2) = {0, -1, 0};
    at(0, 3) = {0, 0, 1};
    return vdaSurfPatch(u0, u1, v0, v1, 4, 4, c);
}

TEST(SurfEval, PatchesNumberedUFastestWithGlobalDerivatives)
{
    const double ub[] = {0, 2, 4};
    const double vb[] = {-1, 0, 3};
    std::vector<vdaSurfPatch> patches;
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
            patches.push_back(test_patch(ub[i], ub[i + 1], vb[j], vb[j + 1], 10 * i + 100 * j));
    vdaFile file;
    const auto surf = vdaSurfEval::make(file.create<vdaSurf>("S", 2, 2, patches));
    ASSERT_TRUE(surf) << surf.why_not();
    EXPECT_EQ(surf->u_end(), 4.0);
    EXPECT_EQ(surf->v_start(), -1.0);

    struct Case {
        double s, t;
        int i, j;
    };
    for (const Case& c :
         {Case{0.5, -0.5, 0, 0}, Case{3, -0.25, 1, 0}, Case{1, 2, 0, 1}, Case{3.5, 0.5, 1, 1}, Case{4, 3, 1, 1}}) {
        const double hu = ub[c.i + 1] - ub[c.i], hv = vb[c.j + 1] - vb[c.j];
        const double u = (c.s - ub[c.i]) / hu, v = (c.t - vb[c.j]) / hv;
        const std::string at = "s, t = " + std::to_string(c.s) + ", " + std::to_string(c.t);
        const vdaSurfSample p = surf->sample(c.s, c.t, 2);
        expect_near(p.point,
                    {u + 2 * u * u * v + 10 * c.i + 100 * c.j, v - u * v * v + 3 * u * u * u, 1 + u * v + v * v * v},
                    at);
        expect_near(p.d_u, (1 / hu) * giVector3(1 + 4 * u * v, 9 * u * u - v * v, v), at);
        expect_near(p.d_v, (1 / hv) * giVector3(2 * u * u, 1 - 2 * u * v, u + 3 * v * v), at);
        expect_near(p.d_uu, (1 / (hu * hu)) * giVector3(4 * v, 18 * u, 0), at);
        expect_near(p.d_uv, (1 / (hu * hv)) * giVector3(4 * u, -2 * v, 1), at);
        expect_near(p.d_vv, (1 / (hv * hv)) * giVector3(0, -2 * u, 6 * v), at);
        expect_near(surf->point(c.s, c.t), p.point, at);
    }
    // On the breakpoints s = 2 and t = 0 each side picks its own patch.
    EXPECT_NEAR(surf->point(2, 0, vdaSide::before, vdaSide::before).x(), 3 + 0, 1e-12);
    EXPECT_NEAR(surf->point(2, 0, vdaSide::after, vdaSide::before).x(), 0 + 10, 1e-12);
    EXPECT_NEAR(surf->point(2, 0, vdaSide::after, vdaSide::after).x(), 0 + 110, 1e-12);
    EXPECT_NEAR(surf->patch_point(1, 1, 0.5, 1).x(), 1 + 110, 1e-12);
}

// The surface, curve and cons of the format's worked example: a bump patch of orders 3 x 2 beside a flat
// 2 x 2 patch, their common bottom edge as a space curve and as a cons.
constexpr const char* bump_text = R"(BUMPS    = HEADER / 0
BUMP     = SURF / 2, 1, 0., 1., 2., 0., 1.,
           3, 2, 0., 50., 0., 0., 0., 0.,
                 0., 0., 0., 50., 0., 0.,
                 0., 10., -10., 0., 0., 0.,
           2, 2, 50., 50., 0., 0.,
                 0., 0., 50., 0.,
                 0., 0., 0., 0.
EDGE     = CURVE / 2, 0., 1., 2.,
           3, 0., 50., 0., 0., 0., 0., 0., 10., -10.,
           2, 50., 50., 0., 0., 0., 0.
EDGEUV   = CONS / BUMP, EDGE, 0., 2., 2, 0., 1., 2.,
           2, 0., 1., 0., 0.,
           2, 1., 1., 0., 0.
BACK     = CONS / BUMP, EDGE, 2., 0., 1, 0., 2., 2, 2., -2., 0., 0.
BUMPS    = END
)";

TEST(SurfEval, ReadModelEvaluatesAsTheFormatDefinesIt)
{
    const auto file = vdatest::read(bump_text);
    const auto surf = vdaSurfEval::make(vdatest::entity<vdaSurf>(*file, "BUMP"));
    const auto curve = vdaCurveEval::make(vdatest::entity<vdaCurve>(*file, "EDGE"));
    ASSERT_TRUE(surf && curve);
    // x = 50u, y = 50v, z = 10u - 10u^2 on the first patch; the second is flat from x = 50 to 100.
    expect_near(surf->point(0.5, 0.5), {25, 25, 2.5}, "bump");
    expect_near(surf->point(1.5, 0.25), {75, 12.5, 0}, "flat");
    for (const char* name : {"EDGEUV", "BACK"}) {
        const auto cons = vdaConsEval::make(vdatest::entity<vdaCons>(*file, name));
        ASSERT_TRUE(cons) << name;
        // At s = 1 the example kinks: the curve is read on the side the cons comes from, as the surface is.
        const vdaSide side = cons->curve_parameter_rate() < 0 ? vdaSide::before : vdaSide::after;
        for (double w : {0.0, 0.3, 1.0, 1.6, 2.0}) {
            const vdaCurveSample on_surface = surf->sample_along(cons->sample(w, 1), 1);
            const vdaCurveSample on_curve = curve->sample(cons->curve_parameter(w), 1, side);
            const std::string at = std::string(name) + " w = " + std::to_string(w);
            expect_near(on_surface.point, on_curve.point, at);
            expect_near(on_surface.d1, cons->curve_parameter_rate() * on_curve.d1, at);
        }
    }
    const auto back = vdaConsEval::make(vdatest::entity<vdaCons>(*file, "BACK"));
    EXPECT_EQ(back->curve_parameter(0.0), 2.0);
    EXPECT_EQ(back->curve_parameter_rate(), -1.0);
}

// S(s, t) = (s, t, st) along c(w) = (w, w^2) is (w, w^2, w^3): the chain rule to second order.
TEST(SurfEval, SampleAlongACurveOfTheParameterPlane)
{
    vdaFile file;
    auto& surf = file.create<vdaSurf>(
        "S", 1, 1, std::vector{vdaSurfPatch(0, 1, 0, 1, 2, 2, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}})});
    auto& cons =
        file.create<vdaCons>("N", "S", "", 0.0, 1.0, std::vector{vdaConsSegment(0, 1, {{0, 0}, {1, 0}, {0, 1}})});
    const auto s = vdaSurfEval::make(surf);
    const auto c = vdaConsEval::make(cons);
    ASSERT_TRUE(s && c);
    for (double w : {0.0, 0.4, 1.0}) {
        const vdaCurveSample p = s->sample_along(c->sample(w, 2), 2);
        expect_near(p.point, {w, w * w, w * w * w}, "point");
        expect_near(p.d1, {1, 2 * w, 3 * w * w}, "d1");
        expect_near(p.d2, {0, 2, 6 * w}, "d2");
    }
}

TEST(CircleEval, PointsAndAngularDerivativesInDegrees)
{
    vdaFile file;
    const double r = 2;
    const giPoint3 m(1, 2, 3);
    const giVector3 v(0, 0.6, 0.8), w(1, 0, 0);
    const auto circle = vdaCircleEval::make(file.create<vdaCircle>("CI", m, r, v, w, 30.0, 120.0));
    ASSERT_TRUE(circle);
    EXPECT_EQ(circle->start_angle(), 30.0);
    EXPECT_EQ(circle->end_angle(), 120.0);
    for (double a : {0.0, 30.0, 90.0, 200.0}) {
        const double c = std::cos(a * deg), s = std::sin(a * deg);
        const vdaCurveSample p = circle->sample(a, 2);
        const std::string at = std::to_string(a) + " degrees";
        expect_near(p.point, m + (r * c * v + r * s * w), at);
        expect_near(p.d1, (r * deg) * (c * w - s * v), at);
        expect_near(p.d2, (-r * deg * deg) * (c * v + s * w), at);
    }
    expect_near(circle->point(90), {3, 2, 3}, "quarter turn lands on W");
}

TEST(EvalVectors, TransformationMatrixMapsPointsWithTranslationAndVectorsWithout)
{
    // A quarter turn about z, then 100 along x.
    const giXform3 m({0, -1, 0, 1, 0, 0, 0, 0, 1}, {100, 0, 0});
    expect_near(gi_transform(m, giPoint3(1, 2, 3)), {98, 1, 3}, "point");
    expect_near(gi_transform(m, giVector3(1, 2, 3)), {-2, 1, 3}, "vector");
    EXPECT_NEAR(gi_angle_deg({1, 0, 0}, {1, std::tan(5 * deg), 0}), 5.0, 1e-12);
    EXPECT_NEAR(gi_angle_deg({1, 0, 0}, {-1, 1e-9, 0}), 180.0, 1e-6);
}

// Every entity the structural checks reject is refused, with the reason (a reason's text is static).
TEST(EvalFactories, RefuseWhatCannotBeEvaluated)
{
    vdaFile file;
    int k = 0;
    auto name = [&k](const char* prefix) { return utString(prefix + std::to_string(++k)); };
    auto curve = [&](std::vector<vdaCurveSegment> segments) {
        return vdaCurveEval::make(file.create<vdaCurve>(name("C"), segments)).why_not();
    };
    auto surf = [&](int nu, int nv, std::vector<vdaSurfPatch> patches) {
        return vdaSurfEval::make(file.create<vdaSurf>(name("S"), nu, nv, patches)).why_not();
    };
    auto cons = [&](double end, std::vector<giPoint2> coeffs) {
        return vdaConsEval::make(
                   file.create<vdaCons>(name("N"), "S", "C", 0.0, end, std::vector{vdaConsSegment(0, 1, coeffs)}))
            .why_not();
    };
    auto circle = [&](giPoint3 centre, double radius, giVector3 v, giVector3 w, double end) {
        return vdaCircleEval::make(file.create<vdaCircle>(name("R"), centre, radius, v, w, 0.0, end)).why_not();
    };
    auto seg = [](double a, double b, int order, giPoint3 c = {1, 2, 3}) {
        return vdaCurveSegment(a, b, order, std::vector<giPoint3>(static_cast<std::size_t>(std::max(order, 0)), c));
    };
    auto patch = [](double u0, double u1, double v0, double v1, int order = 2, giPoint3 c = {1, 2, 3}) {
        return vdaSurfPatch(
            u0, u1, v0, v1, order, order,
            std::vector<giPoint3>(static_cast<std::size_t>(std::max(order, 0) * std::max(order, 0)), c));
    };
    const giVector3 x(1, 0, 0), y(0, 1, 0);
    struct Case {
        const char* what;
        const char* why_not;
        const char* why;
    };
    const Case cases[] = {
        {"clean curve", curve({seg(0, 1, 2), seg(1, 2, 25)}), nullptr},
        {"curve without segments", curve({}), "no segments"},
        {"order 1", curve({seg(0, 1, 1)}), "segment order outside 2..25"},
        {"order 26", curve({seg(0, 1, 2), seg(1, 2, 26)}), "segment order outside 2..25"},
        {"equal parameters", curve({seg(1, 1, 2)}), "segment parameters not increasing"},
        {"NaN parameter", curve({seg(0, nan_d, 2)}), "segment parameters not increasing"},
        {"gap between segments", curve({seg(0, 1, 2), seg(1.5, 2, 2)}), "segments not joined"},
        {"curve sentinel", curve({seg(0, 1, 2), seg(1, 2, 3, {0, -max_d, 0})}), "invalid coefficient"},
        {"unset coordinate", curve({seg(0, 1, 2, {0, 0, max_d})}), "invalid coefficient"},
        {"NaN coefficient", curve({seg(0, 1, 2, {nan_d, 0, 0})}), "invalid coefficient"},
        {"cons range NaN", cons(nan_d, {{0, 0}, {1, 1}}), "curve range not finite"},
        {"cons sentinel", cons(1.0, {{0, 0}, {-max_d, 1}}), "invalid coefficient"},
        {"clean 2 x 1 surface", surf(2, 1, {patch(0, 1, 0, 1), patch(1, 3, 0, 1)}), nullptr},
        {"no patches", surf(0, 0, {}), "no patches"},
        {"patch order 26", surf(1, 1, {patch(0, 1, 0, 1, 26)}), "patch order outside 2..25"},
        {"reversed v", surf(1, 1, {patch(0, 1, 1, 0)}), "patch parameters not increasing"},
        {"gap in u", surf(2, 1, {patch(0, 1, 0, 1), patch(1.5, 3, 0, 1)}), "patch parameters not joined"},
        {"columns disagree", surf(1, 2, {patch(0, 1, 0, 1), patch(0, 2, 1, 2)}), "patch parameters not joined"},
        {"surf sentinel", surf(1, 1, {patch(0, 1, 0, 1, 2, {-max_d, 0, 0})}), "invalid coefficient"},
        {"clean circle", circle({0, 0, 0}, 1, x, y, 90), nullptr},
        {"sentinel centre", circle({-max_d, 0, 0}, 1, x, y, 90), "invalid centre"},
        {"radius 0", circle({0, 0, 0}, 0, x, y, 90), "radius not positive"},
        {"sentinel vector", circle({0, 0, 0}, 1, {-max_d, 0, 0}, y, 90), "invalid plane vector"},
        {"parallel vectors", circle({0, 0, 0}, 1, x, {2, 0, 0}, 90), "plane vectors do not span a plane"},
        {"NaN angle", circle({0, 0, 0}, 1, x, y, nan_d), "angles not finite"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.why_not, c.why) << c.what;
}

}  // namespace
