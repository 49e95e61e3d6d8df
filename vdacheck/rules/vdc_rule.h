#pragma once

#include <optional>
#include <string_view>

#include <vdacheck/check/vdc_error_packet.h>

// Where a rule's findings come from.
enum class vdcRuleKind : unsigned char {
    check,    // a structural check of one entity type: an error packet in the checker's log
    read,     // a deviation the reader tolerated: a warning of the file
    quality,  // a geometric quality criterion measured on the evaluated model
    convert,  // why a conversion to an exchange format (STEP, IGES, glTF) leaves an entity out
};

// How much a problem of a rule matters. Every rule has one in the registry; a profile may set another for
// its reports. Notes never make a model fail its check.
enum class vdcSeverity : unsigned char { error, warning, note };

// One rule: what vdacheck can find, under a stable id that reports, filters and profiles use. Plain data;
// the registry (vdc_rules.h) holds every rule once.
struct vdcRule {
    std::string_view id;  // "cons-curve-ptr": the entity's command word, then what is checked
    vdcRuleKind kind;
    vdcSeverity severity;
    std::string_view entity;  // command word of the entity type it concerns; empty for reader rules
    std::string_view check;   // check rules: the sub-check that logs it ("check_curve_ptr")
    const char* message;      // check rules: the packet's message; reader rules: what was met
    vdcErrorFunction repair;  // check rules: the repair function attached to the packet, or null
    std::string_view repair_name;
    std::string_view help;   // one sentence: what is wrong, and what the repair does
    double tolerance = 0.0;  // quality rules: the default tolerance (0: none)
    std::string_view unit;   // quality rules: the unit of the measured value and the tolerance
    // Check rules that find a valid reference to an entity with problems of its own: the entity logging
    // it is faulty only through what it refers to (reports draw it apart from the faulty entity itself).
    bool reference = false;
};

// The words reports, listings and profiles use for a rule's kind and a severity.
constexpr const char* vdc_rule_kind_name(vdcRuleKind kind) noexcept
{
    switch (kind) {
    case vdcRuleKind::check:
        return "check";
    case vdcRuleKind::read:
        return "read";
    case vdcRuleKind::quality:
        return "quality";
    case vdcRuleKind::convert:
        return "convert";
    }
    return "";
}

constexpr const char* vdc_severity_name(vdcSeverity severity) noexcept
{
    switch (severity) {
    case vdcSeverity::error:
        return "error";
    case vdcSeverity::warning:
        return "warning";
    case vdcSeverity::note:
        return "note";
    }
    return "";
}

// The severity of that name, or nothing.
constexpr std::optional<vdcSeverity> vdc_severity_named(std::string_view name) noexcept
{
    for (const vdcSeverity s : {vdcSeverity::error, vdcSeverity::warning, vdcSeverity::note})
        if (name == vdc_severity_name(s))
            return s;
    return std::nullopt;
}
