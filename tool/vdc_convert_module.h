#pragma once

// The tool's convert module (vdacheck-convert.so): the exchange library, and OCCT behind it, in a module of
// its own that only `vdacheck convert` loads, so that every other command starts without loading OCCT's
// seventy libraries (about 90 ms and 30 MB a process). The tool and the module come from one build, so the
// request passes C++ objects as they are. A build with static libraries links these functions into the tool.

class vdaFile;
struct vdcRunOptions;
struct vdcRunResult;

struct vdcConvertRequest {
    vdaFile* file;
    const vdcRunOptions* run;
    const char* to;  // --to: step, iges, glb or gltf; empty: the output's suffix
    bool repair;     // --repair
    vdcRunResult* result;
};

// The module's two entry points, looked up by these names.
extern "C" {
// True when the suffix of `path` names a format convert writes.
using vdcConvertKnowsFormat = bool (*)(const char* path);
// Converts request->file to request->run->output into *request->result (the exchange library's
// vdc_run_convert); throws what it throws.
using vdcConvertRun = void (*)(const vdcConvertRequest* request);
}
inline constexpr const char* vdc_convert_knows_format_symbol = "vdc_convert_knows_format";
inline constexpr const char* vdc_convert_run_symbol = "vdc_convert_run";

// The entry points themselves (vdc_convert_module.cpp), seen from outside the module.
extern "C" {
__attribute__((visibility("default"))) bool vdc_convert_knows_format(const char* path);
__attribute__((visibility("default"))) void vdc_convert_run(const vdcConvertRequest* request);
}
