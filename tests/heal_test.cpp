#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <vdacheck/heal/vdc_heal.h>

#include "quality_support.h"
#include "synthetic_defects.h"
#include "synthetic_model.h"
#include "vda_test_support.h"

namespace {

using R = vdcQualityRule;
using qt::bilinear;
using qt::deg;
using qt::line;

utString u(const std::string& s) { return utString(std::string_view(s)); }
std::string joined(std::initializer_list<std::string_view> parts)
{
    std::string s;
    for (std::string_view p : parts)
        s.append(p);
    return s;
}
constexpr const char* digits[] = {"0", "1", "2", "3"};

// The statements of a VDA-FS text by entity name: the record that names it and its continuations.
std::map<std::string, std::string> statements(const std::string& text)
{
    std::map<std::string, std::string> out;
    std::string name;
    std::istringstream in(text);
    for (std::string record; std::getline(in, record);) {
        const std::size_t eq = record.find(" = ");
        if (!record.empty() && record[0] != ' ' && eq != std::string::npos)
            name = record.substr(0, eq);
        out[name] += record + "\n";
    }
    return out;
}

// A model built in code, as read from its written text (so that untouched entities are copied on writing).
std::unique_ptr<vdaFile> as_read(const std::function<void(vdaFile&)>& build)
{
    vdaFile built;
    built.create<vdaHeader>("H", std::vector<std::string>{"VDAFS VERSION     :  2.0"});
    build(built);
    return vdatest::read(vdatest::written(built));
}

// The plane x = 100 s, y = 100 t, lifted by z, over the unit square.
void plane(vdaFile& f, const std::string& name, double z = 0)
{
    f.create<vdaSurf>(u(name), 1, 1, std::vector{bilinear({0, 0, z}, {100, 0, z}, {0, 100, z}, {100, 100, z})});
}

// A straight cons from a to b on a plane made by plane(), with its curve, lifted by `off` above it.
void edge(vdaFile& f, const std::string& name, const std::string& surf, giPoint2 a, giPoint2 b, double z = 0,
          double off = 0)
{
    f.create<vdaCurve>(u("C" + name), std::vector{line(0, 1, {100 * a.x(), 100 * a.y(), z + off},
                                                       {100 * b.x(), 100 * b.y(), z + off})});
    f.create<vdaCons>(u(name), u(surf), u("C" + name), 0.0, 1.0, std::vector{line(0, 1, a, b)});
}

// A face bounded by the whole domain of a plane made by plane(), its cons named E<side><suffix>.
void square_face(vdaFile& f, const std::string& name, const std::string& surf, const std::string& suffix, double z = 0,
                 double start_of_second = 0)
{
    const giPoint2 corners[] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    std::vector<vdaTrimmedCurve> pieces;
    for (int k = 0; k < 4; ++k) {
        const std::string cons = joined({"E", digits[k], suffix});
        edge(f, cons, surf, corners[k], corners[(k + 1) % 4], z);
        pieces.emplace_back(u(cons), k == 1 ? start_of_second : 0.0, 1.0);
    }
    f.create<vdaFace>(u(name), u(surf), std::vector{vdaBoundary(pieces)});
}

// Two faces meeting along y = 100, tangent as their topology entity T claims: F on the plane, G on a
// square that starts `lift` higher and rises at `angle` degrees.
void two_faces(vdaFile& f, const std::string& n, double lift, double angle)
{
    plane(f, "P" + n);
    square_face(f, "F" + n, "P" + n, "P" + n);
    const double c = 100 * std::cos(angle * deg), s = 100 * std::sin(angle * deg);
    auto at = [&](giPoint2 p) { return giPoint3(100 * p.x(), 100 + c * p.y(), lift + s * p.y()); };
    f.create<vdaSurf>(u("R" + n), 1, 1, std::vector{bilinear(at({0, 0}), at({1, 0}), at({0, 1}), at({1, 1}))});
    const giPoint2 corners[] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    std::vector<vdaTrimmedCurve> pieces;
    for (int k = 0; k < 4; ++k) {
        const std::string cons = joined({"E", digits[k], "R", n});
        const giPoint2 a = corners[k], b = corners[(k + 1) % 4];
        f.create<vdaCurve>(u("C" + cons), std::vector{line(0, 1, at(a), at(b))});
        f.create<vdaCons>(u(cons), u("R" + n), u("C" + cons), 0.0, 1.0, std::vector{line(0, 1, a, b)});
        pieces.emplace_back(u(cons), 0.0, 1.0);
    }
    f.create<vdaFace>(u("G" + n), u("R" + n), std::vector{vdaBoundary(pieces)});
    f.create<vdaTop>(u("T" + n),
                     std::vector{vdaSurfacePair(vdaLinkedSurf(u("F" + n), {vdaTrimmedCurve(u("E2P" + n), 0, 1)}),
                                                vdaLinkedSurf(u("G" + n), {vdaTrimmedCurve(u("E0R" + n), 0, 1)}), 1)});
}

// One model per healed rule: the faulty entities with suffix D and their unperturbed twins with suffix T.
struct Case {
    const char* what;
    R rule;
    int findings;         // of the rule, all on the faulty entities
    double displacement;  // mm, of each healed item
    std::function<void(vdaFile&, const std::string& suffix, bool faulty)> build;
    std::function<void(vdcQualityProfile&)> profile = [](vdcQualityProfile&) {};
};

// A turn of a tangent of length L by angle a about the joint moves a segment or patch by L 2 sin(a / 2) times the
// largest value of the slope blend: 4 / 27 for the cubic one, (k / (k + 1))^k / (k + 1) for the gentler ones
// healing takes where that would move it by more than half the tolerance.
double turn(double length, double angle_deg, int power = 2)
{
    return length * 2 * std::sin(angle_deg * deg / 2) * std::pow(power, power) / std::pow(power + 1, power + 1);
}

const std::vector<Case> cases = {
    {"a gap between curve segments", R::curve_segment_gap, 1, 0.025,
     [](vdaFile& f, const std::string& n, bool faulty) {
         const double y = faulty ? 0.05 : 0;
         f.create<vdaCurve>(u("G" + n),
                            std::vector{line(0, 1, {0, 0, 0}, {10, 0, 0}), line(1, 2, {10, y, 0}, {20, y, 0})});
     }},
    {"a kink between curve segments", R::curve_segment_kink, 1, turn(10, 0.25),
     [](vdaFile& f, const std::string& n, bool faulty) {
         const double a = faulty ? 0.5 * deg : 0;
         f.create<vdaCurve>(u("K" + n),
                            std::vector{line(0, 1, {0, 0, 0}, {10, 0, 0}),
                                        line(1, 2, {10, 0, 0}, {10 + 10 * std::cos(a), 10 * std::sin(a), 0})});
     }},
    {"a tiny segment merged by arc", R::curve_tiny_segment, 1, 0.0,
     [](vdaFile& f, const std::string& n, bool faulty) {
         const double x = faulty ? 10.01 : 15;
         f.create<vdaCurve>(u("T" + n),
                            std::vector{line(0, 1, {0, 0, 0}, {10, 0, 0}), line(1, 2, {10, 0, 0}, {x, 0, 0}),
                                        line(2, 3, {x, 0, 0}, {20, 0, 0})});
     }},
    {"a gap between two patches", R::surf_patch_gap, 1, 0.025,
     [](vdaFile& f, const std::string& n, bool faulty) {
         const double z = faulty ? 0.05 : 0;
         f.create<vdaSurf>(u("S" + n), 2, 1,
                           std::vector{bilinear({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0}, 0, 1),
                                       bilinear({10, 0, z}, {20, 0, z}, {10, 10, z}, {20, 10, z}, 1, 2)});
     }},
    // One patch of four lifted: the four corners that meet in the middle meet at their mean, a quarter up.
    {"gaps round a corner of four patches", R::surf_patch_gap, 2, 0.0375,
     [](vdaFile& f, const std::string& n, bool faulty) {
         std::vector<vdaSurfPatch> patches;
         for (int j = 0; j < 2; ++j)
             for (int i = 0; i < 2; ++i) {
                 const double z = faulty && i == 1 && j == 1 ? 0.05 : 0;
                 const double x = 10.0 * i, y = 10.0 * j;
                 patches.push_back(
                     bilinear({x, y, z}, {x + 10, y, z}, {x, y + 10, z}, {x + 10, y + 10, z}, i, i + 1, j, j + 1));
             }
         f.create<vdaSurf>(u("Q" + n), 2, 2, patches);
     }},
    {"a kink between two patches", R::surf_patch_kink, 1, turn(10, 0.25),
     [](vdaFile& f, const std::string& n, bool faulty) {
         const double a = faulty ? 0.5 * deg : 0, c = 10 * std::cos(a), s = 10 * std::sin(a);
         f.create<vdaSurf>(u("K" + n), 2, 1,
                           std::vector{bilinear({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0}, 0, 1),
                                       bilinear({10, 0, 0}, {10 + c, 0, s}, {10, 10, 0}, {10 + c, 10, s}, 1, 2)});
     }},
    // The thin last column is as wide in its parameter as in space: the one before, carried over it, is the
    // plane.
    {"a tiny patch", R::surf_tiny_patch, 1, 0.0,
     [](vdaFile& f, const std::string& n, bool faulty) {
         const double w = faulty ? 0.01 : 5;
         f.create<vdaSurf>(
             u("P" + n), 2, 1,
             std::vector{bilinear({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0}, 0, 1),
                         bilinear({10, 0, 0}, {10 + w, 0, 0}, {10, 10, 0}, {10 + w, 10, 0}, 1, 1 + w / 10)});
     }},
    {"a curve off its cons", R::cons_curve_deviation, 1, 0.05,
     [](vdaFile& f, const std::string& n, bool faulty) {
         plane(f, "P" + n);
         edge(f, "N" + n, "P" + n, {0.1, 0.5}, {0.9, 0.5}, 0, faulty ? 0.05 : 0);
     }},
    {"a gap between cons segments", R::cons_segment_gap, 1, 0.025,
     [](vdaFile& f, const std::string& n, bool faulty) {
         plane(f, "P" + n);
         const double t = faulty ? 0.5005 : 0.5, y = faulty ? 50.025 : 50;
         f.create<vdaCurve>(u("C" + n), std::vector{line(0, 1, {10, y, 0}, {90, y, 0})});
         f.create<vdaCons>(u("N" + n), u("P" + n), u("C" + n), 0.0, 1.0,
                           std::vector{line(0, 0.5, {0.1, 0.5}, {0.5, 0.5}), line(0.5, 1, {0.5, t}, {0.9, t})});
     },
     // The curve runs between the two segments: 0.025 off both, and so after the healing.
     [](vdcQualityProfile& p) { p.set_tolerance(R::cons_curve_deviation, 0.03); }},
    {"a face boundary trimmed short", R::face_loop_gap, 1, 0.05,
     [](vdaFile& f, const std::string& n, bool faulty) {
         plane(f, "P" + n);
         square_face(f, "F" + n, "P" + n, n, 0, faulty ? 0.0005 : 0);
     }},
    // The second cons starts beside the first one's end, and the two do not cross: their ends meet.
    {"a face boundary with a step", R::face_loop_gap, 1, 0.025,
     [](vdaFile& f, const std::string& n, bool faulty) {
         plane(f, "P" + n);
         const double t = faulty ? 0.0005 : 0;
         edge(f, "A" + n, "P" + n, {0, 0}, {1, 0});
         edge(f, "B" + n, "P" + n, {1, t}, {1, 1});
         edge(f, "C" + n, "P" + n, {1, 1}, {0, 1});
         edge(f, "D" + n, "P" + n, {0, 1}, {0, 0});
         f.create<vdaFace>(
             u("F" + n), u("P" + n),
             std::vector{vdaBoundary({vdaTrimmedCurve(u("A" + n), 0, 1), vdaTrimmedCurve(u("B" + n), 0, 1),
                                      vdaTrimmedCurve(u("C" + n), 0, 1), vdaTrimmedCurve(u("D" + n), 0, 1)})});
     }},
    {"a topology edge with a gap", R::top_edge_gap, 1, 0.025,
     [](vdaFile& f, const std::string& n, bool faulty) { two_faces(f, n, faulty ? 0.05 : 0, 0); }},
    {"a topology edge with a kink", R::top_continuity, 1, turn(100, 0.25, 3),
     [](vdaFile& f, const std::string& n, bool faulty) { two_faces(f, n, 0, faulty ? 0.5 : 0); }},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.what; }

class HealCase : public testing::TestWithParam<Case> {};

// Each fault healed to nothing, moved by what the construction says, and its twin written as it was read.
TEST_P(HealCase, HealsTheFaultAndLeavesItsTwinByteForByte)
{
    const Case& c = GetParam();
    std::unique_ptr<vdaFile> file = as_read([&](vdaFile& f) {
        c.build(f, "D", true);
        c.build(f, "T", false);
    });
    const std::string before = vdatest::written(*file);
    vdcHealOptions options;
    options.threads = 1;
    c.profile(options.profile);
    const vdcHealResult result = vdc_heal(*file, options);

    EXPECT_TRUE(result.repair.clean);
    EXPECT_TRUE(result.undone.empty()) << result.undone.front();
    for (const vdcHealLeftItem& l : result.left)
        ADD_FAILURE() << "left " << l.finding.id() << " on " << l.finding.entity.view() << ": " << l.reason;
    ASSERT_EQ(result.healed.size(), std::size_t(c.findings));
    for (const vdcHealedItem& item : result.healed) {
        EXPECT_EQ(item.finding.rule, c.rule);
        EXPECT_EQ(item.finding.entity.view().back(), 'D');
        if (vdc_quality_rule_info(c.rule).limit == vdcQualityLimit::at_most)
            EXPECT_LT(item.value_after, 1e-9);
        else
            EXPECT_GE(item.value_after, item.finding.tolerance);
        EXPECT_NEAR(item.displacement, c.displacement, 1e-9 + 1e-6 * c.displacement);
    }
    EXPECT_EQ(result.count(c.rule).healed, std::size_t(c.findings));
    EXPECT_TRUE(result.after.findings.empty());

    const std::map<std::string, std::string> was = statements(before), is = statements(vdatest::written(*file));
    for (const auto& [name, text] : was)
        if (name.back() == 'T') {
            ASSERT_TRUE(is.count(name)) << name;
            EXPECT_EQ(is.at(name), text) << name;
        }
}

INSTANTIATE_TEST_SUITE_P(Heal, HealCase, testing::ValuesIn(cases), [](const testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p)))
            name += *p;
    return name;
});

// Synthetic models as the benchmarks make them, repaired, with defects of every healed rule put into parts
// that had no finding: those within the tolerance are healed, the others left as they were and reported,
// nothing moves further than the tolerance, nothing new is found, and the healed model reads back as
// itself.
TEST(HealSynthetic, HealsWhatIsWithinTheToleranceAndLeavesTheRest)
{
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::unique_ptr<vdaFile> model = vdatest::read(vda_synthetic_model(std::size_t(1) << 20));
        ASSERT_TRUE(vdc_repair(*model).clean);
        std::vector<std::string> flagged;
        const vdcQualityReport found = vdcQualityCheck({}, 1).run(*model);
        for (const vdcQualityFinding& f : found.findings)
            flagged.emplace_back(f.entity.view());
        for (const vdcQualitySkip& s : found.skipped)
            flagged.emplace_back(s.entity.view());
        const std::vector<vdaInjectedDefect> defects =
            vda_inject_defects(*model, vda_parts_without(*model, flagged), seed, 2, 0.1, 1.0);
        ASSERT_EQ(defects.size(), 22u);
        std::unique_ptr<vdaFile> file = vdatest::read(vdatest::written(*model));

        vdcHealOptions options;
        options.threads = 1;
        const vdcHealResult result = vdc_heal(*file, options);
        for (const vdaInjectedDefect& d : defects) {
            SCOPED_TRACE(std::string(vdc_quality_rule_info(d.rule).id) + " on " + d.entity + " of " +
                         std::to_string(d.size));
            const auto on = [&](const auto& item) {
                return item.finding.rule == d.rule && item.finding.entity == std::string_view(d.entity);
            };
            const bool healed = std::any_of(result.healed.begin(), result.healed.end(), on);
            const auto left = std::find_if(result.left.begin(), result.left.end(), on);
            EXPECT_EQ(healed, d.healable);
            if (d.healable)
                EXPECT_TRUE(left == result.left.end()) << left->reason;
            else if (left == result.left.end())
                ADD_FAILURE() << "not reported";
            else
                EXPECT_EQ(left->reason.rfind("above the healing", 0), 0u) << left->reason;
        }
        for (const std::string& u : result.undone)
            ADD_FAILURE() << "undone: " << u;
        EXPECT_LE(result.largest_displacement, options.tolerance);
        // Every finding after was one before, of the same rule on the same entity.
        for (const vdcQualityFinding& f : result.after.findings)
            EXPECT_TRUE(
                std::any_of(result.before.findings.begin(), result.before.findings.end(),
                            [&](const vdcQualityFinding& b) { return b.rule == f.rule && b.entity == f.entity; }))
                << f.id() << " on " << f.entity.view();
        const std::unique_ptr<vdaFile> again = vdatest::read(vdatest::written(*file));
        EXPECT_EQ(vda_first_difference(*file, *again, vdaEntityOrder::may_differ), "");
    }
}

// What healing would do beyond its promise is undone, and the finding reported with why.
TEST(HealPromise, UndoesWhatWouldMoveTooFarOrPutAnotherValueBeyondItsTolerance)
{
    struct Undo {
        const char* what;
        std::function<void(vdaFile&)> build;
        R rule;
        const char* because;
    };
    const std::vector<Undo> undos = {
        // Turning the tangents of segments a metre long by 0.45 degrees each moves them by 0.23 mm even with the
        // gentlest blend.
        {"a kink between long segments",
         [](vdaFile& f) {
             f.create<vdaCurve>("K", std::vector{line(0, 1, {0, 0, 0}, {1000, 0, 0}),
                                                 line(1, 2, {1000, 0, 0}, {2000, 1000 * std::sin(0.9 * deg), 0})});
         },
         R::curve_segment_kink, "K would move by 0.23"},
        // Closing the seam moves the cons beside it on its surface, and its curve, shared with another cons,
        // cannot follow.
        {"a seam beside a cons whose curve is shared",
         [](vdaFile& f) {
             f.create<vdaSurf>(
                 "S", 2, 1,
                 std::vector{bilinear({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0}, 0, 1),
                             bilinear({10, 0, 0.05}, {20, 0, 0.05}, {10, 10, 0.05}, {20, 10, 0.05}, 1, 2)});
             f.create<vdaCurve>("C", std::vector{line(0, 1, {5, 5, 0}, {9.9, 5, 0})});
             for (const char* n : {"N1", "N2"})
                 f.create<vdaCons>(n, "S", "C", 0.0, 1.0, std::vector{line(0, 1, {0.5, 0.5}, {0.99, 0.5})});
         },
         R::surf_patch_gap, "N1 would get cons-curve-deviation 0.02"},
    };
    for (const Undo& u : undos) {
        SCOPED_TRACE(u.what);
        std::unique_ptr<vdaFile> file = as_read(u.build);
        const std::string before = vdatest::written(*file);
        vdcHealOptions options;
        options.threads = 1;
        const vdcHealResult result = vdc_heal(*file, options);
        EXPECT_TRUE(result.healed.empty());
        ASSERT_EQ(result.left.size(), 1u);
        EXPECT_EQ(result.left[0].finding.rule, u.rule);
        EXPECT_NE(result.left[0].reason.find(u.because), std::string::npos) << result.left[0].reason;
        EXPECT_EQ(result.undone.size(), 1u);
        // Put back as it was read: written byte for byte.
        EXPECT_EQ(vdatest::written(*file), before);
    }
}

// The seam of the sample opens by 8.87 mm where a transcription lost some minus signs: far beyond any
// healing tolerance, it is reported with its value and left exactly as it was.
TEST(HealSamples, ASeamFarBeyondTheToleranceIsReportedAndLeft)
{
    const std::string text = vdatest::slurp(vdatest::sample_path("OpenVDAFS__SURF_FLAE0001.vda"));
    std::unique_ptr<vdaFile> file = vdatest::read(text);
    const vdcHealResult result = vdc_heal(*file);
    EXPECT_TRUE(result.healed.empty());
    ASSERT_EQ(result.left.size(), 2u);
    EXPECT_EQ(result.left[0].finding.rule, R::surf_patch_gap);
    EXPECT_NEAR(result.left[0].finding.value, 8.87, 0.01);
    EXPECT_EQ(result.left[0].reason, "above the healing tolerance (0.1 mm)");
    EXPECT_EQ(result.left[1].finding.rule, R::surf_patch_kink);
    EXPECT_EQ(result.left[1].reason, "above the healing angle (1 deg)");
    EXPECT_EQ(result.count(R::surf_patch_gap).left, 1u);
    EXPECT_EQ(result.after.findings.size(), 2u);
    EXPECT_EQ(vdatest::written(*file), text);
}

}  // namespace
