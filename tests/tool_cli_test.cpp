// Unit tests of the tool's library: command-line parsing and the places a SARIF log gives.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tool/vdc_cli_options.h>
#include <tool/vdc_sarif_log.h>
#include <vdacheck/run/vdc_run_result.h>
#include <vdacheck/vdacheck.h>

namespace {

std::vector<std::string_view> split(std::string_view line)
{
    std::vector<std::string_view> args;
    while (!line.empty()) {
        const std::size_t space = line.find(' ');
        args.push_back(line.substr(0, space));
        line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    }
    return args;
}

TEST(ToolOptions, AcceptedCommandLines)
{
    using C = vdcCliOptions::Command;
    using F = vdcCliOptions::Format;
    struct Case {
        const char* line;
        C command;
        F format;
        const char* files;  // as the command line gives them
        std::string output;
        bool clean;
        std::string output_dir = "";
        int jobs = 0;
        std::size_t max_triangles = 2'000'000;
    };
    const Case cases[] = {
        {"check a.vda", C::check, F::text, "a.vda", "", false},
        {"check a.vda - b.vda --format json", C::check, F::json, "a.vda - b.vda", "", false},
        {"check --format=json -- -odd.vda", C::check, F::json, "-odd.vda", "", false},
        {"fix a.vda -o out.vda", C::fix, F::text, "a.vda", "out.vda", false},
        {"fix --clean -o out.vda a.vda", C::fix, F::text, "a.vda", "out.vda", true},
        {"repair a.vda --output a.vda --format text", C::repair, F::text, "a.vda", "a.vda", false},
        {"check a.vda --help", C::help, F::text, "a.vda", "", false},
        {"--version", C::version, F::text, "", "", false},
        {"rules --format json", C::rules, F::json, "", "", false},
        {"check archive --jobs 3 --format sarif", C::check, F::sarif, "archive", "", false, "", 3},
        {"repair a b --output-dir out -j 1", C::repair, F::text, "a b", "", false, "out", 1},
        {"fix a --clean --output-dir out --jobs=2", C::fix, F::text, "a", "", true, "out", 2},
        {"check - --stdin-name door.vda", C::check, F::text, "-", "", false},
        {"check a.vda --quality --threads 2", C::check, F::text, "a.vda", "", false},
        {"check a.vda --quality=p.json", C::check, F::text, "a.vda", "", false},
        {"repair a.vda -o b.vda --threads 1", C::repair, F::text, "a.vda", "b.vda", false},
        {"fix a.vda -o b.vda --profile p.json", C::fix, F::text, "a.vda", "b.vda", false},
        {"check a.vda --quality --profile=p.json", C::check, F::text, "a.vda", "", false},
        {"report a.vda -o a.html", C::report, F::text, "a.vda", "a.html", false},
        {"report -o a.html --quality=p.json --threads 1 --max-triangles 1000 a.vda", C::report, F::text, "a.vda",
         "a.html", false, "", 0, 1000},
        {"report a.vda -o a.html --max-triangles 1000000000", C::report, F::text, "a.vda", "a.html", false, "", 0,
         1'000'000'000},
        {"convert a.vda -o a.step --repair", C::convert, F::text, "a.vda", "a.step", false},
        {"convert a b --to glb --output-dir out --jobs 2 --max-triangles 1000 --format json", C::convert, F::json,
         "a b", "", false, "out", 2, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const vdcCliOptions o = vdcCliOptions::parse(split(c.line));
        EXPECT_EQ(o.command, c.command);
        EXPECT_EQ(o.format, c.format);
        const std::vector<std::string_view> files = split(c.files);
        EXPECT_EQ(o.files, std::vector<std::string>(files.begin(), files.end()));
        EXPECT_EQ(o.output, c.output);
        EXPECT_EQ(o.clean, c.clean);
        EXPECT_EQ(o.output_dir, c.output_dir);
        EXPECT_EQ(o.jobs, c.jobs);
        EXPECT_EQ(o.max_triangles, c.max_triangles);
    }
    const vdcCliOptions heal =
        vdcCliOptions::parse(split("heal a b --output-dir out --tolerance 0.05 --angle 2.5 --quality=p.json"));
    EXPECT_EQ(heal.command, C::heal);
    EXPECT_EQ(heal.heal_tolerance, 0.05);
    EXPECT_EQ(heal.heal_angle, 2.5);
    EXPECT_EQ(heal.quality_profile, "p.json");
    // The report page names the command as a shell takes it back.
    const std::vector<std::string_view> args = {"report", "my part.vda", "-o", "it's.html", "--quality=p.json"};
    EXPECT_EQ(vdcCliOptions::parse(args).command_line,
              "vdacheck report 'my part.vda' -o 'it'\\''s.html' --quality=p.json");
}

TEST(ToolOptions, RejectedCommandLines)
{
    const char* lines[] = {
        "",                              // no command
        "verify a.vda",                  // unknown command
        "check",                         // no file
        "check a.vda -o out.vda",        // check writes nothing
        "check a.vda --clean",           // --clean belongs to fix
        "rules a.vda",                   // rules reads no file
        "fix a.vda -o b.vda --quality",  // quality is measured by check
        "check a.vda --threads x",       // not a number
        "check a.vda --quality=",        // no profile
        "check a.vda --format xml",      // unknown format
        "check a.vda --format",          // option without its value
        "check a.vda --verbose",         // unknown option
        "fix a.vda",                     // no output
        "fix a.vda b.vda -o out.vda",    // -o names one file
        "fix a.vda -o x.vda -o y.vda",   // two outputs
        "repair a.vda -o out.vda --clean",
        "--version a.vda",
        "check - a.vda -",                      // standard input twice
        "check a.vda --jobs 0",                 // no worker
        "check a.vda --jobs two",               // not a number
        "check a.vda --jobs=2x",                // not a number either
        "check a.vda --output-dir out",         // check writes nothing
        "fix a.vda -o x.vda --output-dir out",  // one output or the other
        "repair a b --output-dir out --output-dir again",
        "rules --format sarif",                               // the rule table is part of every SARIF log
        "check a.vda --stdin-name door.vda",                  // no standard input to name
        "check - --stdin-name",                               // no name
        "report a.vda",                                       // no page
        "report a.vda b.vda -o a.html",                       // one model per page
        "report a.vda -o a.html --format json",               // the page is HTML
        "report a.vda -o a.html --clean",                     // the model is not changed
        "report a.vda -o a.html --jobs 2",                    // one file
        "report a.vda --output-dir out",                      // one page, named
        "report a.vda -o a.html --max-triangles 0",           // nothing could be drawn
        "report a.vda -o a.html --max-triangles -5",          // not a count
        "report a.vda -o a.html --max-triangles 1e6",         // not a whole number
        "report a.vda -o a.html --max-triangles 1000000001",  // above the limit
        "report a.vda -o a.html --max-triangles 99999999999999999999999",
        "check a.vda --max-triangles 1000",  // check draws nothing
        "rules --profile p.json",            // the registry's rules as they are
        "check a.vda --profile",             // no profile
        "check a.vda --profile p.json --profile=q.json",
        "check a.vda --quality=p.json --profile q.json",  // one profile
        "heal a.vda",                                     // no output
        "heal a.vda -o b.vda --clean",                    // healing repairs and deletes as repair does
        "heal a.vda -o b.vda --tolerance 0",              // nothing could be healed
        "heal a.vda -o b.vda --tolerance -0.1",
        "heal a.vda -o b.vda --tolerance nan",
        "heal a.vda -o b.vda --tolerance inf",
        "heal a.vda -o b.vda --tolerance 0.1mm",
        "heal a.vda -o b.vda --angle 181",  // beyond a half turn
        "heal a.vda -o b.vda --angle",
        "fix a.vda -o b.vda --tolerance 0.1",  // only healing moves geometry
        "convert a.vda",                       // no output
        "convert a b -o a.step",               // -o names one file
        "convert a --output-dir out",          // no format for the files
        "convert a -o a.step --to obj",        // unknown format
        "convert a -o -",                      // OCCT writes files
        "convert a -o a.step --quality",       // tolerances come from --profile
        "fix a.vda -o b.vda --to step",        // --to is for convert
        "repair a.vda -o b.vda --repair",      // so is --repair
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        EXPECT_THROW(vdcCliOptions::parse(split(line)), vdcUsageError);
    }
}

TEST(ToolSarif, ArtifactsAreUrisRelativeToTheWorkingFolder)
{
    struct Case {
        std::string path;
        std::string artifact;
    };
    const Case cases[] = {
        {"parts/door.vda", R"({"uri": "parts/door.vda", "uriBaseId": "%SRCROOT%"})"},
        {"./parts//door.vda", R"({"uri": "parts/door.vda", "uriBaseId": "%SRCROOT%"})"},
        {"/work/run/parts/door.vda", R"({"uri": "parts/door.vda", "uriBaseId": "%SRCROOT%"})"},
        {"../shared/door.vda", R"({"uri": "../shared/door.vda", "uriBaseId": "%SRCROOT%"})"},
        {"/data/T\xC3\xBCr 2#1.vda", R"({"uri": "file:///data/T%C3%BCr%202%231.vda"})"},
        {"/work/runs/door.vda", R"({"uri": "file:///work/runs/door.vda"})"},
        {"c:door.vda", R"({"uri": "c%3Adoor.vda", "uriBaseId": "%SRCROOT%"})"},  // not a scheme
        {"-", R"({"description": {"text": "standard input"}})"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vdcSarifLog::artifact(c.path, "/work/run"), c.artifact) << c.path;
}

TEST(ToolSarif, PacketsAndFindingsStandAtTheColumnWhereTheirStatementStarts)
{
    // Blanks and TABs may stand before a name; records end in LF or CRLF.
    const std::string text = "H = HEADER / 0\r\n"
                             "P1 = POINT / 0., 0., 0.\r\n"
                             "$$ a comment\n"
                             "   P2 = POINT / 1., 1.,\n"
                             "  1.\n"
                             "\tP3 = POINT / 2., 2., 2.\n"
                             "H = END";
    vdcRunResult result;
    const int lines[] = {6, 2, 4, 4, 7, 0};  // not in line order; 0: an entity built in code
    for (const int line : lines) {
        vdcProblem& p = result.errors.emplace_back();
        p.entity = utString("P");
        p.type = "POINT";
        p.line = line;
    }
    result.repaired = result.errors;
    for (const int line : {4, 0})
        result.findings.emplace_back().line = line;
    result.locate_columns(text);
    EXPECT_EQ(result.findings[0].column, 4);
    EXPECT_EQ(result.findings[1].column, 0);
    const int columns[] = {2, 1, 4, 4, 1, 0};
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        EXPECT_EQ(result.errors[i].column, columns[i]) << "line " << lines[i];
        EXPECT_EQ(result.repaired[i].column, columns[i]) << "line " << lines[i];
    }
}

}  // namespace
