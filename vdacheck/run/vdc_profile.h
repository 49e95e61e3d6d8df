#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/quality/vdc_quality_profile.h>
#include <vdacheck/rules/vdc_rule.h>
#include <vdacheck/run/vdc_run_export.h>

// A profile that cannot be used; the message names the profile (its file) and the key that is wrong.
class VDC_RUN_API vdcProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a run makes of each rule of the registry: whether its problems are reported, at which severity,
// and for the quality rules the tolerance they are measured against. A new profile has every rule on, at
// the severity and tolerance of the registry, which gives the reports of a run without a profile.
//
// The severity shapes the reports and whether a model passes (vdcProblem::fails); a rule switched off is
// neither reported nor counted. Neither changes what the checker logs, repairs or deletes: a profile
// decides what is reported, never what fix and clean do. Only the quality rules switched off are not
// measured at all.
//
// A profile file is a JSON object:
//   {"rules": {"surf-patch-gap": {"tolerance": 0.01, "severity": "error"},
//              "cons-trimming-params": {"enabled": false},
//              "read-tab": {"severity": "note"}},
//    "run_unlisted": true}
// Each rule named may set "enabled" (true or false), "severity" ("error", "warning" or "note") and, for
// the quality rules, "tolerance" (a number in the rule's unit, at least 0; at most 180 for angles).
// Rules not named keep their defaults, except that with "run_unlisted": false only the quality rules
// named are measured. Anything else is refused with vdcProfileError: unknown rules and keys (so that a
// misspelt id never passes unnoticed), a key given twice (the same rule twice would leave one of two
// tolerances in force unnoticed), values of the wrong kind, numbers out of range, a file that cannot be
// read, and text that is not JSON (with the line and column).
class VDC_RUN_API vdcProfile {
public:
    vdcProfile();

    bool enabled(const vdcRule& rule) const noexcept;
    vdcSeverity severity(const vdcRule& rule) const noexcept;
    // The tolerance of a quality rule; 0 for the other rules, which measure nothing.
    double tolerance(const vdcRule& rule) const noexcept;
    void set_enabled(const vdcRule& rule, bool on) noexcept;
    void set_severity(const vdcRule& rule, vdcSeverity severity) noexcept;
    // For a quality rule; ignored for the others.
    void set_tolerance(const vdcRule& rule, double tolerance) noexcept;
    // Turns every quality rule on or off.
    void set_quality_enabled(bool on) noexcept;

    // The quality rules' part: which are measured, and against which tolerance.
    const vdcQualityProfile& quality() const noexcept { return quality_; }

    // Reads the profile file at `path`; `what` is what the messages call it ("profile", "quality profile").
    static vdcProfile load(const std::filesystem::path& path, std::string_view what = "profile");
    // The same for the JSON text of a profile; `source` names it in the messages.
    static vdcProfile parse(std::string_view text, const std::string& source, std::string_view what = "profile");

private:
    struct Setting {
        bool enabled = true;
        vdcSeverity severity = vdcSeverity::error;
    };
    std::vector<Setting> settings_;  // per rule of the registry, in its order
    vdcQualityProfile quality_;      // whether the quality rules run, and their tolerances
};
