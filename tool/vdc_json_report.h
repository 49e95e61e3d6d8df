#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

struct vdcCliReport;
struct vdcQualityFinding;

// Writes `report` as one JSON object on one line:
//   {"file", "entities", "clean", "warnings", "errors", then for fix and repair "fixed" and "deleted"}
// Doubles are written so that they read back to the same bits; non-finite ones as the strings "NaN",
// "Infinity" and "-Infinity". Repair reports add "rounds" and give each packet its "round".
void vdc_write_json(std::ostream& out, const vdcCliReport& report);

// `text` as a JSON string literal, quotes included; bytes that are not valid UTF-8 become U+FFFD.
std::string vdc_json_string(std::string_view text);
// `value` as a JSON value (a number, or one of the three strings for non-finite values).
std::string vdc_json_number(double value);
// Where a quality finding was measured, as a JSON object: {"indices": {...}, "parameters": {...}, "point":
// [x, y, z] or null}, the indices and parameters under the names the rule gives them.
std::string vdc_json_quality_where(const vdcQualityFinding& finding);
