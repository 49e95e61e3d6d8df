#pragma once

#include <string_view>

#include <vdacheck/check/vdc_error_packet.h>

// Where a rule's findings come from.
enum class vdcRuleKind : unsigned char {
    check,    // a structural check of one entity type: an error packet in the checker's log
    read,     // a deviation the reader tolerated: a warning of the file
    quality,  // a geometric quality criterion measured on the evaluated model
};

enum class vdcSeverity : unsigned char { error, warning };

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
