#include <tool/vdc_report_command.h>

#include <exception>
#include <ostream>
#include <stdexcept>
#include <string>

#include <tool/vdc_cli_options.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/report/vdc_model_report.h>

#ifndef VDACHECK_VERSION
#  define VDACHECK_VERSION "unknown"
#endif

namespace {

std::string counted(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

}  // namespace

void vdc_run_report(const vdaFile& file, const std::filesystem::path& page, const vdcCliOptions& options,
                    const vdcQualityProfile* quality, int threads, vdcFileOutcome& outcome,
                    std::ostream& standard_output, const utReplaceOptions& save)
{
    vdcModelReportOptions report_options;
    report_options.quality = quality != nullptr;
    if (quality)
        report_options.quality_profile = *quality;
    report_options.threads = threads;
    report_options.tessellation.triangle_budget = options.max_triangles;
    report_options.file = outcome.file;
    report_options.command = options.command_line;
    report_options.version = VDACHECK_VERSION;
    const vdcModelReport report(file, report_options);
    try {
        if (page == "-") {
            report.write(standard_output);
            if (!standard_output.flush())
                throw std::runtime_error("cannot write the report page to standard output");
        } else {
            report.save(page, save);
        }
    } catch (const std::exception& e) {
        outcome.err += std::string("vdacheck: ") + e.what() + '\n';
        outcome.state = vdcFileOutcome::State::unwritten;
        outcome.status = 2;
        return;
    }

    outcome.out = "report " + outcome.file + ": " +
                  counted(static_cast<std::size_t>(file.size()), "entity", "entities") + ", " +
                  counted(report.errors(), "error", "errors");
    if (quality)
        outcome.out += ", " + counted(report.findings(), "quality finding", "quality findings");
    outcome.out += ", " + counted(report.scene().triangles, "triangle", "triangles") + "; page written to " +
                   (page == "-" ? std::string("standard output") : page.string()) + '\n';
    outcome.state = report.clean() ? vdcFileOutcome::State::clean : vdcFileOutcome::State::problems;
    outcome.status = report.clean() ? 0 : 1;
}
