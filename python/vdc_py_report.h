#pragma once

#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include <vdacheck/model/vda_read_warning.h>
#include <vdacheck/rules/vdc_rule.h>
#include <vdacheck/run/vdc_run_result.h>

// The run library's results as the module's plain values (vdacheck/_values.py), field for field as the JSON
// report has them.

// Problem for each packet, in the result's order.
pybind11::list vdc_py_problems(const std::vector<vdcProblem>& packets);
// QualityResult of a check with the quality measured.
pybind11::object vdc_py_quality_result(const vdcRunResult& result);
// Result of fix (with or without clean) or repair.
pybind11::object vdc_py_result(const vdcRunResult& result);
// HealResult of heal.
pybind11::object vdc_py_heal_result(const vdcRunResult& result);
// ReadWarning for each warning of a model, at its rule's severity.
pybind11::list vdc_py_warnings(const std::vector<vdaReadWarning>& warnings);
pybind11::object vdc_py_rule(const vdcRule& rule);
// The JSON text the library writes for one of the plain values (Problem, Finding, ReadWarning, RuleSummary,
// Skip): what its to_dict() gives, read back.
std::string vdc_py_json(const pybind11::handle& value);
