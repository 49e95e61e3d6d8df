#include <tool/vdc_sarif_log.h>

#include <cctype>
#include <filesystem>
#include <ostream>

#include <tool/vdc_cli_report.h>
#include <tool/vdc_json_report.h>
#include <tool/vdc_rules_report.h>
#include <tool/vdc_text_report.h>
#include <vdacheck/rules/vdc_rules.h>

#ifndef VDACHECK_VERSION
#  define VDACHECK_VERSION "unknown"
#endif
#ifndef VDACHECK_INFORMATION_URI
#  define VDACHECK_INFORMATION_URI "https://vdacheck.example/"
#endif

namespace fs = std::filesystem;

namespace {

// The base that relative artifact URIs stand on; the log maps it to the working folder.
constexpr const char* source_root = "%SRCROOT%";

// Notification descriptors, in the order of the driver's "notifications".
constexpr const char* read_error_id = "read-error";
constexpr const char* save_error_id = "save-error";

// One result, from whichever source: a packet, a reader warning or a quality finding.
struct Result {
    const vdcRule* rule = nullptr;  // null: a packet no check logs
    const char* level = "error";
    std::string message;
    int line = 0;  // 0: no region
    int column = 0;
    std::string_view entity;  // the logical location; empty: none
    std::string_view type;
    std::string properties;  // members of the properties object, without braces
};

const char* level_of(const vdcRule* rule) { return rule ? vdc_severity_name(rule->severity) : "error"; }

std::string region(int line, int column)
{
    std::string s = "\"region\": {\"startLine\": " + std::to_string(line);
    if (column > 0)
        s += ", \"startColumn\": " + std::to_string(column);
    return s + '}';
}

std::string physical_location(const std::string& artifact, int line, int column)
{
    std::string s = "{\"physicalLocation\": {\"artifactLocation\": " + artifact;
    if (line > 0)
        s += ", " + region(line, column);
    return s + "}}";
}

void append(std::string& out, const Result& r, const std::string& artifact)
{
    if (!out.empty())
        out += ", ";
    out += '{';
    if (r.rule) {
        out += "\"ruleId\": " + vdc_json_string(r.rule->id);
        out += ", \"ruleIndex\": " + std::to_string(r.rule - vdc_rules().data()) + ", ";
    }
    out += "\"level\": \"";
    out += r.level;
    out += "\", \"message\": {\"text\": " + vdc_json_string(r.message) + "}, \"locations\": [";
    out += physical_location(artifact, r.line, r.column);
    if (!r.entity.empty()) {
        out.pop_back();  // the location's closing brace
        out += ", \"logicalLocations\": [{\"name\": " + vdc_json_string(r.entity) +
               ", \"kind\": \"object\", \"properties\": {\"type\": " + vdc_json_string(r.type) + "}}]}";
    }
    out += ']';
    if (!r.properties.empty())
        out += ", \"properties\": {" + r.properties + '}';
    out += '}';
}

// A packet's ints, doubles and repair, and for fix and repair what became of it.
std::string packet_properties(const vdcReportPacket& p, const char* outcome)
{
    const vdcErrorPacket& packet = p.logged.packet;
    std::string s = "\"ints\": [";
    for (int k = 0; k < packet.num_int(); ++k)
        s += (k ? ", " : "") + std::to_string(packet.get_int(k));
    s += "], \"doubles\": [";
    for (int k = 0; k < packet.num_dbl(); ++k)
        s += (k ? ", " : "") + vdc_json_number(packet.get_dbl(k));
    const std::string_view repair = p.repair();
    s += "], \"repair\": " + (repair.empty() ? std::string("null") : vdc_json_string(repair));
    if (outcome) {
        s += ", \"outcome\": \"";
        s += outcome;
        s += '"';
    }
    if (p.round > 0)
        s += ", \"round\": " + std::to_string(p.round);
    return s;
}

Result packet_result(const vdcReportPacket& p, const char* level, const char* outcome)
{
    const vdcLoggedPacket& logged = p.logged;
    std::string message = std::string(logged.type) + ' ' + std::string(logged.entity.view()) + ": " +
                          std::string(logged.packet.error_message().view()) + '.';
    return {p.rule,
            level,
            std::move(message),
            logged.line,
            p.column,
            logged.entity.view(),
            logged.type,
            packet_properties(p, outcome)};
}

// A quality finding: its value against the tolerance, where it was measured, under its quality rule.
Result quality_result(const vdcQualityFinding& f, int column)
{
    const vdcRule* rule = vdc_find_rule(f.id());
    std::string message = std::string(f.type) + ' ' + std::string(f.entity.view()) + ": " + vdc_measured(f.value) +
                          ' ' + f.unit() + " (tolerance " + vdc_measured(f.tolerance) + ' ' + f.unit() + ')' +
                          vdc_quality_where(f) + '.';
    std::string properties = "\"value\": " + vdc_json_number(f.value) +
                             ", \"tolerance\": " + vdc_json_number(f.tolerance) +
                             ", \"unit\": " + vdc_json_string(f.unit()) + ", \"where\": " + vdc_json_quality_where(f);
    return {rule, level_of(rule), std::move(message), f.line, column, f.entity.view(), f.type, std::move(properties)};
}

void write_rule(std::ostream& out, const vdcRule& rule)
{
    // A check rule's message is what its packets say; a reader rule's is what the reader met.
    std::string short_text = rule.message;
    if (!short_text.empty())
        short_text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(short_text[0])));
    out << "{\"id\": " << vdc_json_string(rule.id)
        << ", \"shortDescription\": {\"text\": " << vdc_json_string(short_text + '.')
        << "}, \"fullDescription\": {\"text\": " << vdc_json_string(rule.help)
        << "}, \"help\": {\"text\": " << vdc_json_string(rule.help) << "}, \"defaultConfiguration\": {\"level\": \""
        << vdc_severity_name(rule.severity) << "\"}, \"properties\": {\"kind\": \"" << vdc_rule_kind_name(rule.kind)
        << '"';
    if (!rule.entity.empty())
        out << ", \"entity\": " << vdc_json_string(rule.entity);
    if (!rule.repair_name.empty())
        out << ", \"repair\": " << vdc_json_string(rule.repair_name);
    if (rule.kind == vdcRuleKind::quality)
        out << ", \"tolerance\": " << vdc_json_number(rule.tolerance) << ", \"unit\": " << vdc_json_string(rule.unit);
    out << ", \"tags\": [\"" << vdc_rule_kind_name(rule.kind) << "\"]}}";
}

// A notification descriptor: what kind of trouble a toolExecutionNotification reports.
void write_descriptor(std::ostream& out, const char* id, const char* short_text, const char* help)
{
    out << "{\"id\": \"" << id << "\", \"shortDescription\": {\"text\": " << vdc_json_string(short_text)
        << "}, \"fullDescription\": {\"text\": " << vdc_json_string(help)
        << "}, \"help\": {\"text\": " << vdc_json_string(help) << "}}";
}

}  // namespace

std::string vdcSarifLog::uri_path(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                                c == '/';
        if (unreserved) {
            s += c;
        } else {
            s += '%';
            s += hex[byte >> 4];
            s += hex[byte & 0x0Fu];
        }
    }
    return s;
}

std::string vdcSarifLog::artifact(const std::string& path, const std::string& working_folder)
{
    if (path == "-")
        return "{\"description\": {\"text\": \"standard input\"}}";
    fs::path file = fs::path(path).lexically_normal();
    if (file.is_absolute()) {
        const fs::path relative = file.lexically_relative(working_folder);
        if (relative.empty() || *relative.begin() == "..")
            return "{\"uri\": " + vdc_json_string("file://" + uri_path(file.generic_string())) + '}';
        file = relative;
    }
    return "{\"uri\": " + vdc_json_string(uri_path(file.generic_string())) + ", \"uriBaseId\": \"" + source_root +
           "\"}";
}

std::string vdcSarifLog::results(const vdcCliReport& report, const std::string& artifact)
{
    std::string out;
    for (const vdaReadWarning& w : report.warnings) {
        const vdcRule& rule = vdc_rule_of(w.kind);
        std::string message = w.message;
        if (!message.empty())
            message[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(message[0])));
        append(out, {&rule, level_of(&rule), message + '.', w.line, w.column, {}, {}, {}}, artifact);
    }
    // What the command leaves, or deleted; then, for fix and repair, what it repaired.
    const char* left = report.kind == vdcCliReport::Kind::check                      ? nullptr
                       : report.kind == vdcCliReport::Kind::repair || report.cleaned ? "deleted"
                                                                                     : "left";
    for (const vdcReportPacket& p : report.errors)
        append(out, packet_result(p, level_of(p.rule), left), artifact);
    for (const vdcReportPacket& p : report.fixed)
        append(out, packet_result(p, "note", "repaired"), artifact);
    for (std::size_t i = 0; i < report.quality.findings.size(); ++i)
        append(out,
               quality_result(report.quality.findings[i],
                              i < report.quality_columns.size() ? report.quality_columns[i] : 0),
               artifact);
    return out;
}

std::string vdcSarifLog::notification(bool read, const std::string& artifact, int line, int column,
                                      std::string_view message)
{
    return std::string("{\"level\": \"error\", \"message\": {\"text\": ") + vdc_json_string(message) +
           "}, \"descriptor\": {\"id\": \"" + (read ? read_error_id : save_error_id) +
           "\", \"index\": " + (read ? "0" : "1") + "}, \"locations\": [" + physical_location(artifact, line, column) +
           "]}";
}

void vdcSarifLog::begin(const std::string& working_folder)
{
    std::string root = working_folder;
    if (!root.ends_with('/'))
        root += '/';
    out_ << "{\"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\", \"version\": \"2.1.0\", \"runs\": [{"
         << "\"tool\": {\"driver\": {\"name\": \"vdacheck\", \"version\": \"" << VDACHECK_VERSION
         << "\", \"semanticVersion\": \"" << VDACHECK_VERSION << "\", \"informationUri\": \""
         << VDACHECK_INFORMATION_URI << "\", \"rules\": [";
    bool first = true;
    for (const vdcRule& rule : vdc_rules()) {
        out_ << (first ? "" : ", ");
        write_rule(out_, rule);
        first = false;
    }
    out_ << "], \"notifications\": [";
    write_descriptor(out_, read_error_id, "A file cannot be read as VDA-FS.",
                     "The file cannot be opened, or its text is not VDA-FS statements: the message names the "
                     "statement and what was expected where the reader stopped. Nothing of it is checked.");
    out_ << ", ";
    write_descriptor(out_, save_error_id, "A model cannot be saved.",
                     "The output file cannot be written; nothing of it is left behind.");
    out_ << "]}}, "
         << "\"originalUriBaseIds\": {\"" << source_root
         << "\": {\"uri\": " << vdc_json_string("file://" + uri_path(root))
         << "}}, \"columnKind\": \"unicodeCodePoints\", \"results\": [";
}

void vdcSarifLog::add(const std::string& results, std::string notification)
{
    if (!results.empty()) {
        out_ << (any_result_ ? ", " : "") << results;
        any_result_ = true;
    }
    if (!notification.empty())
        notifications_.push_back(std::move(notification));
}

void vdcSarifLog::end(int exit_status)
{
    out_ << "], \"invocations\": [{\"executionSuccessful\": " << (exit_status < 2 ? "true" : "false")
         << ", \"exitCode\": " << exit_status << ", \"toolExecutionNotifications\": [";
    for (std::size_t i = 0; i < notifications_.size(); ++i)
        out_ << (i ? ", " : "") << notifications_[i];
    out_ << "]}]}]}\n";
}
