// Unit tests of the tool's library: command-line parsing, JSON values, and the stack the checker gets.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <synthetic_model.h>
#include <tool/vdc_big_stack.h>
#include <tool/vdc_cli_options.h>
#include <tool/vdc_cli_runner.h>
#include <tool/vdc_json_report.h>
#include <tool/vdc_repair_names.h>
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
        std::vector<std::string> files;
        std::string output;
        bool clean;
    };
    const Case cases[] = {
        {"check a.vda", C::check, F::text, {"a.vda"}, "", false},
        {"check a.vda - b.vda --format json", C::check, F::json, {"a.vda", "-", "b.vda"}, "", false},
        {"check --format=json -- -odd.vda", C::check, F::json, {"-odd.vda"}, "", false},
        {"fix a.vda -o out.vda", C::fix, F::text, {"a.vda"}, "out.vda", false},
        {"fix --clean -o out.vda a.vda", C::fix, F::text, {"a.vda"}, "out.vda", true},
        {"repair a.vda --output a.vda --format text", C::repair, F::text, {"a.vda"}, "a.vda", false},
        {"check a.vda --help", C::help, F::text, {"a.vda"}, "", false},
        {"--version", C::version, F::text, {}, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const vdcCliOptions o = vdcCliOptions::parse(split(c.line));
        EXPECT_EQ(o.command, c.command);
        EXPECT_EQ(o.format, c.format);
        EXPECT_EQ(o.files, c.files);
        EXPECT_EQ(o.output, c.output);
        EXPECT_EQ(o.clean, c.clean);
    }
}

TEST(ToolOptions, RejectedCommandLines)
{
    const char* lines[] = {
        "",                             // no command
        "verify a.vda",                 // unknown command
        "check",                        // no file
        "check a.vda -o out.vda",       // check writes nothing
        "check a.vda --clean",          // --clean belongs to fix
        "check a.vda --format xml",     // unknown format
        "check a.vda --format",         // option without its value
        "check a.vda --verbose",        // unknown option
        "fix a.vda",                    // no output
        "fix a.vda b.vda -o out.vda",   // one file only
        "fix a.vda -o x.vda -o y.vda",  // two outputs
        "repair a.vda -o out.vda --clean",
        "--version a.vda",
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        EXPECT_THROW(vdcCliOptions::parse(split(line)), vdcUsageError);
    }
}

TEST(ToolJson, StringsAreEscapedAndStayValidUtf8)
{
    struct Case {
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a \"quoted\" \\ path", "\"a \\\"quoted\\\" \\\\ path\""},
        {"tab\there\nline\r", "\"tab\\there\\nline\\r\""},
        {std::string("nul\0bell\x07", 9), "\"nul\\u0000bell\\u0007\""},
        {"\xC3\x9C"
         "BER",
         "\"\xC3\x9C"
         "BER\""},  // valid UTF-8 kept
        {"\xDC"
         "BER",
         "\"\xEF\xBF\xBD"
         "BER\""},                                                     // a Latin-1 byte is not UTF-8
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // an encoded surrogate neither
    };
    for (const Case& c : cases)
        EXPECT_EQ(vdc_json_string(c.text), c.json) << c.json;
}

TEST(ToolJson, NumbersReadBackToTheSameBits)
{
    const double values[] = {0.0, -0.0, 1.0, 0.1, 1.0 / 3.0, -1.7976931348623157e308, 5e-324, 1e21, 123456789.125};
    for (double v : values) {
        const std::string text = vdc_json_number(v);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(std::strtod(text.c_str(), nullptr)), std::bit_cast<std::uint64_t>(v))
            << text;
    }
    EXPECT_EQ(vdc_json_number(std::numeric_limits<double>::quiet_NaN()), "\"NaN\"");
    EXPECT_EQ(vdc_json_number(std::numeric_limits<double>::infinity()), "\"Infinity\"");
    EXPECT_EQ(vdc_json_number(-std::numeric_limits<double>::infinity()), "\"-Infinity\"");
}

// Every repair function the checks attach has a name in the report table: a synthetic model with faults
// of every kind and the bundled sample between them attach each of them.
TEST(ToolRepairNames, EveryAttachedRepairIsNamed)
{
    std::vector<std::unique_ptr<vdaFile>> files;
    files.push_back(vdaReader::read(vda_synthetic_model(std::size_t{1} << 20), "synthetic.vda"));
    files.push_back(vdaReader::load(std::string(VDACHECK_SOURCE_DIR) + "/examples/bracket.vda"));
    std::set<std::string> named;
    for (const auto& file : files) {
        vdcFileCheck checker;
        const vdcFileCheckAcc access(&checker);
        checker.check(*file);
        for (const vdaObject& entity : *file)
            access.error_log().for_each_packet(entity.name(), [&](const vdcErrorPacket& packet) {
                if (!packet.error_function())
                    return;
                const char* name = vdc_repair_name(packet.error_function());
                ASSERT_NE(name, nullptr) << packet.error_message().view();
                named.insert(name);
            });
    }
    EXPECT_GE(named.size(), 10u);
    EXPECT_EQ(vdc_repair_name(nullptr), nullptr);
}

utString chain_name(int i)
{
    char name[16] = {'G'};
    const auto end = std::to_chars(name + 1, name + sizeof name, i).ptr;
    return utString(std::string_view(name, static_cast<std::size_t>(end - name)));
}

// A chain of groups, each holding the next, ending in an invalid point: the check nests once per group.
std::unique_ptr<vdaFile> group_chain(int length)
{
    auto file = std::make_unique<vdaFile>();
    for (int i = 0; i < length; ++i)
        file->create<vdaGroup>(chain_name(i), std::vector<utString>{chain_name(i + 1)});
    file->create<vdaPoint>(chain_name(length), giPoint3(-utMath::max_double(), 0, 0));
    return file;
}

// The stack the tool gives the checker holds a deep chain, and the measured use per nesting level stays
// below the allowance the tool sizes its stacks with.
TEST(ToolStack, DeepChainFitsTheAllowancePerLevel)
{
    constexpr int length = 200000;
    const auto file = group_chain(length);
    vdcCliReport report;
    const std::size_t touched = vdcBigStack::run(vdcBigStack::size_for(static_cast<std::size_t>(file->size())), [&] {
        file->make_current();
        report = vdcCliRunner::fix_model(*file, true);
    });
    // Every group refers to a faulty entity; fix drops each element, and clean deletes the point.
    EXPECT_EQ(report.fixed.size(), static_cast<std::size_t>(length));
    EXPECT_EQ(report.errors.size(), 1u);
    EXPECT_EQ(report.entities, length);
    const double per_level = static_cast<double>(touched) / length;
    std::cout << "[ stack    ] " << per_level << " bytes per nesting level (allowance " << vdcBigStack::bytes_per_level
              << ")\n";
    EXPECT_LT(per_level, static_cast<double>(vdcBigStack::bytes_per_level));
}

TEST(ToolStack, ErrorsOfTheJobReachTheCaller)
{
    EXPECT_THROW(vdcBigStack::run(vdcBigStack::size_for(1), [] { throw std::runtime_error("job failed"); }),
                 std::runtime_error);
}

}  // namespace
