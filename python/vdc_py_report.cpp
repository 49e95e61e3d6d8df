#include <vdc_py_report.h>

#include <string_view>

#include <vdacheck/rules/vdc_rules.h>
#include <vdc_py_bindings.h>
#include <vdc_py_values.h>

namespace py = pybind11;

namespace {

py::object text_or_none(std::string_view text)
{
    if (text.empty())
        return py::none();
    return vdc_py_str(text);
}

py::object problem(const py::module_& values, const vdcReportPacket& p)
{
    const vdcErrorPacket& packet = p.logged.packet;
    py::tuple ints(packet.num_int());
    for (int i = 0; i < packet.num_int(); ++i)
        ints[static_cast<std::size_t>(i)] = packet.get_int(i);
    py::tuple doubles(packet.num_dbl());
    for (int i = 0; i < packet.num_dbl(); ++i)
        doubles[static_cast<std::size_t>(i)] = packet.get_dbl(i);
    return values.attr("Problem")(text_or_none(p.rule_id()), vdc_py_str(p.entity()), vdc_py_str(p.logged.type),
                                  p.logged.line, vdc_py_str(packet.error_message()), ints, doubles,
                                  text_or_none(p.repair()), p.round);
}

py::object finding(const py::module_& values, const vdcQualityFinding& f)
{
    const vdcQualityRuleInfo& rule = vdc_quality_rule_info(f.rule);
    py::dict indices;
    for (std::size_t i = 0; i < rule.indices.size() && rule.indices[i]; ++i)
        indices[rule.indices[i]] = f.where.indices[i];
    py::dict parameters;
    for (std::size_t i = 0; i < rule.parameters.size() && rule.parameters[i]; ++i)
        parameters[rule.parameters[i]] = f.where.parameters[i];
    const py::object point = f.where.has_point
                                 ? py::object(py::make_tuple(f.where.point.x(), f.where.point.y(), f.where.point.z()))
                                 : py::none();
    return values.attr("Finding")(rule.id, vdc_py_str(f.entity), f.type, f.line, f.value, f.tolerance, rule.unit,
                                  indices, parameters, point);
}

const char* kind_name(vdcRuleKind kind) noexcept
{
    switch (kind) {
    case vdcRuleKind::read:
        return "read";
    case vdcRuleKind::quality:
        return "quality";
    default:
        return "check";
    }
}

}  // namespace

py::list vdc_py_problems(const std::vector<vdcReportPacket>& packets)
{
    const py::module_ values = vdc_py_values_module();
    py::list list;
    for (const vdcReportPacket& p : packets)
        list.append(problem(values, p));
    return list;
}

py::object vdc_py_quality_result(const vdcCliReport& report)
{
    const py::module_ values = vdc_py_values_module();
    const vdcQualityReport& quality = report.quality;
    py::list findings;
    for (const vdcQualityFinding& f : quality.findings)
        findings.append(finding(values, f));
    py::list rules;
    for (std::size_t r = 0; r < vdc_num_quality_rules; ++r) {
        const auto rule = static_cast<vdcQualityRule>(r);
        const vdcQualityRuleSummary& summary = quality.rule(rule);
        rules.append(values.attr("RuleSummary")(vdc_quality_rule_info(rule).id, report.quality_profile.enabled(rule),
                                                report.quality_profile.tolerance(rule),
                                                vdc_quality_rule_info(rule).unit, summary.items, summary.findings,
                                                summary.worst ? finding(values, *summary.worst) : py::none()));
    }
    py::list skipped;
    for (const vdcQualitySkip& skip : quality.skipped)
        skipped.append(values.attr("Skip")(vdc_py_str(skip.entity), skip.type, skip.line, vdc_py_str(skip.reason)));
    return values.attr("QualityResult")(report.clean, vdc_py_problems(report.errors), findings, rules, skipped);
}

py::object vdc_py_result(const vdcCliReport& report)
{
    const py::module_ values = vdc_py_values_module();
    py::list rounds;
    const py::object round = values.attr("Round");
    if (report.kind == vdcCliReport::Kind::repair) {
        for (const vdcReportRound& r : report.rounds)
            rounds.append(round(r.found, r.fixed, r.deleted, r.clean));
    } else {
        // fix is one round: every packet found was either repaired or left.
        rounds.append(round(report.errors.size() + report.fixed.size(), report.fixed.size(), report.deleted.size(),
                            report.clean));
    }
    py::list deleted;
    for (const std::string& name : report.deleted)
        deleted.append(vdc_py_str(name));
    py::list renamed;
    for (const vdcRename& r : report.renamed)
        renamed.append(values.attr("Rename")(vdc_py_str(r.from), vdc_py_str(r.to), r.type, r.line));
    return values.attr("Result")(report.clean, report.entities, rounds, vdc_py_problems(report.fixed),
                                 vdc_py_problems(report.errors), deleted, renamed);
}

py::list vdc_py_warnings(const std::vector<vdaReadWarning>& warnings)
{
    const py::object warning = vdc_py_values_module().attr("ReadWarning");
    py::list list;
    for (const vdaReadWarning& w : warnings)
        list.append(warning(vdc_py_str(vdc_rule_of(w.kind).id), w.line, w.column, vdc_py_str(w.message), w.summary));
    return list;
}

py::object vdc_py_rule(const vdcRule& rule)
{
    return vdc_py_values_module().attr("Rule")(
        vdc_py_str(rule.id), kind_name(rule.kind), rule.severity == vdcSeverity::error ? "error" : "warning",
        text_or_none(rule.entity), text_or_none(rule.check), rule.message ? vdc_py_str(rule.message) : vdc_py_str(""),
        text_or_none(rule.repair_name), vdc_py_str(rule.help), rule.tolerance, vdc_py_str(rule.unit));
}
