#include <tool/vdc_rules_report.h>

#include <ostream>
#include <string>

#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/util/ut_json_writer.h>
#include <vdacheck/util/ut_number_text.h>

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
            out << ", tolerance " << ut_number_text(rule.tolerance) << ' ' << rule.unit;
        out << ")\n";
        if (rule.kind == vdcRuleKind::check)
            out << "    \"" << rule.message << "\"\n";
        out << "    " << rule.help << "\n";
    }
}

void vdc_write_rules_json(std::ostream& out)
{
    utJsonWriter json(out, utJsonWriter::Style::line);
    json.begin_object().key("rules").begin_array();
    for (const vdcRule& rule : vdc_rules()) {
        json.begin_object().key("id").string(rule.id).key("kind").string(vdc_rule_kind_name(rule.kind));
        json.key("severity").string(vdc_severity_name(rule.severity)).key("entity").string_or_null(rule.entity);
        json.key("check").string_or_null(rule.check).key("message").string(rule.message);
        json.key("repair").string_or_null(rule.repair_name).key("help").string(rule.help);
        if (rule.kind == vdcRuleKind::quality)
            json.key("tolerance").number(rule.tolerance).key("unit").string(rule.unit);
        json.end_object();
    }
    json.end_array().end_object();
    out << '\n';
}
