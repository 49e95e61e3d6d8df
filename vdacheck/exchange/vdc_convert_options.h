#pragma once

#include <optional>

#include <vdacheck/mesh/vda_tessellation_options.h>
#include <vdacheck/quality/vdc_quality_profile.h>
#include <vdacheck/util/ut_cancel.h>
#include <vdacheck/util/ut_replace_file.h>

// The formats a model converts to: STEP and IGES carry the exact geometry, glTF (binary .glb or text .gltf)
// the tessellation.
enum class vdcExchangeFormat : unsigned char { step, iges, glb, gltf };

// The application protocol a STEP file is written in.
enum class vdcStepSchema : unsigned char { ap214, ap242 };

// How vdc_convert works.
struct vdcConvertOptions {
    // The format; empty: taken from the output's suffix (.stp, .step, .igs, .iges, .glb, .gltf).
    std::optional<vdcExchangeFormat> format;
    // Repair the model first (vdc_repair, which changes it), as the tool's repair command does; otherwise
    // what the checks report is left out.
    bool repair = false;
    vdcStepSchema step_schema = vdcStepSchema::ap214;
    // The tolerances of the gap rules decide what still joins: surf-patch-gap and curve-segment-gap (one
    // spline per surface and curve), cons-segment-gap, cons-curve-deviation (the two curves of an edge),
    // face-loop-gap (a boundary closes) and top-edge-gap (two faces are sewn). Whether a rule is enabled
    // does not matter here.
    vdcQualityProfile tolerances;
    // The drawing glTF is written from.
    vdaTessellationOptions tessellation;
    // Threads that measure the model (0: every hardware thread).
    int threads = 0;
    // How the output is written through its temporary file (where a named one is registered).
    utReplaceOptions save;
    // Looked at by the repair, the checks, the quality run and the drawing, and before each face and shape
    // is built: a conversion it stops throws utCancelled and writes nothing (the repair's changes stay).
    utCancel cancel;
};
