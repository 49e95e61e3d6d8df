#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/rules/vdc_rule.h>
#include <vdacheck/util/ut_string.h>

// One problem as everything that reports it sees it, whatever found it: a packet of the checker's error
// log, a deviation the reader tolerated, or a finding of the quality run, under the rule it breaks and at
// the severity the run gives it. The tool's reports, the report page and the Python module show problems
// in this one shape.
struct VDC_API vdcProblem {
    const vdcRule* rule = nullptr;              // null: a packet no check logs
    vdcSeverity severity = vdcSeverity::error;  // the rule's own, or what a profile set
    utString entity;                            // the entity's name; empty for a reader warning
    std::string_view type;        // its command word ("CONS"; a set's packets carry "BEGINSET"); empty for a warning
    int line = 0;                 // the first line of the entity's statement, or the warning's; 0: built in code
    int column = 0;               // a warning's column; for the others where the statement starts, once located
    utString message;             // a packet's message, what the reader met, or a quality rule's sentence
    std::vector<int> ints;        // a packet's indices, outermost first; a finding's place: its indices
    std::vector<double> doubles;  // the values that measure a packet; a finding's place: its parameters
    std::string_view repair;      // the name of the repair function the packet carries; empty: none
    int round = 0;                // repair: the round the packet belongs to (from 1); 0 otherwise
    bool summary = false;         // a warning that counts further ones of its rule
    // Quality findings: the value measured, the tolerance it fails (both in the rule's unit) and the point
    // in space where it was measured, when the rule gives one.
    std::optional<double> value;
    double tolerance = 0.0;
    std::optional<giPoint3> point;

    std::string_view id() const noexcept { return rule ? rule->id : std::string_view(); }
    std::string_view unit() const noexcept { return rule ? rule->unit : std::string_view(); }
    vdcRuleKind kind() const noexcept { return rule ? rule->kind : vdcRuleKind::check; }
    // What a finding's indices and its parameters stand for, one name per value of `ints` and `doubles`;
    // empty for packets and warnings, whose values have no names.
    std::span<const char* const> index_names() const noexcept;
    std::span<const char* const> parameter_names() const noexcept;
    // Whether it makes the model fail: a note never does, a reader warning only when raised to an error.
    bool fails() const noexcept;
};
