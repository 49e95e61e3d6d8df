#include <vdacheck/run/vdc_run.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_file_check_acc.h>
#include <vdacheck/check/vdc_logged_packet.h>
#include <vdacheck/heal/vdc_heal.h>
#include <vdacheck/io/vda_write_error.h>
#include <vdacheck/io/vda_writer.h>
#include <vdacheck/mesh/vda_tessellator.h>
#include <vdacheck/model/vda_current_file.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/repair/vdc_repair.h>
#include <vdacheck/report/vdc_report_writer.h>
#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/run/vdc_statement_lines.h>

namespace fs = std::filesystem;

namespace {

bool none_fails(const std::vector<vdcProblem>& problems)
{
    for (const vdcProblem& p : problems)
        if (p.fails())
            return false;
    return true;
}

// Turns what the checker, the reader and the quality run found into problems, as the profile reports them:
// the problems of rules switched off are left out, the others get the profile's severity.
class Problems {
public:
    explicit Problems(const vdcProfile& profile) : profile_(profile) {}

    // Appends the packets `log` holds for the entities of `file`, entity by entity in file order; returns
    // how many packets the log holds for them, reported or not.
    std::size_t add(const vdaFile& file, const vdcLog& log, std::vector<vdcProblem>& out) const
    {
        std::size_t logged = 0;
        vdc_for_each_logged_packet(file, log, [&](const vdaObject& entity, const vdcErrorPacket& packet) {
            ++logged;
            add(entity.name(), entity.type().command_word(), entity.line(), packet, 0, out);
        });
        return logged;
    }

    // Appends packets kept with their entities, each with `round`; returns how many were reported.
    int add(const std::vector<vdcLoggedPacket>& packets, int round, std::vector<vdcProblem>& out) const
    {
        const std::size_t before = out.size();
        for (const vdcLoggedPacket& p : packets)
            add(p.entity, p.type, p.line, p.packet, round, out);
        return static_cast<int>(out.size() - before);
    }

    // How many of `packets` are reported.
    int reported(const std::vector<vdcLoggedPacket>& packets) const
    {
        int n = 0;
        for (const vdcLoggedPacket& p : packets) {
            const vdcRule* rule = vdc_rule_of(p.packet);
            n += !rule || profile_.enabled(*rule);
        }
        return n;
    }

    std::vector<vdcProblem> warnings(const vdaFile& file) const
    {
        std::vector<vdcProblem> out;
        for (const vdaReadWarning& w : file.warnings()) {
            const vdcRule& rule = vdc_rule_of(w.kind);
            if (!profile_.enabled(rule))
                continue;
            vdcProblem& p = out.emplace_back();
            p.rule = &rule;
            p.severity = profile_.severity(rule);
            p.line = w.line;
            p.column = w.column;
            p.message = utString(w.message);
            p.summary = w.summary;
        }
        return out;
    }

    // A finding (or the worst value of a rule): the rule's sentence as its message, its place's indices and
    // parameters as its values.
    vdcProblem finding(const vdcQualityFinding& f) const
    {
        const vdcRule& rule = vdc_rule_of(f.rule);
        vdcProblem p;
        p.rule = &rule;
        p.severity = profile_.severity(rule);
        p.entity = f.entity;
        p.type = f.type;
        p.line = f.line;
        p.message = ut_lit(rule.message);
        p.value = f.value;
        p.tolerance = f.tolerance;
        p.ints.assign(f.where.indices.begin(), f.where.indices.begin() + p.index_names().size());
        p.doubles.assign(f.where.parameters.begin(), f.where.parameters.begin() + p.parameter_names().size());
        if (f.where.has_point)
            p.point = f.where.point;
        return p;
    }

    // Measures the model's geometric quality into `result`.
    void measure(const vdaFile& file, int threads, const utCancel& cancel, vdcRunResult& result) const
    {
        add(vdcQualityCheck(profile_.quality(), threads, cancel).run(file), result);
    }

    // A quality report's findings, per rule summaries and skips into `result`.
    void add(const vdcQualityReport& quality, vdcRunResult& result) const
    {
        result.quality_run = true;
        result.findings.reserve(quality.findings.size());
        for (const vdcQualityFinding& f : quality.findings)
            result.findings.push_back(finding(f));
        for (std::size_t r = 0; r < vdc_num_quality_rules; ++r) {
            const auto rule = static_cast<vdcQualityRule>(r);
            const vdcQualityRuleSummary& measured = quality.rule(rule);
            const vdcRule& row = vdc_rule_of(rule);
            vdcRuleSummary& summary = result.quality_rules.emplace_back();
            summary.rule = &row;
            summary.enabled = profile_.enabled(row);
            summary.severity = profile_.severity(row);
            summary.tolerance = profile_.tolerance(row);
            summary.items = measured.items;
            summary.findings = measured.findings;
            if (measured.worst)
                summary.worst = finding(*measured.worst);
        }
        result.skipped = quality.skipped;
    }

private:
    void add(const utString& entity, std::string_view type, int line, const vdcErrorPacket& packet, int round,
             std::vector<vdcProblem>& out) const
    {
        const vdcRule* rule = vdc_rule_of(packet);
        if (rule && !profile_.enabled(*rule))
            return;
        vdcProblem& p = out.emplace_back();
        p.rule = rule;
        p.severity = rule ? profile_.severity(*rule) : vdcSeverity::error;
        p.entity = entity;
        p.type = type;
        p.line = line;
        p.message = packet.error_message();
        p.ints.resize(static_cast<std::size_t>(packet.num_int()));
        for (int k = 0; k < packet.num_int(); ++k)
            p.ints[static_cast<std::size_t>(k)] = packet.get_int(k);
        p.doubles.resize(static_cast<std::size_t>(packet.num_dbl()));
        for (int k = 0; k < packet.num_dbl(); ++k)
            p.doubles[static_cast<std::size_t>(k)] = packet.get_dbl(k);
        if (packet.error_function())
            p.repair = rule ? rule->repair_name : std::string_view("unknown repair");
        p.round = round;
    }

    const vdcProfile& profile_;
};

// Whether the checker's log leaves the model failing: `logged` packets, of which `reported` are reported.
bool structurally_clean(bool log_empty, std::size_t logged, const std::vector<vdcProblem>& reported)
{
    return log_empty || (logged > 0 && none_fails(reported));
}

// Writes `output` through `save(path, replace_options)`, creating its folders when asked, or, for "-",
// `write(stream)` to the standard output the options name; a failure is kept in the result.
template <class Save, class Write>
void write_output(const vdcRunOptions& options, vdcRunResult& result, const char* what, Save&& save, Write&& write)
{
    if (options.output.empty())
        return;
    try {
        if (options.output == "-") {
            if (!options.standard_output)
                throw std::runtime_error(std::string("no standard output to write the ") + what + " to");
            std::ostream& out = *options.standard_output;
            errno = 0;
            try {
                write(out);
                out.flush();
            } catch (const std::exception&) {
                if (out)
                    throw;  // not the stream's failure: what the writer says is the reason
            }
            if (!out)
                throw std::runtime_error(std::string("cannot write the ") + what + " to standard output: " +
                                         (errno != 0 ? std::strerror(errno) : "a write failed"));
            result.saved_to = "standard output";
            return;
        }
        if (options.make_folders && options.output.has_parent_path())
            fs::create_directories(options.output.parent_path());
        save(options.output, options.save);
        result.saved_to = options.output.string();
    } catch (const std::exception& e) {
        result.output_error = e.what();
    }
}

// Saves or writes the model.
void write_model(const vdcRunOptions& options, vdcRunResult& result, const vdaFile& file)
{
    write_output(
        options, result, "model",
        [&](const fs::path& path, const utReplaceOptions& save) { vdaWriter::save(file, path, save); },
        [&](std::ostream& out) { vdaWriter::write(file, out); });
}

// Per entity with problems that fail, in the order first met: whether any of them is its own, or all are
// references to faulty entities (a rule marked `reference`).
class EntityStatus {
public:
    void add(const vdcProblem& p)
    {
        if (!p.fails())
            return;
        const bool own = !p.rule || !p.rule->reference;
        const auto [it, added] = index_.try_emplace(std::string(p.entity.view()), names_.size());
        if (added) {
            names_.emplace_back(p.entity.view());
            own_.push_back(own);
        } else if (own) {
            own_[it->second] = true;
        }
    }

    void fill(vdcReport& report) const
    {
        for (std::size_t i = 0; i < names_.size(); ++i)
            (own_[i] ? report.faulty : report.referring).push_back(names_[i]);
    }

private:
    std::vector<std::string> names_;
    std::vector<bool> own_;
    std::unordered_map<std::string, std::size_t> index_;
};

std::vector<std::pair<std::string, int>> entity_counts(const vdaFile& file)
{
    std::vector<std::pair<std::string, int>> counts;  // types in the order first met: a dozen at most
    for (const vdaObject& entity : file) {
        const std::string_view type = entity.type().command_word();
        auto it = counts.begin();
        while (it != counts.end() && it->first != type)
            ++it;
        if (it == counts.end())
            counts.emplace_back(type, 1);
        else
            ++it->second;
    }
    return counts;
}

// What the rounds of a repair did, and the names it gave, into `result`.
void add_repair(const Problems& problems, vdcRepairResult& repair, vdcRunResult& result)
{
    result.renamed = std::move(repair.renamed);
    for (std::size_t r = 0; r < repair.rounds.size(); ++r) {
        const vdcRepairRound& round = repair.rounds[r];
        const int number = static_cast<int>(r + 1);
        const int found = problems.reported(round.found);
        const int repaired = problems.add(round.repaired, number, result.repaired);
        // What each deleted entity still had: its own faults, or references to entities deleted before.
        problems.add(round.deleted, number, result.errors);
        for (const utString& name : round.deleted_entities)
            result.deleted.emplace_back(name.view());
        result.rounds.push_back({found, repaired, round.entities_deleted, round.clean});
    }
}

// What healing did, in the shape of the result: the findings before and after as the profile reports them,
// the items healed and left, and the counts of the rules that had findings.
void add_healing(const Problems& problems, vdcHealResult& healing, vdcRunResult& result)
{
    add_repair(problems, healing.repair, result);
    problems.add(healing.after, result);
    result.findings_before.reserve(healing.before.findings.size());
    for (const vdcQualityFinding& f : healing.before.findings)
        result.findings_before.push_back(problems.finding(f));
    result.healed.reserve(healing.healed.size());
    for (vdcHealedItem& h : healing.healed) {
        vdcHealedProblem& healed = result.healed.emplace_back();
        healed.finding = problems.finding(h.finding);
        healed.value_after = h.value_after;
        healed.displacement = h.displacement;
        for (const utString& name : h.changed)
            healed.changed.emplace_back(name.view(), 0);
        healed.how = std::move(h.how);
    }
    result.left.reserve(healing.left.size());
    for (vdcHealLeftItem& l : healing.left)
        result.left.push_back({problems.finding(l.finding), std::move(l.reason)});
    for (std::size_t r = 0; r < vdc_num_quality_rules; ++r) {
        const vdcHealCount& count = healing.counts[r];
        if (count.healed + count.left > 0)
            result.heal_counts.push_back({&vdc_rule_of(static_cast<vdcQualityRule>(r)), count.healed, count.left});
    }
    result.heal_tolerance = healing.tolerance;
    result.heal_angle = healing.angle;
    result.largest_displacement = healing.largest_displacement;
    result.undone = std::move(healing.undone);
}

// Saves or writes the healed model, noting the line on which each changed entity's statement starts.
void write_healed(const vdcRunOptions& options, vdcRunResult& result, const vdaFile& file)
{
    std::vector<std::string> names;
    for (const vdcHealedProblem& h : result.healed)
        for (const auto& [name, line] : h.changed)
            names.push_back(name);
    if (names.empty()) {
        write_model(options, result, file);
        return;
    }
    std::unique_ptr<vdcStatementLines> lines;
    auto write = [&](std::ostream& out) {
        lines = std::make_unique<vdcStatementLines>(*out.rdbuf(), names);
        std::ostream through(lines.get());
        through.exceptions(out.exceptions());
        vdaWriter::write(file, through);
        if (!through.flush())
            out.setstate(std::ios::badbit);
    };
    write_output(
        options, result, "model",
        [&](const fs::path& path, const utReplaceOptions& save) {
            try {
                ut_replace_file(path, write, save);
            } catch (const vdaWriteError&) {
                throw;
            } catch (const std::exception& e) {
                throw vdaWriteError("cannot save " + path.string() + ": " + e.what());
            }
        },
        write);
    if (!lines || !result.output_error.empty())
        return;
    for (vdcHealedProblem& h : result.healed)
        for (auto& [name, line] : h.changed)
            line = lines->line(name);
}

// A result of `command` on `file` as it starts: its name, its size as read and its reader warnings.
vdcRunResult started(vdcCommand command, const vdaFile& file, const vdcRunOptions& options, const Problems& problems)
{
    vdcRunResult result;
    result.command = command;
    result.file = options.file.empty() ? file.source_name() : options.file;
    result.entities_read = file.size();
    result.warnings = problems.warnings(file);
    return result;
}

}  // namespace

vdcRunResult vdcRun::run(vdcCommand command, vdaFile& file) const
{
    switch (command) {
    case vdcCommand::fix:
        return fix(file);
    case vdcCommand::repair:
        return repair(file);
    case vdcCommand::report:
        return report(file);
    case vdcCommand::heal:
        return heal(file);
    case vdcCommand::convert: {
        vdcRunResult result = start(command, file);
        result.output_error = "conversion is the exchange library's: vdc_run_convert";
        return result;
    }
    case vdcCommand::check:
        break;
    }
    return check(file);
}

vdcRunResult vdcRun::start(vdcCommand command, const vdaFile& file) const
{
    return started(command, file, options_, Problems(options_.profile));
}

vdcRunResult vdcRun::check(vdaFile& file) const
{
    const vdaCurrentFile current(file);
    const Problems problems(options_.profile);
    vdcRunResult result = started(vdcCommand::check, file, options_, problems);
    bool clean = false;
    {
        vdcFileCheck checker(options_.cancel);
        const vdcFileCheckAcc access(&checker);
        const bool log_empty = checker.check(file) != 0;
        const std::size_t logged = problems.add(file, access.error_log(), result.errors);
        clean = structurally_clean(log_empty, logged, result.errors);
    }
    if (options_.quality)
        problems.measure(file, options_.threads, options_.cancel, result);
    result.clean = clean && none_fails(result.findings) && none_fails(result.warnings);
    result.entities = file.size();
    return result;
}

vdcRunResult vdcRun::fix(vdaFile& file) const
{
    const vdaCurrentFile current(file);
    const Problems problems(options_.profile);
    vdcRunResult result = started(vdcCommand::fix, file, options_, problems);
    vdcFileCheck checker(options_.cancel);
    const vdcFileCheckAcc access(&checker);
    checker.check(file);
    const bool log_empty = checker.fix() != 0;
    const std::size_t logged = problems.add(file, access.error_log(), result.errors);
    problems.add(file, access.fixed_log(), result.repaired);
    result.clean = structurally_clean(log_empty, logged, result.errors) && none_fails(result.warnings);
    if (options_.clean) {
        result.cleaned = true;
        for (const utString& name : vdc_logged_names(file, access.error_log()))
            result.deleted.emplace_back(name.view());
        checker.clean();
    }
    result.entities = file.size();
    write_model(options_, result, file);
    return result;
}

vdcRunResult vdcRun::repair(vdaFile& file) const
{
    const vdaCurrentFile current(file);
    const Problems problems(options_.profile);
    vdcRunResult result = started(vdcCommand::repair, file, options_, problems);
    vdcRepairResult repair = vdc_repair(file, options_.cancel);
    add_repair(problems, repair, result);
    result.clean = repair.clean && none_fails(result.warnings);
    result.entities = file.size();
    write_model(options_, result, file);
    return result;
}

vdcReport vdcRun::page(const vdaFile& file, const vdcRunResult& result) const
{
    vdcReport page;
    page.file = result.file;
    page.command = options_.command;
    page.version = options_.version;
    page.entity_counts = entity_counts(file);
    page.warnings = result.warnings;
    page.problems.reserve(result.errors.size() + result.findings.size());
    EntityStatus status;
    for (const std::vector<vdcProblem>* problems : {&result.errors, &result.findings})
        for (const vdcProblem& p : *problems) {
            page.problems.push_back(p);
            status.add(p);
        }
    status.fill(page);
    return page;
}

vdcRunResult vdcRun::report(vdaFile& file) const
{
    const vdaCurrentFile current(file);
    vdcRunResult result = check(file);
    result.command = vdcCommand::report;
    const vdcReport data = page(file, result);
    vdaTessellationOptions tessellation = options_.tessellation;
    tessellation.threads = options_.threads;
    tessellation.cancel = options_.cancel;
    const vdaScene scene = vdaTessellator::tessellate(file, tessellation);
    result.triangles = scene.triangles;
    const vdcReportWriter writer(scene, data);
    write_output(
        options_, result, "report page",
        [&](const fs::path& path, const utReplaceOptions& save) { writer.save(path, save); },
        [&](std::ostream& out) { writer.write(out); });
    return result;
}

vdcRunResult vdcRun::heal(vdaFile& file) const
{
    const vdaCurrentFile current(file);
    const Problems problems(options_.profile);
    vdcRunResult result = started(vdcCommand::heal, file, options_, problems);
    vdcHealOptions options;
    options.tolerance = options_.heal_tolerance;
    options.angle = options_.heal_angle;
    options.profile = options_.profile.quality();
    options.threads = options_.threads;
    options.cancel = options_.cancel;
    vdcHealResult healing = vdc_heal(file, options);
    add_healing(problems, healing, result);
    result.clean = healing.repair.clean && none_fails(result.findings) && none_fails(result.warnings);
    result.entities = file.size();
    write_healed(options_, result, file);
    return result;
}
