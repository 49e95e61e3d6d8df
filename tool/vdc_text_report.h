#pragma once

#include <iosfwd>

struct vdcCliReport;

// Writes `report` for a terminal: a header line, then per entity "TYPE NAME (line N)" with one indented
// line per packet, "message [rule] at ints (doubles) -> repair", and a summary line. Warnings are not part of
// it: the tool writes them to standard error.
void vdc_write_text(std::ostream& out, const vdcCliReport& report);
