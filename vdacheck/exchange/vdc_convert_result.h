#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <vdacheck/exchange/vdc_convert_options.h>
#include <vdacheck/repair/vdc_repair.h>

// An entity of the model and what it became in the output: "face", "untrimmed face", "face of shell T1",
// "surface of FACE F1", "edge of FACE F1", "3-D curve of CONS N1", "edge", "vertex", "vertices",
// "vertices (vectors not carried)", "assembly", "located instances", "placement of TLIST L1", ...
struct vdcConvertedEntity {
    std::string entity;
    std::string type;  // its command word
    int line = 0;      // first line of its statement; 0 for an entity built in code
    std::string as;
};

// An entity left out of the output and why: a problem of the checks (`rule` is its id, `reason` its
// message), a gap measured beyond its tolerance (`rule` the quality rule, with `value`, `tolerance` and
// `unit`), or a reason of the conversion's own (`rule` starting with "convert-": an entity that uses one
// left out, geometry OCCT could not build, ...). An entity may be listed once per reason.
struct vdcLeftOutEntity {
    std::string entity;
    std::string type;
    int line = 0;
    std::string rule;
    std::string reason;
    double value = std::numeric_limits<double>::quiet_NaN();  // the measured value, when there is one
    double tolerance = std::numeric_limits<double>::quiet_NaN();
    std::string unit;
};

// What the output holds.
struct vdcConvertCounts {
    std::size_t faces = 0;        // trimmed and untrimmed faces, those in shells included
    std::size_t shells = 0;       // faces sewn along topology edges
    std::size_t edges = 0;        // free edges: curves, circles, cons that bound no face
    std::size_t vertices = 0;     // points, points of point sets and MDIs
    std::size_t assemblies = 0;   // groups, sets and transformation lists
    std::size_t instances = 0;    // placed entities of transformation lists
    std::size_t meshes = 0;       // glTF: meshes written
    std::size_t triangles = 0;    // glTF: triangles in them
    std::size_t line_strips = 0;  // glTF: polylines of curves and boundaries
};

// What vdc_convert did: plain data for reports. `written` is false when nothing was written, because
// everything was left out (`message` says so); every entity other than the HEADER is either in `exported`
// or in `left_out`.
struct vdcConvertResult {
    std::filesystem::path output;
    vdcExchangeFormat format = vdcExchangeFormat::step;
    bool written = false;
    std::string message;
    std::optional<vdcRepairResult> repair;  // with the repair option: what it did
    std::vector<vdcConvertedEntity> exported;
    std::vector<vdcLeftOutEntity> left_out;
    vdcConvertCounts counts;
};
