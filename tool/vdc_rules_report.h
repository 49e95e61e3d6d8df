#pragma once

#include <iosfwd>

#include <vdacheck/rules/vdc_rule.h>

// Lists every rule of the registry: as text, one block per rule (id, kind and entity, severity, repair,
// then the help text); as JSON, one object {"rules": [...]} on one line.
void vdc_write_rules_text(std::ostream& out);
void vdc_write_rules_json(std::ostream& out);

// The words the listings and the SARIF log use for a rule's kind and severity.
const char* vdc_rule_kind_name(vdcRuleKind kind) noexcept;
const char* vdc_severity_name(vdcSeverity severity) noexcept;
