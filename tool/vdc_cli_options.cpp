#include <tool/vdc_cli_options.h>

#include <algorithm>

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

// A whole number from 0 to 1024 (a thread count).
int count_named(std::string_view option, std::string_view text)
{
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > 1024)
            throw vdcUsageError(std::string(option) + " takes a number of threads, not '" + std::string(text) + "'");
        n = n * 10 + (c - '0');
    }
    if (text.empty() || n > 1024)
        throw vdcUsageError(std::string(option) + " takes a number of threads from 0 to 1024");
    return n;
}

// Files worked on at once: from 1 to 1024.
int jobs_named(std::string_view option, std::string_view text)
{
    const int jobs = count_named(option, text);
    if (jobs < 1)
        throw vdcUsageError(std::string(option) + " takes at least one job");
    return jobs;
}

}  // namespace

vdcCliOptions vdcCliOptions::parse(const std::vector<std::string_view>& args)
{
    vdcCliOptions options;
    if (args.empty())
        throw vdcUsageError("no command given");

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
    else
        throw vdcUsageError("unknown command '" + std::string(command) + "'");

    bool output_given = false;
    bool output_dir_given = false;
    bool jobs_given = false;
    bool stdin_named = false;
    bool threads_given = false;
    bool only_files = false;  // after "--" every argument is a file
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
        } else if (arg.starts_with("--format=")) {
            options.format = format_named(arg.substr(9));
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
        } else if (arg == "--threads") {
            options.threads = count_named(arg, value(arg));
            threads_given = true;
        } else {
            throw vdcUsageError("unknown option '" + std::string(arg) + "'");
        }
    }

    if (std::count(options.files.begin(), options.files.end(), "-") > 1)
        throw vdcUsageError("standard input (-) can be read only once");
    if (stdin_named && (options.stdin_name.empty() || std::count(options.files.begin(), options.files.end(), "-") == 0))
        throw vdcUsageError("--stdin-name names standard input (-) in the reports; it needs - and a name");
    const bool any_option = output_given || output_dir_given || options.clean || jobs_given || stdin_named ||
                            options.quality || threads_given;
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
            throw vdcUsageError("check writes no file: -o and --output-dir are for fix and repair");
        if (options.clean)
            throw vdcUsageError("--clean is for fix");
        break;
    case Command::fix:
    case Command::repair:
        if (options.quality || threads_given)
            throw vdcUsageError("--quality and --threads are for check");
        if (options.files.empty())
            throw vdcUsageError(std::string(command) + " needs a file or folder");
        if (output_given == output_dir_given)
            throw vdcUsageError(std::string(command) + " needs -o OUT for one file or --output-dir DIR");
        if ((output_given && options.output.empty()) || (output_dir_given && options.output_dir.empty()))
            throw vdcUsageError(std::string(command) + ": the output may not be empty");
        if (output_given && options.files.size() != 1)
            throw vdcUsageError("-o names one output file; use --output-dir DIR for several inputs");
        if (options.clean && options.command == Command::repair)
            throw vdcUsageError("--clean is for fix (repair always cleans)");
        break;
    }
    return options;
}

const char* vdc_usage_text() noexcept
{
    return "usage: vdacheck check PATH... [--quality[=PROFILE]] [--threads N] [--jobs N] [--format text|json|sarif]\n"
           "       vdacheck fix FILE -o OUT [--clean] [--format text|json|sarif]\n"
           "       vdacheck fix PATH... --output-dir DIR [--clean] [--jobs N] [--format text|json|sarif]\n"
           "       vdacheck repair FILE -o OUT [--format text|json|sarif]\n"
           "       vdacheck repair PATH... --output-dir DIR [--jobs N] [--format text|json|sarif]\n"
           "       vdacheck rules [--format text|json]\n"
           "       vdacheck --help | --version\n"
           "\n"
           "  check   read each file (- reads standard input), check it and report every problem;\n"
           "          --quality also measures the geometric quality (gaps, kinks, tiny and degenerate\n"
           "          elements, curves off their surface) against the default tolerances or a PROFILE\n"
           "          file, on N threads per file (default: the cores left to each job)\n"
           "  fix     check, repair what can be repaired and save the model to OUT;\n"
           "          --clean also deletes the entities that stay faulty\n"
           "  repair  check, repair and delete in rounds until the model checks clean; save it to OUT\n"
           "  rules   list every rule: its id, what it finds and what its repair does\n"
           "\n"
           "  PATH              a file, or a folder searched through for *.vda and *.vdafs files\n"
           "  --output-dir DIR  save each model under DIR at its path relative to the folder it was\n"
           "                    found in (a file given by name: under its own name)\n"
           "  --jobs N          files worked on at once (default: one per core); the reports come in\n"
           "                    the order of the inputs all the same\n"
           "  --stdin-name NAME what the reports call standard input (-), instead of <stdin>\n"
           "  --format          text for a person, json (one object per file and line, then a summary),\n"
           "                    or sarif (one SARIF 2.1.0 log for the whole run)\n"
           "\n"
           "exit status: 0 nothing left in the error log, 1 problems remain,\n"
           "             2 usage error or a file that cannot be read or written\n";
}
