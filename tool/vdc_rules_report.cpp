#include <tool/vdc_rules_report.h>

#include <ostream>
#include <string>

#include <tool/vdc_json_report.h>
#include <vdacheck/rules/vdc_rules.h>

const char* vdc_rule_kind_name(vdcRuleKind kind) noexcept
{
    switch (kind) {
    case vdcRuleKind::check:
        return "check";
    case vdcRuleKind::read:
        return "read";
    case vdcRuleKind::quality:
        return "quality";
    }
    return "";
}

const char* vdc_severity_name(vdcSeverity severity) noexcept
{
    return severity == vdcSeverity::error ? "error" : "warning";
}

namespace {

std::string optional_string(std::string_view text) { return text.empty() ? "null" : vdc_json_string(text); }

}  // namespace

void vdc_write_rules_text(std::ostream& out)
{
    for (const vdcRule& rule : vdc_rules()) {
        out << rule.id << "  (" << vdc_rule_kind_name(rule.kind);
        if (!rule.entity.empty())
            out << ' ' << rule.entity;
        out << ", " << vdc_severity_name(rule.severity);
        if (!rule.repair_name.empty())
            out << ", repaired by " << rule.repair_name;
        if (rule.tolerance > 0.0)
            out << ", tolerance " << vdc_json_number(rule.tolerance) << ' ' << rule.unit;
        out << ")\n";
        if (rule.kind == vdcRuleKind::check)
            out << "    \"" << rule.message << "\"\n";
        out << "    " << rule.help << "\n";
    }
}

void vdc_write_rules_json(std::ostream& out)
{
    out << "{\"rules\": [";
    bool first = true;
    for (const vdcRule& rule : vdc_rules()) {
        out << (first ? "" : ", ") << "{\"id\": " << vdc_json_string(rule.id) << ", \"kind\": \""
            << vdc_rule_kind_name(rule.kind) << "\", \"severity\": \"" << vdc_severity_name(rule.severity)
            << "\", \"entity\": " << optional_string(rule.entity) << ", \"check\": " << optional_string(rule.check)
            << ", \"message\": " << vdc_json_string(rule.message)
            << ", \"repair\": " << optional_string(rule.repair_name) << ", \"help\": " << vdc_json_string(rule.help);
        if (rule.kind == vdcRuleKind::quality)
            out << ", \"tolerance\": " << vdc_json_number(rule.tolerance)
                << ", \"unit\": " << vdc_json_string(rule.unit);
        out << '}';
        first = false;
    }
    out << "]}\n";
}
