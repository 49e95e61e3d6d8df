#include <tool/vdc_cli_options.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include <vdacheck/util/ut_thread_team.h>

namespace {

vdcCliOptions::Format format_named(std::string_view name)
{
    if (name == "text")
        return vdcCliOptions::Format::text;
    if (name == "json")
        return vdcCliOptions::Format::json;
    if (name == "sarif")
        return vdcCliOptions::Format::sarif;
    throw vdcUsageError("unknown format '" + std::string(name) + "' (text, json or sarif)");
}

// A whole number from `least` to `most`: a count of `what`.
std::size_t count_named(std::string_view option, std::string_view text, std::size_t least, std::size_t most,
                        const char* what)
{
    std::size_t n = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, n);
    if (text.empty() || error != std::errc() || stop != end || n < least || n > most)
        throw vdcUsageError(std::string(option) + " takes a number of " + what + " from " + std::to_string(least) +
                            " to " + std::to_string(most) + ", not '" + std::string(text) + "'");
    return n;
}

// Files worked on at once, each on a thread of its own: as many as a thread count may be.
int jobs_named(std::string_view option, std::string_view text)
{
    return static_cast<int>(count_named(option, text, 1, utThreadTeam::most, "jobs"));
}

// A healing limit: a number above 0 and at most `most`, in `unit`.
double limit_named(std::string_view option, std::string_view text, double most, const char* unit)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value) || value <= 0.0 || value > most)
        throw vdcUsageError(std::string(option) + " takes a number above 0 and at most " + std::to_string(int(most)) +
                            " (" + unit + "), not '" + std::string(text) + "'");
    return value;
}

// An argument as a shell would take it back: quoted when it holds anything but plain characters.
std::string shell_word(std::string_view arg)
{
    const bool plain = !arg.empty() && arg.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                             "0123456789-_./=:,+@%") == std::string_view::npos;
    if (plain)
        return std::string(arg);
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

vdcCliOptions vdcCliOptions::parse(const std::vector<std::string_view>& args)
{
    vdcCliOptions options;
    if (args.empty())
        throw vdcUsageError("no command given");

    options.command_line = "vdacheck";
    for (const std::string_view arg : args)
        options.command_line += ' ' + shell_word(arg);

    const std::string_view command = args[0];
    if (command == "--help" || command == "-h" || command == "help")
        options.command = Command::help;
    else if (command == "--version")
        options.command = Command::version;
    else if (command == "check")
        options.command = Command::check;
    else if (command == "fix")
        options.command = Command::fix;
    else if (command == "repair")
        options.command = Command::repair;
    else if (command == "rules")
        options.command = Command::rules;
    else if (command == "report")
        options.command = Command::report;
    else if (command == "heal")
        options.command = Command::heal;
    else
        throw vdcUsageError("unknown command '" + std::string(command) + "'");

    bool output_given = false;
    bool output_dir_given = false;
    bool jobs_given = false;
    bool stdin_named = false;
    bool threads_given = false;
    bool format_given = false;
    bool triangles_given = false;
    bool profile_given = false;
    bool limits_given = false;  // --tolerance or --angle
    bool only_files = false;    // after "--" every argument is a file
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        auto value = [&](std::string_view option) -> std::string_view {
            if (i + 1 >= args.size())
                throw vdcUsageError(std::string(option) + " needs a value");
            return args[++i];
        };
        if (only_files || arg == "-" || !arg.starts_with('-')) {
            options.files.emplace_back(arg);
        } else if (arg == "--") {
            only_files = true;
        } else if (arg == "--help" || arg == "-h") {
            options.command = Command::help;
            return options;
        } else if (arg == "--version") {
            options.command = Command::version;
            return options;
        } else if (arg == "--format") {
            options.format = format_named(value(arg));
            format_given = true;
        } else if (arg.starts_with("--format=")) {
            options.format = format_named(arg.substr(9));
            format_given = true;
        } else if (arg == "-o" || arg == "--output") {
            if (output_given)
                throw vdcUsageError("more than one output file");
            options.output = std::string(value(arg));
            output_given = true;
        } else if (arg == "--output-dir") {
            if (output_dir_given)
                throw vdcUsageError("more than one output folder");
            options.output_dir = std::string(value(arg));
            output_dir_given = true;
        } else if (arg == "--jobs" || arg == "-j") {
            options.jobs = jobs_named(arg, value(arg));
            jobs_given = true;
        } else if (arg.starts_with("--jobs=")) {
            options.jobs = jobs_named("--jobs", arg.substr(7));
            jobs_given = true;
        } else if (arg == "--stdin-name") {
            options.stdin_name = std::string(value(arg));
            stdin_named = true;
        } else if (arg == "--clean") {
            options.clean = true;
        } else if (arg == "--quality") {
            options.quality = true;
        } else if (arg.starts_with("--quality=")) {
            options.quality = true;
            options.quality_profile = std::string(arg.substr(10));
            if (options.quality_profile.empty())
                throw vdcUsageError("--quality= needs a profile file");
        } else if (arg == "--profile" || arg.starts_with("--profile=")) {
            if (profile_given)
                throw vdcUsageError("more than one profile");
            options.profile = std::string(arg == "--profile" ? value(arg) : arg.substr(10));
            if (options.profile.empty())
                throw vdcUsageError("--profile needs a profile file");
            profile_given = true;
        } else if (arg == "--threads") {
            options.threads = static_cast<int>(count_named(arg, value(arg), 0, utThreadTeam::most, "threads"));
            threads_given = true;
        } else if (arg == "--tolerance") {
            options.heal_tolerance = limit_named(arg, value(arg), 1000, "mm");
            limits_given = true;
        } else if (arg == "--angle") {
            options.heal_angle = limit_named(arg, value(arg), 180, "degrees");
            limits_given = true;
        } else if (arg == "--max-triangles") {
            options.max_triangles = count_named(arg, value(arg), 1, 1'000'000'000, "triangles");
            triangles_given = true;
        } else {
            throw vdcUsageError("unknown option '" + std::string(arg) + "'");
        }
    }

    if (std::count(options.files.begin(), options.files.end(), "-") > 1)
        throw vdcUsageError("standard input (-) can be read only once");
    if (stdin_named && (options.stdin_name.empty() || std::count(options.files.begin(), options.files.end(), "-") == 0))
        throw vdcUsageError("--stdin-name names standard input (-) in the reports; it needs - and a name");
    if (triangles_given && options.command != Command::report)
        throw vdcUsageError("--max-triangles is for report");
    if (limits_given && options.command != Command::heal)
        throw vdcUsageError("--tolerance and --angle are for heal");
    if (profile_given && !options.quality_profile.empty())
        throw vdcUsageError("--quality=PROFILE and --profile both name a profile; give it once");
    const bool any_option = output_given || output_dir_given || options.clean || jobs_given || stdin_named ||
                            options.quality || threads_given || profile_given;
    switch (options.command) {
    case Command::help:
    case Command::version:
        if (!options.files.empty() || any_option)
            throw vdcUsageError("'" + std::string(command) + "' takes no files or options");
        break;
    case Command::rules:
        if (!options.files.empty() || any_option)
            throw vdcUsageError("rules takes no files; only --format");
        if (options.format == Format::sarif)
            throw vdcUsageError("rules writes text or json; the SARIF log of a check carries the rule table");
        break;
    case Command::check:
        if (options.files.empty())
            throw vdcUsageError("check needs at least one file or folder");
        if (output_given || output_dir_given)
            throw vdcUsageError("check writes no file: -o and --output-dir are for fix, repair and heal");
        if (options.clean)
            throw vdcUsageError("--clean is for fix");
        break;
    case Command::fix:
    case Command::repair:
    case Command::heal:  // heal always measures: --quality=PROFILE names its profile
        if (options.quality && options.command != Command::heal)
            throw vdcUsageError("--quality is for check, report and heal");
        if (options.files.empty())
            throw vdcUsageError(std::string(command) + " needs a file or folder");
        if (output_given == output_dir_given)
            throw vdcUsageError(std::string(command) + " needs -o OUT for one file or --output-dir DIR");
        if ((output_given && options.output.empty()) || (output_dir_given && options.output_dir.empty()))
            throw vdcUsageError(std::string(command) + ": the output may not be empty");
        if (output_given && options.files.size() != 1)
            throw vdcUsageError("-o names one output file; use --output-dir DIR for several inputs");
        if (options.clean && options.command != Command::fix)
            throw vdcUsageError("--clean is for fix (repair and heal always clean)");
        break;
    case Command::report:
        if (options.files.size() != 1)
            throw vdcUsageError("report needs exactly one file");
        if (!output_given || options.output.empty())
            throw vdcUsageError("report needs -o OUT.html");
        if (output_dir_given || jobs_given)
            throw vdcUsageError("report writes one page of one file: --output-dir and --jobs are for the others");
        if (options.clean)
            throw vdcUsageError("--clean is for fix");
        if (format_given)
            throw vdcUsageError("report writes an HTML page: --format is for the other commands");
        break;
    }
    return options;
}

const char* vdc_usage_text() noexcept
{
    return "usage: vdacheck check PATH... [--quality[=PROFILE]] [--threads N] [--jobs N] [--format text|json|sarif]\n"
           "       vdacheck fix FILE -o OUT [--clean] [--threads N] [--format text|json|sarif]\n"
           "       vdacheck fix PATH... --output-dir DIR [--clean] [--jobs N] [--format text|json|sarif]\n"
           "       vdacheck repair FILE -o OUT [--threads N] [--format text|json|sarif]\n"
           "       vdacheck repair PATH... --output-dir DIR [--jobs N] [--format text|json|sarif]\n"
           "       vdacheck report FILE -o OUT.html [--quality[=PROFILE]] [--threads N] [--max-triangles N]\n"
           "       vdacheck heal FILE -o OUT [--tolerance MM] [--angle DEG] [--quality=PROFILE] [--format ...]\n"
           "       vdacheck heal PATH... --output-dir DIR [--tolerance MM] [--angle DEG] [--jobs N] [--format ...]\n"
           "       (check, fix, repair, report and heal also take --profile FILE)\n"
           "       vdacheck rules [--format text|json]\n"
           "       vdacheck --help | --version\n"
           "\n"
           "  check   read each file (- reads standard input), check it and report every problem;\n"
           "          --quality also measures the geometric quality (gaps, kinks, tiny and degenerate\n"
           "          elements, curves off their surface) against the default tolerances or a PROFILE\n"
           "          file\n"
           "  fix     check, repair what can be repaired and save the model to OUT;\n"
           "          --clean also deletes the entities that stay faulty\n"
           "  repair  check, repair and delete in rounds until the model checks clean; save it to OUT\n"
           "  report  check FILE (and with --quality measure it) and write OUT.html: one page that\n"
           "          opens offline, the model in 3-D with every problem on it beside the problem\n"
           "          table; the drawing has at most N triangles (default 2000000)\n"
           "  heal    repair the structure, measure the geometric quality, close the gaps and kinks\n"
           "          within --tolerance MM (default 0.1) and --angle DEG (default 1) without moving\n"
           "          any point further than MM, measure again and save the model to OUT; the report\n"
           "          gives each finding healed (value before -> after, how far it moved) or left, and why\n"
           "  rules   list every rule: its id, what it finds and what its repair does\n"
           "\n"
           "  PATH              a file, or a folder searched through for *.vda and *.vdafs files\n"
           "  -o OUT            the file to save to, replaced whole; - (or the file standard output is)\n"
           "                    writes to standard output, and the report then goes to standard error\n"
           "  --output-dir DIR  save each model under DIR at its path relative to the folder it was\n"
           "                    found in (a file given by name: under its own name)\n"
           "  --jobs N          files worked on at once (default: one per core); the reports come in\n"
           "                    the order of the inputs all the same\n"
           "  --threads N       threads that read (and measure) one file (default: the cores left to\n"
           "                    each job; 1 reads on the calling thread)\n"
           "  --stdin-name NAME what the reports call standard input (-), instead of <stdin>\n"
           "  --profile FILE    a JSON file that switches rules off, sets their severity (error,\n"
           "                    warning, note) and the quality rules' tolerances\n"
           "  --format          text for a person, json (one object per file and line, then a summary),\n"
           "                    or sarif (one SARIF 2.1.0 log for the whole run)\n"
           "\n"
           "exit status: 0 nothing left in the error log (heal: and no quality finding left either),\n"
           "             1 problems remain, 2 usage error or a file that cannot be read or written\n";
}
