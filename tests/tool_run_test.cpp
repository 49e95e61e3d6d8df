// End-to-end tests: run the built vdacheck tool on files and compare its reports, exit status and output.
// VDACHECK_UPDATE_GOLDENS=1 rewrites the golden reports under tests/data/golden from the tool's output.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <synthetic_model.h>
#include <vdacheck/vdacheck.h>

namespace fs = std::filesystem;

namespace {

const fs::path source_dir = VDACHECK_SOURCE_DIR;

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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

    // Runs the tool with `args` in the source folder (so reports name files as the arguments do).
    static ToolResult tool(const std::string& args, const fs::path& input = "/dev/null")
    {
        const fs::path out = scratch / "stdout.txt";
        const fs::path err = scratch / "stderr.txt";
        const std::string command = "cd " + quoted(source_dir) + " && " + quoted(VDACHECK_TOOL) + " " + args + " <" +
                                    quoted(input) + " >" + quoted(out) + " 2>" + quoted(err);
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
    };
    const fs::path out = scratch / "bracket.out.vda";
    const Case cases[] = {
        {"check " + bracket + " --format json", 1, "bracket.check.json"},
        {"check " + bracket, 1, "bracket.check.txt"},
        {"fix " + bracket + " -o " + quoted(out) + " --format json", 1, "bracket.fix.json"},
        {"fix " + bracket + " -o " + quoted(out) + " --clean --format json", 1, "bracket.fix-clean.json"},
        {"repair " + bracket + " -o " + quoted(out) + " --format json", 0, "bracket.repair.json"},
    };
    const std::string original = slurp(source_dir / bracket);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolResult run = tool(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, "");
        expect_golden(run.out, c.golden);
    }
    EXPECT_EQ(slurp(source_dir / bracket), original) << "the input must never be written";
}

TEST_F(ToolRun, ExitStatusAndReportsOverSeveralFiles)
{
    const fs::path clean = scratch / "clean.vda";
    ASSERT_EQ(tool("repair " + bracket + " -o " + quoted(clean)).status, 0);
    struct Case {
        std::string args;
        int status;
        int reports;  // JSON objects on standard output
    };
    const Case cases[] = {
        {"check " + quoted(clean) + " --format json", 0, 1},
        {"check " + quoted(clean) + " " + bracket + " --format json", 1, 2},
        {"check missing.vda " + quoted(clean) + " --format json", 2, 1},  // the readable file is still reported
        {"check " + bracket + " missing.vda --format json", 2, 1},
        {"fix " + quoted(clean) + " -o " + quoted(scratch / "again.vda") + " --format json", 0, 1},
        {"check", 2, 0},
        {"fix " + bracket, 2, 0},
        {"check " + bracket + " --format yaml", 2, 0},
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
        if (c.status == 2) {
            EXPECT_NE(run.err, "");
        }
    }
}

TEST_F(ToolRun, MalformedFileIsAnErrorAndWritesNothing)
{
    const fs::path bad = scratch / "bad.vda";
    spit(bad, "BAD      = HEADER / 0\nP1       = POINT / 1., 2., 3.\nP2       = PIONT / 1., 2., 3.\nBAD      = END\n");
    const fs::path out = scratch / "bad.out.vda";
    for (const std::string command : {"check", "fix", "repair"}) {
        SCOPED_TRACE(command);
        const std::string args =
            command == "check" ? command + " " + quoted(bad) : command + " " + quoted(bad) + " -o " + quoted(out);
        const ToolResult run = tool(args + " --format json");
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with(bad.string() + ":3:12: error: ")) << run.err;
        EXPECT_NE(run.err.find("PIONT"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
    const ToolResult missing = tool("check no/such/file.vda");
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.starts_with("no/such/file.vda: error: ")) << missing.err;
}

TEST_F(ToolRun, WarningsGoToStandardErrorOrTheJsonReport)
{
    const std::string sample = "tests/data/samples/OpenVDAFS__CURVE_SP1.vda";  // has no END statement
    const ToolResult text = tool("check " + sample);
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.err.find(sample + ":38:1: warning: missing END statement at the end of the file [read-missing-end]"),
              std::string::npos)
        << text.err;

    const ToolResult json = tool("check " + sample + " --format json");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.err, "");
    EXPECT_NE(json.out.find("\"warnings\": [{\"rule\": \"read-missing-end\", \"line\": 38, \"column\": 1, "
                            "\"message\": \"missing END statement"),
              std::string::npos)
        << json.out;
}

TEST_F(ToolRun, StandardInputReadsLikeAFile)
{
    const ToolResult run = tool("check - --format json", source_dir / bracket);
    EXPECT_EQ(run.status, 1);
    std::string expected = slurp(source_dir / "tests/data/golden/bracket.check.json");
    expected.replace(expected.find(bracket), bracket.size(), "<stdin>");
    EXPECT_EQ(run.out, expected);
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
        EXPECT_EQ(tool("check " + quoted(out)).status, 0);
    }
}

}  // namespace
