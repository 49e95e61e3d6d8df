#pragma once

#include <cstdio>
#include <iosfwd>
#include <memory>
#include <string>

#include <tool/vdc_cli_options.h>
#include <tool/vdc_cli_report.h>
#include <vdacheck/quality/vdc_quality_profile.h>

class vdaFile;

// Runs one command line: reads each file, runs the command on a thread whose stack fits the model,
// writes the reports to `out` and the reader's messages to `err`, and gives the exit status:
// 0 nothing left in the error log, 1 problems remain, 2 a usage error or a file that could not be read
// or written.
class vdcCliRunner {
public:
    vdcCliRunner(std::istream& in, std::ostream& out, std::ostream& err, std::FILE* progress = stderr)
        : in_(in), out_(out), err_(err), progress_(progress)
    {
    }

    int run(const vdcCliOptions& options);

    // The commands on a model already read, on the calling thread (which must have stack enough for the
    // model's reference chains). Each leaves `file` as the command leaves it and returns the report,
    // without the file's name, warnings and output.
    // With a quality profile, the geometric quality is measured too (on `threads` threads) and its findings
    // count against a clean report.
    static vdcCliReport check_model(vdaFile& file, const vdcQualityProfile* quality = nullptr, int threads = 0);
    static vdcCliReport fix_model(vdaFile& file, bool clean);
    // Rounds of check, fix, check again and clean, each with a fresh checker, until a check finds
    // nothing. Every round that does not end clean deletes at least one entity.
    static vdcCliReport repair_model(vdaFile& file);

    // Reads `name` ("-": standard input) with a progress line, and reports its warnings (text format);
    // null after reporting why it cannot be read.
    std::unique_ptr<vdaFile> read(const std::string& name, const vdcCliOptions& options);

private:
    // Runs the command on one file; returns the file's exit status.
    int process(const std::string& name, const vdcCliOptions& options, const vdcQualityProfile* quality);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    std::FILE* progress_;
};
