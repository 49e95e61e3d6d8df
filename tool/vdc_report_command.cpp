#include <tool/vdc_report_command.h>

#include <exception>
#include <memory>
#include <ostream>

#include <tool/vdc_cli_options.h>
#include <tool/vdc_cli_runner.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/report/vdc_model_report.h>

#ifndef VDACHECK_VERSION
#  define VDACHECK_VERSION "unknown"
#endif

int vdcReportCommand::run(const std::string& name, const vdcCliOptions& options, const vdcQualityProfile* quality)
{
    const std::unique_ptr<vdaFile> file = runner_.read(name, options);
    if (!file)
        return 2;

    vdcModelReportOptions report_options;
    report_options.quality = quality != nullptr;
    if (quality)
        report_options.quality_profile = *quality;
    report_options.threads = options.threads;
    report_options.tessellation.triangle_budget = options.max_triangles;
    report_options.command = options.command_line;
    report_options.version = VDACHECK_VERSION;
    const vdcModelReport report(*file, report_options);
    try {
        report.save(options.output);
    } catch (const std::exception& e) {
        err_ << "vdacheck: " << e.what() << '\n';
        return 2;
    }

    out_ << "report " << report.report().file << ": " << file->size() << " entities, " << report.errors()
         << (report.errors() == 1 ? " error" : " errors");
    if (quality)
        out_ << ", " << report.findings() << (report.findings() == 1 ? " quality finding" : " quality findings");
    out_ << ", " << report.scene().triangles << " triangles; page written to " << options.output << '\n';
    return report.clean() ? 0 : 1;
}
