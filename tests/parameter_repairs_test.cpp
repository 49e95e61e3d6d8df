#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "repair_probe.h"

static void PrintTo(const giVector3& v, std::ostream* out)
{
    *out << "(" << v.x() << ", " << v.y() << ", " << v.z() << ")";
}

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

// The trimming parameters of a trimmed curve or a cons.
template <class Trimmed>
std::pair<double, double> trim_of(const Trimmed& t)
{
    return {t.start_parameter(), t.end_parameter()};
}

// Exact equality down to the sign of zero, with NaN equal to NaN.
bool same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

TEST(vdcClampTrim, ClampsFromAboveThenFromBelowWithExactComparisons)
{
    struct Case {
        double a, b, ts, te;  // range and trim
        double ns, ne;
        bool collapsed;
    };
    const Case cases[] = {
        {0, 2, 0.5, 3, 0.5, 2, false},      // end beyond the range
        {0, 1, -1, 0.5, 0, 0.5, false},     // start before the range
        {0, 2, 1.5, 0.5, 1.5, 0.5, false},  // inside, running backwards
        {0, 2, 3, -1, 2, 0, false},         // running backwards over the whole range
        {0, 2, 2.5, 3, 2, 2, true},         // wholly beyond the range
        {0, 2, -2, -1, 0, 0, true},         // wholly before the range
        {0, 2, 1, 1, 1, 1, true},           // empty already
        {2, 0, 0.5, 1, 2, 2, true},         // a reversed range clamps both ends to its start
        {0, 2, nan, 1, nan, 1, false},      // NaN passes every comparison and never collapses
        {0, nan, 0.5, 3, 0.5, 3, false},   {nan, 2, -1, 3, -1, 2, false},
    };
    for (const Case& c : cases) {
        const vdcClampedTrim t = vdc_clamp_trim(c.a, c.b, c.ts, c.te);
        EXPECT_TRUE(same(t.start, c.ns) && same(t.end, c.ne) && t.collapsed == c.collapsed)
            << "[" << c.a << ", " << c.b << "] trim (" << c.ts << ", " << c.te << ") gave (" << t.start << ", " << t.end
            << ")" << (t.collapsed ? " collapsed" : "");
    }
}

// ---------------------------------------------------------------------------------------------------------
// Trimming parameters of faces, tops and cons

// A cons over [0, 1] and [1, 2] on a curve over [0, 1] and [1, 7]. The face and the top each have one
// trimming curve before the one under repair, which must stay as it is.
class TrimmingRepairs : public ::testing::Test {
protected:
    TrimmingRepairs()
    {
        add_curve(file, "CV1", {0, 1, 7});
        cons = &add_cons(file, "CN1", "SF1", "CV1", 0, 1, {0, 1, 2});
        add_cons(file, "CN0", "SF1", "CV1", 0, 1, {});  // no segments: no range
        add_curve(file, "CV0", {});
        face = &file.create<vdaFace>(
            "FC1", "SF1",
            std::vector<vdaBoundary>{vdaBoundary({vdaTrimmedCurve("CN1", 0, 1)}),
                                     vdaBoundary({vdaTrimmedCurve("CN1", 0, 1), vdaTrimmedCurve("CN1", 0, 1)})});
        top = &file.create<vdaTop>(
            "TP1", std::vector<vdaSurfacePair>{vdaSurfacePair(
                       vdaLinkedSurf("SF1", {vdaTrimmedCurve("CN1", 0, 1)}),
                       vdaLinkedSurf("SF1", {vdaTrimmedCurve("CN1", 0, 1), vdaTrimmedCurve("CN1", 0, 1)}), 0)});
    }

    vdaTrimmedCurve& face_trim() { return face->boundary(1).curve_segment(1); }
    vdaTrimmedCurve& top_trim() { return top->surface_pair(0).second_linked_surface().trimmed_curve(1); }
    int fix_face() { return fix_face_cons_parameters(vdaObjectPtr(face), indices({1, 1}), log); }
    int fix_top() { return fix_top_cons_parameters(vdaObjectPtr(top), indices({0, 1, 1}), log); }
    int fix_cons() { return fix_cons_trimming_params(vdaObjectPtr(cons), indices({}), log); }

    vdaFile file;
    vdaFace* face = nullptr;
    vdaTop* top = nullptr;
    vdaCons* cons = nullptr;
    const vdcLog log{};
};

// The face takes the whole cons for a collapsed trim; the top and the cons leave it and fail. How a trim
// is clamped is vdc_clamp_trim's, tested above.
TEST_F(TrimmingRepairs, TrimsAreClampedIntoTheRangeOfWhatTheyTrim)
{
    const struct {
        double ts, te;  // the trim given to the face, the top and the cons
        double ns, ne;  // where the face and top repairs put it, uncollapsed in the cons range [0, 2]
        bool collapses;
        int cons_result;
        double cs, ce;  // where the cons repair puts it in the curve range [0, 7]
    } cases[] = {
        {0.5, 3.0, 0.5, 2.0, false, 1, 0.5, 3.0},
        {3.0, -1.0, 2.0, 0.0, false, 1, 3.0, 0.0},
        {6.0, 9.0, 0, 0, true, 1, 6.0, 7.0},  // the curve ends where its last segment ends
        {7.5, 9.0, 0, 0, true, 0, 7.5, 9.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "trim (" << c.ts << ", " << c.te << ")");
        face_trim().set_parameters(c.ts, c.te);
        top_trim().set_parameters(c.ts, c.te);
        cons->set_parameters(c.ts, c.te);
        EXPECT_EQ(fix_face(), 1);
        EXPECT_EQ(fix_top(), c.collapses ? 0 : 1);
        EXPECT_EQ(fix_cons(), c.cons_result);
        EXPECT_EQ(trim_of(face_trim()), c.collapses ? std::pair(0.0, 2.0) : std::pair(c.ns, c.ne));
        EXPECT_EQ(trim_of(top_trim()), c.collapses ? std::pair(c.ts, c.te) : std::pair(c.ns, c.ne));
        EXPECT_EQ(trim_of(*cons), std::pair(c.cs, c.ce));
    }
    for (const vdaTrimmedCurve* t : {&face->boundary(0).curve_segment(0), &face->boundary(1).curve_segment(0),
                                     &top->surface_pair(0).first_linked_surface().trimmed_curve(0),
                                     &top->surface_pair(0).second_linked_surface().trimmed_curve(0)})
        EXPECT_EQ(trim_of(*t), std::pair(0.0, 1.0));
}

TEST_F(TrimmingRepairs, WithoutSegmentsOrWithoutTheTrimmedEntityTheRepairsFailAndChangeNothing)
{
    const struct {
        const char* title;
        const char* trimmed;  // the cons the face and top trims refer to
        const char* curve;    // the curve the cons refers to
    } cases[] = {
        {"cons and curve without segments", "CN0", "CV0"},
        {"no such cons, no such curve", "NOCONS", "NOCURVE"},
        {"the cons is a curve, the curve a cons", "CV1", "CN1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        face_trim() = vdaTrimmedCurve(c.trimmed, 2.5, 3.0);
        face_trim().set_owner(face);
        top_trim() = vdaTrimmedCurve(c.trimmed, 2.5, 3.0);
        top_trim().set_owner(top);
        cons->set_curve_3d(c.curve);
        cons->set_parameters(2.5, 3.0);
        EXPECT_EQ(fix_face() + fix_top() + fix_cons(), 0);
        EXPECT_EQ((std::vector{trim_of(face_trim()), trim_of(top_trim()), trim_of(*cons)}),
                  std::vector(3, std::pair(2.5, 3.0)));
    }
}

// ---------------------------------------------------------------------------------------------------------
// Circles

// Circles named by their place in the file; the circle repairs read neither packet nor log.
class CircleRepairs : public ::testing::Test {
protected:
    vdaCircle& circle(const giVector3& v, const giVector3& w, double start = 0, double end = 90)
    {
        const std::string name = "CI" + std::to_string(file.size());
        return file.create<vdaCircle>(utString(name), giPoint3(1, 2, 3), 4.0, v, w, start, end);
    }

    vdaFile file;
};

TEST_F(CircleRepairs, PlaneVectorsAreNormalisedAndMadeOrthogonal)
{
    struct Case {
        giVector3 v, w;
        int result;
        giVector3 new_v, new_w;  // as given when the repair fails
    };
    const Case cases[] = {
        {{1, 0, 0}, {0.6, 0.8, 0}, 1, {1, 0, 0}, {0, -1, 0}},  // w replaced by (w x v) x v, pointing away
        {{0, 0, 2}, {0, 1, 1}, 1, {0, 0, 1}, {0, -1, 0}},
        {{2, 0, 0}, {0, 3, 0}, 1, {1, 0, 0}, {0, 1, 0}},          // only normalised
        {{1, 0, 0}, {1e-16, 1, 0}, 1, {1, 0, 0}, {1e-16, 1, 0}},  // orthogonal within 1e-15: kept
        {{1, 0, 0}, {1e-14, 1, 0}, 1, {1, 0, 0}, {0, -1, 0}},     // beyond 1e-15: replaced
        {{2e-15, 0, 0}, {0, 5, 0}, 1, {1, 0, 0}, {0, 1, 0}},
        {{1e-15, 0, 0}, {0, 1, 0}, 0, {1e-15, 0, 0}, {0, 1, 0}},  // zero within 1e-15, bound included
        {{1, 0, 0}, {0, 0, 0}, 0, {1, 0, 0}, {0, 0, 0}},
        {{2, 0, 0}, {3, 0, 0}, 0, {2, 0, 0}, {3, 0, 0}},  // parallel
    };
    for (const Case& c : cases) {
        vdaCircle& ci = circle(c.v, c.w);
        SCOPED_TRACE(ci.name().c_str());
        for (int call = 0; call < 1 + c.result; ++call) {  // a repaired pair is left as it is the second time
            EXPECT_EQ(fix_circle_vectors(vdaObjectPtr(&ci), {}, {}), c.result);
            EXPECT_EQ(std::pair(ci.plane_v(), ci.plane_w()), std::pair(c.new_v, c.new_w));
        }
    }
}

TEST_F(CircleRepairs, AnglesAreBroughtIntoOneTurn)
{
    const struct {
        double s, e;
        double new_s, new_e;
    } cases[] = {
        {10, 0, 10, 360},
        {350, 360.5, -10, 0.5},
        {-100, 300, -100, -60},
        {-400, -300, -40, 60},
        {90, 90, 90, 90},                       // an empty arc stays empty
        {-360, 0, 0, 0},                        // +0: x - 360 q(x / 360), where a remainder would keep the sign
        {773094113000, 773094113030, 80, 110},  // quotients at the ends of the 32-bit range
        {-773094113380, -773094113350, -100, -70},
        {1e12, 1e12 + 30, 280, 310},  // beyond it: the exact remainder
        {inf, 90, nan, 90},
        {0, -inf, 0, nan},
    };
    for (const auto& c : cases) {
        vdaCircle& ci = circle({1, 0, 0}, {0, 1, 0}, c.s, c.e);
        EXPECT_EQ(fix_circle_angles(vdaObjectPtr(&ci), {}, {}), 1);
        EXPECT_TRUE(same(ci.start_angle(), c.new_s) && same(ci.end_angle(), c.new_e))
            << "(" << c.s << ", " << c.e << ") gave (" << ci.start_angle() << ", " << ci.end_angle() << ")";
    }
}

}  // namespace
