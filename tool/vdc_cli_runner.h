#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>

#include <tool/vdc_cli_options.h>
#include <tool/vdc_file_outcome.h>
#include <vdacheck/run/vdc_run_options.h>

class utTemporaryFiles;
class vdaFile;
class vdcProgressBar;
struct vdcBatchInput;

// Runs one command line: lists the files of the paths given, works on up to --jobs of them at once (each
// worker reads one model, runs the command on it through the run library, which also saves what it
// writes, and renders the result), writes the reports to `out` and the messages to `err` in the order of
// the inputs, then a summary when the run had several files. The exit status is the worst of the files:
// 0 nothing that fails is left, 1 problems remain, 2 a usage error or a file that could not be read or
// written. With `-o -` the model (or page) goes to `out` and the report to `err`.
class vdcCliRunner {
public:
    // `progress` gets the progress bar when it is a terminal; `out_is_terminal` says whether `out` shares
    // the terminal, so that the bar makes way for the reports. `temporaries`, when given, holds the named
    // temporary files of the saves in progress, for the process to remove when it is stopped.
    vdcCliRunner(std::istream& in, std::ostream& out, std::ostream& err, std::FILE* progress = stderr,
                 bool out_is_terminal = false, utTemporaryFiles* temporaries = nullptr)
        : in_(in), out_(out), err_(err), progress_(progress), out_is_terminal_(out_is_terminal),
          temporaries_(temporaries)
    {
    }

    // A write to standard output or error that fails stops the run: its message names the stream and the
    // system's reason, and the status is 2.
    int run(const vdcCliOptions& options);

    // Called on a job's thread each time it has done a file, before it takes the next: the tool hands the
    // blocks its allocator keeps for that thread back to the process (see main.cpp).
    void after_each_file(std::function<void()> hook) { after_each_file_ = std::move(hook); }
    // What run() takes from the command line for every file: the command's options, with the profile read
    // (throws vdcProfileError).
    static vdcRunOptions run_options(const vdcCliOptions& options);
    // One file of a run whose files are spread over other processes: what run() makes of it, its report
    // rendered in the format asked (not SARIF) and `threads` reading and measuring it (0: all); `output` is
    // where fix and repair save it. No progress is shown.
    vdcFileOutcome process_one(const vdcBatchInput& input, const std::filesystem::path& output,
                               const vdcCliOptions& options, const vdcRunOptions& run, int threads) const;

private:
    int run_line(const vdcCliOptions& options);
    // check, fix, repair and report: reads the profile, then runs the files.
    int run_models(const vdcCliOptions& options);
    int run_files(const vdcCliOptions& options, const vdcRunOptions& run);
    // The SARIF artifactLocation of an input: standard input under its --stdin-name, if it has one.
    std::string artifact(const vdcBatchInput& input, const vdcCliOptions& options) const;
    // Reads the input, adding the bytes read to `reported` and the bar; null after putting why it cannot
    // be read into `outcome`.
    // `threads` read it (0: all the machine has).
    std::unique_ptr<vdaFile> read(const vdcBatchInput& input, const vdcCliOptions& options, int threads,
                                  vdcProgressBar& progress, std::atomic<std::uint64_t>& reported,
                                  vdcFileOutcome& outcome) const;
    // What the run does with each file, on a worker thread: the command line's options, what the command
    // runs with (the profile, the quality run, the drawing) and the threads that read and measure one file
    // (0: all).
    struct Task {
        const vdcCliOptions& options;
        const vdcRunOptions& run;
        int threads;
    };
    // Everything the run does with one file; `output` is empty for check.
    vdcFileOutcome process(const vdcBatchInput& input, const std::filesystem::path& output, const Task& task,
                           vdcProgressBar& progress) const;
    // Runs the command on the model read (which saves it, or writes the page), and renders the result into
    // `outcome`.
    void run_command(vdaFile& file, const vdcBatchInput& input, const std::filesystem::path& output, const Task& task,
                     vdcFileOutcome& outcome) const;

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    std::FILE* progress_;
    bool out_is_terminal_;
    utTemporaryFiles* temporaries_;
    std::function<void()> after_each_file_;
    std::string working_folder_;  // for the artifact URIs of a SARIF log
};
