#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <vdacheck/rules/vdc_rules.h>

#include "read_comparison.h"

using namespace vdatest;

namespace {

const double max_double = utMath::max_double();
const std::string h = "H = HEADER / 0\n";
const std::string e = "H = END\n";

// Every text these tests read is read serially and in chunks on several threads (read_all_ways): the two
// must agree on the model, its warnings and errors.

// --- the sample files

// Loads a sample and checks what holds for each: its entity count and warning, a byte-for-byte copy
// while unchanged, and, written afresh, a model that reads back equal and without warnings.
std::unique_ptr<vdaFile> load_sample(const char* name, int entities, const char* warning)
{
    SCOPED_TRACE(name);
    auto file = vdaReader::load(sample_path(name));
    EXPECT_EQ(file->size(), entities);
    EXPECT_EQ(file->warnings().size(), warning ? 1u : 0u);
    for (const vdaReadWarning& w : file->warnings())
        EXPECT_NE(w.message.find(warning ? warning : "no warning"), std::string::npos) << w.message;
    EXPECT_EQ(written(*file), slurp(sample_path(name)));
    const auto fresh = vdaReader::load(sample_path(name));
    change_all(*fresh);
    const auto again = read_all_ways(written(*fresh));
    EXPECT_EQ(vda_first_difference(*fresh, *again), "");
    EXPECT_TRUE(again->warnings().empty());
    return file;
}

// A value or two from each part of each file pins what the written-back copies cannot: how it was read.
TEST(SampleFiles, ReadAsTheFilesHoldThemAndWriteBack)
{
    const auto sp1 = load_sample("OpenVDAFS__CURVE_SP1.vda", 2, "missing END");
    const auto& header = entity<vdaHeader>(*sp1, "SLDWORKS");
    ASSERT_EQ(header.num_text_lines(), 20);
    EXPECT_EQ(header.text_line(1), "VDAFS VERSION     :  2.0");
    const auto& curve = entity<vdaCurve>(*sp1, "SP1");
    std::vector<int> orders;
    for (int s = 0; s < curve.num_segments(); ++s)
        orders.push_back(curve.segment(s).order());
    EXPECT_EQ(orders, (std::vector<int>{5, 3, 2, 4}));
    EXPECT_EQ(curve.segment(2).end_parameter(), 2.7);
    EXPECT_EQ(curve.segment(3).coeffs(3), giPoint3(-10.6921616, 49.5470734, 10.0));

    const auto flae = load_sample("OpenVDAFS__SURF_FLAE0001.vda", 2, "missing END");
    const auto& surf = entity<vdaSurf>(*flae, "FLAE0001");
    ASSERT_EQ(surf.num_patches_in_v(), 2);
    EXPECT_EQ(surf.patch(0, 0).coeffs(0, 1).x(), -435.4880676);
    EXPECT_EQ(surf.patch(0, 1).v_start_parameter(), 1.0);
    EXPECT_EQ(surf.patch(0, 1).coeffs(2, 2).z(), 0.0000153);

    const auto fc267 = load_sample("OpenVDAFS__FC267.vda", 15, nullptr);
    const auto& face = entity<vdaFace>(*fc267, "FC267");
    ASSERT_EQ(face.num_boundaries(), 2);
    ASSERT_EQ(face.boundary(1).num_curve_segments(), 2);
    EXPECT_EQ(face.boundary(1).curve_segment(0).basis_curve()(), fc267->find("CN264"));
    EXPECT_EQ(face.boundary(1).curve_segment(0).start_parameter(), -7.8539816339744828);
    const auto& cons = entity<vdaCons>(*fc267, "CN264");
    EXPECT_GT(cons.start_parameter(), cons.end_parameter());  // reversed, kept as read
    EXPECT_EQ(entity<vdaCurve>(*fc267, "CV20").segment(0).coeffs(0).x(), 5.1162028183921237E+01);
}

// --- every statement

const char* const every_statement = R"(EXAMPLE  = HEADER / 2
VDAFS VERSION     : 2.0
SENDING SYSTEM    : HAND-WRITTEN TEST
$$ points
PT1      = POINT / 10., -5.5, 2.E1
PS1      = PSET / 3, 0., 0., 0., 10., 0., 0., 10., 5., 0.
MD1      = MDI / 2, 0., 0., 0., 0., 0., 1.,
           10., 0., 0., 0., .6, .8
CI1      = CIRCLE / 0., 0., 0., 10., 1., 0., 0., 0., 1., 0., 0., 90.
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
$$ a comment between the records of a statement
           2, 0., 1., 0., 0.,
           2, 1., 1., 0., 0.
F1       = FACE / BUMP, 1, 1, EDGEUV, 0., 2.
T1       = TOP / 1, F1, 1, EDGEUV, 0., 1., BUMP, 0, 2
SET1     = BEGINSET
PT2      = POINT / 0., 0., 100.
SET1     = ENDSET
G1       = GROUP / 3, PT1, CI1, EDGE
TM1      = TMAT / 0., -1., 0., 1., 0., 0., 0., 0., 1., 100., 0., 0.
TL1      = TLIST / TM1, 2, PT1, F1
EXAMPLE  = END
)";

// The same model built in code: reading the text must give it, and writing it must read back as it.
void build_every_statement(vdaFile& f)
{
    using P3 = std::vector<giPoint3>;
    using P2 = std::vector<giPoint2>;
    f.create<vdaHeader>("EXAMPLE",
                        std::vector<std::string>{"VDAFS VERSION     : 2.0", "SENDING SYSTEM    : HAND-WRITTEN TEST"});
    f.create<vdaPoint>("PT1", giPoint3(10, -5.5, 20));
    f.create<vdaPset>("PS1", P3{{0, 0, 0}, {10, 0, 0}, {10, 5, 0}});
    f.create<vdaMDI>("MD1", P3{{0, 0, 0}, {10, 0, 0}}, std::vector<giVector3>{{0, 0, 1}, {0, .6, .8}});
    f.create<vdaCircle>("CI1", giPoint3(0, 0, 0), 10.0, giVector3(1, 0, 0), giVector3(0, 1, 0), 0.0, 90.0);
    f.create<vdaSurf>("BUMP", 2, 1,
                      std::vector<vdaSurfPatch>{
                          vdaSurfPatch(0, 1, 0, 1, 3, 2, P3{{0, 0, 0}, {50, 0, 10}, {0, 0, -10}, {0, 50, 0}, {}, {}}),
                          vdaSurfPatch(1, 2, 0, 1, 2, 2, P3{{50, 0, 0}, {50, 0, 0}, {0, 50, 0}, {0, 0, 0}})});
    f.create<vdaCurve>("EDGE",
                       std::vector<vdaCurveSegment>{vdaCurveSegment(0, 1, {{0, 0, 0}, {50, 0, 10}, {0, 0, -10}}),
                                                    vdaCurveSegment(1, 2, {{50, 0, 0}, {50, 0, 0}})});
    f.create<vdaCons>("EDGEUV", "BUMP", "EDGE", 0.0, 2.0,
                      std::vector<vdaConsSegment>{vdaConsSegment(0, 1, P2{{0, 0}, {1, 0}}),
                                                  vdaConsSegment(1, 2, P2{{1, 0}, {1, 0}})});
    f.create<vdaFace>("F1", "BUMP", std::vector<vdaBoundary>{vdaBoundary({vdaTrimmedCurve("EDGEUV", 0.0, 2.0)})});
    f.create<vdaTop>("T1", std::vector<vdaSurfacePair>{vdaSurfacePair(
                               vdaLinkedSurf("F1", {vdaTrimmedCurve("EDGEUV", 0, 1)}), vdaLinkedSurf("BUMP", {}), 2)});
    f.create<vdaBeginSet>("SET1", std::vector<utString>{"PT2"});
    f.create<vdaPoint>("PT2", giPoint3(0, 0, 100));
    f.create<vdaGroup>("G1", std::vector<utString>{"PT1", "CI1", "EDGE"});
    f.create<vdaTmat>("TM1", giXform3({0, -1, 0, 1, 0, 0, 0, 0, 1}, {100, 0, 0}));
    f.create<vdaTlist>("TL1", "TM1", std::vector<utString>{"PT1", "F1"});
}

TEST(Statements, EveryStatementReadsIntoTheModelAndWritesBack)
{
    const auto file = read_all_ways(every_statement);
    EXPECT_TRUE(file->warnings().empty());
    vdaFile built;
    build_every_statement(built);
    EXPECT_EQ(vda_first_difference(*file, built), "");
    const auto again = read_all_ways(written(built));
    EXPECT_TRUE(again->warnings().empty());
    EXPECT_EQ(vda_first_difference(built, *again), "");

    EXPECT_EQ(entity<vdaCons>(*file, "EDGEUV").line(), 20);  // the line of its first record
    for (const vdaObject& entity : *file)
        EXPECT_FALSE(entity.changed()) << entity.name().view();
}

// Content the checks exist to report reaches the model unchanged and without a warning of its own.
TEST(Reader, ContentTheChecksReportReachesTheModelUnchanged)
{
    const auto file =
        read_all_ways(h +
                      "C0 = CURVE / 0\nS0 = SURF / 0, 2, 0., 1., 2.\nP0 = PSET / 0\nF0 = FACE / S0, 1, 0\n"
                      "S1 = SURF / 3, 0, 0., 1., 2., 3.\n"
                      "CO = CURVE / 3, 0., 1., 2., 3., 0, -2, 1, 5., 6., 7.\n"
                      "SO = SURF / 1, 1, 0., 1., 0., 1., 0, 30\n"
                      "CP = CURVE / 2, 1., 0., 0., 1, -1.7976931348623157E+308, 0., 0.,\n"
                      "  1, 1.7976931348623157E+308, 0., 0.\n"
                      "P = POINT / 0., 0., 0.\nN = CONS / NOSURF, P, 0., 1., 0\n"
                      "G = GROUP / 2, G, NOBODY\n"
                      "D = POINT / 1., 0., 0.\nD = POINT / 2., 0., 0.\n" +
                      e);
    ASSERT_EQ(file->warnings().size(), 1u);
    EXPECT_NE(file->warnings()[0].message.find("duplicate name 'D'"), std::string::npos);
    EXPECT_EQ(file->size(), 14);  // both D

    // Zero counts.
    EXPECT_EQ(entity<vdaCurve>(*file, "C0").num_segments(), 0);
    // A count of 0 reads no values for its own breakpoint list only.
    EXPECT_EQ(entity<vdaSurf>(*file, "S0").num_patches_in_v(), 2);
    EXPECT_TRUE(entity<vdaSurf>(*file, "S0").u_parameters().empty());
    EXPECT_EQ(entity<vdaSurf>(*file, "S0").v_parameters(), (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(entity<vdaSurf>(*file, "S1").u_parameters(), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_TRUE(entity<vdaSurf>(*file, "S1").v_parameters().empty());
    EXPECT_EQ(entity<vdaPset>(*file, "P0").num_points(), 0);
    EXPECT_EQ(entity<vdaFace>(*file, "F0").boundary(0).num_curve_segments(), 0);
    // Orders outside 2 to 25.
    const auto& co = entity<vdaCurve>(*file, "CO");
    EXPECT_EQ(co.segment(1).order(), -2);
    EXPECT_EQ(co.segment(2).coeffs(0), giPoint3(5, 6, 7));
    EXPECT_EQ(entity<vdaSurf>(*file, "SO").patch(0, 0).v_order(), 30);
    // Reversed and equal parameters, the sentinel values.
    const auto& cp = entity<vdaCurve>(*file, "CP");
    EXPECT_EQ(cp.segment(0).end_parameter(), 0.0);
    EXPECT_EQ(cp.segment(1).start_parameter(), cp.segment(1).end_parameter());
    EXPECT_EQ(cp.segment(0).coeffs(0).x(), -max_double);
    EXPECT_EQ(cp.segment(1).coeffs(0).x(), max_double);
    // A missing and a wrong-type reference, a group that holds itself, a name that resolves to the first.
    const auto& n = entity<vdaCons>(*file, "N");
    EXPECT_FALSE(n.basis_surface());
    EXPECT_TRUE(n.curve_3d()->is_type(vdaPoint::id));
    const auto& g = entity<vdaGroup>(*file, "G");
    EXPECT_EQ(g.element(0)(), &g);
    EXPECT_FALSE(g.element(1));
    EXPECT_EQ(entity<vdaPoint>(*file, "D").point().x(), 1.0);
    // Written afresh, the rest reads back as it was (a written group drops the name that has no entity).
    file->remove(*file->find("G"));
    change_all(*file);
    EXPECT_EQ(vda_first_difference(*file, *read_all_ways(written(*file))), "");
}

// A piece of input and the position and message the reader reports for it.
struct Positioned {
    std::string text;
    int line;
    int column;
    const char* fragment;
};

TEST(Reader, MalformedInputFailsWithPositionAndExpectation)
{
    const Positioned cases[] = {
        {"", 1, 1, "expected the HEADER statement, found the end of the file"},
        {"P = POINT / 1., 2., 3.\n", 1, 5, "expected the HEADER statement first, found 'POINT'"},
        {"H = HEADER / 3\nline one\n", 1, 15, "expected 3 text records after the HEADER, found 1"},
        {h + "H2 = HEADER / 0\n", 2, 6, "HEADER 'H2': the HEADER must be the first"},
        {h + "P = POINT / 1., 2.,\n", 2, 20, "POINT 'P': the file ends inside the statement"},
        {h + "P = POINT / 1., 2.\n", 2, 19, "POINT 'P': expected 3 coordinates, found 2"},
        {h + "P = POINT / 1., X, 3.\n", 2, 17, "expected a real number for the coordinate, found 'X'"},
        {h + "P = POINT / 1.,, 3.\n", 2, 16, "found ','"},
        {h + "P = POINT / 1. 2., 3.\n", 2, 16, "expected ',' or the end of the record after a value, found '2.'"},
        {h + "P = POINT / 1.2.3, 2., 3.\n", 2, 13, "found '1.2.3'"},
        {h + "P = POINT / 1., 2., 3., 4.\n", 2, 25, "expected the end of the statement"},
        {h + "P = PUNKT / 1.\n", 2, 5, "unknown command word 'PUNKT'"},
        {h + "P = point / 1., 2., 3.\n", 2, 5, "(command words are upper case)"},
        {h + "P POINT / 1., 2., 3.\n", 2, 3, "expected '=' after the name 'P'"},
        {h + "P = POINT 1., 2., 3.\n", 2, 11, "expected '/' after the command word"},
        {h + "C = CURVE / 2000000000, 0., 1.\n", 2, 31, "CURVE 'C': expected 2000000001 segment parameters, found 2"},
        {h + "S = SURF / 100000, 100000, 0., 1.\n", 2, 34, "expected 100001 u parameters, found 2"},
        {h + "C = CURVE / 2, 0., 1., 2., 2, 1., 2., 3., 4., 5., 6.,\n 3, 1., 2.\n", 3, 11,
         "CURVE 'C': expected 9 coefficients for segment 2, found 2"},
        {h + "PS = PSET / -1\n", 2, 15, "the number of points must not be negative, found -1"},
        {h + "C = CURVE / 1.5\n", 2, 13, "expected an integer for the number of segments, found 1.5"},
        {h + "PS = PSET / 2147483648\n", 2, 13, "out of range"},
        {h + "P = POINT / 1.E999, 0., 0.\n", 2, 13, "too large for a double"},
        {h + "P = POINT / 1., 2., 3." + std::string(58, ' ') + "1\n", 2, 81, "data beyond column 72"},
        {h + "P = POINT / 1., 2." + std::string(54, ' ') + ", 3.\n", 2, 73,
         "data beyond column 72: ',' in the sequence field"},
        {h + "P = POINT / 1., 2.,\nQ = POINT / 1., 2., 3.\n", 3, 1, "continues the statement"},
        {h + "S = ENDSET\n", 2, 1, "ENDSET without a matching BEGINSET"},
        {h + "A = BEGINSET\nB = ENDSET\n", 3, 1, "does not match the open set 'A'"},
        {h + "A = BEGINSET / 1\n", 2, 14, "expected nothing after the command word"},
        {h + "F = FACE / S, 2, 1, C, 0., 1.\n", 2, 30, "expected 2 boundaries, found 1"},
        {h + "T = TOP / 1, F1, 0\n", 2, 19, "expected the second side of surface pair 1"},
    };
    for (const Positioned& m : cases) {
        SCOPED_TRACE(m.text);
        try {
            read_all_ways(m.text);
            ADD_FAILURE() << "read without error";
        } catch (const vdaReadError& error) {
            EXPECT_EQ(error.source(), "test.vda");
            EXPECT_EQ(error.line(), m.line) << error.what();
            EXPECT_EQ(error.column(), m.column) << error.what();
            EXPECT_NE(error.message().find(m.fragment), std::string::npos) << error.what();
            EXPECT_EQ(std::string(error.what()).rfind("test.vda:" + std::to_string(m.line) + ":", 0), 0u);
        }
    }
}

// Deviations real writers produce are read with a warning of their rule and copied back unchanged; every
// reader rule of the registry has its text here.
TEST(Reader, ToleratedDeviationsReadWithAWarning)
{
    struct Case {
        const char* rule;
        Positioned warning;
    };
    const Case cases[] = {
        {"read-missing-end", {h, 1, 1, "missing END statement"}},
        {"read-end-name", {h + "X = END\n", 2, 1, "END 'X' does not carry the HEADER name 'H'"}},
        {"read-records-after-end", {h + e + "garbage, / =\n", 3, 1, "records after END are ignored"}},
        {"read-comment-before-header", {"$$ written by hand\n" + h + e, 1, 1, "comment before the HEADER"}},
        {"read-indented-comment", {h + "   $$ note\n" + e, 2, 4, "comment '$$' after leading blanks"}},
        {"read-blank-record", {h + "\n" + e, 2, 1, "blank record ignored"}},
        {"read-tab", {h + "P = POINT /\t1., 2., 3.\n" + e, 2, 12, "TAB read as a blank"}},
        {"read-nonstandard-name", {h + "pt = POINT / 1., 2., 3.\n" + e, 2, 1, "non-standard name 'pt'"}},
        {"read-nonstandard-name",
         {h + "POINTNUMBER1 = POINT / 1., 2., 3.\n" + e, 2, 1, "non-standard name 'POINTNUMBER1'"}},
        {"read-integer-for-real",
         {h + "P = POINT / 1, 2., 3.\n" + e, 2, 13,
          "POINT 'P': number 1 without a decimal point where a real number is expected"}},
        {"read-real-for-integer",
         {h + "PS = PSET / 1., 0., 0., 0.\n" + e, 2, 13, "real 1. where an integer is expected"}},
        {"read-lower-case-exponent", {h + "P = POINT / 1.e2, 2., 3.\n" + e, 2, 15, "lower-case exponent letter 'e'"}},
        {"read-underflow", {h + "P = POINT / 1.E-400, 2., 3.\n" + e, 2, 13, "is read as 0"}},
        {"read-duplicate-name",
         {h + "P = POINT / 1., 2., 3.\nP = POINT / 4., 5., 6.\n" + e, 3, 1,
          "duplicate name 'P' (first used on line 2)"}},
        {"read-nested-set",
         {h + "A = BEGINSET\nB = BEGINSET\nB = ENDSET\nA = ENDSET\n" + e, 3, 1, "set 'B' is nested in set 'A'"}},
        {"read-unclosed-set",
         {h + "A = BEGINSET\nP = POINT / 1., 2., 3.\n" + e, 2, 1, "set 'A' is not closed; it ends at END"}},
    };
    std::set<std::string> rules, registered;
    for (const vdcRule& rule : vdc_rules())
        if (rule.kind == vdcRuleKind::read)
            registered.emplace(rule.id);
    for (const auto& [rule, d] : cases) {
        SCOPED_TRACE(d.text);
        rules.emplace(rule);
        const auto file = read_all_ways(d.text);
        ASSERT_FALSE(file->warnings().empty());
        const vdaReadWarning& w = file->warnings().front();
        EXPECT_EQ(vdc_rule_of(w.kind).id, rule);
        EXPECT_EQ(w.line, d.line) << w.message;
        EXPECT_EQ(w.column, d.column) << w.message;
        EXPECT_NE(w.message.find(d.fragment), std::string::npos) << w.message;
        EXPECT_EQ(written(*file), d.text);
    }
    EXPECT_EQ(rules, registered);
}

TEST(Reader, NumbersReadExactlyInEveryAllowedSpelling)
{
    const auto file = read_all_ways(h +
                                    "P = PSET / 4, +1., -.5, 2.D-03, 1.E3, 0.6287E-12, 5.,\n"
                                    " 0.1000000000000000055511151231257827, 4.9406564584124654E-324, -0.,\n"
                                    " 12345678901234567., -1.7976931348623157E+308, 1.7976931348623157D+308\n" +
                                    e);
    EXPECT_TRUE(file->warnings().empty());
    const auto& p = entity<vdaPset>(*file, "P");
    EXPECT_EQ(p.point(0), giPoint3(1, -0.5, 0.002));
    EXPECT_EQ(p.point(1), giPoint3(1000, 0.6287E-12, 5));
    EXPECT_EQ(p.point(2).x(), 0.1);
    EXPECT_EQ(p.point(2).y(), 4.9406564584124654E-324);
    EXPECT_TRUE(std::signbit(p.point(2).z()));
    EXPECT_EQ(p.point(3), giPoint3(12345678901234567., -max_double, max_double));
}

TEST(Reader, SetsCollectTheEntitiesBetweenTheirRecordsAndNestedSetsTheirOwn)
{
    const auto file = read_all_ways(h +
                                    "A = BEGINSET\nP = POINT / 1., 2., 3.\nB = BEGINSET\nQ = POINT / 1., 2., 3.\n"
                                    "B = ENDSET\nR = POINT / 1., 2., 3.\nA = ENDSET\nS = POINT / 1., 2., 3.\n" +
                                    e);
    const auto& a = entity<vdaBeginSet>(*file, "A");
    std::string names;
    for (int i = 0; i < a.num_elements(); ++i)
        names += a.element_name(i).view();
    EXPECT_EQ(names, "PBR");
    EXPECT_EQ(entity<vdaBeginSet>(*file, "B").num_elements(), 1);
}

// --- hostile input: no crash, no hang, no allocation sized by a count

TEST(Reader, DeeplyNestedSetsReadAndWriteWithoutRecursion)
{
    const int depth = 100000;
    std::string text = h;
    for (int i = 0; i < depth; ++i)
        text.append("S").append(std::to_string(i)).append(" = BEGINSET\n");
    for (int i = depth - 1; i >= 0; --i)
        text.append("S").append(std::to_string(i)).append(" = ENDSET\n");
    text += e;
    const auto file = read_all_ways(text);
    EXPECT_EQ(file->size(), depth + 1);
    EXPECT_EQ(written(*file), text);
    change_all(*file);
    EXPECT_EQ(vda_first_difference(*file, *read_all_ways(written(*file))), "");
    // 99,999 nested-set warnings: the first 100 are listed, the rest summed up in one.
    ASSERT_EQ(file->warnings().size(), 101u);
    EXPECT_NE(file->warnings().back().message.find("99899 more warnings of this kind are not listed: nested set"),
              std::string::npos);
}

TEST(Reader, OneStatementOfAMillionValues)
{
    std::string text = h + "P = PSET / 333333";
    for (int i = 0; i < 333333; ++i)
        text += ",\n 1., 2., 3.";
    EXPECT_EQ(entity<vdaPset>(*read_all_ways(text + "\n" + e), "P").num_points(), 333333);
}

TEST(Reader, LoadNamesTheFileItCannotOpen)
{
    try {
        vdaReader::load("/nonexistent/part.vda");
        FAIL();
    } catch (const vdaReadError& error) {
        EXPECT_EQ(error.line(), 0);
        EXPECT_EQ(std::string(error.what()).find("/nonexistent/part.vda: cannot read the file"), 0u);
    }
}

}  // namespace
