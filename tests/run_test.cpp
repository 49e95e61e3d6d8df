// The run library: what a profile changes in a run's result and what it never changes, the refusals of the
// profile reader, the report page's rows and entities, and the current file around every call.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <synthetic_model.h>
#include <vdacheck/run/vdc_run.h>
#include <vdacheck/vdacheck.h>

#include "vda_test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path source_dir = VDACHECK_SOURCE_DIR;
const std::string bracket = "examples/bracket.vda";
const std::string gaps = "tests/data/quality_gaps.vda";

std::unique_ptr<vdaFile> load(const std::string& path) { return vdaReader::load(source_dir / path); }

// The rule ids of `problems` with their severities, in order: "face-loop-gap note".
std::vector<std::string> reported(const std::vector<vdcProblem>& problems)
{
    std::vector<std::string> ids;
    for (const vdcProblem& p : problems)
        ids.push_back(std::string(p.id()) + ' ' + vdc_severity_name(p.severity));
    return ids;
}

vdcRunResult check(const std::string& path, const std::string& profile, bool quality)
{
    vdcRunOptions options;
    options.profile = vdcProfile::parse(profile, "p.json");
    options.quality = quality;
    options.threads = 1;
    return vdcRun(options).check(*load(path));
}

// A profile switches rules off and sets severities of every kind of rule; notes, and reader warnings short
// of errors, leave the model clean.
TEST(RunProfile, RulesAreSwitchedOffOrReportedAtTheSeverityGiven)
{
    struct Case {
        std::string path;
        std::string profile;
        bool quality;
        bool clean;
        std::vector<std::string> warnings;
        std::vector<std::string> findings;
    };
    const std::string sp1 = "tests/data/samples/OpenVDAFS__CURVE_SP1.vda";  // clean but for a missing END
    const Case cases[] = {
        {gaps, "{}", true, false, {}, {"surf-patch-gap warning", "face-loop-gap warning"}},
        {gaps,
         R"({"rules": {"surf-patch-gap": {"severity": "note"}, "face-loop-gap": {"enabled": false}}})",
         true,
         true,
         {},
         {"surf-patch-gap note"}},
        {gaps,
         R"({"rules": {"face-loop-gap": {"severity": "error", "tolerance": 0.7}}})",
         true,
         false,
         {},
         {"surf-patch-gap warning"}},
        {sp1, "{}", false, true, {"read-missing-end warning"}, {}},
        {sp1,
         R"({"rules": {"read-missing-end": {"severity": "error"}}})",
         false,
         false,
         {"read-missing-end error"},
         {}},
        {sp1, R"({"rules": {"read-missing-end": {"enabled": false}}})", false, true, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + ' ' + c.profile);
        const vdcRunResult result = check(c.path, c.profile, c.quality);
        EXPECT_EQ(result.clean, c.clean);
        EXPECT_EQ(reported(result.warnings), c.warnings);
        EXPECT_EQ(reported(result.findings), c.findings);
    }

    // On the sample: one rule off, another a note; the other 15 packets stay errors.
    const vdcRunResult sample = check(
        bracket, R"({"rules": {"cons-trimming-params": {"enabled": false}, "point-validity": {"severity": "note"}}})",
        false);
    const std::vector<std::string> ids = reported(sample.errors);
    EXPECT_EQ(ids.size(), 17u);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "point-validity note"), 1);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "cons-trimming-params error"), 0);
    EXPECT_FALSE(sample.clean);
}

// What fix, clean and repair do to the model does not depend on the profile, even one that reports nothing.
TEST(RunProfile, NeverChangesWhatIsRepairedOrDeleted)
{
    vdcProfile silent;
    for (const vdcRule& rule : vdc_rules())
        silent.set_enabled(rule, false);
    for (const vdcCommand command : {vdcCommand::fix, vdcCommand::repair}) {
        for (const bool clean : {false, true}) {
            SCOPED_TRACE(std::to_string(int(command)) + (clean ? " clean" : ""));
            vdcRunOptions options;
            options.clean = clean;
            const auto plain = load(bracket);
            const vdcRunResult expected = vdcRun(options).run(command, *plain);
            options.profile = silent;
            const auto quiet = load(bracket);
            const vdcRunResult result = vdcRun(options).run(command, *quiet);
            EXPECT_EQ(vdatest::written(*quiet), vdatest::written(*plain));
            EXPECT_EQ(result.deleted, expected.deleted);
            EXPECT_TRUE(result.errors.empty() && result.repaired.empty());
            EXPECT_TRUE(result.clean);
            EXPECT_FALSE(expected.repaired.empty());
        }
    }
}

// A profile the reader refuses names the file and what is wrong with which key; nothing else is read.
TEST(RunProfile, RefusalsNameTheFileAndTheKey)
{
    const fs::path dir = fs::temp_directory_path() / ("vdacheck_profiles_" + std::to_string(getpid()));
    fs::create_directories(dir / "folder.json");
    struct Case {
        const char* text;  // null: the file is the folder
        const char* why;   // after "PATH: "
    };
    const Case cases[] = {
        {R"({"rules": {"surf-gap": {}}})", R"("surf-gap" is not a quality rule, nor a check or reader rule)"},
        {R"({"rule": {}})", R"(unknown key "rule")"},
        {R"({"rules": {"surf-patch-gap": {"tol": 1}}})", R"(unknown key "tol" in rule "surf-patch-gap")"},
        {"{\"rules\": {\"surf-patch-gap\": {\"tolerance\": 0.01},\n \"surf-patch-gap\": {\"tolerance\": 9}}}",
         R"(line 2, column 2: the key "surf-patch-gap" is given twice in one object)"},
        {R"({"rules": {"surf-patch-gap": {"tolerance": 1e400}}})",
         R"(line 1, column 44: the number 1e400 of "tolerance" is beyond the range of a double)"},
        {R"({"rules": {"surf-patch-gap": {"tolerance": -1}}})",
         R"("tolerance" of rule "surf-patch-gap" is a number of at least 0)"},
        {R"({"rules": {"top-continuity": {"tolerance": 181}}})",
         R"("tolerance" of rule "top-continuity" is a number of at least 0 and at most 180)"},
        {R"({"rules": {"cons-curve-ptr": {"tolerance": 1}}})",
         R"("tolerance" of rule "cons-curve-ptr": the rule measures nothing)"},
        {R"({"rules": {"read-tab": {"severity": "info"}}})",
         R"("severity" of rule "read-tab" is "error", "warning" or "note")"},
        {R"({"rules": {"read-tab": {"enabled": "no"}}})", R"("enabled" of rule "read-tab" is true or false)"},
        {R"({"rules": {"read-tab": {}},})", "not valid JSON at line 1, column 28: expected a key in double quotes"},
        {"[]", "a profile is a JSON object"},
        {nullptr, "cannot read the profile: it is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        fs::path path = dir / "folder.json";
        if (c.text) {
            path = dir / "profile.json";
            std::ofstream(path) << c.text;
        }
        try {
            vdcProfile::load(path);
            ADD_FAILURE() << "accepted";
        } catch (const vdcProfileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(path.string() + ": " + c.why, 0), 0u) << e.what();
        }
    }
    EXPECT_THROW(vdcProfile::load(dir / "missing.json", "quality profile"), vdcProfileError);
    fs::remove_all(dir);
}

vdcReport page_of(const std::string& path, bool quality)
{
    vdcRunOptions options;
    options.quality = quality;
    options.threads = 1;
    const vdcRun run(options);
    const auto file = load(path);
    return run.page(*file, run.check(*file));
}

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// An entity whose every packet is a reference to a faulty entity refers to faulty ones; one packet of its
// own, or a quality finding, makes it faulty.
TEST(RunPage, FaultyAndReferringEntities)
{
    struct Case {
        const char* file;
        bool quality;
        std::vector<std::string> faulty;
        std::vector<std::string> referring;
        std::size_t rows;
    };
    const Case cases[] = {
        // F2 refers to a faulty cons and has faulty trims of its own; F1 and T1 only refer.
        {"examples/bracket.vda", false, {"B3", "CI1", "CI3", "F2", "FC2", "PT2"}, {"F1", "FL2", "G1", "T1", "TL1"}, 18},
        {"tests/data/quality_gaps.vda", false, {}, {}, 0},
        {"tests/data/quality_gaps.vda", true, {"F1", "PLATE"}, {}, 2},
        {"tests/data/samples/OpenVDAFS__FC267.vda", true, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.quality ? " --quality" : ""));
        const vdcReport page = page_of(c.file, c.quality);
        EXPECT_EQ(sorted(page.faulty), c.faulty);
        EXPECT_EQ(sorted(page.referring), c.referring);
        EXPECT_EQ(page.problems.size(), c.rows);
    }
}

// Findings follow the packets, with their measured value, tolerance, unit and place by name.
TEST(RunPage, FindingsAreRowsWithTheirPlace)
{
    const vdcReport page = page_of(gaps, true);
    ASSERT_EQ(page.problems.size(), 2u);
    const vdcProblem& seam = page.problems[0];
    EXPECT_EQ(seam.id(), "surf-patch-gap");
    EXPECT_EQ(seam.entity, "PLATE");
    EXPECT_EQ(seam.line, 4);
    EXPECT_NEAR(*seam.value, 0.05, 1e-9);
    EXPECT_EQ(seam.tolerance, 0.02);
    EXPECT_EQ(seam.unit(), "mm");
    EXPECT_EQ(std::vector<std::string>(seam.index_names().begin(), seam.index_names().end()),
              (std::vector<std::string>{"patch_u", "patch_v", "direction"}));
    EXPECT_EQ(seam.ints, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(seam.doubles.size(), seam.parameter_names().size());
    ASSERT_TRUE(seam.point);
    EXPECT_NEAR(seam.point->x(), 50.0, 1e-9);  // on the seam between the patches
    EXPECT_EQ(page.problems[1].id(), "face-loop-gap");
    EXPECT_NEAR(*page.problems[1].value, 0.6, 1e-9);  // 1% of the panel's 60 mm
}

// Each call works in its model's name space, and the file current before is current again afterwards.
TEST(Run, EveryCallRestoresTheCurrentFile)
{
    const fs::path page = fs::temp_directory_path() / ("vdacheck_run_page_" + std::to_string(getpid()) + ".html");
    for (const vdcCommand command :
         {vdcCommand::check, vdcCommand::fix, vdcCommand::repair, vdcCommand::report, vdcCommand::heal}) {
        SCOPED_TRACE(int(command));
        const auto file = load(bracket);
        const auto other = load(gaps);  // made last: current
        vdcRunOptions options;
        options.output = command == vdcCommand::report ? page : fs::path();
        const vdcRunResult result = vdcRun(options).run(command, *file);
        EXPECT_EQ(vdaFile::current(), other.get());
        EXPECT_EQ(result.command, command);
        EXPECT_TRUE(result.output_error.empty()) << result.output_error;
    }
    fs::remove(page);
}

// A token that asks to stop at its `looks`th look (each look polls), noting the threads that polled it.
utCancel stop_at(int looks, std::vector<std::thread::id>& pollers)
{
    return utCancel(
        [&pollers, looks] {
            pollers.push_back(std::this_thread::get_id());
            return static_cast<int>(pollers.size()) >= looks;
        },
        std::chrono::milliseconds(0));
}

// A cancelled call throws, writes nothing and, but for repair's finished steps, leaves the model as it was;
// the token is polled on the calling thread only. The model is small enough for its check to run on the
// calling thread, so that each entity checked is one look; the quality run and the drawing, on one thread,
// look once per entity too. (On several, the calling thread looks as it takes its share of the work.)
TEST(RunCancel, ACancelledCallThrowsWritesNothingAndLeavesTheModelAsItWas)
{
    const std::string text = vda_synthetic_model(std::size_t{256} << 10);
    const auto original = vdaReader::read(text, "model.vda");
    const int entities = original->size();
    const fs::path output = fs::temp_directory_path() / ("vdacheck_cancelled_" + std::to_string(getpid()));
    struct Case {
        vdcCommand command;
        bool quality;
        int looks;
        bool unchanged;
    };
    const Case cases[] = {
        {vdcCommand::check, true, 1, true},
        {vdcCommand::check, true, entities / 2, true},    // in the checker's walk
        {vdcCommand::check, true, entities + 5, true},    // in the quality run
        {vdcCommand::report, false, entities + 5, true},  // in the drawing
        {vdcCommand::fix, false, entities / 2, true},
        {vdcCommand::repair, false, entities / 2, true},
        {vdcCommand::repair, false, entities + 5, false},  // in the second check of round 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.command)) + " at look " + std::to_string(c.looks));
        fs::remove(output);
        const auto file = vdaReader::read(text, "model.vda");
        std::vector<std::thread::id> pollers;
        vdcRunOptions options;
        options.quality = c.quality;
        options.threads = 1;
        options.output = c.command == vdcCommand::check ? fs::path() : output;
        options.cancel = stop_at(c.looks, pollers);
        EXPECT_THROW(vdcRun(options).run(c.command, *file), utCancelled);
        EXPECT_EQ(static_cast<int>(pollers.size()), c.looks);
        EXPECT_EQ(std::count(pollers.begin(), pollers.end(), std::this_thread::get_id()), c.looks);
        EXPECT_FALSE(fs::exists(output));
        if (c.unchanged)
            EXPECT_EQ(vda_first_difference(*original, *file), "");
        else
            EXPECT_TRUE(vdc_repair(*file).clean) << "a model repair was stopped in repairs on";
    }

    // Reading: statement by statement, in chunks on threads, and a stream block by block.
    for (const unsigned threads : {1u, 4u}) {
        for (const int looks : {1, 3}) {
            SCOPED_TRACE(std::to_string(threads) + " threads, stopped at look " + std::to_string(looks));
            std::vector<std::thread::id> pollers;
            vdaReadOptions read;
            read.threads = threads;
            read.chunk_bytes = 16 << 10;
            read.block_bytes = 16 << 10;
            read.cancel = stop_at(looks, pollers);
            EXPECT_THROW(vdaReader::read(text, "model.vda", read), utCancelled);
            EXPECT_EQ(std::count(pollers.begin(), pollers.end(), std::this_thread::get_id()), looks);
            std::istringstream stream(text);
            std::vector<std::thread::id> stream_pollers;
            read.cancel = stop_at(looks, stream_pollers);
            EXPECT_THROW(vdaReader::read(stream, "model.vda", read), utCancelled);
            EXPECT_EQ(std::count(stream_pollers.begin(), stream_pollers.end(), std::this_thread::get_id()), looks);
        }
    }
}

}  // namespace
