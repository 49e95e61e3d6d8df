#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include <vdacheck/quality/vdc_quality_profile.h>

// A quality profile file that cannot be used; the message names the file and what is wrong.
class vdcProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a quality profile: a JSON object
//   {"rules": {"surf-patch-gap": {"tolerance": 0.01}, "surf-undefined-normal": {"enabled": false}},
//    "run_unlisted": true}
// Each listed rule may set "enabled" and "tolerance" (a finite number, at least 0); rules not listed keep
// their defaults, and run only when "run_unlisted" is true (the default). Unknown rules and keys are errors,
// so that a misspelt id never passes unnoticed. Throws vdcProfileError.
vdcQualityProfile vdc_read_profile_file(const std::string& path);
// The same for the JSON text of a profile; `source` names it in the messages.
vdcQualityProfile vdc_parse_profile(std::string_view text, const std::string& source);
