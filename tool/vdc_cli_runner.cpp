#include <tool/vdc_cli_runner.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <tool/vdc_batch_input.h>
#include <tool/vdc_batch_summary.h>
#include <tool/vdc_ordered_pool.h>
#include <tool/vdc_progress_bar.h>
#include <tool/vdc_rules_report.h>
#include <tool/vdc_sarif_log.h>
#include <tool/vdc_text_report.h>
#include <vdacheck/io/vda_read_error.h>
#include <vdacheck/io/vda_reader.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/run/vdc_json_report.h>
#include <vdacheck/run/vdc_profile.h>
#include <vdacheck/run/vdc_run.h>
#include <vdacheck/util/ut_json_writer.h>
#include <vdacheck/util/ut_terminal_text.h>
#include <vdacheck/util/ut_thread_team.h>

#ifndef VDACHECK_VERSION
#  define VDACHECK_VERSION "unknown"
#endif

namespace fs = std::filesystem;

namespace {

constexpr int status_clean = 0;
constexpr int status_problems = 1;
constexpr int status_failed = 2;

// Results that may wait for their turn to be written, per job: a slow file holds back this many others.
constexpr std::size_t window_per_job = 4;

// A message about a file, at a place in it; names and text from the file shown safely on a terminal.
std::string located(const std::string& file, int line, int column, const char* kind, const std::string& message)
{
    std::string s = ut_terminal_text(file);
    if (line > 0)
        s += ':' + std::to_string(line) + ':' + std::to_string(column);
    return s + ": " + kind + ": " + ut_terminal_text(message);
}

// The tool's own message line: `text` may name files and quote the command line.
std::string message(std::string_view text) { return "vdacheck: " + ut_terminal_text(text) + '\n'; }

// Standard output or standard error could not be written: the run writes no more.
class StreamFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Flushes `stream`, which is `name`; throws StreamFailure with the system's reason when a write to it
// failed since errno was last cleared.
void flush_checked(std::ostream& stream, const char* name)
{
    if (stream.flush())
        return;
    const int error = errno;
    throw StreamFailure(std::string("cannot write to ") + name + ": " +
                        (error != 0 ? std::strerror(error) : "a write failed"));
}

}  // namespace

std::string vdcCliRunner::artifact(const vdcBatchInput& input, const vdcCliOptions& options) const
{
    const bool named = input.path == "-" && !options.stdin_name.empty();
    return vdcSarifLog::artifact(named ? options.stdin_name : input.path, working_folder_);
}

std::unique_ptr<vdaFile> vdcCliRunner::read(const vdcBatchInput& input, const vdcCliOptions& options, int threads,
                                            vdcProgressBar& progress, std::atomic<std::uint64_t>& reported,
                                            vdcFileOutcome& outcome) const
{
    // The reader reports the bytes read so far; the bar counts each byte once.
    vdaReadOptions read_options;
    read_options.threads = static_cast<unsigned>(threads);
    read_options.progress = [&](std::uint64_t done, std::uint64_t) {
        std::uint64_t before = reported.load(std::memory_order_relaxed);
        while (done > before && !reported.compare_exchange_weak(before, done, std::memory_order_relaxed)) {
        }
        if (done > before)
            progress.add_bytes(done - before);
    };
    std::unique_ptr<vdaFile> file;
    try {
        if (input.path == "-") {
            file = vdaReader::read(in_, input.shown, read_options);
        } else {
            file = vdaReader::load(input.path, read_options);
        }
    } catch (const vdaReadError& e) {
        outcome.err += located(e.source(), e.line(), e.column(), "error", e.message()) + '\n';
        if (options.format == vdcCliOptions::Format::sarif)
            outcome.sarif_notification =
                vdcSarifLog::notification(true, artifact(input, options), e.line(), e.column(), e.message());
    }
    return file;
}

void vdcCliRunner::run_command(vdaFile& file, const vdcBatchInput& input, const fs::path& output, const Task& task,
                               vdcFileOutcome& outcome) const
{
    const vdcCliOptions& options = task.options;
    vdcRunOptions run = task.run;
    run.threads = task.threads;
    run.file = outcome.file;
    run.output = output;
    run.make_folders = !options.output_dir.empty();
    run.save = {temporaries_, true};
    run.standard_output = &out_;
    vdcCommand command = vdcCommand::check;
    switch (options.command) {
    case vdcCliOptions::Command::fix:
        command = vdcCommand::fix;
        break;
    case vdcCliOptions::Command::repair:
        command = vdcCommand::repair;
        break;
    case vdcCliOptions::Command::report:
        command = vdcCommand::report;
        break;
    case vdcCliOptions::Command::heal:
        command = vdcCommand::heal;
        break;
    default:
        break;
    }
    vdcRunResult result = vdcRun(std::move(run)).run(command, file);
    outcome.problems_per_rule = result.problems_per_rule();

    // Reader warnings go to standard error in text; the other formats carry them in the report.
    if (options.format == vdcCliOptions::Format::text)
        for (const vdcProblem& w : result.warnings)
            outcome.err +=
                located(input.shown, w.line, w.column, vdc_severity_name(w.severity), std::string(w.message.view())) +
                " [" + std::string(w.id()) + "]\n";
    // A page that cannot be written leaves nothing to report but why.
    const bool page = command == vdcCommand::report;
    std::ostringstream rendered;
    if (options.format == vdcCliOptions::Format::text) {
        if (!page || result.output_error.empty())
            vdc_write_text(rendered, result);
    } else if (options.format == vdcCliOptions::Format::json) {
        utJsonWriter json(rendered, utJsonWriter::Style::line);
        vdcJsonReport::write(json, result);
        rendered << '\n';
    } else {
        result.locate_columns(file.source().text());
        const std::string saved =
            output.empty() || output == "-" ? std::string() : vdcSarifLog::artifact(output.string(), working_folder_);
        rendered << vdcSarifLog::results(result, artifact(input, options), saved);
    }
    outcome.out = rendered.str();
    if (!result.output_error.empty()) {
        outcome.err += message(result.output_error);
        if (options.format == vdcCliOptions::Format::sarif)
            outcome.sarif_notification = vdcSarifLog::notification(
                false, vdcSarifLog::artifact(output.string(), working_folder_), 0, 0, result.output_error);
        outcome.state = vdcFileOutcome::State::unwritten;
        outcome.status = status_failed;
        return;
    }
    outcome.state = result.clean ? vdcFileOutcome::State::clean : vdcFileOutcome::State::problems;
    outcome.status = result.clean ? status_clean : status_problems;
}

vdcFileOutcome vdcCliRunner::process(const vdcBatchInput& input, const fs::path& output, const Task& task,
                                     vdcProgressBar& progress) const
{
    const vdcCliOptions& options = task.options;
    const auto start = std::chrono::steady_clock::now();
    vdcFileOutcome outcome;
    outcome.file = input.shown;
    outcome.bytes = input.bytes;
    std::atomic<std::uint64_t> reported{0};  // bytes the progress bar counted while reading
    if (!input.error.empty()) {
        // A folder that gave no file to read.
        outcome.err = message(input.shown + ": " + input.error);
        if (options.format == vdcCliOptions::Format::sarif)
            outcome.sarif_notification = vdcSarifLog::notification(true, artifact(input, options), 0, 0, input.error);
        progress.file_done(0);
        return outcome;
    }
    try {
        if (std::unique_ptr<vdaFile> file = read(input, options, task.threads, progress, reported, outcome))
            run_command(*file, input, output, task, outcome);
    } catch (const std::exception& e) {
        // Out of memory, or a file system error: the file fails, the others go on.
        outcome.state = vdcFileOutcome::State::unreadable;
        outcome.status = status_failed;
        outcome.out.clear();
        outcome.err += message(input.shown + ": " + e.what());
        if (options.format == vdcCliOptions::Format::sarif)
            outcome.sarif_notification = vdcSarifLog::notification(true, artifact(input, options), 0, 0, e.what());
    }
    const std::uint64_t counted = reported.load();
    progress.file_done(input.bytes > counted ? input.bytes - counted : 0);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

int vdcCliRunner::run_files(const vdcCliOptions& options, const vdcRunOptions& run)
{
    const auto start = std::chrono::steady_clock::now();
    const fs::path output_dir = options.output_dir;
    const std::vector<vdcBatchInput> inputs = vdcBatchInput::expand(options.files, output_dir, options.stdin_name);
    if (!options.output.empty() && (inputs.size() != 1 || inputs[0].path != options.files[0]))
        throw vdcUsageError(options.command == vdcCliOptions::Command::report
                                ? "report draws one file, and " + options.files[0] + " is a folder"
                                : "-o names one output file; use --output-dir DIR for a folder");
    const std::vector<fs::path> outputs =
        output_dir.empty() ? std::vector<fs::path>() : vdcBatchInput::outputs(inputs, output_dir);

    std::uint64_t bytes = 0;
    for (const vdcBatchInput& input : inputs)
        bytes += input.bytes;
    bool batch = inputs.size() > 1;
    for (const std::string& path : options.files) {
        std::error_code error;
        batch = batch || (path != "-" && fs::is_directory(path, error));
    }

    // The model written to standard output leaves the reports to standard error.
    const bool model_out = options.output == "-";
    std::ostream& reports = model_out ? err_ : out_;
    const char* reports_name = model_out ? "standard error" : "standard output";
    const bool sarif = options.format == vdcCliOptions::Format::sarif;
    vdcSarifLog log(reports);
    if (sarif) {
        errno = 0;
        log.begin(working_folder_);
        flush_checked(reports, reports_name);
    }

    vdcProgressBar progress(progress_, inputs.size(), bytes);
    vdcBatchSummary summary;
    int status = status_clean;
    const auto cores = static_cast<int>(utThreadTeam::resolve(0));
    const int jobs = options.jobs > 0 ? options.jobs : cores;
    // Reading and measuring one file use the cores the jobs leave it (all of them for one file), unless
    // told otherwise: a batch does not start jobs times cores threads.
    const int threads = options.threads > 0 || inputs.size() < 2
                            ? options.threads
                            : std::max(1, cores / std::min(jobs, static_cast<int>(inputs.size())));
    const Task task{options, run, threads};
    vdcOrderedPool<vdcFileOutcome> pool(jobs, static_cast<std::size_t>(jobs) * window_per_job);
    progress.draw();
    pool.run(
        inputs.size(),
        [&](std::size_t i) {
            vdcFileOutcome outcome =
                process(inputs[i], outputs.empty() ? fs::path(options.output) : outputs[i], task, progress);
            if (after_each_file_)
                after_each_file_();
            return outcome;
        },
        [&](std::size_t, vdcFileOutcome&& outcome) {
            if (out_is_terminal_ || !outcome.err.empty())
                progress.clear();
            errno = 0;
            err_ << outcome.err;
            flush_checked(err_, "standard error");
            if (sarif)
                log.add(outcome.out, std::move(outcome.sarif_notification));
            else
                reports << outcome.out;
            flush_checked(reports, reports_name);
            summary.add(outcome);
            status = std::max(status, outcome.status);
            progress.draw();
        },
        [&] { progress.draw(); });
    progress.clear();

    errno = 0;
    if (sarif) {
        log.end(status);
    } else if (batch) {
        summary.set_seconds(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (options.format == vdcCliOptions::Format::json)
            summary.write_json(reports);
        else
            summary.write_text(reports);
    }
    flush_checked(reports, reports_name);
    return status;
}

int vdcCliRunner::run(const vdcCliOptions& options)
{
    try {
        return run_line(options);
    } catch (const StreamFailure& e) {
        err_ << message(e.what());
        err_.flush();
        return status_failed;
    }
}

int vdcCliRunner::run_line(const vdcCliOptions& options)
{
    errno = 0;
    switch (options.command) {
    case vdcCliOptions::Command::help:
        out_ << vdc_usage_text();
        break;
    case vdcCliOptions::Command::version:
        out_ << "vdacheck " << VDACHECK_VERSION << '\n';
        break;
    case vdcCliOptions::Command::rules:
        if (options.format == vdcCliOptions::Format::json)
            vdc_write_rules_json(out_);
        else
            vdc_write_rules_text(out_);
        break;
    default:
        return run_models(options);
    }
    flush_checked(out_, "standard output");
    return status_clean;
}

int vdcCliRunner::run_models(const vdcCliOptions& options)
{
    // The profile is read once, before any model.
    vdcRunOptions run;
    run.quality = options.quality;
    run.clean = options.clean;
    run.tessellation.triangle_budget = options.max_triangles;
    run.heal_tolerance = options.heal_tolerance;
    run.heal_angle = options.heal_angle;
    run.command = options.command_line;
    run.version = VDACHECK_VERSION;
    try {
        if (!options.quality_profile.empty())
            run.profile = vdcProfile::load(options.quality_profile, "quality profile");
        else if (!options.profile.empty())
            run.profile = vdcProfile::load(options.profile);
    } catch (const vdcProfileError& e) {
        err_ << message(e.what());
        return status_failed;
    }
    try {
        std::error_code error;
        working_folder_ = fs::current_path(error).string();
        return run_files(options, run);
    } catch (const vdcUsageError& e) {
        err_ << message(e.what());
        return status_failed;
    }
}
