// The tool's convert, end to end: each format from the bundled bracket and a real sample with the JSON report
// of what went where, a folder converted with --to and --output-dir, and the input it refuses.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include <vdacheck/util/ut_json_reader.h>

#include "exchange_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path source_dir = VDACHECK_SOURCE_DIR;

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the tool with `args` in the source folder.
ToolRun tool(const std::string& args, const fs::path& scratch)
{
    const std::string command = "cd '" + source_dir.string() + "' && '" + VDACHECK_TOOL + "' " + args + " >'" +
                                (scratch / "stdout.txt").string() + "' 2>'" + (scratch / "stderr.txt").string() +
                                "' </dev/null";
    const int result = std::system(command.c_str());
    return {WIFEXITED(result) ? WEXITSTATUS(result) : -1, slurp(scratch / "stdout.txt"), slurp(scratch / "stderr.txt")};
}

std::set<std::string> names(const utJsonValue& list)
{
    std::set<std::string> out;
    for (const utJsonValue& e : list.items())
        out.insert(e.find("entity")->string());
    return out;
}

}  // namespace

// Every format, from the bracket repaired first and from a real sample as it is: the exit status, the file's
// own signature, and a JSON report that accounts for every entity and names the file written.
TEST(ToolConvert, EachFormatWithItsReport)
{
    const fs::path dir = vdatest::scratch("tool-formats");
    struct Case {
        const char* input;
        const char* output;
        const char* extra;
        int status;
        const char* format;
        std::string_view signature;
    };
    const Case cases[] = {
        {"examples/bracket.vda", "bracket.STEP", "--repair", 0, "step", "ISO-10303-21;"},
        {"examples/bracket.vda", "bracket.igs", "--repair", 0, "iges", ""},
        {"examples/bracket.vda", "bracket.glb", "--repair", 0, "glb", "glTF"},
        {"examples/bracket.vda", "bracket.x", "--repair --to gltf", 0, "gltf", "{"},
        {"examples/bracket.vda", "faulty.stp", "", 1, "step", "ISO-10303-21;"},
        {"tests/data/samples/OpenVDAFS__FC267.vda", "fc267.iges", "", 0, "iges", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const fs::path output = dir / c.output;
        const ToolRun run = tool(
            std::string("convert ") + c.input + " -o '" + output.string() + "' " + c.extra + " --format json", dir);
        EXPECT_EQ(run.status, c.status) << run.err;
        ASSERT_TRUE(fs::is_regular_file(output));
        EXPECT_EQ(slurp(output).substr(0, c.signature.size()), c.signature);
        const utJsonValue report = utJsonReader::parse(run.out);
        EXPECT_EQ(report.find("format")->string(), c.format);
        EXPECT_EQ(report.find("output")->string(), output.string());
        EXPECT_EQ(report.find("clean")->boolean(), c.status == 0);
        EXPECT_EQ(report.find("rounds") != nullptr, std::string_view(c.extra).starts_with("--repair"));
        // Every entity but the HEADER once: exported, or left out (for each of its reasons).
        const std::set<std::string> exported = names(*report.find("exported"));
        const std::set<std::string> left = names(*report.find("left_out"));
        EXPECT_EQ(exported.size() + left.size(), std::size_t(report.find("entities")->number()) - 1);
        for (const utJsonValue& e : report.find("left_out")->items()) {
            EXPECT_FALSE(exported.count(e.find("entity")->string()));
            EXPECT_FALSE(e.find("message")->string().empty());
        }
        EXPECT_EQ(report.find("counts")->find("faces")->number() > 0, c.status == 0);
    }
}

// A folder converted file by file on two jobs, each under the output folder with the format's suffix; the
// surface whose patches do not meet is left out with the gap measured, which leaves its file nothing to convert
// (exit status 2: a file not written), while the others are.
TEST(ToolConvert, FoldersWithOutputDirAndJobs)
{
    const fs::path dir = vdatest::scratch("tool-folder");
    const ToolRun run =
        tool("convert tests/data/samples --to glb --output-dir '" + (dir / "out").string() + "' --jobs 2 --format json",
             dir);
    EXPECT_EQ(run.status, 2) << run.err;
    for (const char* name : {"OpenVDAFS__CURVE_SP1.glb", "OpenVDAFS__FC267.glb"})
        EXPECT_TRUE(fs::is_regular_file(dir / "out" / name)) << name;
    EXPECT_FALSE(fs::exists(dir / "out" / "OpenVDAFS__SURF_FLAE0001.glb")) << "nothing to convert";
    EXPECT_NE(run.err.find("nothing to convert"), std::string::npos) << run.err;
    const std::string flae = run.out.substr(run.out.find("{\"file\": \"tests/data/samples/OpenVDAFS__SURF"));
    const utJsonValue left = utJsonReader::parse(flae.substr(0, flae.find('\n'))).find("left_out")->items().at(0);
    EXPECT_EQ(left.find("rule")->string(), "surf-patch-gap");
    EXPECT_NEAR(left.find("value")->number(), 8.87381, 1e-4);
    EXPECT_EQ(left.find("tolerance")->number(), 0.02);
}

// What convert refuses, and what it leaves out: an output whose format cannot be told stops the run before the
// input is opened; an output that cannot be written, and a model with nothing to convert, write nothing
// (exit status 2); a face that cannot be built is left out, named with its reason, and the rest written.
TEST(ToolConvert, BadInput)
{
    const fs::path dir = vdatest::scratch("tool-bad");
    fs::create_directories(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    std::ofstream(dir / "nothing.vda") << "NONE = HEADER / 0\nPT = POINT / -1.7976931348623157E+308, 0., 0.\n"
                                          "NONE = END\n";
    std::string gap = slurp(source_dir / "tests/data/quality_gaps.vda");
    gap.insert(gap.rfind("\n", gap.size() - 2) + 1, "PX       = POINT / 1., 2., 3.\n");
    std::ofstream(dir / "gap.vda") << gap;
    struct Case {
        std::string args;
        int status;
        const char* says;  // on standard error, or in the text report for status 1
    };
    const std::string in = std::string(1, '\'').append(dir.string()).append("/");
    const Case cases[] = {
        {"convert missing.vda -o " + in + "out.txt'", 2, "cannot tell the format of"},
        {"convert missing.vda --output-dir " + in + "out'", 2, "needs --to"},
        {"convert examples/bracket.vda -o -", 2, "convert writes a file"},
        {"convert examples/bracket.vda -o " + in + "none/out.step'", 2, "is no folder"},
        {"convert " + in + "nothing.vda' -o " + in + "nothing.glb'", 2, "nothing to convert"},
        {"convert " + in + "gap.vda' -o " + in + "gap.step'", 1, "[face-loop-gap]: 0.6 mm (tolerance 0.02)"},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    if (::geteuid() != 0)  // root writes where the permissions say no
        all.push_back({"convert examples/bracket.vda -o " + in + "locked/out.step'", 2, "Permission denied"});
    for (const Case& c : all) {
        SCOPED_TRACE(c.args);
        const ToolRun run = tool(c.args, dir);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE((c.status == 2 ? run.err : run.out).find(c.says), std::string::npos) << run.out << run.err;
    }
    fs::permissions(dir / "locked", fs::perms::owner_all);
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left,
              (std::set<std::string>{"locked", "nothing.vda", "gap.vda", "gap.step", "stdout.txt", "stderr.txt"}));
}

#ifdef VDACHECK_CONVERT_MODULE
// OCCT is loaded by convert alone, from the module beside the tool: a check loads neither the module nor an
// OCCT library, and a copy of the tool without its module checks all the same and says why it cannot convert.
TEST(ToolConvert, OnlyConvertLoadsTheModule)
{
    const fs::path dir = vdatest::scratch("tool-module");
    fs::copy_file(VDACHECK_TOOL, dir / "vdacheck", fs::copy_options::overwrite_existing);
    struct Case {
        std::string run;
        int status;
    };
    const auto quoted = [](const fs::path& path) { return std::string(1, '\'').append(path.string()).append("'"); };
    const std::string tool = quoted(VDACHECK_TOOL);
    const std::string copy = quoted(dir / "vdacheck");
    const std::string bracket = quoted(source_dir / "examples/bracket.vda");
    const Case cases[] = {
        {"LD_DEBUG=files " + tool + " check " + bracket, 1},
        {copy + " check " + bracket, 1},
        {copy + " convert " + bracket + " --to glb -o " + quoted(dir / "b.glb"), 2},
    };
    std::vector<std::string> errors;
    for (const Case& c : cases) {
        const int result = std::system((c.run + " >/dev/null 2>" + quoted(dir / "err.txt")).c_str());
        EXPECT_EQ(WIFEXITED(result) ? WEXITSTATUS(result) : -1, c.status) << c.run;
        errors.push_back(slurp(dir / "err.txt"));
    }
    EXPECT_NE(errors[0].find("file=libc.so"), std::string::npos) << "LD_DEBUG lists what is loaded";
    EXPECT_EQ(errors[0].find("libTK"), std::string::npos);
    EXPECT_EQ(errors[0].find("vdacheck-convert"), std::string::npos);
    EXPECT_NE(errors[2].find("convert cannot load its module"), std::string::npos) << errors[2];
    EXPECT_FALSE(fs::exists(dir / "b.glb"));
}
#endif
