#pragma once

#include <pybind11/pybind11.h>

// The parts of the module, each registered by its own file.

// Entity and one class per entity type (vdc_py_entity_types.cpp).
void vdc_py_bind_entities(pybind11::module_& m);
// Model and its iterator (vdc_py_model_class.cpp).
void vdc_py_bind_model(pybind11::module_& m);
// load, read, check, fix, clean, repair, rules, report (vdc_py_commands.cpp).
void vdc_py_bind_commands(pybind11::module_& m);
// convert (vdc_py_convert.cpp).
void vdc_py_bind_convert(pybind11::module_& m);

// The package module that holds the plain value types (Problem, Segment, ...).
pybind11::module_ vdc_py_values_module();
