#pragma once

#include <vector>

#include <pybind11/pybind11.h>

#include <tool/vdc_cli_report.h>
#include <vdacheck/model/vda_read_warning.h>
#include <vdacheck/rules/vdc_rule.h>

// The tool's reports as the module's plain values (vdacheck/_values.py), field for field as its JSON report has them.

// Problem for each packet, in the report's order.
pybind11::list vdc_py_problems(const std::vector<vdcReportPacket>& packets);
// QualityResult of a check with the quality measured.
pybind11::object vdc_py_quality_result(const vdcCliReport& report);
// Result of fix (with or without clean) or repair.
pybind11::object vdc_py_result(const vdcCliReport& report);
// ReadWarning for each warning, with its rule's id.
pybind11::list vdc_py_warnings(const std::vector<vdaReadWarning>& warnings);
pybind11::object vdc_py_rule(const vdcRule& rule);
