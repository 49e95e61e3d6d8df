// End-to-end tests: run the built vdacheck tool on files and compare its reports, exit status and output.
// VDACHECK_UPDATE_GOLDENS=1 rewrites the golden reports under tests/data/golden from the tool's output.

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <synthetic_model.h>
#include <vdacheck/vdacheck.h>

#include "vda_test_support.h"

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
#  define VDACHECK_TEST_ASAN 1
#elif defined(__has_feature)
#  if __has_feature(address_sanitizer)
#    define VDACHECK_TEST_ASAN 1
#  endif
#endif

namespace {

const fs::path source_dir = VDACHECK_SOURCE_DIR;

using vdatest::slurp;

void spit(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string quoted(const fs::path& path)
{
    std::string s(1, '\'');
    s += path.string();
    s += '\'';
    return s;
}

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

class ToolRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch = fs::temp_directory_path() / ("vdacheck_tool_test_" + std::to_string(getpid()));
        fs::create_directories(scratch);
    }
    static void TearDownTestSuite() { fs::remove_all(scratch); }

    // Runs the tool with `args` in the source folder (so reports name files as the arguments do), through
    // `launcher` (a command that runs the one after it) when one is given.
    static ToolResult tool(const std::string& args, const fs::path& input = "/dev/null",
                           const std::string& launcher = "")
    {
        const fs::path out = scratch / "stdout.txt";
        const fs::path err = scratch / "stderr.txt";
        const std::string command = "cd " + quoted(source_dir) + " && " + launcher + quoted(VDACHECK_TOOL) + " " +
                                    args + " <" + quoted(input) + " >" + quoted(out) + " 2>" + quoted(err);
        const int result = std::system(command.c_str());
        ToolResult run;
        run.status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
        run.out = slurp(out);
        run.err = slurp(err);
        return run;
    }

    // Compares `text` with a golden file, or rewrites the golden when asked to.
    static void expect_golden(const std::string& text, const std::string& golden)
    {
        const fs::path path = source_dir / "tests/data/golden" / golden;
        if (std::getenv("VDACHECK_UPDATE_GOLDENS")) {
            spit(path, text);
            return;
        }
        EXPECT_EQ(text, slurp(path)) << "golden " << golden;
    }

    // The model at `path` as the checker sees it: 1 when it checks clean.
    static int checks_clean(const fs::path& path)
    {
        const auto file = vdaReader::load(path);
        vdcFileCheck checker;
        return checker.check(*file);
    }

    static inline fs::path scratch;
};

const std::string bracket = "examples/bracket.vda";

TEST_F(ToolRun, GoldenReportsOfTheSample)
{
    struct Case {
        std::string args;
        int status;
        std::string golden;
        fs::path input = "/dev/null";
    };
    const fs::path out = scratch / "bracket.out.vda";
    const Case cases[] = {
        {"check " + bracket + " --format json", 1, "bracket.check.json"},
        {"check - --stdin-name " + bracket + " --format json", 1, "bracket.check.json", source_dir / bracket},
        {"check " + bracket, 1, "bracket.check.txt"},
        {"fix " + bracket + " -o " + quoted(out) + " --format json", 1, "bracket.fix.json"},
        {"fix " + bracket + " -o " + quoted(out) + " --clean --format json", 1, "bracket.fix-clean.json"},
        {"repair " + bracket + " -o " + quoted(out) + " --format json", 0, "bracket.repair.json"},
        {"repair " + bracket + " -o " + quoted(out) + " --threads 1 --format json", 0, "bracket.repair.json"},
    };
    const std::string original = slurp(source_dir / bracket);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolResult run = tool(c.args, c.input);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, "");
        expect_golden(run.out, c.golden);
    }
    EXPECT_EQ(slurp(source_dir / bracket), original) << "the input must never be written";
}

// The exit status, the reports on standard output and the message on standard error, for files that check
// clean, have problems, cannot be read or are not there, and for a command line that is refused. A file the
// reader rejects is named with the line and column where it went wrong, and nothing is written for it.
TEST_F(ToolRun, ExitStatusReportsAndMessages)
{
    const fs::path clean = scratch / "clean.vda";
    ASSERT_EQ(tool("repair " + bracket + " -o " + quoted(clean)).status, 0);
    const fs::path bad = scratch / "bad.vda";
    spit(bad, "BAD      = HEADER / 0\nP1       = POINT / 1., 2., 3.\nP2       = PIONT / 1., 2., 3.\nBAD      = END\n");
    const std::string at_bad = bad.string() + ":3:12: error: ";
    const fs::path out = scratch / "bad.out.vda";
    struct Case {
        std::string args;
        int status;
        int reports;           // JSON objects on standard output
        std::string err = "";  // how standard error starts
    };
    const Case cases[] = {
        {"check " + quoted(clean) + " --format json", 0, 1},
        {"check " + quoted(clean) + " " + bracket + " --format json", 1, 2},
        {"check missing.vda " + quoted(clean) + " --format json", 2, 1,
         "missing.vda: error: "},  // the readable file is still reported
        {"check " + bracket + " no/such/file.vda --format json", 2, 1, "no/such/file.vda: error: "},
        {"fix " + quoted(clean) + " -o " + quoted(scratch / "again.vda") + " --format json", 0, 1},
        {"check " + quoted(bad) + " --format json", 2, 0, at_bad},
        {"fix " + quoted(bad) + " -o " + quoted(out) + " --format json", 2, 0, at_bad},
        {"repair " + quoted(bad) + " -o " + quoted(out), 2, 0, at_bad},
        {"check", 2, 0, "vdacheck: check needs at least one file or folder"},
        {"report examples -o " + quoted(scratch / "page.html"), 2, 0,
         "vdacheck: report draws one file, and examples is a folder\n"},
        {"--help", 0, 0},
        {"--version", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolResult run = tool(c.args);
        EXPECT_EQ(run.status, c.status);
        int objects = 0;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);)
            objects += line.starts_with("{\"file\": ") && line.ends_with('}');
        EXPECT_EQ(objects, c.reports) << run.out;
        EXPECT_TRUE(run.err.starts_with(c.err)) << run.err;
        EXPECT_EQ(run.err.empty(), c.err.empty()) << run.err;
        if (c.err == at_bad) {
            EXPECT_EQ(run.out, "");
            EXPECT_NE(run.err.find("PIONT"), std::string::npos) << run.err;
        }
    }
    EXPECT_FALSE(fs::exists(out));
}

// repair ends with a model that checks clean, whatever the faults: the sample, the bundled samples and
// fuzzing seeds, and a synthetic model with faults of every kind.
TEST_F(ToolRun, RepairReachesAFileThatChecksClean)
{
    std::vector<fs::path> inputs = {source_dir / bracket};
    for (const char* folder : {"tests/data/samples", "fuzz/corpus"})
        for (const auto& entry : fs::directory_iterator(source_dir / folder))
            if (entry.path().extension() == ".vda")
                inputs.push_back(entry.path());
    const fs::path synthetic = scratch / "synthetic.vda";
    spit(synthetic, vda_synthetic_model(std::size_t{2} << 20));
    inputs.push_back(synthetic);

    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const fs::path out = scratch / "repaired.vda";
        fs::remove(out);
        const ToolResult run = tool("repair " + quoted(input) + " -o " + quoted(out));
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(checks_clean(out), 1);
    }
}

// --quality measures the geometry: the sample's open seam is reported with its value and place, counts for
// the exit status, and a profile can switch rules off or change their tolerance.
TEST_F(ToolRun, QualityFindingsCountAndProfilesTuneThem)
{
    const std::string flae = "tests/data/samples/OpenVDAFS__SURF_FLAE0001.vda";
    EXPECT_EQ(tool("check " + flae).status, 0);  // structurally clean

    const ToolResult json = tool("check " + flae + " --quality --format json");
    EXPECT_EQ(json.status, 1);
    const std::string seam =
        R"({"rule": "surf-patch-gap", "entity": "FLAE0001", "type": "SURF", "line": 22, "value": 8.87)";
    EXPECT_NE(json.out.find(seam), std::string::npos) << json.out;
    EXPECT_NE(json.out.find(R"("parameters": {"s": 1, "t": 1}, "point": [9.99)"), std::string::npos) << json.out;

    const ToolResult text = tool("check " + flae + " --quality --threads 1");
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find("surf-patch-gap: 8.87381 mm (tolerance 0.02) at patch_u 0, patch_v 0"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("; 2 quality findings"), std::string::npos) << text.out;

    struct Profile {
        const char* json;
        int status;
        const char* fragment;  // in the report (status 0 or 1) or on standard error (status 2)
    };
    const Profile profiles[] = {
        {R"({"rules": {"surf-patch-gap": {"enabled": false}, "surf-patch-kink": {"tolerance": 45}}})", 0,
         R"("rule": "surf-patch-gap", "enabled": false)"},
        {R"({"rules": {"surf-patch-gap": {"tolerance": 9}}, "run_unlisted": false})", 0,
         R"("rule": "surf-patch-kink", "enabled": false)"},
        {R"({"rules": {"surf-patch-gap": {}}, "run_unlisted": false})", 1, R"("quality": [{"rule": "surf-patch-gap")"},
        {R"({"rules": )", 2, "not valid JSON"},
    };
    const fs::path profile = scratch / "profile.json";
    for (const Profile& p : profiles) {
        SCOPED_TRACE(p.json);
        spit(profile, p.json);
        const ToolResult run = tool("check " + flae + " --format json --quality=" + quoted(profile));
        EXPECT_EQ(run.status, p.status);
        EXPECT_NE((p.status == 2 ? run.err : run.out).find(p.fragment), std::string::npos) << run.out << run.err;
    }
}

// heal closes the plate's open seam (0.05 mm) and leaves the boundary's gap (0.6 mm) beyond the default 0.1 mm,
// which makes the exit status 1; with 1 mm it closes both. The sample's 8.87 mm seam is left with its value.
TEST_F(ToolRun, HealClosesWhatIsWithinTheToleranceAndReportsTheRest)
{
    const std::string gaps = "tests/data/quality_gaps.vda";
    const fs::path out = scratch / "healed.vda";
    const ToolResult text = tool("heal " + gaps + " -o " + quoted(out));
    EXPECT_EQ(text.status, 1);
    for (const char* expected :
         {"\n  SURF PLATE (line 4)\n      surf-patch-gap: 0.05 -> ",
          " mm at patch_u 0, patch_v 0, direction 0; s 1, t 0; point (50, 0, 0); moved 0.025 mm: the patches share "
          "the seam\n",
          "\nleft:\n  FACE F1 (line 21)\n      face-loop-gap: 0.6 mm (tolerance 0.02) at boundary 0, piece 1; s 1, t "
          "0.99; point (220, 59.4, 0): above the healing tolerance (0.1 mm)\n",
          "\n  surf-patch-gap: 1 healed, 0 left\n  face-loop-gap: 0 healed, 1 left\n",
          "gaps.vda: 1 finding healed, 1 left, largest move 0.025 mm; 1 quality finding after healing; 12 entities "
          "saved to "})
        EXPECT_NE(text.out.find(expected), std::string::npos) << expected << "\n" << text.out;
    EXPECT_EQ(tool("check --quality " + quoted(out)).status, 1);

    const ToolResult json = tool("heal " + gaps + " -o " + quoted(out) + " --tolerance 1 --format json");
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find(R"("heal_rules": [{"rule": "surf-patch-gap", "healed": 1, "left": 0}, )"
                            R"({"rule": "face-loop-gap", "healed": 1, "left": 0}], "undone": [], "quality": [])"),
              std::string::npos)
        << json.out;
    EXPECT_EQ(tool("check --quality " + quoted(out)).status, 0);

    const ToolResult flae =
        tool("heal tests/data/samples/OpenVDAFS__SURF_FLAE0001.vda -o " + quoted(out) + " --format json");
    EXPECT_EQ(flae.status, 1);
    EXPECT_NE(flae.out.find(R"("left": [{"rule": "surf-patch-gap", "entity": "FLAE0001", "type": "SURF", "line": 22, )"
                            R"("value": 8.87)"),
              std::string::npos)
        << flae.out;
    EXPECT_NE(flae.out.find(R"x("reason": "above the healing tolerance (0.1 mm)"})x"), std::string::npos) << flae.out;
}

// --profile sets the severity of any rule: it shapes the reports and the exit status, never the file fix
// saves. A profile that cannot be used stops the run before any model with exit status 2 and says why.
TEST_F(ToolRun, ProfilesShapeReportsAndTheExitStatusOnly)
{
    const std::string flae = "tests/data/samples/OpenVDAFS__SURF_FLAE0001.vda";
    const fs::path profile = scratch / "severity.json";
    const fs::path plain = scratch / "plain.vda";
    const fs::path shaped = scratch / "shaped.vda";
    struct Case {
        std::string json;  // empty: a folder stands where the profile should be
        std::string args;  // then --profile PROFILE
        int status;
        const char* fragment;  // in standard output (status 0 or 1) or standard error (status 2)
    };
    const std::string left = R"("curve-segment-orders": {"severity": "note"}, "cons-curve-ptr": {"enabled": false},
        "face-cons-ptr": {"severity": "note"}, "top-face-surface-ptr": {"severity": "note"},
        "point-validity": {"severity": "note"})";
    const Case cases[] = {
        {R"({"rules": {"surf-patch-gap": {"severity": "note"}, "surf-patch-kink": {"severity": "note"}}})",
         "check " + flae + " --quality --format sarif", 0, R"("ruleId": "surf-patch-gap", "ruleIndex": )"},
        {R"({"rules": {"surf-patch-gap": {"severity": "error"}}})", "check " + flae + " --quality --format json", 1,
         R"("severity": "error"})"},
        {R"({"rules": {"read-missing-end": {"severity": "error"}}})", "check " + flae, 1, ""},
        {"{\"rules\": {" + left + "}}", "fix " + bracket + " -o " + quoted(shaped), 0, "[point-validity, note]"},
        {R"({"rules": {"surf-patch-gap": {"tolerance": 1e400}}})", "check " + flae + " --quality", 2,
         R"(: line 1, column 44: the number 1e400 of "tolerance" is beyond the range of a double)"},
        {"{\"rules\": {\"surf-patch-gap\": {},\n\"surf-patch-gap\": {}}}",
         "report " + flae + " -o " + quoted(scratch / "page.html"), 2,
         R"(: line 2, column 1: the key "surf-patch-gap" is given twice)"},
        {"", "repair " + bracket + " -o " + quoted(shaped), 2, ": cannot read the profile: it is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        fs::remove_all(profile);
        if (!c.json.empty())
            spit(profile, c.json);
        else
            fs::create_directories(profile);
        const ToolResult run = tool(c.args + " --profile " + quoted(profile));
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE((c.status == 2 ? run.err : run.out).find(c.fragment), std::string::npos) << run.out << run.err;
        if (c.status == 2) {
            EXPECT_TRUE(run.err.starts_with("vdacheck: " + profile.string() + ": ")) << run.err;
        }
    }
    // The SARIF level and the reader warning's kind follow the severity; fix saved what it saves without one.
    fs::remove_all(profile);
    spit(profile, R"({"rules": {"surf-patch-gap": {"severity": "note"}, "read-missing-end": {"severity": "error"}}})");
    const ToolResult sarif = tool("check " + flae + " --quality --format sarif --profile " + quoted(profile));
    EXPECT_NE(sarif.out.find(R"("ruleId": "surf-patch-gap", "ruleIndex": )"), std::string::npos);
    EXPECT_EQ(sarif.out.find(R"("level": "warning", "message": {"text": "SURF FLAE0001: 8.87)"), std::string::npos);
    EXPECT_NE(sarif.out.find(R"("level": "note", "message": {"text": "SURF FLAE0001: 8.87)"), std::string::npos);
    const ToolResult text = tool("check " + flae + " --profile " + quoted(profile));
    EXPECT_TRUE(text.err.find(":40:1: error: ") != std::string::npos && text.err.ends_with(" [read-missing-end]\n"))
        << text.err;
    EXPECT_NE(text.out.find(": no problems; 1 reader warning counted as an error\n"), std::string::npos) << text.out;
    ASSERT_EQ(tool("fix " + bracket + " -o " + quoted(plain)).status, 1);
    EXPECT_EQ(slurp(shaped), slurp(plain));
    EXPECT_EQ(tool("check " + flae + " --quality=" + quoted(profile) + " --profile " + quoted(profile)).status, 2);
}

// The same summary without what depends on the clock: the run's time and the slowest files.
std::string without_times(const std::string& report)
{
    std::string s = std::regex_replace(report, std::regex(R"( in [0-9.]+ m?s:)"), ":");
    s = std::regex_replace(s, std::regex(R"(slowest files:\n( .*\n)*)"), "slowest files: ...\n");
    s = std::regex_replace(s, std::regex(R"("seconds": [^,]*, )"), "");
    return std::regex_replace(s, std::regex(R"("slowest": \[[^\]]*\])"), R"("slowest": [...])");
}

// A folder of five files in the order the walk finds them: a synthetic model first (the slowest),
// then the bracket, a file the reader rejects, and in a subfolder a sample with a reader warning and the
// bracket once more.
fs::path batch_folder(const fs::path& scratch)
{
    const fs::path folder = scratch / "batch";
    fs::remove_all(folder);
    fs::create_directories(folder / "sub");
    spit(folder / "a_big.vda", vda_synthetic_model(std::size_t{256} << 10));
    fs::copy_file(source_dir / bracket, folder / "b.vda");
    spit(folder / "c_bad.vda", "BAD      = HEADER / 0\nP1       = PIONT / 1., 2., 3.\nBAD      = END\n");
    fs::copy_file(source_dir / "tests/data/samples/OpenVDAFS__CURVE_SP1.vda", folder / "sub/d.vda");
    fs::copy_file(source_dir / bracket, folder / "sub/e.VDAFS");
    spit(folder / "sub/notes.txt", "not a model");
    return folder;
}

// Reports, messages and exit status are the same whatever the number of jobs, byte for byte; only the
// summary's times differ. Reader warnings go to standard error in text, into the report otherwise.
TEST_F(ToolRun, BatchReportsDoNotDependOnTheNumberOfJobs)
{
    const fs::path folder = batch_folder(scratch);
    for (const char* format : {"text", "json", "sarif"}) {
        SCOPED_TRACE(format);
        const std::string args = "check " + quoted(folder) + " --format " + format;
        const ToolResult one = tool(args + " --jobs 1");
        const ToolResult three = tool(args + " --jobs 3");
        EXPECT_EQ(one.status, 2);
        EXPECT_EQ(three.status, 2);
        EXPECT_EQ(without_times(three.out), without_times(one.out));
        EXPECT_EQ(three.err, one.err);
        EXPECT_EQ(one.err.find('\033'), std::string::npos) << "no progress bar when standard error is a file";
        EXPECT_EQ(one.err.find(": warning: ") != std::string::npos, std::string(format) == "text") << one.err;
    }

    const ToolResult text = tool("check " + quoted(folder) + " --jobs 2");
    std::vector<std::string> order;
    std::istringstream lines(text.out);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("check "))
            order.push_back(fs::path(line.substr(6, line.find(": ") - 6)).lexically_relative(folder).string());
    EXPECT_EQ(order, (std::vector<std::string>{"a_big.vda", "b.vda", "sub/d.vda", "sub/e.VDAFS"}));
    // The rejected file is reported in its place, between the warning of the file before and after.
    const std::size_t warning = text.err.find("d.vda:38:1: warning: ");
    EXPECT_NE(warning, std::string::npos) << text.err;
    EXPECT_EQ(text.err.find(" [read-missing-end]\n", warning), text.err.find('\n', warning) - 19) << text.err;
    EXPECT_LT(text.err.find("c_bad.vda:2:12: error: "), warning) << text.err;
    EXPECT_NE(text.out.find("summary: 5 files, "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(": 1 clean, 3 with problems, 1 unreadable\n"), std::string::npos) << text.out;

    const ToolResult json = tool("check " + quoted(folder) + " --format json");
    EXPECT_NE(json.out.find("\n{\"summary\": {\"files\": 5, \"clean\": 1, \"problems\": 3, \"unreadable\": 1, "
                            "\"unwritten\": 0, "),
              std::string::npos)
        << "the summary is the last line of a JSON run";
    EXPECT_TRUE(json.out.ends_with("]}}\n"));
    EXPECT_NE(json.out.find(R"("warnings": [{"rule": "read-missing-end", "line": 38, "column": 1, "message": ")"),
              std::string::npos);
}

TEST_F(ToolRun, OutputFolderMirrorsTheInputFolder)
{
    const fs::path tree = scratch / "tree";
    fs::remove_all(tree);
    fs::create_directories(tree / "sub/deep");
    fs::copy_file(source_dir / bracket, tree / "x.vda");
    fs::copy_file(source_dir / bracket, tree / "sub/y.VDA");
    fs::copy_file(source_dir / "tests/data/samples/OpenVDAFS__FC267.vda", tree / "sub/deep/z.vdafs");
    const std::string original = slurp(tree / "sub/y.VDA");

    // The output folder inside the input folder is not walked: a second run finds the same three files.
    for (int run = 0; run < 2; ++run) {
        const ToolResult repair =
            tool("repair " + quoted(tree) + " --output-dir " + quoted(tree / "repaired") + " --jobs 2 --format json");
        EXPECT_EQ(repair.status, 0) << repair.err;
        EXPECT_NE(repair.out.find("{\"summary\": {\"files\": 3, \"clean\": 3, "), std::string::npos) << repair.out;
    }
    for (const char* name : {"x.vda", "sub/y.VDA", "sub/deep/z.vdafs"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(checks_clean(tree / "repaired" / name), 1);
    }
    EXPECT_EQ(slurp(tree / "sub/y.VDA"), original);

    // A file where a subfolder should be: the files under it are not saved, the others are.
    const fs::path blocked = scratch / "blocked";
    fs::remove_all(blocked);
    fs::create_directories(blocked);
    spit(blocked / "sub", "a file, not a folder");
    const ToolResult fix = tool("fix " + quoted(tree) + " --output-dir " + quoted(blocked));
    EXPECT_EQ(fix.status, 2);
    EXPECT_TRUE(fs::exists(blocked / "x.vda"));
    EXPECT_NE(fix.out.find(", 2 not saved\n"), std::string::npos) << fix.out;
    EXPECT_NE(fix.err, "");
}

// What a person sees: the tool runs in a pseudo-terminal 120 columns wide, standard output and error both
// on it. Returns everything written to the terminal.
std::string run_in_terminal(const std::string& args)
{
    winsize size{};
    size.ws_col = 120;
    size.ws_row = 40;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
    if (child == 0) {
        const std::string command = "cd " + quoted(source_dir) + " && exec " + quoted(VDACHECK_TOOL) + " " + args;
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n > 0)
            seen.append(buffer, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;  // EIO once the tool has exited and closed the terminal
    }
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    return seen;
}

// The screen the bytes leave: carriage return, line feed and "erase to the end of the line" as a terminal
// does them.
std::string screen(const std::string& bytes)
{
    std::vector<std::string> lines(1);
    std::size_t column = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        std::string& line = lines.back();
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            lines.emplace_back();
            column = 0;
        } else if (bytes.compare(i, 3, "\033[K") == 0) {
            line.resize(std::min(line.size(), column));
            i += 2;
        } else {
            if (line.size() <= column)
                line.resize(column + 1, ' ');
            line[column++] = c;
        }
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    return text.substr(0, text.size() - 1);
}

TEST_F(ToolRun, ProgressBarOnATerminalLeavesNothingBehind)
{
    const fs::path folder = batch_folder(scratch);
    const std::string args = "check " + quoted(folder) + " --jobs 2";
    const std::string bytes = run_in_terminal(args);
    // Drawn from the start: before any file is done (on a loaded machine that may be a second or more in).
    EXPECT_NE(bytes.find("]  0/5 files  0:0"), std::string::npos) << "the bar is drawn from the start";

    // What stays on the screen is what the tool writes without a terminal.
    const fs::path merged = scratch / "merged.txt";
    const std::string command =
        "cd " + quoted(source_dir) + " && " + quoted(VDACHECK_TOOL) + " " + args + " >" + quoted(merged) + " 2>&1";
    ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 2);
    EXPECT_EQ(without_times(screen(bytes)), without_times(slurp(merged)));

    // One file that is quickly read shows no bar at all.
    const std::string one = run_in_terminal("check " + bracket);
    EXPECT_EQ(one.find('\033'), std::string::npos);
    EXPECT_EQ(screen(one), slurp(source_dir / "tests/data/golden/bracket.check.txt"));
}

// report writes one page whatever the model's faults, exits as check does, and leaves no page (and no
// temporary file) when the model cannot be read or the page cannot be written.
TEST_F(ToolRun, ReportWritesAPageOrNothing)
{
    const fs::path dir = scratch / "report";
    fs::create_directories(dir);
    const fs::path page = dir / "page.html";
    const fs::path bad = dir / "bad.vda";
    spit(bad, "BAD      = HEADER / 0\nP1       = PIONT / 1., 2., 3.\nBAD      = END\n");
    const std::string flae = "tests/data/samples/OpenVDAFS__SURF_FLAE0001.vda";
    struct Case {
        std::string args;
        int status;
        bool written;
    };
    const Case cases[] = {
        {"report " + bracket + " -o " + quoted(page), 1, true},
        {"report tests/data/samples/OpenVDAFS__FC267.vda -o " + quoted(page) + " --quality", 0, true},
        {"report " + flae + " -o " + quoted(page), 0, true},  // structurally clean
        {"report " + flae + " -o " + quoted(page) + " --quality --threads 1 --max-triangles 500", 1, true},
        {"report " + quoted(bad) + " -o " + quoted(page), 2, false},
        {"report " + bracket + " -o " + quoted(dir / "no" / "such" / "page.html"), 2, false},
        {"report " + bracket + " -o " + quoted(dir), 2, false},  // a folder stands there
        {"report " + bracket, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        spit(page, "an older page");
        const ToolResult run = tool(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        const std::string written = slurp(page);
        if (c.written) {
            EXPECT_TRUE(written.starts_with("<!DOCTYPE html>") && written.ends_with("</html>\n"));
            EXPECT_TRUE(run.out.starts_with("report ")) << run.out;
        } else {
            EXPECT_EQ(written, "an older page");
            EXPECT_NE(run.err, "");
        }
        for (const fs::path& folder : {dir, scratch})
            for (const fs::directory_entry& entry : fs::directory_iterator(folder))
                EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
    }
    const ToolResult budget = tool("report " + flae + " -o " + quoted(page) + " --max-triangles 500");
    EXPECT_NE(budget.out.find(", 0 errors, "), std::string::npos) << budget.out;
    const std::size_t drawn = std::stoul(budget.out.substr(budget.out.find(" errors, ") + 9));
    EXPECT_GT(drawn, 0u);
    EXPECT_LE(drawn, 500u);
}

// The threads of user `uid` alive now: a process limit counts them all.
int threads_of_user(uid_t uid)
{
    int threads = 0;
    for (const fs::directory_entry& process : fs::directory_iterator("/proc")) {
        std::ifstream status(process.path() / "status");
        int count = 0;
        long long owner = -1;
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("Uid:"))
                owner = std::stoll(line.substr(4));
            else if (line.starts_with("Threads:"))
                count = std::stoi(line.substr(8));
        }
        if (owner == static_cast<long long>(uid))
            threads += count;
    }
    return threads;
}

// A launcher under which the tool may start no more than `extra` threads beside its own. The system
// does not hold root to a process limit, so as root the tool runs with the real user id of nobody (which
// the limit counts) and without capabilities, keeping root's effective id to read and write the files.
// The leak checker, which needs a thread of its own at exit, is off.
std::string process_limit(int extra)
{
    std::string launcher;
#if defined(VDACHECK_TEST_ASAN)
    launcher = "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 ";
#endif
    if (geteuid() != 0)
        return launcher + "prlimit --nproc=" + std::to_string(threads_of_user(getuid()) + 2 + extra) + " ";
    const uid_t nobody = 65534;
    return launcher + "prlimit --nproc=" + std::to_string(threads_of_user(nobody) + 1 + extra) +
           " setpriv --ruid=" + std::to_string(nobody) +
           " --securebits=+noroot,+noroot_locked --bounding-set=-all --inh-caps=-all ";
}

// A thread the system refuses to start means fewer threads, down to the calling one alone: never an
// abort and never a failed file. Under a process limit (no thread at all, or two) the tool reports what
// it reports without one; so it does with thread stacks of 1 GiB under an address-space limit of 2 GiB.
TEST_F(ToolRun, ThreadsThatCannotStartMeanFewerThreads)
{
    const fs::path dir = scratch / "limits";
    fs::create_directories(dir / "many");
    const fs::path model = dir / "model.vda";
    // Read in chunks and measured in many runs, yet checked on the main thread's stack: a larger model
    // would be checked on a thread of its own, which a process limit may refuse.
    spit(model, vda_synthetic_model(std::size_t{1200} << 10));
    for (int i = 0; i < 12; ++i)
        fs::copy_file(source_dir / (i % 2 ? bracket : "tests/data/samples/OpenVDAFS__FC267.vda"),
                      dir / "many" / (std::to_string(i + 10) + ".vda"));
    const fs::path page = dir / "page.html";
    const std::string commands[] = {
        "check " + quoted(model) + " --quality --threads 8 --format json",
        "report " + quoted(model) + " -o " + quoted(page) + " --quality --threads 8",
        "check " + quoted(dir / "many") + " --jobs 100 --format json",
    };
    std::vector<std::string> launchers = {process_limit(0), process_limit(2)};
#if !defined(VDACHECK_TEST_ASAN)  // the address sanitizer maps far more than any such limit
    launchers.push_back("prlimit --stack=" + std::to_string(1ll << 30) + " --as=" + std::to_string(2ll << 30) + " ");
#endif
    for (const std::string& args : commands) {
        fs::remove(page);
        const ToolResult free = tool(args);
        const std::string drawn = slurp(page);
        ASSERT_EQ(free.status, 1) << args << free.err;
        for (const std::string& launcher : launchers) {
            SCOPED_TRACE(launcher + args);
            fs::remove(page);
            const ToolResult limited = tool(args, "/dev/null", launcher);
            EXPECT_EQ(limited.status, free.status) << limited.err;
            EXPECT_EQ(without_times(limited.out), without_times(free.out));
            EXPECT_EQ(limited.err, free.err);
            EXPECT_TRUE(slurp(page) == drawn) << "the page differs";
        }
    }
}

}  // namespace
