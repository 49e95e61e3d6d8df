#include <tool/vdc_sarif_log.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <sstream>

#include <tool/vdc_text_report.h>
#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/run/vdc_json_report.h>
#include <vdacheck/run/vdc_run_result.h>

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

// JSON made by `write(json)` with a writer of the log's style, as text.
template <class Write>
std::string written(Write&& write)
{
    std::ostringstream out;
    utJsonWriter json(out, utJsonWriter::Style::line);
    write(json);
    return out.str();
}

// "Text." from "text": a sentence, for a message.
std::string sentence(std::string_view text)
{
    std::string s(text);
    if (!s.empty())
        s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s + '.';
}

// The message of a finding: what was measured against which tolerance, and where.
std::string measured(const vdcProblem& f)
{
    return std::string(f.type) + ' ' + std::string(f.entity.view()) + ": " + vdc_measured(f.value.value_or(0.0)) + ' ' +
           std::string(f.unit()) + " (tolerance " + vdc_measured(f.tolerance) + ' ' + std::string(f.unit()) + ')' +
           vdc_quality_where(f);
}

void physical_location(utJsonWriter& json, const std::string& artifact, int line, int column)
{
    json.begin_object().key("physicalLocation").begin_object().key("artifactLocation").raw(artifact);
    if (line > 0) {
        json.key("region").begin_object().key("startLine").integer(line);
        if (column > 0)
            json.key("startColumn").integer(column);
        json.end_object();
    }
    json.end_object();
}

// One result: a reader warning, a packet or a quality finding. `outcome` says for fix and repair what
// became of a packet (null for check).
void result(utJsonWriter& json, const vdcProblem& p, const char* outcome, const std::string& artifact)
{
    json.begin_object();
    if (p.rule)
        json.key("ruleId")
            .string(p.rule->id)
            .key("ruleIndex")
            .integer(static_cast<std::int64_t>(vdc_rule_index(*p.rule)));
    // A repaired packet is a note, whatever its rule.
    const bool repaired = outcome && std::string_view(outcome) == "repaired";
    json.key("level").string(repaired ? "note" : vdc_severity_name(p.severity));
    std::string message;
    if (p.entity.empty())
        message = sentence(p.message.view());
    else if (p.value)
        message = measured(p) + '.';
    else
        message = std::string(p.type) + ' ' + std::string(p.entity.view()) + ": " + std::string(p.message.view()) + '.';
    json.key("message").begin_object().key("text").string(message).end_object();
    json.key("locations").begin_array();
    physical_location(json, artifact, p.line, p.column);
    if (!p.entity.empty())
        json.key("logicalLocations")
            .begin_array()
            .begin_object()
            .key("name")
            .string(p.entity.view())
            .key("kind")
            .string("object")
            .key("properties")
            .begin_object()
            .key("type")
            .string(p.type)
            .end_object()
            .end_object()
            .end_array();
    json.end_object().end_array();
    if (p.value) {
        // Where a finding was measured, as the JSON report gives it.
        json.key("properties").begin_object().key("value").number(*p.value).key("tolerance").number(p.tolerance);
        json.key("unit").string(p.unit());
        vdcJsonReport::where(json.key("where"), p);
        json.end_object();
    } else if (!p.entity.empty()) {
        // A packet's ints, doubles and repair, and for fix and repair what became of it.
        json.key("properties").begin_object().key("ints").begin_array();
        for (const int v : p.ints)
            json.integer(v);
        json.end_array().key("doubles").begin_array();
        for (const double v : p.doubles)
            json.number(v);
        json.end_array().key("repair").string_or_null(p.repair);
        if (outcome)
            json.key("outcome").string(outcome);
        if (p.round > 0)
            json.key("round").integer(p.round);
        json.end_object();
    }
    json.end_object();
}

// The parts of a healed or left finding's result before its own: rule, level, message and locations, then
// its properties' value, tolerance, unit and place; the properties object is left open.
void heal_result_head(utJsonWriter& json, const vdcProblem& f, const char* level, const std::string& message,
                      const std::string& artifact)
{
    json.begin_object().key("ruleId").string(f.rule->id);
    json.key("ruleIndex").integer(static_cast<std::int64_t>(vdc_rule_index(*f.rule))).key("level").string(level);
    json.key("message").begin_object().key("text").string(message).end_object();
    json.key("locations").begin_array();
    physical_location(json, artifact, f.line, f.column);
    json.key("logicalLocations").begin_array().begin_object().key("name").string(f.entity.view());
    json.key("kind").string("object").key("properties").begin_object().key("type").string(f.type);
    json.end_object().end_object().end_array().end_object().end_array();
    json.key("properties").begin_object().key("value").number(f.value.value_or(0.0));
    json.key("tolerance").number(f.tolerance).key("unit").string(f.unit());
    vdcJsonReport::where(json.key("where"), f);
}

// A finding healing closed, as a note with a fix: the statements of the entities it changed in the model
// saved (`saved`, an artifactLocation), and what was moved how far. Without a saved model, no fix.
void healed_result(utJsonWriter& json, const vdcHealedProblem& h, const std::string& artifact, const std::string& saved)
{
    const vdcProblem& f = h.finding;
    const std::string moved = "moved at most " + vdc_measured(h.displacement) + " mm";
    heal_result_head(json, f, "note",
                     measured(f) + "; healed to " + vdc_measured(h.value_after) + ' ' + std::string(f.unit()) + ", " +
                         moved + '.',
                     artifact);
    json.key("value_after").number(h.value_after).key("displacement").number(h.displacement);
    json.key("changed").begin_array();
    for (const auto& [name, line] : h.changed)
        json.string(name);
    json.end_array().key("how").string(h.how).key("outcome").string("healed").end_object();
    const bool placed = std::any_of(h.changed.begin(), h.changed.end(), [](const auto& c) { return c.second > 0; });
    if (!saved.empty() && placed) {
        json.key("fixes").begin_array().begin_object().key("description").begin_object();
        json.key("text")
            .string(sentence(h.how) + " No point moved further than " + vdc_measured(h.displacement) + " mm.")
            .end_object();
        json.key("artifactChanges").begin_array().begin_object().key("artifactLocation").raw(saved);
        json.key("replacements").begin_array();
        // Each changed entity's statement, where it starts: the model saved already holds the change.
        for (const auto& [name, line] : h.changed)
            if (line > 0)
                json.begin_object()
                    .key("deletedRegion")
                    .begin_object()
                    .key("startLine")
                    .integer(line)
                    .key("startColumn")
                    .integer(1)
                    .key("endColumn")
                    .integer(1)
                    .end_object()
                    .end_object();
        json.end_array().end_object().end_array().end_object().end_array();
    }
    json.end_object();
}

// A finding healing left as it was, at its severity, with the reason.
void left_result(utJsonWriter& json, const vdcLeftProblem& l, const std::string& artifact)
{
    const vdcProblem& f = l.finding;
    heal_result_head(json, f, vdc_severity_name(f.severity), measured(f) + "; left: " + l.reason + '.', artifact);
    json.key("reason").string(l.reason).key("outcome").string("left").end_object().end_object();
}

void write_rule(utJsonWriter& json, const vdcRule& rule)
{
    // A check rule's message is what its packets say; a reader rule's is what the reader met.
    json.begin_object().key("id").string(rule.id);
    json.key("shortDescription").begin_object().key("text").string(sentence(rule.message)).end_object();
    json.key("fullDescription").begin_object().key("text").string(rule.help).end_object();
    json.key("help").begin_object().key("text").string(rule.help).end_object();
    json.key("defaultConfiguration").begin_object().key("level").string(vdc_severity_name(rule.severity)).end_object();
    json.key("properties").begin_object().key("kind").string(vdc_rule_kind_name(rule.kind));
    if (!rule.entity.empty())
        json.key("entity").string(rule.entity);
    if (!rule.repair_name.empty())
        json.key("repair").string(rule.repair_name);
    if (rule.kind == vdcRuleKind::quality)
        json.key("tolerance").number(rule.tolerance).key("unit").string(rule.unit);
    json.key("tags").begin_array().string(vdc_rule_kind_name(rule.kind)).end_array();
    json.end_object().end_object();
}

// A notification descriptor: what kind of trouble a toolExecutionNotification reports.
void write_descriptor(utJsonWriter& json, const char* id, const char* short_text, const char* help)
{
    json.begin_object().key("id").string(id);
    json.key("shortDescription").begin_object().key("text").string(short_text).end_object();
    json.key("fullDescription").begin_object().key("text").string(help).end_object();
    json.key("help").begin_object().key("text").string(help).end_object();
    json.end_object();
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
    return written([&](utJsonWriter& json) {
        json.begin_object();
        if (path == "-") {
            json.key("description").begin_object().key("text").string("standard input").end_object();
            json.end_object();
            return;
        }
        fs::path file = fs::path(path).lexically_normal();
        if (file.is_absolute()) {
            const fs::path relative = file.lexically_relative(working_folder);
            if (relative.empty() || *relative.begin() == "..") {
                json.key("uri").string("file://" + uri_path(file.generic_string())).end_object();
                return;
            }
            file = relative;
        }
        json.key("uri").string(uri_path(file.generic_string())).key("uriBaseId").string(source_root).end_object();
    });
}

std::string vdcSarifLog::results(const vdcRunResult& run, const std::string& artifact, const std::string& saved)
{
    return written([&](utJsonWriter& json) {
        for (const vdcProblem& w : run.warnings)
            result(json, w, nullptr, artifact);
        // What the command leaves, or deleted; then, for fix and repair, what it repaired.
        const char* left = run.command == vdcCommand::check || run.command == vdcCommand::report ? nullptr
                           : run.command == vdcCommand::repair || run.command == vdcCommand::heal || run.cleaned
                               ? "deleted"
                               : "left";
        for (const vdcProblem& p : run.errors)
            result(json, p, left, artifact);
        for (const vdcProblem& p : run.repaired)
            result(json, p, "repaired", artifact);
        if (run.command == vdcCommand::heal) {
            // What healing closed and what it left: the findings after healing are those left.
            for (const vdcHealedProblem& h : run.healed)
                healed_result(json, h, artifact, saved);
            for (const vdcLeftProblem& l : run.left)
                left_result(json, l, artifact);
            return;
        }
        for (const vdcProblem& f : run.findings)
            result(json, f, nullptr, artifact);
    });
}

std::string vdcSarifLog::notification(bool read, const std::string& artifact, int line, int column,
                                      std::string_view message)
{
    return written([&](utJsonWriter& json) {
        json.begin_object().key("level").string("error");
        json.key("message").begin_object().key("text").string(message).end_object();
        json.key("descriptor").begin_object().key("id").string(read ? read_error_id : save_error_id);
        json.key("index").integer(read ? 0 : 1).end_object();
        json.key("locations").begin_array();
        physical_location(json, artifact, line, column);
        json.end_object().end_array().end_object();
    });
}

void vdcSarifLog::begin(const std::string& working_folder)
{
    std::string root = working_folder;
    if (!root.ends_with('/'))
        root += '/';
    json_.begin_object().key("$schema").string("https://json.schemastore.org/sarif-2.1.0.json");
    json_.key("version").string("2.1.0").key("runs").begin_array().begin_object();
    json_.key("tool").begin_object().key("driver").begin_object().key("name").string("vdacheck");
    json_.key("version").string(VDACHECK_VERSION).key("semanticVersion").string(VDACHECK_VERSION);
    json_.key("informationUri").string(VDACHECK_INFORMATION_URI).key("rules").begin_array();
    for (const vdcRule& rule : vdc_rules())
        write_rule(json_, rule);
    json_.end_array().key("notifications").begin_array();
    write_descriptor(json_, read_error_id, "A file cannot be read as VDA-FS.",
                     "The file cannot be opened, or its text is not VDA-FS statements: the message names the "
                     "statement and what was expected where the reader stopped. Nothing of it is checked.");
    write_descriptor(json_, save_error_id, "A model cannot be saved.",
                     "The output file cannot be written; nothing of it is left behind.");
    json_.end_array().end_object().end_object();
    json_.key("originalUriBaseIds").begin_object().key(source_root).begin_object();
    json_.key("uri").string("file://" + uri_path(root)).end_object().end_object();
    json_.key("columnKind").string("unicodeCodePoints").key("results").begin_array();
}

void vdcSarifLog::add(const std::string& results, std::string notification)
{
    json_.raw(results);
    if (!notification.empty())
        notifications_.push_back(std::move(notification));
}

void vdcSarifLog::end(int exit_status)
{
    json_.end_array().key("invocations").begin_array().begin_object();
    json_.key("executionSuccessful").boolean(exit_status < 2).key("exitCode").integer(exit_status);
    json_.key("toolExecutionNotifications").begin_array();
    for (const std::string& n : notifications_)
        json_.raw(n);
    json_.end_array().end_object().end_array().end_object().end_array().end_object();
    out_ << '\n';
}
