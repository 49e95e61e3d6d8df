// What vdc_convert does with what it cannot take: outputs it cannot write, models with nothing to convert,
// faces whose boundaries or surfaces do not join; that every entity is accounted for, and a face of a shell
// written once; and the run library's result of a conversion.
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include <vdacheck/exchange/vdc_convert.h>
#include <vdacheck/exchange/vdc_run_convert.h>
#include <vdacheck/run/vdc_profile.h>

#include "exchange_support.h"

namespace {

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const vdcLeftOutEntity* left_out(const vdcConvertResult& result, std::string_view entity)
{
    for (const vdcLeftOutEntity& e : result.left_out)
        if (e.entity == entity)
            return &e;
    return nullptr;
}

// A flat 100 x 60 face whose four pieces are listed in the order 1, 3, 2, 4.
constexpr const char* shuffled_boundary = R"(SHUFFLE  = HEADER / 0
PANEL    = SURF / 1, 1, 0., 1., 0., 1., 2, 2, 0., 100., 0., 0.,
           0., 0., 60., 0., 0., 0., 0., 0.
K1       = CURVE / 1, 0., 1., 2, 0., 100., 0., 0., 0., 0.
K2       = CURVE / 1, 0., 1., 2, 100., 0., 0., 60., 0., 0.
K3       = CURVE / 1, 0., 1., 2, 100., -100., 60., 0., 0., 0.
K4       = CURVE / 1, 0., 1., 2, 0., 0., 60., -60., 0., 0.
C1       = CONS / PANEL, K1, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.
C2       = CONS / PANEL, K2, 0., 1., 1, 0., 1., 2, 1., 0., 0., 1.
C3       = CONS / PANEL, K3, 0., 1., 1, 0., 1., 2, 1., -1., 1., 0.
C4       = CONS / PANEL, K4, 0., 1., 1, 0., 1., 2, 0., 0., 1., -1.
F1       = FACE / PANEL, 1, 4, C1, 0., 1., C3, 0., 1., C2, 0., 1.,
           C4, 0., 1.
SHUFFLE  = END
)";

}  // namespace

TEST(ExchangeConvert, RefusesOutputsItCannotWriteAndLeavesWhatWasThere)
{
    const std::filesystem::path dir = vdatest::scratch("refuse");
    std::ofstream(dir / "kept.step") << "kept";
    std::ofstream(dir / "file") << "a file";
    struct Case {
        std::filesystem::path output;
        std::optional<vdcExchangeFormat> format;
        const char* says;
    };
    const Case cases[] = {
        {dir / "model.txt", std::nullopt, "cannot tell the format of"},
        {dir / "model", std::nullopt, "cannot tell the format of"},
        {dir / "missing" / "model.step", std::nullopt, "is no folder"},
        {dir / "file" / "model.glb", std::nullopt, "is no folder"},
        {dir, vdcExchangeFormat::step, "it is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output.string());
        const std::unique_ptr<vdaFile> file = vdatest_random_model(1, 1);
        vdcConvertOptions options;
        options.format = c.format;
        try {
            vdc_convert(*file, c.output, options);
            ADD_FAILURE() << "no error";
        } catch (const vdcConvertError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.output.string()), std::string::npos) << e.what();
        }
    }
    // Nothing beside the files that were there.
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"file", "kept.step"}));
}

TEST(ExchangeConvert, WritesNothingWhenEverythingIsLeftOut)
{
    const std::filesystem::path dir = vdatest::scratch("nothing");
    const std::unique_ptr<vdaFile> file =
        vdatest::read_text("NONE = HEADER / 0\nPT = POINT / -1.7976931348623157E+308, 0., 0.\nNONE = END\n");
    for (const char* name : {"kept.step", "kept.igs", "kept.glb"}) {
        std::ofstream(dir / name) << "kept";
        const vdcConvertResult result = vdc_convert(*file, dir / name);
        EXPECT_FALSE(result.written);
        EXPECT_NE(result.message.find("nothing to convert"), std::string::npos) << result.message;
        ASSERT_EQ(result.left_out.size(), 1u);
        EXPECT_EQ(result.left_out[0].rule, "point-validity");
        EXPECT_EQ(slurp(dir / name), "kept");
    }
}

// Gaps the tolerances do not bridge leave their entities out with the measured value; a boundary listed out
// of order is mended by ordering its pieces end to end, in STEP; glTF, drawn from the boundaries as given,
// leaves such a face out.
TEST(ExchangeConvert, LeavesOutWhatDoesNotJoinWithTheMeasuredGap)
{
    const std::filesystem::path dir = vdatest::scratch("gaps");
    const std::string source = VDACHECK_SOURCE_DIR;
    struct Case {
        std::unique_ptr<vdaFile> file;
        const char* output;
        const char* entity;
        const char* rule;  // empty: exported, mended
        double value;
    };
    Case cases[] = {
        {vdaReader::load(source + "/tests/data/quality_gaps.vda"), "gaps.step", "F1", "face-loop-gap", 0.6},
        {vdaReader::load(source + "/tests/data/quality_gaps.vda"), "gaps.step", "PLATE", "surf-patch-gap", 0.05},
        {vdaReader::load(source + "/tests/data/samples/OpenVDAFS__SURF_FLAE0001.vda"), "flae.igs", "FLAE0001",
         "surf-patch-gap", 8.87381},
        {vdatest::read_text(shuffled_boundary), "shuffled.step", "F1", "", 0.0},
        {vdatest::read_text(shuffled_boundary), "shuffled.glb", "F1", "face-loop-gap", std::hypot(100.0, 60.0)},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(std::string(c.output) + " " + c.entity);
        const vdcConvertResult result = vdc_convert(*c.file, dir / c.output);
        const vdcLeftOutEntity* out = left_out(result, c.entity);
        if (*c.rule == '\0') {
            EXPECT_EQ(out, nullptr);
            EXPECT_EQ(result.counts.faces, 1u);
            const auto face = std::find_if(result.exported.begin(), result.exported.end(),
                                           [&](const vdcConvertedEntity& e) { return e.entity == c.entity; });
            ASSERT_NE(face, result.exported.end());
            EXPECT_EQ(face->as, "face (its boundary pieces ordered end to end by shape healing)");
            continue;
        }
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(out->rule, c.rule);
        EXPECT_NEAR(out->value, c.value, 1e-4 * c.value);
        EXPECT_EQ(out->tolerance, 0.02);
        EXPECT_EQ(out->unit, "mm");
    }
}

// Without repair, the bracket's faults are left out with their rules, and what uses them with the entity it
// uses; every entity but the HEADER is either exported or left out, and the STEP file holds the rest.
TEST(ExchangeConvert, AccountsForEveryEntity)
{
    const std::filesystem::path dir = vdatest::scratch("account");
    const std::unique_ptr<vdaFile> file = vdaReader::load(std::string(VDACHECK_SOURCE_DIR) + "/examples/bracket.vda");
    const vdcConvertResult result = vdc_convert(*file, dir / "bracket.stp");
    EXPECT_TRUE(result.written);
    std::set<std::string> named;
    for (const vdcConvertedEntity& e : result.exported)
        EXPECT_TRUE(named.insert(e.entity).second) << e.entity << " exported twice";
    for (const vdcLeftOutEntity& e : result.left_out) {
        EXPECT_NE(vdc_find_rule(e.rule), nullptr) << e.rule << " is no rule of the registry";
        named.insert(e.entity);
        for (const vdcConvertedEntity& x : result.exported)
            EXPECT_NE(x.entity, e.entity) << "both exported and left out";
    }
    EXPECT_EQ(named.size(), std::size_t(file->size() - 1));
    EXPECT_EQ(left_out(result, "FC2")->rule, "curve-segment-orders");
    EXPECT_EQ(left_out(result, "FLANGE")->reason, "trimmed only by FACE F2, which is left out");
    EXPECT_EQ(left_out(result, "TM1")->reason, "no exported TLIST uses it");
    const std::string step = slurp(dir / "bracket.stp");
    for (const char* product : {"'BRACKET'", "'CI2'", "'PS1'", "'HOLES'", "'PT3'"})
        EXPECT_NE(step.find(std::string("PRODUCT(") + product), std::string::npos) << product;
    // IGES carries no assemblies: the set is listed as left out, its points are written.
    const vdcConvertResult iges = vdc_convert(*file, dir / "bracket.igs");
    ASSERT_NE(left_out(iges, "HOLES"), nullptr);
    EXPECT_EQ(left_out(iges, "HOLES")->rule, "convert-format");
    EXPECT_EQ(left_out(iges, "PT3"), nullptr);
}

// A face of a shell is written once, in its shell: a group that lists it does not place it again, and says so;
// a TLIST still places a moved copy of a face of its own.
TEST(ExchangeConvert, AFaceOfAShellIsWrittenOnceInItsShell)
{
    const std::filesystem::path dir = vdatest::scratch("shell-face");
    const std::unique_ptr<vdaFile> file = vdatest_random_model(1, 4);  // G3 lists FL3 of shell T3; TL1 FR1 of T1
    const vdcConvertResult result = vdc_convert(*file, dir / "random.step");
    const auto g3 = std::find_if(result.exported.begin(), result.exported.end(),
                                 [](const vdcConvertedEntity& e) { return e.entity == "G3"; });
    ASSERT_NE(g3, result.exported.end());
    EXPECT_EQ(g3->as, "assembly (its faces that are in shells are written in their shells only)");
    const std::string step = slurp(dir / "random.step");
    const auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = step.find(text); at != std::string::npos; at = step.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("ADVANCED_FACE('FL3'"), 1u);
    EXPECT_EQ(count("PRODUCT('FL3'"), 0u);
    EXPECT_EQ(count("PRODUCT('FR1'"), 1u);
}

// The run library's result of a conversion: the entities left out are problems at the profile's severity (a
// rule switched off still lists them, as notes), and the run is clean when none of them fails; what the
// format does not carry is a note.
TEST(ExchangeRunConvert, LeftOutEntitiesAreProblemsAtTheProfilesSeverity)
{
    const std::filesystem::path dir = vdatest::scratch("run-convert");
    const std::string source = VDACHECK_SOURCE_DIR;
    struct Case {
        const char* output;
        bool repair;
        const char* profile;
        bool clean;
    };
    const Case cases[] = {
        {"bracket.step", false, R"({"rules": {"face-cons-ptr": {"enabled": false}}})", false},
        {"bracket.step", false, R"({"rules": {"convert-unused": {"severity": "note"}}})", false},
        {"bracket.igs", true, "{}", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        const std::unique_ptr<vdaFile> file = vdaReader::load(source + "/examples/bracket.vda");
        vdcRunOptions options;
        options.profile = vdcProfile::parse(c.profile, "profile");
        options.output = dir / c.output;
        vdcConvertOptions convert;
        convert.repair = c.repair;
        const vdcRunResult result = vdc_run_convert(*file, options, convert);
        EXPECT_EQ(result.command, vdcCommand::convert);
        EXPECT_EQ(result.saved_to, options.output.string());
        EXPECT_EQ(result.clean, c.clean);
        EXPECT_EQ(result.rounds.empty(), !c.repair);
        ASSERT_FALSE(result.left_out.empty());
        for (const vdcProblem& p : result.left_out) {
            ASSERT_NE(p.rule, nullptr);
            const vdcSeverity expected =
                !options.profile.enabled(*p.rule) ? vdcSeverity::note : options.profile.severity(*p.rule);
            EXPECT_EQ(p.severity, expected) << p.id();
            EXPECT_EQ(p.fails(), p.severity != vdcSeverity::note);
        }
    }
}
