#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/model/vda_read_warning.h>
#include <vdacheck/rules/vdc_quality_rules.h>
#include <vdacheck/rules/vdc_rule.h>

class vdcErrorPacket;

// The registry of every rule vdacheck has: the structural checks (vdc_check_rules.h), the deviations the
// reader tolerates and the geometric quality criteria, each with its id, severity and help text. Reports,
// rule listings and profiles read it; nothing else writes a rule's id, message or help.

// Every rule: the check rules in the order of the checks, then the reader's, then the quality rules (whose
// message is their help text), then the conversion's own reasons for leaving an entity out.
VDC_API std::span<const vdcRule> vdc_rules() noexcept;
// The rule of that id, or null.
VDC_API const vdcRule* vdc_find_rule(std::string_view id) noexcept;
// The check rule whose message the packet carries, or null for a packet no check logs.
VDC_API const vdcRule* vdc_rule_of(const vdcErrorPacket& packet) noexcept;
// The reader rule of a kind of warning.
VDC_API const vdcRule& vdc_rule_of(vdaWarningKind kind) noexcept;
// The registry's row of a quality rule, and the quality rule of a row (nothing for other kinds).
VDC_API const vdcRule& vdc_rule_of(vdcQualityRule rule) noexcept;
VDC_API std::optional<vdcQualityRule> vdc_quality_rule_of(const vdcRule& rule) noexcept;
// The position of a rule of the registry in vdc_rules().
VDC_API std::size_t vdc_rule_index(const vdcRule& rule) noexcept;
