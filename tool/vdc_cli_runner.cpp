#include <tool/vdc_cli_runner.h>

#include <algorithm>
#include <exception>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>

#include <tool/vdc_json_report.h>
#include <tool/vdc_profile_file.h>
#include <tool/vdc_progress_line.h>
#include <tool/vdc_report_command.h>
#include <tool/vdc_rules_report.h>
#include <tool/vdc_text_report.h>
#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/io/vda_read_error.h>
#include <vdacheck/io/vda_reader.h>
#include <vdacheck/io/vda_writer.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/repair/vdc_file_check_acc.h>
#include <vdacheck/repair/vdc_repair.h>
#include <vdacheck/rules/vdc_rules.h>

#ifndef VDACHECK_VERSION
#  define VDACHECK_VERSION "unknown"
#endif

namespace {

constexpr int status_clean = 0;
constexpr int status_problems = 1;
constexpr int status_failed = 2;

// The name a report and the messages give standard input.
constexpr const char* stdin_name = "<stdin>";

std::string located(const std::string& file, int line, int column, const char* kind, const std::string& message)
{
    std::string s = file;
    if (line > 0)
        s += ':' + std::to_string(line) + ':' + std::to_string(column);
    return s + ": " + kind + ": " + message;
}

}  // namespace

vdcCliReport vdcCliRunner::check_model(vdaFile& file, const vdcQualityProfile* quality, int threads)
{
    vdcCliReport report;
    report.kind = vdcCliReport::Kind::check;
    report.entities_read = file.size();
    vdcFileCheck checker;
    const vdcFileCheckAcc access(&checker);
    report.clean = checker.check(file) != 0;
    vdcCliReport::add(file, access.error_log(), report.errors);
    if (quality) {
        report.quality_run = true;
        report.quality_profile = *quality;
        report.quality = vdcQualityCheck(*quality, threads).run(file);
        report.clean = report.clean && report.quality.findings.empty();
    }
    report.entities = file.size();
    return report;
}

vdcCliReport vdcCliRunner::fix_model(vdaFile& file, bool clean)
{
    vdcCliReport report;
    report.kind = vdcCliReport::Kind::fix;
    report.entities_read = file.size();
    vdcFileCheck checker;
    const vdcFileCheckAcc access(&checker);
    checker.check(file);
    file.make_current();  // repairs and clean resolve names in the current file
    report.clean = checker.fix() != 0;
    vdcCliReport::add(file, access.error_log(), report.errors);
    vdcCliReport::add(file, access.fixed_log(), report.fixed);
    if (clean) {
        report.cleaned = true;
        for (const utString& name : vdc_logged_names(file, access.error_log()))
            report.deleted.emplace_back(name.view());
        checker.clean();
    }
    report.entities = file.size();
    return report;
}

vdcCliReport vdcCliRunner::repair_model(vdaFile& file)
{
    vdcCliReport report;
    report.kind = vdcCliReport::Kind::repair;
    report.entities_read = file.size();
    vdcRepairResult result = vdc_repair(file);
    for (std::size_t r = 0; r < result.rounds.size(); ++r) {
        vdcRepairRound& round = result.rounds[r];
        const int number = static_cast<int>(r + 1);
        report.rounds.push_back({static_cast<int>(round.found.size()), static_cast<int>(round.repaired.size()),
                                 round.entities_deleted, round.clean});
        vdcCliReport::add(std::move(round.repaired), number, report.fixed);
        // What each deleted entity still had: its own faults, or references to entities deleted before.
        vdcCliReport::add(std::move(round.deleted), number, report.errors);
        for (const utString& name : round.deleted_entities)
            report.deleted.emplace_back(name.view());
    }
    report.clean = result.clean;
    report.entities = file.size();
    return report;
}

std::unique_ptr<vdaFile> vdcCliRunner::read(const std::string& name, const vdcCliOptions& options)
{
    const std::string shown = name == "-" ? stdin_name : name;
    vdcProgressLine progress(progress_, shown);
    vdaReadOptions read_options;
    read_options.progress = [&](std::uint64_t done, std::uint64_t total) { progress.update(done, total); };
    std::unique_ptr<vdaFile> file;
    try {
        if (name == "-") {
            const std::string text{std::istreambuf_iterator<char>(in_), std::istreambuf_iterator<char>()};
            file = vdaReader::read(text, stdin_name, read_options);
        } else {
            file = vdaReader::load(name, read_options);
        }
    } catch (const vdaReadError& e) {
        progress.finish();
        err_ << located(e.source(), e.line(), e.column(), "error", e.message()) << '\n';
        return nullptr;
    }
    progress.finish();
    if (options.format == vdcCliOptions::Format::text)
        for (const vdaReadWarning& w : file->warnings())
            err_ << located(shown, w.line, w.column, "warning", w.message) << " [" << vdc_rule_of(w.kind).id << "]\n";
    return file;
}

int vdcCliRunner::process(const std::string& name, const vdcCliOptions& options, const vdcQualityProfile* quality)
{
    std::unique_ptr<vdaFile> file = read(name, options);
    if (!file)
        return status_failed;

    vdcCliReport report;
    std::string save_error;
    switch (options.command) {
    case vdcCliOptions::Command::fix:
        report = fix_model(*file, options.clean);
        break;
    case vdcCliOptions::Command::repair:
        report = repair_model(*file);
        break;
    default:
        report = check_model(*file, quality, options.threads);
        break;
    }
    if (!options.output.empty()) {
        try {
            vdaWriter::save(*file, options.output);
            report.saved_to = options.output;
        } catch (const std::exception& e) {
            save_error = e.what();
        }
    }

    report.file = name == "-" ? stdin_name : name;
    report.warnings = file->warnings();
    if (options.format == vdcCliOptions::Format::json)
        vdc_write_json(out_, report);
    else
        vdc_write_text(out_, report);
    out_.flush();
    if (!save_error.empty()) {
        err_ << "vdacheck: " << save_error << '\n';
        return status_failed;
    }
    return report.clean ? status_clean : status_problems;
}

int vdcCliRunner::run(const vdcCliOptions& options)
{
    switch (options.command) {
    case vdcCliOptions::Command::help:
        out_ << vdc_usage_text();
        return status_clean;
    case vdcCliOptions::Command::version:
        out_ << "vdacheck " << VDACHECK_VERSION << '\n';
        return status_clean;
    case vdcCliOptions::Command::rules:
        if (options.format == vdcCliOptions::Format::json)
            vdc_write_rules_json(out_);
        else
            vdc_write_rules_text(out_);
        return status_clean;
    default:
        break;
    }
    // The quality profile is read once, before any model.
    std::optional<vdcQualityProfile> quality;
    if (options.quality) {
        try {
            quality = options.quality_profile.empty() ? vdcQualityProfile() : vdc_read_profile_file(options.quality_profile);
        } catch (const vdcProfileError& e) {
            err_ << "vdacheck: " << e.what() << '\n';
            return status_failed;
        }
    }
    int status = status_clean;
    for (const std::string& name : options.files) {
        int file_status = status_failed;
        try {
            const vdcQualityProfile* profile = quality ? &*quality : nullptr;
            file_status = options.command == vdcCliOptions::Command::report
                              ? vdcReportCommand(*this, out_, err_).run(name, options, profile)
                              : process(name, options, profile);
        } catch (const std::exception& e) {
            err_ << "vdacheck: " << (name == "-" ? stdin_name : name) << ": " << e.what() << '\n';
        }
        status = std::max(status, file_status);
    }
    return status;
}
