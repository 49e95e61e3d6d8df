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
        out << (i ? ", " : "") << "{\"entity\": " << vdc_json_string(p.entity)
            << ", \"type\": " << vdc_json_string(p.type) << ", \"line\": " << p.line
            << ", \"rule\": " << (p.rule.empty() ? std::string("null") : vdc_json_string(p.rule))
            << ", \"message\": " << vdc_json_string(p.message) << ", \"ints\": [";
        for (std::size_t k = 0; k < p.ints.size(); ++k)
            out << (k ? ", " : "") << p.ints[k];
        out << "], \"doubles\": [";
        for (std::size_t k = 0; k < p.doubles.size(); ++k)
            out << (k ? ", " : "") << vdc_json_number(p.doubles[k]);
        out << "], \"repair\": " << (p.repair.empty() ? std::string("null") : vdc_json_string(p.repair));
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
    out << "}\n";
}
