#pragma once

#include <optional>
#include <string>

#include <pybind11/pybind11.h>

#include <vdacheck/quality/vdc_quality_profile.h>

// The `quality=` argument of check() and report() as a profile: nothing for False or None, the default
// profile for True, a dict read with the rules of a profile file (as JSON), or a str or path-like naming a
// profile file. Throws vdcProfileError for a profile the tool would refuse, pybind11::type_error for
// anything else.
std::optional<vdcQualityProfile> vdc_py_profile(const pybind11::handle& quality);
// How the argument reads in a Python call: True, the path's repr, or {...} for a dict.
std::string vdc_py_profile_spelled(const pybind11::handle& quality);
