#include <tool/vdc_json_report.h>

#include <ostream>

#include <tool/vdc_cli_report.h>
#include <vdacheck/rules/vdc_rules.h>

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t utf8_length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    std::size_t n = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2, min = 0x80, code = b & 0x1Fu;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3, min = 0x800, code = b & 0x0Fu;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4, min = 0x10000, code = b & 0x07u;
    else
        return 0;
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return n;
}

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

std::string vdc_json_string(std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string s;
    s.reserve(text.size() + 2);
    s += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += static_cast<char>(c);
        } else if (c == '\n') {
            s += "\\n";
        } else if (c == '\r') {
            s += "\\r";
        } else if (c == '\t') {
            s += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            s += "\\u00";
            s += hex[c >> 4];
            s += hex[c & 0x0Fu];
        } else if (c >= 0x80) {
            const std::size_t n = utf8_length(text, i);
            if (n == 0) {
                s += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
                ++i;
                continue;
            }
            s.append(text.substr(i, n));
            i += n;
            continue;
        } else {
            s += static_cast<char>(c);
        }
        ++i;
    }
    s += '"';
    return s;
}

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
        out << (i ? ", " : "") << "{\"rule\": " << vdc_json_string(vdc_rule_of(w.kind).id)
            << ", \"line\": " << w.line << ", \"column\": " << w.column
            << ", \"message\": " << vdc_json_string(w.message) << '}';
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
    if (report.quality_run)
        write_quality(out, report);
    out << "}\n";
}
