#pragma once

#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <vdacheck/exchange/vdc_convert_options.h>
#include <vdacheck/repair/vdc_repair.h>
#include <vdacheck/run/vdc_convert_counts.h>
#include <vdacheck/run/vdc_converted_entity.h>

// An entity left out of the output and why: a problem of the checks (`rule` is its id, `reason` its
// message), a gap measured beyond its tolerance (`rule` the quality rule, with `value`, `tolerance` and
// `unit`), or a reason of the conversion's own (a conversion rule of the registry, "convert-...": an entity
// that uses one left out, geometry OCCT could not build, ...). An entity may be listed once per reason.
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
