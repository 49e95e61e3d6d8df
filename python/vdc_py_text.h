#pragma once

#include <string_view>

#include <pybind11/pybind11.h>

// Text of a model or a path as Python str: bytes that are not UTF-8 (a Latin-1 header, say) become surrogate
// escapes, so that str.encode("utf-8", "surrogateescape") gives back the bytes of the file.
pybind11::str vdc_py_str(std::string_view text);
