#include <vdc_py_report.h>

#include <sstream>
#include <string_view>

#include <pybind11/stl.h>

#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/run/vdc_json_report.h>
#include <vdacheck/util/ut_json_writer.h>
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

py::object point_or_none(const std::optional<giPoint3>& p)
{
    return p ? py::object(py::make_tuple(p->x(), p->y(), p->z())) : py::none();
}

py::object problem(const py::module_& values, const vdcProblem& p)
{
    py::tuple ints(p.ints.size());
    for (std::size_t i = 0; i < p.ints.size(); ++i)
        ints[i] = p.ints[i];
    py::tuple doubles(p.doubles.size());
    for (std::size_t i = 0; i < p.doubles.size(); ++i)
        doubles[i] = p.doubles[i];
    return values.attr("Problem")(text_or_none(p.id()), vdc_py_str(p.entity), vdc_py_str(p.type), p.line,
                                  vdc_py_str(p.message), ints, doubles, text_or_none(p.repair), p.round,
                                  py::arg("severity") = vdc_severity_name(p.severity));
}

py::object finding(const py::module_& values, const vdcProblem& f)
{
    py::dict indices;
    const auto index_names = f.index_names();
    for (std::size_t i = 0; i < index_names.size() && i < f.ints.size(); ++i)
        indices[index_names[i]] = f.ints[i];
    py::dict parameters;
    const auto parameter_names = f.parameter_names();
    for (std::size_t i = 0; i < parameter_names.size() && i < f.doubles.size(); ++i)
        parameters[parameter_names[i]] = f.doubles[i];
    return values.attr("Finding")(vdc_py_str(f.id()), vdc_py_str(f.entity), vdc_py_str(f.type), f.line,
                                  f.value.value_or(0.0), f.tolerance, vdc_py_str(f.unit()), indices, parameters,
                                  point_or_none(f.point), vdc_severity_name(f.severity));
}

// The reverse: a plain value's fields as the library's problem, for its JSON. The strings the problem views
// are kept in `kept`.
struct Kept {
    std::string type;
    std::string repair;
};

// A str of the module as the bytes it stands for (surrogate escapes back to the bytes they escape).
std::string text_of(const py::handle& text)
{
    PyObject* encoded = PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape");
    if (!encoded)
        throw py::error_already_set();
    return py::reinterpret_steal<py::bytes>(encoded).cast<std::string>();
}

const vdcRule* rule_named(const py::handle& id)
{
    return id.is_none() ? nullptr : vdc_find_rule(id.cast<std::string>());
}

vdcSeverity severity_named(const py::handle& name, vdcSeverity otherwise)
{
    return vdc_severity_named(name.cast<std::string>()).value_or(otherwise);
}

vdcProblem problem_of(const py::handle& value, Kept& kept)
{
    vdcProblem p;
    p.rule = rule_named(value.attr("rule"));
    p.severity = severity_named(value.attr("severity"), vdcSeverity::error);
    p.line = value.attr("line").cast<int>();
    if (py::hasattr(value, "entity")) {
        p.entity = utString(text_of(value.attr("entity")));
        kept.type = text_of(value.attr("type"));
        p.type = kept.type;
    }
    return p;
}

vdcProblem packet_of(const py::handle& value, Kept& kept)
{
    vdcProblem p = problem_of(value, kept);
    p.message = utString(text_of(value.attr("message")));
    p.ints = value.attr("ints").cast<std::vector<int>>();
    p.doubles = value.attr("doubles").cast<std::vector<double>>();
    if (!value.attr("repair").is_none()) {
        kept.repair = text_of(value.attr("repair"));
        p.repair = kept.repair;
    }
    p.round = value.attr("round").cast<int>();
    if (!value.attr("value").is_none()) {
        p.value = value.attr("value").cast<double>();
        p.tolerance = value.attr("tolerance").cast<double>();
    }
    if (!value.attr("point").is_none()) {
        const auto xyz = value.attr("point").cast<std::vector<double>>();
        p.point = giPoint3(xyz.at(0), xyz.at(1), xyz.at(2));
    }
    return p;
}

vdcProblem finding_of(const py::handle& value, Kept& kept)
{
    vdcProblem f = problem_of(value, kept);
    f.value = value.attr("value").cast<double>();
    f.tolerance = value.attr("tolerance").cast<double>();
    const py::dict indices = value.attr("indices");
    for (const char* name : f.index_names())
        f.ints.push_back(indices.contains(name) ? indices[name].cast<int>() : 0);
    const py::dict parameters = value.attr("parameters");
    for (const char* name : f.parameter_names())
        f.doubles.push_back(parameters.contains(name) ? parameters[name].cast<double>() : 0.0);
    if (!value.attr("point").is_none()) {
        const auto xyz = value.attr("point").cast<std::vector<double>>();
        f.point = giPoint3(xyz.at(0), xyz.at(1), xyz.at(2));
    }
    return f;
}

}  // namespace

py::list vdc_py_problems(const std::vector<vdcProblem>& packets)
{
    const py::module_ values = vdc_py_values_module();
    py::list list;
    for (const vdcProblem& p : packets)
        list.append(problem(values, p));
    return list;
}

py::object vdc_py_quality_result(const vdcRunResult& result)
{
    const py::module_ values = vdc_py_values_module();
    py::list findings;
    for (const vdcProblem& f : result.findings)
        findings.append(finding(values, f));
    py::list rules;
    for (const vdcRuleSummary& s : result.quality_rules)
        rules.append(values.attr("RuleSummary")(
            vdc_py_str(s.rule->id), s.enabled, s.tolerance, vdc_py_str(s.rule->unit), s.items, s.findings,
            s.worst ? finding(values, *s.worst) : py::none(), vdc_severity_name(s.severity)));
    py::list skipped;
    for (const vdcQualitySkip& skip : result.skipped)
        skipped.append(values.attr("Skip")(vdc_py_str(skip.entity), skip.type, skip.line, vdc_py_str(skip.reason)));
    return values.attr("QualityResult")(result.clean, vdc_py_problems(result.errors), findings, rules, skipped);
}

py::object vdc_py_result(const vdcRunResult& result)
{
    const py::module_ values = vdc_py_values_module();
    py::list rounds;
    const py::object round = values.attr("Round");
    if (result.command == vdcCommand::repair || result.command == vdcCommand::heal) {
        for (const vdcRunRound& r : result.rounds)
            rounds.append(round(r.found, r.repaired, r.deleted, r.clean));
    } else {
        // fix is one round: every packet found was either repaired or left.
        rounds.append(round(result.errors.size() + result.repaired.size(), result.repaired.size(),
                            result.deleted.size(), result.clean));
    }
    py::list deleted;
    for (const std::string& name : result.deleted)
        deleted.append(vdc_py_str(name));
    py::list renamed;
    for (const vdcRename& r : result.renamed)
        renamed.append(values.attr("Rename")(vdc_py_str(r.from), vdc_py_str(r.to), r.type, r.line));
    return values.attr("Result")(result.clean, result.entities, rounds, vdc_py_problems(result.repaired),
                                 vdc_py_problems(result.errors), deleted, renamed);
}

py::object vdc_py_heal_result(const vdcRunResult& result)
{
    const py::module_ values = vdc_py_values_module();
    const py::object quality = vdc_py_quality_result(result);
    const py::object repair = vdc_py_result(result);
    py::list warnings;
    const py::object warning = values.attr("ReadWarning");
    for (const vdcProblem& w : result.warnings)
        warnings.append(warning(vdc_py_str(w.id()), w.line, w.column, vdc_py_str(w.message), w.summary,
                                vdc_severity_name(w.severity)));
    py::list before;
    for (const vdcProblem& f : result.findings_before)
        before.append(finding(values, f));
    py::list healed;
    for (const vdcHealedProblem& h : result.healed) {
        py::list changed;
        for (const auto& [name, line] : h.changed)
            changed.append(vdc_py_str(name));
        healed.append(values.attr("Healed")(finding(values, h.finding), h.value_after, h.displacement, changed,
                                            vdc_py_str(h.how)));
    }
    py::list left;
    for (const vdcLeftProblem& l : result.left)
        left.append(values.attr("Left")(finding(values, l.finding), vdc_py_str(l.reason)));
    py::list counts;
    for (const vdcHealRuleCount& c : result.heal_counts)
        counts.append(values.attr("HealCount")(vdc_py_str(c.rule->id), c.healed, c.left));
    py::list undone;
    for (const std::string& what : result.undone)
        undone.append(vdc_py_str(what));
    return values.attr("HealResult")(result.clean, vdc_py_str(result.file), result.entities, result.heal_tolerance,
                                     result.heal_angle, result.largest_displacement, warnings, repair.attr("rounds"),
                                     repair.attr("repaired"), repair.attr("errors"), repair.attr("deleted"),
                                     repair.attr("renamed"), before, healed, left, counts, undone,
                                     quality.attr("findings"), quality.attr("rules"), quality.attr("skipped"));
}

py::list vdc_py_warnings(const std::vector<vdaReadWarning>& warnings)
{
    const py::object warning = vdc_py_values_module().attr("ReadWarning");
    py::list list;
    for (const vdaReadWarning& w : warnings) {
        const vdcRule& rule = vdc_rule_of(w.kind);
        list.append(warning(vdc_py_str(rule.id), w.line, w.column, vdc_py_str(w.message), w.summary,
                            vdc_severity_name(rule.severity)));
    }
    return list;
}

py::object vdc_py_rule(const vdcRule& rule)
{
    return vdc_py_values_module().attr("Rule")(
        vdc_py_str(rule.id), vdc_rule_kind_name(rule.kind), vdc_severity_name(rule.severity), text_or_none(rule.entity),
        text_or_none(rule.check), rule.message ? vdc_py_str(rule.message) : vdc_py_str(""),
        text_or_none(rule.repair_name), vdc_py_str(rule.help), rule.tolerance, vdc_py_str(rule.unit));
}

std::string vdc_py_json(const py::handle& value)
{
    const std::string kind = py::str(py::type::of(value).attr("__name__"));
    std::ostringstream out;
    utJsonWriter json(out, utJsonWriter::Style::line);
    Kept kept;
    if (kind == "Problem") {
        vdcJsonReport::packet(json, packet_of(value, kept));
    } else if (kind == "Finding") {
        vdcJsonReport::finding(json, finding_of(value, kept));
    } else if (kind == "ReadWarning") {
        vdcProblem w = problem_of(value, kept);
        w.severity = severity_named(value.attr("severity"), vdcSeverity::warning);
        w.column = value.attr("column").cast<int>();
        w.message = utString(text_of(value.attr("message")));
        vdcJsonReport::warning(json, w);
    } else if (kind == "RuleSummary") {
        vdcRuleSummary s;
        s.rule = rule_named(value.attr("rule"));
        if (!s.rule)
            throw py::value_error("RuleSummary of no rule: " + py::repr(value).cast<std::string>());
        s.enabled = value.attr("enabled").cast<bool>();
        s.severity = severity_named(value.attr("severity"), vdcSeverity::warning);
        s.tolerance = value.attr("tolerance").cast<double>();
        s.items = value.attr("items").cast<std::size_t>();
        s.findings = value.attr("findings").cast<std::size_t>();
        Kept worst;
        if (!value.attr("worst").is_none())
            s.worst = finding_of(value.attr("worst"), worst);
        vdcJsonReport::rule_summary(json, s);
    } else if (kind == "Skip") {
        vdcQualitySkip skip;
        skip.entity = utString(text_of(value.attr("entity")));
        kept.type = text_of(value.attr("type"));
        skip.type = kept.type.c_str();
        skip.line = value.attr("line").cast<int>();
        skip.reason = text_of(value.attr("reason"));
        vdcJsonReport::skip(json, skip);
    } else {
        throw py::type_error("no JSON for a " + kind);
    }
    return out.str();
}
