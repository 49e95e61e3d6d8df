#include <tool/vdc_text_report.h>

#include <algorithm>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/run/vdc_run_result.h>
#include <vdacheck/util/ut_number_text.h>
#include <vdacheck/util/ut_terminal_text.h>

namespace {

// Text from the model or the file system, safe for a terminal.
std::string shown(std::string_view text) { return ut_terminal_text(text); }

// "1 entity", "2 entities", "3 problems".
std::string plural(std::size_t n, std::string_view word)
{
    std::string s = std::to_string(n) + ' ';
    if (n == 1)
        return s.append(word);
    if (word.ends_with('y'))
        return s.append(word.substr(0, word.size() - 1)).append("ies");
    return s.append(word).append("s");
}

// ", note" after a rule id, when a profile gave the problem another severity than its rule's.
std::string changed_severity(const vdcProblem& p)
{
    if (!p.rule || p.severity == p.rule->severity)
        return {};
    return std::string(", ") + vdc_severity_name(p.severity);
}

// The packets of `round` (all of them for round 0), grouped under their entity.
void write_packets(std::ostream& out, const std::vector<vdcProblem>& packets, int round, const char* indent)
{
    const utString* last = nullptr;
    for (const vdcProblem& p : packets) {
        if (round != 0 && p.round != round)
            continue;
        if (!last || *last != p.entity) {
            out << indent << p.type << ' ' << shown(p.entity.view());
            if (p.line > 0)
                out << " (line " << p.line << ')';
            out << '\n';
        }
        last = &p.entity;
        out << indent << "    " << shown(p.message.view());
        if (p.rule)
            out << " [" << p.id() << changed_severity(p) << ']';
        for (std::size_t i = 0; i < p.ints.size(); ++i)
            out << (i ? ", " : " at ") << p.ints[i];
        if (!p.doubles.empty()) {
            out << " (";
            for (std::size_t i = 0; i < p.doubles.size(); ++i)
                out << (i ? ", " : "") << ut_number_text(p.doubles[i]);
            out << ')';
        }
        if (!p.repair.empty())
            out << " -> " << p.repair;
        if (p.value)
            out << ": " << vdc_measured(*p.value) << ' ' << p.unit() << " (tolerance " << vdc_measured(p.tolerance)
                << ')';
        out << '\n';
    }
}

void write_saved(std::ostream& out, const vdcRunResult& result)
{
    if (!result.saved_to.empty())
        out << "; " << plural(static_cast<std::size_t>(result.entities), "entity") << " saved to "
            << shown(result.saved_to);
    else if (!result.output_error.empty())
        out << "; not saved";
}

// The finding an item of a report stands for.
const vdcProblem& finding_of(const vdcProblem& f) { return f; }
const vdcProblem& finding_of(const vdcHealedProblem& h) { return h.finding; }
const vdcProblem& finding_of(const vdcLeftProblem& l) { return l.finding; }

// "TYPE NAME (line N)" above the first finding of each entity, then `write` of each item.
template <class Item, class Write>
void write_under_entities(std::ostream& out, const std::vector<Item>& items, Write&& write)
{
    const utString* last = nullptr;
    for (const Item& item : items) {
        const vdcProblem& f = finding_of(item);
        if (!last || *last != f.entity) {
            out << "  " << f.type << ' ' << shown(f.entity.view());
            if (f.line > 0)
                out << " (line " << f.line << ')';
            out << '\n';
        }
        last = &f.entity;
        write(item);
    }
}

// The quality findings under their entities, then per rule how close the model came.
void write_quality(std::ostream& out, const vdcRunResult& result)
{
    out << "quality: " << plural(result.findings.size(), "finding") << '\n';
    write_under_entities(out, result.findings, [&](const vdcProblem& f) {
        const std::string severity = changed_severity(f);
        out << "      " << f.id() << (severity.empty() ? "" : " (" + severity.substr(2) + ')') << ": "
            << vdc_measured(f.value.value_or(0.0)) << ' ' << f.unit() << " (tolerance " << vdc_measured(f.tolerance)
            << ')' << vdc_quality_where(f) << '\n';
    });
    out << "worst per rule:\n";
    for (const vdcRuleSummary& summary : result.quality_rules) {
        out << "  " << summary.rule->id << ": ";
        if (!summary.enabled) {
            out << "off\n";
            continue;
        }
        out << summary.items << " measured, " << plural(summary.findings, "finding");
        if (summary.worst) {
            const vdcProblem& w = *summary.worst;
            out << ", worst " << vdc_measured(w.value.value_or(0.0)) << ' ' << summary.rule->unit << " (tolerance "
                << vdc_measured(summary.tolerance) << ") on " << w.type << ' ' << shown(w.entity.view())
                << vdc_quality_where(w);
        }
        out << '\n';
    }
    if (!result.skipped.empty()) {
        out << "not measured: " << plural(result.skipped.size(), "entity") << '\n';
        for (const vdcQualitySkip& skip : result.skipped) {
            out << "  " << skip.type << ' ' << shown(skip.entity.view());
            if (skip.line > 0)
                out << " (line " << skip.line << ')';
            out << ": " << shown(skip.reason) << '\n';
        }
    }
}

void write_check(std::ostream& out, const vdcRunResult& result)
{
    out << "check " << shown(result.file) << ": " << plural(static_cast<std::size_t>(result.entities), "entity")
        << '\n';
    write_packets(out, result.errors, 0, "  ");
    if (result.quality_run)
        write_quality(out, result);
    out << shown(result.file) << ": ";
    if (result.clean)
        out << "clean";
    else if (result.errors.empty())
        out << "no problems";
    else
        out << plural(result.errors.size(), "problem") << " on "
            << plural(static_cast<std::size_t>(vdcRunResult::count_entities(result.errors)), "entity");
    if (result.quality_run && !result.findings.empty())
        out << "; " << plural(result.findings.size(), "quality finding");
    const auto raised =
        std::count_if(result.warnings.begin(), result.warnings.end(), [](const vdcProblem& w) { return w.fails(); });
    if (raised > 0)
        out << "; " << plural(static_cast<std::size_t>(raised), "reader warning") << " counted as "
            << (raised == 1 ? "an error" : "errors");
    out << '\n';
}

void write_fix(std::ostream& out, const vdcRunResult& result)
{
    out << "fix " << shown(result.file) << ": " << plural(static_cast<std::size_t>(result.entities_read), "entity")
        << '\n';
    if (!result.repaired.empty()) {
        out << "repaired:\n";
        write_packets(out, result.repaired, 0, "  ");
    }
    if (!result.errors.empty()) {
        out << "left in the error log:\n";
        write_packets(out, result.errors, 0, "  ");
    }
    if (result.cleaned && !result.deleted.empty()) {
        out << "deleted:";
        for (const std::string& name : result.deleted)
            out << ' ' << shown(name);
        out << '\n';
    }
    out << shown(result.file) << ": " << plural(result.repaired.size(), "problem") << " repaired, ";
    if (result.errors.empty())
        out << "none left";
    else
        out << plural(result.errors.size(), "problem") << " left on "
            << plural(static_cast<std::size_t>(vdcRunResult::count_entities(result.errors)), "entity");
    if (result.cleaned)
        out << "; " << plural(result.deleted.size(), "entity") << " deleted";
    write_saved(out, result);
    out << '\n';
}

// Entities that repair gave a name of their own, as an earlier entity has theirs.
void write_renamed(std::ostream& out, const std::vector<vdcRename>& renamed)
{
    if (renamed.empty())
        return;
    out << "renamed, as an earlier entity has the name:\n";
    for (const vdcRename& r : renamed) {
        out << "  " << r.type << ' ' << shown(r.from.view());
        if (r.line > 0)
            out << " (line " << r.line << ')';
        out << " -> " << shown(r.to.view()) << '\n';
    }
}

// The rounds of a repair, each with what it repaired and deleted; `round_word` names one ("round ").
void write_rounds(std::ostream& out, const vdcRunResult& result, const char* round_word)
{
    write_renamed(out, result.renamed);
    for (std::size_t r = 0; r < result.rounds.size(); ++r) {
        const vdcRunRound& round = result.rounds[r];
        const int number = static_cast<int>(r + 1);
        out << round_word << number << ": ";
        if (round.found == 0) {
            out << "clean\n";
            continue;
        }
        out << plural(static_cast<std::size_t>(round.found), "problem") << " found, " << round.repaired
            << " repaired, ";
        if (round.clean)
            out << "clean after the repairs\n";
        else
            out << plural(static_cast<std::size_t>(round.deleted), "entity") << " deleted\n";
        bool any_repaired = false;
        for (const vdcProblem& p : result.repaired)
            any_repaired = any_repaired || p.round == number;
        if (any_repaired) {
            out << "  repaired:\n";
            write_packets(out, result.repaired, number, "    ");
        }
        if (round.deleted > 0) {
            out << "  deleted, with the problems they still had:\n";
            write_packets(out, result.errors, number, "    ");
        }
    }
}

void write_repair(std::ostream& out, const vdcRunResult& result)
{
    out << "repair " << shown(result.file) << ": " << plural(static_cast<std::size_t>(result.entities_read), "entity")
        << '\n';
    write_rounds(out, result, "round ");
    out << shown(result.file) << ": " << (result.clean ? "clean" : "not clean") << " after "
        << plural(result.rounds.size(), "round") << "; " << plural(result.repaired.size(), "problem") << " repaired, "
        << plural(result.deleted.size(), "entity") << " deleted";
    if (!result.renamed.empty())
        out << ", " << plural(result.renamed.size(), "entity") << " renamed";
    write_saved(out, result);
    out << '\n';
}

void write_heal(std::ostream& out, const vdcRunResult& result)
{
    out << "heal " << shown(result.file) << ": " << plural(static_cast<std::size_t>(result.entities_read), "entity")
        << " (tolerance " << vdc_measured(result.heal_tolerance) << " mm, angle " << vdc_measured(result.heal_angle)
        << " deg)\n";
    write_rounds(out, result, "repair round ");
    out << "quality before healing: " << plural(result.findings_before.size(), "finding") << '\n';
    if (!result.healed.empty()) {
        out << "healed:\n";
        write_under_entities(out, result.healed, [&](const vdcHealedProblem& h) {
            const vdcProblem& f = h.finding;
            out << "      " << f.id() << ": " << vdc_measured(f.value.value_or(0.0)) << " -> "
                << vdc_measured(h.value_after) << ' ' << f.unit() << vdc_quality_where(f) << "; moved "
                << vdc_measured(h.displacement) << " mm: " << shown(h.how) << '\n';
        });
    }
    if (!result.left.empty()) {
        out << "left:\n";
        write_under_entities(out, result.left, [&](const vdcLeftProblem& l) {
            const vdcProblem& f = l.finding;
            out << "      " << f.id() << ": " << vdc_measured(f.value.value_or(0.0)) << ' ' << f.unit()
                << " (tolerance " << vdc_measured(f.tolerance) << ')' << vdc_quality_where(f) << ": " << shown(l.reason)
                << '\n';
        });
    }
    for (const std::string& what : result.undone)
        out << "undone: " << shown(what) << '\n';
    if (!result.heal_counts.empty()) {
        out << "per rule:\n";
        for (const vdcHealRuleCount& c : result.heal_counts)
            out << "  " << c.rule->id << ": " << c.healed << " healed, " << c.left << " left\n";
    }
    out << shown(result.file) << ": " << plural(result.healed.size(), "finding") << " healed, " << result.left.size()
        << " left";
    if (!result.healed.empty())
        out << ", largest move " << vdc_measured(result.largest_displacement) << " mm";
    out << "; " << plural(result.findings.size(), "quality finding") << " after healing";
    if (!result.deleted.empty() || !result.repaired.empty())
        out << "; repair: " << plural(result.repaired.size(), "problem") << " repaired, "
            << plural(result.deleted.size(), "entity") << " deleted";
    write_saved(out, result);
    out << '\n';
}

// What the page shows, in one line.
void write_report(std::ostream& out, const vdcRunResult& result)
{
    out << "report " << shown(result.file) << ": " << plural(static_cast<std::size_t>(result.entities), "entity")
        << ", " << plural(result.errors.size(), "error");
    if (result.quality_run)
        out << ", " << plural(result.findings.size(), "quality finding");
    out << ", " << plural(result.triangles, "triangle") << "; page written to " << shown(result.saved_to) << '\n';
}

// What the output of a conversion holds, in words: "3 faces, 1 shell, 2 edges".
std::string converted_counts(const vdcConvertCounts& c)
{
    struct Count {
        std::size_t n;
        const char* one;
        const char* many;
    };
    const Count counts[] = {{c.faces, "face", "faces"},
                            {c.shells, "shell", "shells"},
                            {c.edges, "edge", "edges"},
                            {c.vertices, "vertex", "vertices"},
                            {c.assemblies, "assembly", "assemblies"},
                            {c.instances, "placed instance", "placed instances"},
                            {c.meshes, "mesh", "meshes"},
                            {c.triangles, "triangle", "triangles"},
                            {c.line_strips, "line strip", "line strips"}};
    std::string s;
    for (const Count& count : counts)
        if (count.n > 0)
            s += (s.empty() ? "" : ", ") + std::to_string(count.n) + ' ' + (count.n == 1 ? count.one : count.many);
    return s.empty() ? "nothing" : s;
}

// What was exported, entity by entity, and what was left out, with each reason under its entity.
void write_convert(std::ostream& out, const vdcRunResult& result)
{
    out << "convert " << shown(result.file) << " to " << result.format << ": "
        << plural(static_cast<std::size_t>(result.entities_read), "entity") << '\n';
    if (!result.rounds.empty()) {
        out << "repaired first:\n";
        write_rounds(out, result, "round ");
    }
    if (!result.exported.empty()) {
        out << "exported: " << converted_counts(result.counts) << '\n';
        for (const vdcConvertedEntity& e : result.exported) {
            out << "  " << e.type << ' ' << e.entity;
            if (e.line > 0)
                out << " (line " << e.line << ')';
            out << ": " << e.as << '\n';
        }
    }
    if (!result.left_out.empty()) {
        out << "left out:\n";
        write_packets(out, result.left_out, 0, "  ");
    }
    out << shown(result.file) << ": " << plural(result.exported.size(), "entity") << " exported, "
        << plural(static_cast<std::size_t>(vdcRunResult::count_entities(result.left_out)), "entity") << " left out";
    if (result.saved_to.empty())
        out << "; nothing written\n";
    else
        out << "; written to " << result.saved_to << '\n';
}

}  // namespace

std::string vdc_measured(double value)
{
    std::ostringstream s;
    s << std::setprecision(6) << value;
    return s.str();
}

std::string vdc_quality_where(const vdcProblem& f)
{
    std::string s;
    const auto indices = f.index_names();
    for (std::size_t i = 0; i < indices.size() && i < f.ints.size(); ++i)
        s += (i ? ", " : " at ") + std::string(indices[i]) + ' ' + std::to_string(f.ints[i]);
    const auto parameters = f.parameter_names();
    for (std::size_t i = 0; i < parameters.size() && i < f.doubles.size(); ++i)
        s += (i ? ", " : "; ") + std::string(parameters[i]) + ' ' + vdc_measured(f.doubles[i]);
    if (f.point)
        s += "; point (" + vdc_measured(f.point->x()) + ", " + vdc_measured(f.point->y()) + ", " +
             vdc_measured(f.point->z()) + ')';
    return s;
}

void vdc_write_text(std::ostream& out, const vdcRunResult& result)
{
    switch (result.command) {
    case vdcCommand::check:
        write_check(out, result);
        break;
    case vdcCommand::fix:
        write_fix(out, result);
        break;
    case vdcCommand::repair:
        write_repair(out, result);
        break;
    case vdcCommand::report:
        write_report(out, result);
        break;
    case vdcCommand::heal:
        write_heal(out, result);
        break;
    case vdcCommand::convert:
        write_convert(out, result);
        break;
    }
}
