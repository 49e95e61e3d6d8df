#include <tool/vdc_cli_runner.h>

#include <algorithm>
#include <exception>
#include <istream>
#include <iterator>
#include <ostream>
#include <string>

#include <tool/vdc_big_stack.h>
#include <tool/vdc_json_report.h>
#include <tool/vdc_progress_line.h>
#include <tool/vdc_text_report.h>
#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/model/vda_element_list.h>
#include <vdacheck/io/vda_read_error.h>
#include <vdacheck/io/vda_reader.h>
#include <vdacheck/io/vda_writer.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/repair/vdc_file_check_acc.h>

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

// VDA-FS cannot write a null element, and fix accepted the packets that reported them.
void remove_null_elements(vdaFile& file)
{
    for (vdaObject& entity : file)
        if (auto* list = vda_cast<vdaElementList>(&entity))
            list->remove_null_elements();
}

}  // namespace

vdcCliReport vdcCliRunner::check_model(vdaFile& file)
{
    vdcCliReport report;
    report.kind = vdcCliReport::Kind::check;
    report.entities_read = file.size();
    vdcFileCheck checker;
    const vdcFileCheckAcc access(&checker);
    report.clean = checker.check(file) != 0;
    vdcCliReport::collect(file, access.error_log(), 0, report.errors);
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
    vdcCliReport::collect(file, access.error_log(), 0, report.errors);
    vdcCliReport::collect(file, access.fixed_log(), 0, report.fixed);
    if (clean) {
        report.cleaned = true;
        report.deleted = vdcCliReport::logged_names(file, access.error_log());
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
    file.make_current();
    for (int round = 1;; ++round) {
        vdcRepairRound& outcome = report.rounds.emplace_back();
        {
            vdcFileCheck checker;
            const vdcFileCheckAcc access(&checker);
            if (checker.check(file)) {
                outcome.clean = true;
                break;
            }
            std::vector<vdcReportPacket> found;
            vdcCliReport::collect(file, access.error_log(), round, found);
            outcome.found = static_cast<int>(found.size());
            checker.fix();
            const std::size_t before = report.fixed.size();
            vdcCliReport::collect(file, access.fixed_log(), round, report.fixed);
            outcome.fixed = static_cast<int>(report.fixed.size() - before);
        }
        remove_null_elements(file);

        vdcFileCheck again;
        const vdcFileCheckAcc access(&again);
        if (again.check(file)) {
            outcome.clean = true;
            break;
        }
        // What each entity about to be deleted still has: its own faults, or references to entities
        // deleted in an earlier round.
        vdcCliReport::collect(file, access.error_log(), round, report.errors);
        std::vector<std::string> names = vdcCliReport::logged_names(file, access.error_log());
        const int size = file.size();
        again.clean();
        outcome.deleted = size - file.size();
        report.deleted.insert(report.deleted.end(), std::make_move_iterator(names.begin()),
                              std::make_move_iterator(names.end()));
        if (outcome.deleted == 0)
            break;  // nothing left to delete: stop rather than loop (reported as not clean)
    }
    report.clean = report.rounds.back().clean;
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
            err_ << located(shown, w.line, w.column, "warning", w.message) << '\n';
    return file;
}

int vdcCliRunner::process(const std::string& name, const vdcCliOptions& options)
{
    std::unique_ptr<vdaFile> file = read(name, options);
    if (!file)
        return status_failed;

    vdcCliReport report;
    std::string save_error;
    vdcBigStack::run(vdcBigStack::size_for(static_cast<std::size_t>(file->size())), [&] {
        file->make_current();  // the worker thread resolves names in this file
        switch (options.command) {
        case vdcCliOptions::Command::fix:
            report = fix_model(*file, options.clean);
            break;
        case vdcCliOptions::Command::repair:
            report = repair_model(*file);
            break;
        default:
            report = check_model(*file);
            break;
        }
    });
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
    default:
        break;
    }
    int status = status_clean;
    for (const std::string& name : options.files) {
        int file_status = status_failed;
        try {
            file_status = process(name, options);
        } catch (const std::exception& e) {
            err_ << "vdacheck: " << (name == "-" ? stdin_name : name) << ": " << e.what() << '\n';
        }
        status = std::max(status, file_status);
    }
    return status;
}
