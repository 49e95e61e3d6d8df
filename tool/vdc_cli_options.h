#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A command line the tool cannot act on; the message says why, for the usage text.
class vdcUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the command line asks for:
//   vdacheck check FILE... [--quality[=PROFILE]] [--threads N]
//   vdacheck fix FILE -o OUT [--clean]       vdacheck repair FILE -o OUT       vdacheck rules
//   vdacheck report FILE -o OUT.html [--quality[=PROFILE]] [--threads N] [--max-triangles N]
// with --format text|json anywhere after the command (not for report), and --help / --version alone.
class vdcCliOptions {
public:
    enum class Command { check, fix, repair, rules, report, help, version };
    enum class Format { text, json };

    // Reads the arguments after the program name; throws vdcUsageError.
    static vdcCliOptions parse(const std::vector<std::string_view>& args);

    Command command = Command::help;
    Format format = Format::text;
    std::vector<std::string> files;  // "-" stands for standard input
    std::string output;              // -o OUT (fix, repair and report)
    bool clean = false;              // fix --clean
    bool quality = false;            // check --quality: measure the geometric quality too
    std::string quality_profile;     // --quality=PROFILE: the profile file; empty for the default profile
    int threads = 0;                 // --threads N for the quality run; 0: every hardware thread
    std::size_t max_triangles = 2'000'000;  // report --max-triangles N: the drawing's triangle budget
    std::string command_line;        // "vdacheck" and the arguments, as a shell would take them back
};

// The usage text printed by --help and after a usage error.
const char* vdc_usage_text() noexcept;
