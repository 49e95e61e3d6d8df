#include <tool/vdc_json_report.h>

#include <ostream>

#include <tool/vdc_cli_report.h>
#include <vdacheck/report/vdc_json_writer.h>
#include <vdacheck/rules/vdc_rules.h>

namespace {

void write_packets(std::ostream& out, const std::vector<vdcReportPacket>& packets, bool with_round)
{
    out << '[';
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const vdcReportPacket& p = packets[i];
        const vdcLoggedPacket& logged = p.logged;
        const vdcErrorPacket& packet = logged.packet;
        out << (i ? ", " : "") << "{\"entity\": " << vdc_json_string(logged.entity.view())
            << ", \"type\": " << vdc_json_string(logged.type) << ", \"line\": " << logged.line
            << ", \"rule\": " << (p.rule ? vdc_json_string(p.rule_id()) : std::string("null"))
            << ", \"message\": " << vdc_json_string(packet.error_message().view()) << ", \"ints\": [";
        for (int k = 0; k < packet.num_int(); ++k)
            out << (k ? ", " : "") << packet.get_int(k);
        out << "], \"doubles\": [";
        for (int k = 0; k < packet.num_dbl(); ++k)
            out << (k ? ", " : "") << vdc_json_number(packet.get_dbl(k));
        const std::string_view repair = p.repair();
        out << "], \"repair\": " << (repair.empty() ? std::string("null") : vdc_json_string(repair));
        if (with_round)
            out << ", \"round\": " << p.round;
        out << '}';
    }
    out << ']';
}

}  // namespace

std::string vdc_json_string(std::string_view text) { return vdcJsonWriter::quote(text, vdcJsonWriter::Target::plain); }

std::string vdc_json_number(double value)
{
    return vdc_shortest_double(value, "\"NaN\"", "\"Infinity\"", "\"-Infinity\"");
}

std::string vdc_json_quality_where(const vdcQualityFinding& f)
{
    const vdcQualityRuleInfo& rule = vdc_quality_rule_info(f.rule);
    std::string s = "{\"indices\": {";
    for (std::size_t i = 0; i < rule.indices.size() && rule.indices[i]; ++i)
        s += (i ? ", " : "") + vdc_json_string(rule.indices[i]) + ": " + std::to_string(f.where.indices[i]);
    s += "}, \"parameters\": {";
    for (std::size_t i = 0; i < rule.parameters.size() && rule.parameters[i]; ++i)
        s += (i ? ", " : "") + vdc_json_string(rule.parameters[i]) + ": " + vdc_json_number(f.where.parameters[i]);
    s += "}, \"point\": ";
    if (f.where.has_point)
        s += '[' + vdc_json_number(f.where.point.x()) + ", " + vdc_json_number(f.where.point.y()) + ", " +
             vdc_json_number(f.where.point.z()) + ']';
    else
        s += "null";
    return s + '}';
}

namespace {

void write_finding(std::ostream& out, const vdcQualityFinding& f)
{
    out << "{\"rule\": " << vdc_json_string(f.id()) << ", \"entity\": " << vdc_json_string(f.entity.view())
        << ", \"type\": " << vdc_json_string(f.type) << ", \"line\": " << f.line
        << ", \"value\": " << vdc_json_number(f.value) << ", \"tolerance\": " << vdc_json_number(f.tolerance)
        << ", \"unit\": " << vdc_json_string(f.unit()) << ", \"where\": " << vdc_json_quality_where(f) << '}';
}

// "quality": the findings; "quality_rules": per rule what was measured and the worst value; "quality_skipped":
// what could not be measured, and why.
void write_quality(std::ostream& out, const vdcCliReport& report)
{
    const vdcQualityReport& q = report.quality;
    out << ", \"quality\": [";
    for (std::size_t i = 0; i < q.findings.size(); ++i) {
        out << (i ? ", " : "");
        write_finding(out, q.findings[i]);
    }
    out << "], \"quality_rules\": [";
    for (std::size_t r = 0; r < vdc_num_quality_rules; ++r) {
        const auto rule = static_cast<vdcQualityRule>(r);
        const vdcQualityRuleSummary& summary = q.rule(rule);
        out << (r ? ", " : "") << "{\"rule\": " << vdc_json_string(vdc_quality_rule_info(rule).id)
            << ", \"enabled\": " << (report.quality_profile.enabled(rule) ? "true" : "false")
            << ", \"tolerance\": " << vdc_json_number(report.quality_profile.tolerance(rule))
            << ", \"unit\": " << vdc_json_string(vdc_quality_rule_info(rule).unit) << ", \"items\": " << summary.items
            << ", \"findings\": " << summary.findings << ", \"worst\": ";
        if (summary.worst)
            write_finding(out, *summary.worst);
        else
            out << "null";
        out << '}';
    }
    out << "], \"quality_skipped\": [";
    for (std::size_t i = 0; i < q.skipped.size(); ++i) {
        const vdcQualitySkip& skip = q.skipped[i];
        out << (i ? ", " : "") << "{\"entity\": " << vdc_json_string(skip.entity.view())
            << ", \"type\": " << vdc_json_string(skip.type) << ", \"line\": " << skip.line
            << ", \"reason\": " << vdc_json_string(skip.reason) << '}';
    }
    out << ']';
}

// Entities repair gave a name of their own: their old name, the new one, type and line.
void write_renamed(std::ostream& out, const std::vector<vdcRename>& renamed)
{
    out << ", \"renamed\": [";
    for (std::size_t i = 0; i < renamed.size(); ++i) {
        const vdcRename& r = renamed[i];
        out << (i ? ", " : "") << "{\"entity\": " << vdc_json_string(r.from.view())
            << ", \"to\": " << vdc_json_string(r.to.view()) << ", \"type\": " << vdc_json_string(r.type)
            << ", \"line\": " << r.line << '}';
    }
    out << ']';
}

}  // namespace

void vdc_write_json(std::ostream& out, const vdcCliReport& report)
{
    const bool repair = report.kind == vdcCliReport::Kind::repair;
    out << "{\"file\": " << vdc_json_string(report.file) << ", \"entities\": " << report.entities
        << ", \"clean\": " << (report.clean ? "true" : "false");
    if (repair)
        out << ", \"rounds\": " << report.rounds.size();
    out << ", \"warnings\": [";
    for (std::size_t i = 0; i < report.warnings.size(); ++i) {
        const vdaReadWarning& w = report.warnings[i];
        out << (i ? ", " : "") << "{\"rule\": " << vdc_json_string(vdc_rule_of(w.kind).id) << ", \"line\": " << w.line
            << ", \"column\": " << w.column << ", \"message\": " << vdc_json_string(w.message) << '}';
    }
    out << "], \"errors\": ";
    write_packets(out, report.errors, repair);
    if (report.kind != vdcCliReport::Kind::check) {
        out << ", \"fixed\": ";
        write_packets(out, report.fixed, repair);
        out << ", \"deleted\": [";
        for (std::size_t i = 0; i < report.deleted.size(); ++i)
            out << (i ? ", " : "") << vdc_json_string(report.deleted[i]);
        out << ']';
    }
    if (repair)
        write_renamed(out, report.renamed);
    if (report.quality_run)
        write_quality(out, report);
    out << "}\n";
}
