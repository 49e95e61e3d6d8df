#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string>

#include <vdacheck/mesh/vda_scene.h>
#include <vdacheck/mesh/vda_tessellation_options.h>
#include <vdacheck/quality/vdc_quality_profile.h>
#include <vdacheck/report/vdc_report.h>
#include <vdacheck/report/vdc_report_export.h>
#include <vdacheck/util/ut_replace_file.h>

class vdaFile;

// What goes into the report of a model, besides the model itself.
struct vdcModelReportOptions {
    bool quality = false;                 // measure the geometric quality too
    vdcQualityProfile quality_profile;    // the rules and tolerances it is measured with
    int threads = 0;                      // for the quality run and the tessellation; 0: every hardware thread
    vdaTessellationOptions tessellation;  // how finely the model is drawn (its `threads` is replaced by `threads`)
    std::string file;                     // the model's name in the header; empty: the name it was read under
    std::string command;                  // the command line that made the report
    std::string version;                  // of the program that made it
};

// The report page of a model, made in one go: the model is checked (and its geometric quality measured
// when asked), drawn, and then written as one self-contained HTML page:
//     vdcModelReportOptions options;
//     options.quality = true;
//     const vdcModelReport report(*file, options);
//     report.save("part.html");                 // temporary file, then rename; throws std::runtime_error
//     return report.clean() ? 0 : 1;
//
// The problem table holds the checker's packets, entity by entity in file order (as the tool's check
// report lists them), then the quality findings in the quality report's order. Entities with problems
// of their own are drawn as faulty; entities whose every packet is a reference to a faulty entity (a rule
// marked `reference` in the registry) as referring to faulty ones. The model is only read.
class VDC_REPORT_API vdcModelReport {
public:
    vdcModelReport(const vdaFile& file, const vdcModelReportOptions& options);

    // Writes the page to `out`; the caller checks the stream.
    void write(std::ostream& out) const;
    // Writes the page to a temporary file beside `path` and renames it over `path`; `path` is never
    // half-written (see ut_replace_file). Throws std::runtime_error when that fails.
    void save(const std::filesystem::path& path, const utReplaceOptions& options = {}) const;

    const vdcReport& report() const noexcept { return report_; }
    const vdaScene& scene() const noexcept { return scene_; }
    std::size_t errors() const noexcept { return errors_; }      // packets of the structural check
    std::size_t findings() const noexcept { return findings_; }  // quality findings
    // Nothing in the error log and, when the quality was measured, no finding.
    bool clean() const noexcept { return errors_ == 0 && findings_ == 0; }

private:
    vdcReport report_;
    vdaScene scene_;
    std::size_t errors_ = 0;
    std::size_t findings_ = 0;
};
