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
//   vdacheck check PATH... [--quality[=PROFILE]] [--threads N] [--jobs N]
//   vdacheck fix FILE -o OUT [--clean]       vdacheck fix PATH... --output-dir DIR [--clean] [--jobs N]
//   vdacheck repair FILE -o OUT              vdacheck repair PATH... --output-dir DIR [--jobs N]
//   vdacheck report FILE -o OUT.html [--quality[=PROFILE]] [--threads N] [--max-triangles N]
//   vdacheck heal FILE -o OUT [--tolerance MM] [--angle DEG]   vdacheck heal PATH... --output-dir DIR ...
//   vdacheck rules
// with --format text|json|sarif anywhere after the command (text|json for rules, none for report),
// --profile FILE for any command on models (--quality=PROFILE names one too, not both), and --help /
// --version alone. A PATH is a file or a folder; whether it is a folder is only known when the
// inputs are listed.
class vdcCliOptions {
public:
    enum class Command { check, fix, repair, rules, report, help, version, heal };
    enum class Format { text, json, sarif };

    // Reads the arguments after the program name; throws vdcUsageError.
    static vdcCliOptions parse(const std::vector<std::string_view>& args);

    Command command = Command::help;
    Format format = Format::text;
    std::vector<std::string> files;         // files and folders; "-" stands for standard input
    std::string output;                     // -o OUT (fix, repair, heal: one file; report: the page)
    std::string output_dir;                 // --output-dir DIR (fix, repair, heal: any number of files)
    bool clean = false;                     // fix --clean
    int jobs = 0;                           // files checked at once; 0: one per hardware thread
    std::string stdin_name;                 // --stdin-name NAME: what reports call standard input
    bool quality = false;                   // check --quality: measure the geometric quality too
    std::string quality_profile;            // --quality=PROFILE: the profile file; empty for the default profile
    std::string profile;                    // --profile FILE: the profile of every rule; empty: the defaults
    int threads = 0;                        // --threads N for the quality run; 0: every hardware thread
    std::size_t max_triangles = 2'000'000;  // report --max-triangles N: the drawing's triangle budget
    double heal_tolerance = 0.1;            // heal --tolerance MM: the largest gap closed and point moved
    double heal_angle = 1.0;                // heal --angle DEG: the largest kink made tangent
    std::string command_line;               // "vdacheck" and the arguments, as a shell would take them back
};

// The usage text printed by --help and after a usage error.
const char* vdc_usage_text() noexcept;
