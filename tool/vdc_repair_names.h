#pragma once

#include <vdacheck/check/vdc_error_packet.h>

// The name of a repair function as reports show it ("fix_cons_trimming_params"); null for a null
// function or one the table does not know.
const char* vdc_repair_name(vdcErrorFunction function) noexcept;
