#pragma once

#include <filesystem>
#include <iosfwd>

#include <vdacheck/mesh/vda_scene.h>
#include <vdacheck/report/vdc_report.h>
#include <vdacheck/report/vdc_report_export.h>
#include <vdacheck/util/ut_replace_file.h>

// Writes a report as one self-contained HTML page: the model drawn in 3-D with its faulty entities marked,
// the problem table beside it, and the header. The page needs no network and no other file; the viewer
// library, the data (JSON) and the drawing (binary, base64) are all inside it.
//
// Drawings whose data does not hold together are left out of the 3-D view and named in the page's
// header, with the reason.
class VDC_REPORT_API vdcReportWriter {
public:
    // Both are read when writing, so they must outlive the writer.
    vdcReportWriter(const vdaScene& scene, const vdcReport& report) : scene_(scene), report_(report) {}

    // Writes the page to `out`; the caller checks the stream.
    void write(std::ostream& out) const;
    // Writes the page to a temporary file beside `path` and renames it over `path`, so that `path` is
    // never half-written (see ut_replace_file: a device or FIFO is written to in place, a link followed).
    // Throws std::runtime_error when that fails; `path` is then as it was.
    void save(const std::filesystem::path& path, const utReplaceOptions& options = {}) const;

private:
    const vdaScene& scene_;
    const vdcReport& report_;
};
