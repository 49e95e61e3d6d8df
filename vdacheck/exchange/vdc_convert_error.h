#pragma once

#include <stdexcept>
#include <string>

#include <vdacheck/exchange/vdc_exchange_export.h>

// Why a conversion could not be made at all: a format that cannot be told or is unknown, an output that
// cannot be written. The message names the file.
class VDC_EXCHANGE_API vdcConvertError : public std::runtime_error {
public:
    explicit vdcConvertError(const std::string& message) : std::runtime_error(message) {}
};
