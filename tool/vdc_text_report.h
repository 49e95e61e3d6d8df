#pragma once

#include <iosfwd>
#include <string>

struct vdcProblem;
struct vdcRunResult;

// Writes `result` for a terminal: a header line, then per entity "TYPE NAME (line N)" with one indented
// line per packet, "message [rule] at ints (doubles) -> repair", and a summary line; for report the one
// line that says what the page shows; for heal the repair's rounds, then each finding healed (value before
// -> after, how far the geometry moved, how) and left (and why), and the counts per rule. A severity that a profile
// changed follows the rule id. Warnings are not part of it: the tool writes them to standard error.
void vdc_write_text(std::ostream& out, const vdcRunResult& result);

// A measured value as people read it: six significant digits.
std::string vdc_measured(double value);
// " at segment 2; s 0.5, t 1; point (1, 2, 3)": where a quality finding was measured, in the names its rule
// gives the indices and parameters.
std::string vdc_quality_where(const vdcProblem& finding);
