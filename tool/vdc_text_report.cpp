#include <tool/vdc_text_report.h>

#include <iomanip>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include <tool/vdc_cli_report.h>

namespace {

std::string number(double value) { return vdc_shortest_double(value, "nan", "inf", "-inf"); }

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

// The packets of `round` (all of them for round 0), grouped under their entity.
void write_packets(std::ostream& out, const std::vector<vdcReportPacket>& packets, int round, const char* indent)
{
    const utString* last = nullptr;
    for (const vdcReportPacket& p : packets) {
        if (round != 0 && p.round != round)
            continue;
        const vdcLoggedPacket& logged = p.logged;
        if (!last || *last != logged.entity) {
            out << indent << logged.type << ' ' << logged.entity.view();
            if (logged.line > 0)
                out << " (line " << logged.line << ')';
            out << '\n';
        }
        last = &logged.entity;
        const vdcErrorPacket& packet = logged.packet;
        out << indent << "    " << packet.error_message().view();
        if (p.rule)
            out << " [" << p.rule_id() << ']';
        for (int i = 0; i < packet.num_int(); ++i)
            out << (i ? ", " : " at ") << packet.get_int(i);
        if (packet.num_dbl() > 0) {
            out << " (";
            for (int i = 0; i < packet.num_dbl(); ++i)
                out << (i ? ", " : "") << number(packet.get_dbl(i));
            out << ')';
        }
        if (const std::string_view repair = p.repair(); !repair.empty())
            out << " -> " << repair;
        out << '\n';
    }
}

void write_saved(std::ostream& out, const vdcCliReport& report)
{
    if (!report.saved_to.empty())
        out << "; " << plural(static_cast<std::size_t>(report.entities), "entity") << " saved to " << report.saved_to;
}

// The quality findings under their entities, then per rule how close the model came.
void write_quality(std::ostream& out, const vdcCliReport& report)
{
    const vdcQualityReport& q = report.quality;
    out << "quality: " << plural(q.findings.size(), "finding") << '\n';
    const utString* last = nullptr;
    for (const vdcQualityFinding& f : q.findings) {
        if (!last || *last != f.entity) {
            out << "  " << f.type << ' ' << f.entity.view();
            if (f.line > 0)
                out << " (line " << f.line << ')';
            out << '\n';
        }
        last = &f.entity;
        out << "      " << f.id() << ": " << vdc_measured(f.value) << ' ' << f.unit() << " (tolerance "
            << vdc_measured(f.tolerance) << ')' << vdc_quality_where(f) << '\n';
    }
    out << "worst per rule:\n";
    for (std::size_t r = 0; r < vdc_num_quality_rules; ++r) {
        const auto rule = static_cast<vdcQualityRule>(r);
        const vdcQualityRuleInfo& info = vdc_quality_rule_info(rule);
        const vdcQualityRuleSummary& summary = q.rule(rule);
        out << "  " << info.id << ": ";
        if (!report.quality_profile.enabled(rule)) {
            out << "off\n";
            continue;
        }
        out << summary.items << " measured, " << plural(summary.findings, "finding");
        if (summary.worst) {
            const vdcQualityFinding& w = *summary.worst;
            out << ", worst " << vdc_measured(w.value) << ' ' << info.unit << " (tolerance "
                << vdc_measured(report.quality_profile.tolerance(rule)) << ") on " << w.type << ' ' << w.entity.view()
                << vdc_quality_where(w);
        }
        out << '\n';
    }
    if (!q.skipped.empty()) {
        out << "not measured: " << plural(q.skipped.size(), "entity") << '\n';
        for (const vdcQualitySkip& skip : q.skipped) {
            out << "  " << skip.type << ' ' << skip.entity.view();
            if (skip.line > 0)
                out << " (line " << skip.line << ')';
            out << ": " << skip.reason << '\n';
        }
    }
}

void write_check(std::ostream& out, const vdcCliReport& report)
{
    out << "check " << report.file << ": " << plural(static_cast<std::size_t>(report.entities), "entity") << '\n';
    write_packets(out, report.errors, 0, "  ");
    if (report.quality_run)
        write_quality(out, report);
    out << report.file << ": ";
    if (report.clean)
        out << "clean";
    else if (report.errors.empty())
        out << "no problems";
    else
        out << plural(report.errors.size(), "problem") << " on "
            << plural(static_cast<std::size_t>(vdcCliReport::count_entities(report.errors)), "entity");
    if (report.quality_run && !report.quality.findings.empty())
        out << "; " << plural(report.quality.findings.size(), "quality finding");
    out << '\n';
}

void write_fix(std::ostream& out, const vdcCliReport& report)
{
    out << "fix " << report.file << ": " << plural(static_cast<std::size_t>(report.entities_read), "entity") << '\n';
    if (!report.fixed.empty()) {
        out << "repaired:\n";
        write_packets(out, report.fixed, 0, "  ");
    }
    if (!report.errors.empty()) {
        out << "left in the error log:\n";
        write_packets(out, report.errors, 0, "  ");
    }
    if (report.cleaned && !report.deleted.empty()) {
        out << "deleted:";
        for (const std::string& name : report.deleted)
            out << ' ' << name;
        out << '\n';
    }
    out << report.file << ": " << plural(report.fixed.size(), "problem") << " repaired, ";
    if (report.errors.empty())
        out << "none left";
    else
        out << plural(report.errors.size(), "problem") << " left on "
            << plural(static_cast<std::size_t>(vdcCliReport::count_entities(report.errors)), "entity");
    if (report.cleaned)
        out << "; " << plural(report.deleted.size(), "entity") << " deleted";
    write_saved(out, report);
    out << '\n';
}

// Entities that repair gave a name of their own, as an earlier entity has theirs.
void write_renamed(std::ostream& out, const std::vector<vdcRename>& renamed)
{
    if (renamed.empty())
        return;
    out << "renamed, as an earlier entity has the name:\n";
    for (const vdcRename& r : renamed) {
        out << "  " << r.type << ' ' << r.from.view();
        if (r.line > 0)
            out << " (line " << r.line << ')';
        out << " -> " << r.to.view() << '\n';
    }
}

void write_repair(std::ostream& out, const vdcCliReport& report)
{
    out << "repair " << report.file << ": " << plural(static_cast<std::size_t>(report.entities_read), "entity") << '\n';
    write_renamed(out, report.renamed);
    for (std::size_t r = 0; r < report.rounds.size(); ++r) {
        const vdcReportRound& round = report.rounds[r];
        const int number = static_cast<int>(r + 1);
        out << "round " << number << ": ";
        if (round.found == 0) {
            out << "clean\n";
            continue;
        }
        out << plural(static_cast<std::size_t>(round.found), "problem") << " found, " << round.fixed << " repaired, ";
        if (round.clean)
            out << "clean after the repairs\n";
        else
            out << plural(static_cast<std::size_t>(round.deleted), "entity") << " deleted\n";
        bool any_fixed = false;
        for (const vdcReportPacket& p : report.fixed)
            any_fixed = any_fixed || p.round == number;
        if (any_fixed) {
            out << "  repaired:\n";
            write_packets(out, report.fixed, number, "    ");
        }
        if (round.deleted > 0) {
            out << "  deleted, with the problems they still had:\n";
            write_packets(out, report.errors, number, "    ");
        }
    }
    out << report.file << ": " << (report.clean ? "clean" : "not clean") << " after "
        << plural(report.rounds.size(), "round") << "; " << plural(report.fixed.size(), "problem") << " repaired, "
        << plural(report.deleted.size(), "entity") << " deleted";
    if (!report.renamed.empty())
        out << ", " << plural(report.renamed.size(), "entity") << " renamed";
    write_saved(out, report);
    out << '\n';
}

}  // namespace

std::string vdc_measured(double value)
{
    std::ostringstream s;
    s << std::setprecision(6) << value;
    return s.str();
}

std::string vdc_quality_where(const vdcQualityFinding& f)
{
    const vdcQualityRuleInfo& rule = vdc_quality_rule_info(f.rule);
    std::string s;
    for (std::size_t i = 0; i < rule.indices.size() && rule.indices[i]; ++i)
        s += (i ? ", " : " at ") + std::string(rule.indices[i]) + ' ' + std::to_string(f.where.indices[i]);
    for (std::size_t i = 0; i < rule.parameters.size() && rule.parameters[i]; ++i)
        s += (i ? ", " : "; ") + std::string(rule.parameters[i]) + ' ' + vdc_measured(f.where.parameters[i]);
    if (f.where.has_point)
        s += "; point (" + vdc_measured(f.where.point.x()) + ", " + vdc_measured(f.where.point.y()) + ", " +
             vdc_measured(f.where.point.z()) + ')';
    return s;
}

void vdc_write_text(std::ostream& out, const vdcCliReport& report)
{
    switch (report.kind) {
    case vdcCliReport::Kind::check:
        write_check(out, report);
        break;
    case vdcCliReport::Kind::fix:
        write_fix(out, report);
        break;
    case vdcCliReport::Kind::repair:
        write_repair(out, report);
        break;
    }
}
