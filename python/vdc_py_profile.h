#pragma once

#include <string>

#include <pybind11/pybind11.h>

#include <vdacheck/run/vdc_run_options.h>

// The `quality=` and `profile=` arguments of check(), fix(), clean(), repair() and report() in the options of a
// run. quality= is False or None (no quality run), True (measured with the profile's tolerances), or a profile
// itself; profile= is None (every rule as the registry has it) or a profile. A profile is a dict with the keys of
// a profile file (read as its JSON) or a str or path-like naming such a file, read by the library's profile
// reader. Throws vdcProfileError for a profile the reader refuses, pybind11::type_error for an argument of
// another kind, and pybind11::value_error when both arguments give a profile.
void vdc_py_profile(const pybind11::handle& quality, const pybind11::handle& profile, vdcRunOptions& options);
// How the arguments read in a Python call, as the report page's header shows it: ", quality=True",
// ", profile='p.json'", ", quality={...}"; empty for the defaults.
std::string vdc_py_profile_spelled(const pybind11::handle& quality, const pybind11::handle& profile);
