#pragma once

#include <string>

#include <tool/vdc_cli_options.h>
#include <vdacheck/run/vdc_run_options.h>
#include <vdacheck/run/vdc_run_result.h>

class vdaFile;

// The tool's `convert`: the one part of the tool that uses the exchange library, through the convert module
// it loads the first time convert runs (vdc_convert_module.h). A build may leave the library out
// (VDACHECK_BUILD_EXCHANGE=OFF); check_usable() then says so.
class vdcCliConvert {
public:
    // Throws vdcUsageError, before any file is read, when convert cannot run as asked: a build without the
    // exchange library, a convert module that cannot be loaded, or an output whose suffix names no format
    // (without --to).
    static void check_usable(const vdcCliOptions& options);
    // The suffix of the files --output-dir gets, from --to: ".step", ".iges", ".glb", ".gltf".
    static std::string suffix(const vdcCliOptions& options);
    // Converts the model to run.output (the exchange library's vdc_run_convert), repairing it first with
    // --repair.
    static vdcRunResult run(vdaFile& file, const vdcRunOptions& run, const vdcCliOptions& options);
};
