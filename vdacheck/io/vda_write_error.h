#pragma once

#include <stdexcept>

#include <vdacheck/util/ut_export.h>

// A model that cannot be written (a value VDA-FS cannot express, or the output failed).
class VDA_API vdaWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
