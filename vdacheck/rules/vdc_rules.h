#pragma once

#include <span>
#include <string_view>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/model/vda_read_warning.h>
#include <vdacheck/rules/vdc_rule.h>

class vdcErrorPacket;

// The registry of every rule vdacheck has: the structural checks (vdc_check_rules.h), the deviations the
// reader tolerates and the geometric quality criteria, each with its id, severity and help text. Reports,
// rule listings and profiles read it; nothing else writes a rule's id, message or help.

// Every rule: the check rules in the order of the checks, then the reader's, then the quality rules (whose
// message is their help text).
VDC_API std::span<const vdcRule> vdc_rules() noexcept;
// The rule of that id, or null.
VDC_API const vdcRule* vdc_find_rule(std::string_view id) noexcept;
// The check rule whose message the packet carries, or null for a packet no check logs.
VDC_API const vdcRule* vdc_rule_of(const vdcErrorPacket& packet) noexcept;
// The reader rule of a kind of warning.
VDC_API const vdcRule& vdc_rule_of(vdaWarningKind kind) noexcept;
