#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include <vdacheck/exchange/vdc_convert_error.h>
#include <vdacheck/exchange/vdc_convert_options.h>
#include <vdacheck/exchange/vdc_convert_result.h>
#include <vdacheck/exchange/vdc_exchange_export.h>

class vdaFile;

// The format a path's suffix names, in any case: .stp and .step, .igs and .iges, .glb, .gltf; empty otherwise.
VDC_EXCHANGE_API std::optional<vdcExchangeFormat> vdc_exchange_format_of(const std::filesystem::path& path);
// "step", "iges", "glb" or "gltf".
VDC_EXCHANGE_API const char* vdc_exchange_format_name(vdcExchangeFormat format) noexcept;

// Converts a model to STEP, IGES or glTF: checks it (with options.repair: repairs it first, which changes it),
// converts what checks clean and joins within the tolerances, and writes `output` through a temporary file and
// a rename. The result lists every entity as exported (and as what) or left out (and why). Throws
// vdcConvertError when the format is unknown or the output cannot be written; when everything is left out,
// nothing is written and the result says so.
//     const vdcConvertResult r = vdc_convert(*file, "part.step");
//     for (const vdcLeftOutEntity& e : r.left_out) std::cout << e.entity << ": " << e.reason << '\n';
VDC_EXCHANGE_API vdcConvertResult vdc_convert(vdaFile& file, const std::filesystem::path& output,
                                              const vdcConvertOptions& options = {});

// The same in its three steps, for hosts and benchmarks that time them: the constructor takes the format
// (throwing as vdc_convert does), repairs when asked, checks and measures; build() makes OCCT's shapes and
// document (STEP, IGES) or the drawing (glTF); write() writes the file and returns the result.
class VDC_EXCHANGE_API vdcConversion {
public:
    vdcConversion(vdaFile& file, const std::filesystem::path& output, const vdcConvertOptions& options = {});
    ~vdcConversion();
    vdcConversion(const vdcConversion&) = delete;
    vdcConversion& operator=(const vdcConversion&) = delete;

    void build();
    vdcConvertResult write();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
