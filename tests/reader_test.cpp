#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "vda_test_support.h"

using namespace vdatest;

namespace {

const double max_double = utMath::max_double();

// --- the sample files

struct Sample {
    const char* file;
    int entities;
    std::vector<std::string> warnings;  // fragments, in order
};

class SampleFiles : public testing::TestWithParam<Sample> {};

TEST_P(SampleFiles, ReadWithOnlyTheExpectedWarningsAndWriteBackIdentically)
{
    const Sample& sample = GetParam();
    const std::string text = slurp(sample_path(sample.file));
    const auto file = vdaFile::load(sample_path(sample.file));
    EXPECT_EQ(file->size(), sample.entities);
    ASSERT_EQ(file->warnings().size(), sample.warnings.size());
    for (std::size_t i = 0; i < sample.warnings.size(); ++i)
        EXPECT_NE(file->warnings()[i].message.find(sample.warnings[i]), std::string::npos) << file->warnings()[i].message;
    EXPECT_EQ(written(*file), text);
}

TEST_P(SampleFiles, RewrittenAfreshReadBackToTheSameModel)
{
    const auto file = vdaFile::load(sample_path(GetParam().file));
    change_all(*file);
    const auto again = read(written(*file));
    EXPECT_EQ(vda_first_difference(*file, *again), "");
    EXPECT_TRUE(again->warnings().empty()) << again->warnings().front().message;
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleFiles,
                         testing::Values(Sample{"OpenVDAFS__CURVE_SP1.vda", 2, {"missing END"}},
                                         Sample{"OpenVDAFS__SURF_FLAE0001.vda", 2, {"missing END"}},
                                         Sample{"OpenVDAFS__FC267.vda", 15, {}}));

TEST(SampleValues, CurveSp1HoldsTheFourSegmentsOfTheDinExample)
{
    const auto file = vdaFile::load(sample_path("OpenVDAFS__CURVE_SP1.vda"));
    const auto& header = entity<vdaHeader>(*file, "SLDWORKS");
    ASSERT_EQ(header.num_text_lines(), 20);
    EXPECT_EQ(header.text_line(1), "VDAFS VERSION     :  2.0");
    const auto& curve = entity<vdaCurve>(*file, "SP1");
    EXPECT_EQ(curve.line(), 22);
    ASSERT_EQ(curve.num_segments(), 4);
    const int orders[] = {5, 3, 2, 4};
    for (int s = 0; s < 4; ++s)
        EXPECT_EQ(curve.segment(s).order(), orders[s]);
    EXPECT_EQ(curve.segment(2).start_parameter(), 2.0);
    EXPECT_EQ(curve.segment(2).end_parameter(), 2.7);
    EXPECT_EQ(curve.segment(0).coeffs(1), giPoint3(63.8891754, 6.4475098, 0.0));
    EXPECT_EQ(curve.segment(3).coeffs(3), giPoint3(-10.6921616, 49.5470734, 10.0));
}

TEST(SampleValues, SurfFlae0001HasTwoPatchesInVWithTheUIndexFastest)
{
    const auto file = vdaFile::load(sample_path("OpenVDAFS__SURF_FLAE0001.vda"));
    const auto& surf = entity<vdaSurf>(*file, "FLAE0001");
    ASSERT_EQ(surf.num_patches_in_u(), 1);
    ASSERT_EQ(surf.num_patches_in_v(), 2);
    const vdaSurfPatch& first = surf.patch(0, 0);
    EXPECT_EQ(first.u_order(), 3);
    EXPECT_EQ(first.v_order(), 4);
    EXPECT_EQ(first.coeffs(1, 0).x(), -109.7905273);  // position 1 of the x block
    EXPECT_EQ(first.coeffs(0, 1).x(), -435.4880676);  // position 3 = l * iordu + k
    const vdaSurfPatch& second = surf.patch(0, 1);
    EXPECT_EQ(second.u_order(), 3);
    EXPECT_EQ(second.v_order(), 3);
    EXPECT_EQ(second.v_start_parameter(), 1.0);
    EXPECT_EQ(second.v_end_parameter(), 2.0);
    EXPECT_EQ(second.coeffs(2, 2).z(), 0.0000153);
}

TEST(SampleValues, Fc267ResolvesItsReferencesAndKeepsReversedCons)
{
    const auto file = vdaFile::load(sample_path("OpenVDAFS__FC267.vda"));
    const auto& face = entity<vdaFace>(*file, "FC267");
    EXPECT_EQ(face.line(), 483);
    EXPECT_EQ(face.basis_surface()(), file->find("SR109"));
    ASSERT_EQ(face.num_boundaries(), 2);
    EXPECT_EQ(face.boundary(0).num_curve_segments(), 4);
    ASSERT_EQ(face.boundary(1).num_curve_segments(), 2);
    EXPECT_EQ(face.boundary(1).curve_segment(0).basis_curve()(), file->find("CN264"));
    EXPECT_EQ(face.boundary(1).curve_segment(0).start_parameter(), -7.8539816339744828);

    const auto& cons = entity<vdaCons>(*file, "CN264");
    EXPECT_TRUE(cons.curve_3d()->is_type(vdaCurve::id));
    EXPECT_EQ(cons.curve_3d_name(), utString("CV87"));
    EXPECT_GT(cons.start_parameter(), cons.end_parameter());
    EXPECT_EQ(cons.num_segments(), 16);

    const auto& curve = entity<vdaCurve>(*file, "CV20");
    EXPECT_TRUE(std::signbit(curve.segment(0).coeffs(1).y()));  // -0.0000000000000000E+00 stays -0.
    EXPECT_EQ(curve.segment(0).coeffs(0).x(), 5.1162028183921237E+01);
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

TEST(Statements, EveryStatementReadsIntoTheModel)
{
    const auto file = read(every_statement);
    EXPECT_TRUE(file->warnings().empty());
    EXPECT_EQ(file->size(), 15);
    EXPECT_EQ(vdaFile::current(), file.get());

    EXPECT_EQ(entity<vdaPoint>(*file, "PT1").point(), giPoint3(10, -5.5, 20));
    EXPECT_EQ(entity<vdaPoint>(*file, "PT1").line(), 5);
    EXPECT_EQ(entity<vdaPset>(*file, "PS1").point(2), giPoint3(10, 5, 0));
    const auto& mdi = entity<vdaMDI>(*file, "MD1");
    ASSERT_EQ(mdi.num_point_vector(), 2);
    EXPECT_EQ(mdi.vector(1), giVector3(0, .6, .8));

    const auto& circle = entity<vdaCircle>(*file, "CI1");
    EXPECT_EQ(circle.radius(), 10.0);
    EXPECT_EQ(circle.plane_w(), giVector3(0, 1, 0));
    EXPECT_EQ(circle.end_angle(), 90.0);

    const auto& surf = entity<vdaSurf>(*file, "BUMP");
    EXPECT_EQ(surf.patch(1, 0).u_start_parameter(), 1.0);
    EXPECT_EQ(surf.patch(0, 0).coeffs(2, 0).z(), -10.0);
    EXPECT_EQ(surf.patch(0, 0).coeffs(0, 1).y(), 50.0);

    const auto& cons = entity<vdaCons>(*file, "EDGEUV");
    EXPECT_EQ(cons.basis_surface()(), &surf);
    EXPECT_EQ(cons.segment(1).coeffs(0), giPoint2(1, 0));
    EXPECT_EQ(cons.line(), 20);

    const auto& top = entity<vdaTop>(*file, "T1");
    ASSERT_EQ(top.num_surface_pairs(), 1);
    EXPECT_EQ(top.surface_pair(0).first_linked_surface().basis_entity()(), file->find("F1"));
    EXPECT_EQ(top.surface_pair(0).second_linked_surface().num_trimmed_curves(), 0);
    EXPECT_EQ(top.surface_pair(0).continuity(), 2);

    const auto& set = entity<vdaBeginSet>(*file, "SET1");
    ASSERT_EQ(set.num_elements(), 1);
    EXPECT_EQ(set.element(0)(), file->find("PT2"));
    EXPECT_EQ(entity<vdaGroup>(*file, "G1").element_name(2), utString("EDGE"));

    const giXform3& m = entity<vdaTmat>(*file, "TM1").matrix();
    EXPECT_EQ(m.a(0, 1), -1.0);
    EXPECT_EQ(m.t(0), 100.0);
    const auto& tlist = entity<vdaTlist>(*file, "TL1");
    EXPECT_EQ(tlist.transform()(), file->find("TM1"));
    EXPECT_EQ(tlist.element(1)(), file->find("F1"));

    for (const vdaObject& e : *file)
        EXPECT_FALSE(e.changed()) << e.name().view();
}

// --- content the checks exist to report reaches the model unchanged

struct ContentCase {
    const char* name;
    const char* statements;
    std::function<void(const vdaFile&)> expect;
};

class Content : public testing::TestWithParam<ContentCase> {};

TEST_P(Content, ReachesTheModelUnchanged)
{
    const auto file = read(std::string("H = HEADER / 0\n") + GetParam().statements + "H = END\n");
    GetParam().expect(*file);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, Content,
    testing::Values(
        ContentCase{"ZeroCounts", "C = CURVE / 0\nS = SURF / 0, 2\nP = PSET / 0\nG = GROUP / 0\nF = FACE / S, 1, 0\n",
                    [](const vdaFile& f) {
                        EXPECT_EQ(entity<vdaCurve>(f, "C").num_segments(), 0);
                        EXPECT_EQ(entity<vdaSurf>(f, "S").num_patches_in_u(), 0);
                        EXPECT_EQ(entity<vdaSurf>(f, "S").num_patches_in_v(), 2);
                        EXPECT_EQ(entity<vdaPset>(f, "P").num_points(), 0);
                        EXPECT_EQ(entity<vdaFace>(f, "F").boundary(0).num_curve_segments(), 0);
                    }},
        ContentCase{"OrdersOutsideTwoToTwentyFive",
                    "C = CURVE / 3, 0., 1., 2., 3., 0, -2, 1, 5., 6., 7.\n"
                    "S = SURF / 1, 1, 0., 1., 0., 1., 0, 30\n",
                    [](const vdaFile& f) {
                        const auto& c = entity<vdaCurve>(f, "C");
                        EXPECT_EQ(c.segment(0).order(), 0);
                        EXPECT_EQ(c.segment(1).order(), -2);
                        EXPECT_EQ(c.segment(2).coeffs(0), giPoint3(5, 6, 7));
                        EXPECT_EQ(entity<vdaSurf>(f, "S").patch(0, 0).v_order(), 30);
                        EXPECT_TRUE(entity<vdaSurf>(f, "S").patch(0, 0).all_coeffs().empty());
                    }},
        ContentCase{"ReversedAndEqualParametersAndTheSentinel",
                    "C = CURVE / 2, 1., 0., 0., 1, -1.7976931348623157E+308, 0., 0.,\n"
                    "  1, 1.7976931348623157E+308, 0., 0.\n",
                    [](const vdaFile& f) {
                        const auto& c = entity<vdaCurve>(f, "C");
                        EXPECT_EQ(c.segment(0).start_parameter(), 1.0);
                        EXPECT_EQ(c.segment(0).end_parameter(), 0.0);
                        EXPECT_EQ(c.segment(1).start_parameter(), c.segment(1).end_parameter());
                        EXPECT_EQ(c.segment(0).coeffs(0).x(), -max_double);
                        EXPECT_EQ(c.segment(1).coeffs(0).x(), max_double);
                        EXPECT_TRUE(f.warnings().empty());
                    }},
        ContentCase{"MissingAndWrongTypeReferences", "P = POINT / 0., 0., 0.\nN = CONS / NOSURF, P, 0., 1., 0\n",
                    [](const vdaFile& f) {
                        const auto& n = entity<vdaCons>(f, "N");
                        EXPECT_FALSE(n.basis_surface());
                        EXPECT_EQ(n.basis_surface_name(), utString("NOSURF"));
                        EXPECT_TRUE(n.curve_3d()->is_type(vdaPoint::id));
                    }},
        ContentCase{"DuplicateNamesResolveToTheFirst", "D = POINT / 1., 0., 0.\nD = POINT / 2., 0., 0.\n",
                    [](const vdaFile& f) {
                        EXPECT_EQ(f.size(), 3);
                        EXPECT_EQ(entity<vdaPoint>(f, "D").point().x(), 1.0);
                    }},
        ContentCase{"GroupThatContainsItself", "G = GROUP / 2, G, NOBODY\n", [](const vdaFile& f) {
                        const auto& g = entity<vdaGroup>(f, "G");
                        EXPECT_EQ(g.element(0)(), &g);
                        EXPECT_FALSE(g.element(1));
                    }}),
    [](const testing::TestParamInfo<ContentCase>& info) { return std::string(info.param.name); });

// --- malformed input: errors with line, column and what was expected

struct Malformed {
    const char* name;
    std::string text;
    int line;
    int column;
    const char* fragment;
};

class MalformedInput : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedInput, FailsWithPositionAndExpectation)
{
    const Malformed& m = GetParam();
    try {
        read(m.text);
        FAIL() << "read without error";
    } catch (const vdaReadError& e) {
        EXPECT_EQ(e.source(), "test.vda");
        EXPECT_EQ(e.line(), m.line) << e.what();
        EXPECT_EQ(e.column(), m.column) << e.what();
        EXPECT_NE(e.message().find(m.fragment), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).rfind("test.vda:" + std::to_string(m.line) + ":", 0), 0u) << e.what();
    }
}

const std::string h = "H = HEADER / 0\n";

INSTANTIATE_TEST_SUITE_P(
    Reader, MalformedInput,
    testing::Values(
        Malformed{"Empty", "", 1, 1, "expected the HEADER statement, found the end of the file"},
        Malformed{"NoHeader", "P = POINT / 1., 2., 3.\n", 1, 5, "expected the HEADER statement first, found 'POINT'"},
        Malformed{"HeaderTextMissing", "H = HEADER / 3\nline one\n", 1, 15,
                  "expected 3 text records after the HEADER, found 1"},
        Malformed{"SecondHeader", h + "H2 = HEADER / 0\n", 2, 6, "HEADER 'H2': the HEADER must be the first"},
        Malformed{"TruncatedStatement", h + "P = POINT / 1., 2.,\n", 2, 20, "POINT 'P': the file ends inside the statement"},
        Malformed{"MissingValue", h + "P = POINT / 1., 2.\n", 2, 19, "POINT 'P': expected 3 coordinates, found 2"},
        Malformed{"NameWhereANumberBelongs", h + "P = POINT / 1., X, 3.\n", 2, 17,
                  "expected a real number for the coordinate, found 'X'"},
        Malformed{"EmptyParameter", h + "P = POINT / 1.,, 3.\n", 2, 16, "found ','"},
        Malformed{"MissingComma", h + "P = POINT / 1. 2., 3.\n", 2, 16,
                  "expected ',' or the end of the record after a value, found '2.'"},
        Malformed{"MalformedNumber", h + "P = POINT / 1.2.3, 2., 3.\n", 2, 13, "found '1.2.3'"},
        Malformed{"TooManyValues", h + "P = POINT / 1., 2., 3., 4.\n", 2, 25, "expected the end of the statement"},
        Malformed{"UnknownCommandWord", h + "P = PUNKT / 1.\n", 2, 5, "unknown command word 'PUNKT'"},
        Malformed{"LowerCaseCommandWord", h + "P = point / 1., 2., 3.\n", 2, 5, "(command words are upper case)"},
        Malformed{"MissingEquals", h + "P POINT / 1., 2., 3.\n", 2, 3, "expected '=' after the name 'P'"},
        Malformed{"MissingSlash", h + "P = POINT 1., 2., 3.\n", 2, 11, "expected '/' after the command word"},
        Malformed{"HugeCountWithoutValues", h + "C = CURVE / 2000000000, 0., 1.\n", 2, 31,
                  "CURVE 'C': expected 2000000001 segment parameters, found 2"},
        Malformed{"HugeSurfaceWithoutPatches", h + "S = SURF / 100000, 100000, 0., 1.\n", 2, 34,
                  "expected 100001 u parameters, found 2"},
        Malformed{"CoefficientsOfASegment", h + "C = CURVE / 2, 0., 1., 2., 2, 1., 2., 3., 4., 5., 6.,\n 3, 1., 2.\n", 3, 11,
                  "CURVE 'C': expected 9 coefficients for segment 2, found 2"},
        Malformed{"NegativeCount", h + "PS = PSET / -1\n", 2, 15, "the number of points must not be negative, found -1"},
        Malformed{"RealCount", h + "C = CURVE / 1.5\n", 2, 13, "expected an integer for the number of segments, found 1.5"},
        Malformed{"IntegerOutOfRange", h + "PS = PSET / 2147483648\n", 2, 13, "out of range"},
        Malformed{"NumberTooLarge", h + "P = POINT / 1.E999, 0., 0.\n", 2, 13, "too large for a double"},
        Malformed{"DataBeyondColumn72", h + "P = POINT / 1., 2., 3." + std::string(58, ' ') + "1\n", 2, 81,
                  "data beyond column 72"},
        Malformed{"SeparatorInTheSequenceField", h + "P = POINT / 1., 2." + std::string(54, ' ') + ", 3.\n", 2, 73,
                  "data beyond column 72: ',' in the sequence field"},
        Malformed{"ContinuationThatLooksLikeANewStatement", h + "P = POINT / 1., 2.,\nQ = POINT / 1., 2., 3.\n", 3, 1,
                  "continues the statement"},
        Malformed{"UnmatchedEndset", h + "S = ENDSET\n", 2, 1, "ENDSET without a matching BEGINSET"},
        Malformed{"EndsetOfAnotherSet", h + "A = BEGINSET\nB = ENDSET\n", 3, 1, "does not match the open set 'A'"},
        Malformed{"ParametersAfterBeginset", h + "A = BEGINSET / 1\n", 2, 14, "expected nothing after the command word"},
        Malformed{"FaceBoundaryCut", h + "F = FACE / S, 2, 1, C, 0., 1.\n", 2, 30, "expected 2 boundaries, found 1"},
        Malformed{"TopSideCut", h + "T = TOP / 1, F1, 0\n", 2, 19, "expected the second side of surface pair 1"}),
    [](const testing::TestParamInfo<Malformed>& info) { return std::string(info.param.name); });

// --- deviations real writers produce: read, with a warning

struct Deviation {
    const char* name;
    std::string text;
    int line;
    int column;
    const char* fragment;
};

class ToleratedDeviation : public testing::TestWithParam<Deviation> {};

TEST_P(ToleratedDeviation, ReadsWithAWarning)
{
    const Deviation& d = GetParam();
    const auto file = read(d.text);
    ASSERT_FALSE(file->warnings().empty());
    const vdaReadWarning& w = file->warnings().front();
    EXPECT_EQ(w.line, d.line) << w.message;
    EXPECT_EQ(w.column, d.column) << w.message;
    EXPECT_NE(w.message.find(d.fragment), std::string::npos) << w.message;
    EXPECT_EQ(written(*file), d.text);
}

const std::string e = "H = END\n";

INSTANTIATE_TEST_SUITE_P(
    Reader, ToleratedDeviation,
    testing::Values(
        Deviation{"MissingEnd", h, 1, 1, "missing END statement"},
        Deviation{"EndNameDiffers", h + "X = END\n", 2, 1, "END 'X' does not carry the HEADER name 'H'"},
        Deviation{"RecordsAfterEnd", h + e + "garbage, / =\n", 3, 1, "records after END are ignored"},
        Deviation{"CommentBeforeHeader", "$$ written by hand\n" + h + e, 1, 1, "comment before the HEADER"},
        Deviation{"IndentedComment", h + "   $$ note\n" + e, 2, 4, "comment '$$' after leading blanks"},
        Deviation{"BlankRecord", h + "\n" + e, 2, 1, "blank record ignored"},
        Deviation{"Tab", h + "P = POINT /\t1., 2., 3.\n" + e, 2, 12, "TAB read as a blank"},
        Deviation{"LowerCaseName", h + "pt = POINT / 1., 2., 3.\n" + e, 2, 1, "non-standard name 'pt'"},
        Deviation{"LongName", h + "POINTNUMBER1 = POINT / 1., 2., 3.\n" + e, 2, 1, "non-standard name 'POINTNUMBER1'"},
        Deviation{"IntegerForReal", h + "P = POINT / 1, 2., 3.\n" + e, 2, 13,
                  "POINT 'P': number 1 without a decimal point where a real number is expected"},
        Deviation{"RealForInteger", h + "PS = PSET / 1., 0., 0., 0.\n" + e, 2, 13, "real 1. where an integer is expected"},
        Deviation{"LowerCaseExponent", h + "P = POINT / 1.e2, 2., 3.\n" + e, 2, 15, "lower-case exponent letter 'e'"},
        Deviation{"Underflow", h + "P = POINT / 1.E-400, 2., 3.\n" + e, 2, 13, "is read as 0"},
        Deviation{"DuplicateName", h + "P = POINT / 1., 2., 3.\nP = POINT / 4., 5., 6.\n" + e, 3, 1,
                  "duplicate name 'P' (first used on line 2)"},
        Deviation{"NestedSet", h + "A = BEGINSET\nB = BEGINSET\nB = ENDSET\nA = ENDSET\n" + e, 3, 1,
                  "set 'B' is nested in set 'A'"},
        Deviation{"UnclosedSet", h + "A = BEGINSET\nP = POINT / 1., 2., 3.\n" + e, 2, 1, "set 'A' is not closed; it ends at END"}),
    [](const testing::TestParamInfo<Deviation>& info) { return std::string(info.param.name); });

TEST(Reader, NumbersReadExactlyInEveryAllowedSpelling)
{
    const auto file = read(h + "P = PSET / 4, +1., -.5, 2.D-03, 1.E3, 0.6287E-12, 5.,\n"
                               " 0.1000000000000000055511151231257827, 4.9406564584124654E-324, -0.,\n"
                               " 12345678901234567., -1.7976931348623157E+308, 1.7976931348623157D+308\n" + e);
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
    const auto file = read(h + "A = BEGINSET\nP = POINT / 1., 2., 3.\nB = BEGINSET\nQ = POINT / 1., 2., 3.\n"
                               "B = ENDSET\nR = POINT / 1., 2., 3.\nA = ENDSET\nS = POINT / 1., 2., 3.\n" + e);
    const auto& a = entity<vdaBeginSet>(*file, "A");
    ASSERT_EQ(a.num_elements(), 3);
    EXPECT_EQ(a.element_name(0), utString("P"));
    EXPECT_EQ(a.element_name(1), utString("B"));
    EXPECT_EQ(a.element_name(2), utString("R"));
    ASSERT_EQ(entity<vdaBeginSet>(*file, "B").num_elements(), 1);
    EXPECT_FALSE(a.changed());
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
    const auto file = read(text);
    EXPECT_EQ(file->size(), depth + 1);
    EXPECT_EQ(written(*file), text);
    change_all(*file);
    const auto again = read(written(*file));
    EXPECT_EQ(vda_first_difference(*file, *again), "");
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
    text += "\n" + e;
    const auto file = read(text);
    EXPECT_EQ(entity<vdaPset>(*file, "P").num_points(), 333333);
}

TEST(Reader, ReportsProgressUpToTheTotal)
{
    std::string text = h;
    while (text.size() < (9u << 20))
        text += "P = POINT / 1.2345678901234567, 2.2345678901234567, 3.2345678901234567\n";
    std::vector<std::uint64_t> done;
    vdaFile::ReadOptions options;
    options.progress = [&](std::uint64_t d, std::uint64_t total) {
        EXPECT_EQ(total, text.size());
        done.push_back(d);
    };
    vdaFile::read(text, "big.vda", options);
    ASSERT_GE(done.size(), 3u);
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), text.size());
}

TEST(Reader, LoadNamesTheFileItCannotOpen)
{
    try {
        vdaFile::load("/nonexistent/part.vda");
        FAIL();
    } catch (const vdaReadError& error) {
        EXPECT_EQ(error.source(), "/nonexistent/part.vda");
        EXPECT_EQ(error.line(), 0);
        EXPECT_NE(std::string(error.what()).find("/nonexistent/part.vda: cannot read the file"), std::string::npos);
    }
}

}  // namespace
