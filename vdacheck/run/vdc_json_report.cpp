#include <vdacheck/run/vdc_json_report.h>

#include <vdacheck/util/ut_json_writer.h>

namespace {

void point(utJsonWriter& json, const std::optional<giPoint3>& p)
{
    if (p)
        json.begin_array().number(p->x()).number(p->y()).number(p->z()).end_array();
    else
        json.null();
}

template <class T, class Write>
void array(utJsonWriter& json, const std::vector<T>& items, Write&& write)
{
    json.begin_array();
    for (const T& item : items)
        write(json, item);
    json.end_array();
}

}  // namespace

void vdcJsonReport::write(utJsonWriter& json, const vdcRunResult& result)
{
    // heal runs repair first, and reports it as repair does.
    const bool repair = result.command == vdcCommand::repair || result.command == vdcCommand::heal;
    json.begin_object().key("file").string(result.file);
    // A model or page that could not be written leaves the file failed, however clean the model.
    const bool written = result.output_error.empty();
    json.key("entities").integer(result.entities).key("clean").boolean(result.clean && written);
    if (!written)
        json.key("error").string(result.output_error);
    if (repair)
        json.key("rounds").integer(static_cast<std::int64_t>(result.rounds.size()));
    array(json.key("warnings"), result.warnings, warning);
    array(json.key("errors"), result.errors, packet);
    if (result.command == vdcCommand::fix || repair) {
        array(json.key("fixed"), result.repaired, packet);
        array(json.key("deleted"), result.deleted, [](utJsonWriter& j, const std::string& name) { j.string(name); });
    }
    if (repair)
        array(json.key("renamed"), result.renamed, [](utJsonWriter& j, const vdcRename& r) {
            j.begin_object().key("entity").string(r.from.view()).key("to").string(r.to.view());
            j.key("type").string(r.type).key("line").integer(r.line).end_object();
        });
    if (result.command == vdcCommand::heal) {
        json.key("tolerance").number(result.heal_tolerance).key("angle").number(result.heal_angle);
        json.key("largest_displacement").number(result.largest_displacement);
        array(json.key("quality_before"), result.findings_before, finding);
        array(json.key("healed"), result.healed, healed);
        array(json.key("left"), result.left, left);
        array(json.key("heal_rules"), result.heal_counts, heal_count);
        array(json.key("undone"), result.undone, [](utJsonWriter& j, const std::string& what) { j.string(what); });
    }
    if (result.quality_run) {
        array(json.key("quality"), result.findings, finding);
        array(json.key("quality_rules"), result.quality_rules, rule_summary);
        array(json.key("quality_skipped"), result.skipped, skip);
    }
    json.end_object();
}

void vdcJsonReport::warning(utJsonWriter& json, const vdcProblem& w)
{
    json.begin_object().key("rule").string(w.id()).key("line").integer(w.line).key("column").integer(w.column);
    json.key("message").string(w.message.view()).key("severity").string(vdc_severity_name(w.severity));
    json.end_object();
}

void vdcJsonReport::packet(utJsonWriter& json, const vdcProblem& p)
{
    json.begin_object().key("entity").string(p.entity.view()).key("type").string(p.type);
    json.key("line").integer(p.line).key("rule").string_or_null(p.id()).key("message").string(p.message.view());
    array(json.key("ints"), p.ints, [](utJsonWriter& j, int v) { j.integer(v); });
    array(json.key("doubles"), p.doubles, [](utJsonWriter& j, double v) { j.number(v); });
    json.key("repair").string_or_null(p.repair);
    if (p.round > 0)
        json.key("round").integer(p.round);
    if (p.value) {
        json.key("value").number(*p.value).key("tolerance").number(p.tolerance).key("unit").string(p.unit());
        point(json.key("point"), p.point);
    }
    json.key("severity").string(vdc_severity_name(p.severity)).end_object();
}

void vdcJsonReport::finding(utJsonWriter& json, const vdcProblem& f)
{
    finding_members(json.begin_object(), f);
    json.end_object();
}

void vdcJsonReport::finding_members(utJsonWriter& json, const vdcProblem& f)
{
    json.key("rule").string(f.id()).key("entity").string(f.entity.view()).key("type").string(f.type);
    json.key("line").integer(f.line).key("value").number(f.value.value_or(0.0));
    json.key("tolerance").number(f.tolerance).key("unit").string(f.unit());
    where(json.key("where"), f);
    json.key("severity").string(vdc_severity_name(f.severity));
}

void vdcJsonReport::healed(utJsonWriter& json, const vdcHealedProblem& h)
{
    finding_members(json.begin_object(), h.finding);
    json.key("value_after").number(h.value_after).key("displacement").number(h.displacement);
    array(json.key("changed"), h.changed, [](utJsonWriter& j, const auto& changed) { j.string(changed.first); });
    json.key("how").string(h.how).end_object();
}

void vdcJsonReport::left(utJsonWriter& json, const vdcLeftProblem& l)
{
    finding_members(json.begin_object(), l.finding);
    json.key("reason").string(l.reason).end_object();
}

void vdcJsonReport::heal_count(utJsonWriter& json, const vdcHealRuleCount& c)
{
    json.begin_object().key("rule").string(c.rule->id).key("healed").integer(static_cast<std::int64_t>(c.healed));
    json.key("left").integer(static_cast<std::int64_t>(c.left)).end_object();
}

void vdcJsonReport::where(utJsonWriter& json, const vdcProblem& f)
{
    json.begin_object().key("indices").begin_object();
    const auto indices = f.index_names();
    for (std::size_t i = 0; i < indices.size() && i < f.ints.size(); ++i)
        json.key(indices[i]).integer(f.ints[i]);
    json.end_object().key("parameters").begin_object();
    const auto parameters = f.parameter_names();
    for (std::size_t i = 0; i < parameters.size() && i < f.doubles.size(); ++i)
        json.key(parameters[i]).number(f.doubles[i]);
    json.end_object();
    point(json.key("point"), f.point);
    json.end_object();
}

void vdcJsonReport::rule_summary(utJsonWriter& json, const vdcRuleSummary& s)
{
    json.begin_object().key("rule").string(s.rule->id).key("enabled").boolean(s.enabled);
    json.key("tolerance").number(s.tolerance).key("unit").string(s.rule->unit);
    json.key("items").integer(static_cast<std::int64_t>(s.items));
    json.key("findings").integer(static_cast<std::int64_t>(s.findings)).key("worst");
    if (s.worst)
        finding(json, *s.worst);
    else
        json.null();
    json.key("severity").string(vdc_severity_name(s.severity)).end_object();
}

void vdcJsonReport::skip(utJsonWriter& json, const vdcQualitySkip& s)
{
    json.begin_object().key("entity").string(s.entity.view()).key("type").string(s.type).key("line").integer(s.line);
    json.key("reason").string(s.reason).end_object();
}
