#pragma once

#include <string>

#include <vdacheck/util/ut_export.h>

// The shortest text that reads back to the same double ("0.1", "1e-300", "-0"); "nan", "inf" and "-inf"
// for the others. Reports and JSON write numbers through it, so that a value reads back to the same bits.
VDA_API std::string ut_number_text(double value);
