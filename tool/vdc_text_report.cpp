#include <tool/vdc_text_report.h>

#include <ostream>
#include <string>
#include <string_view>

#include <tool/vdc_cli_report.h>

namespace {

std::string number(double value)
{
    return vdc_shortest_double(value, "nan", "inf", "-inf");
}

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
    const std::string* last = nullptr;
    for (const vdcReportPacket& p : packets) {
        if (round != 0 && p.round != round)
            continue;
        if (!last || *last != p.entity) {
            out << indent << p.type << ' ' << p.entity;
            if (p.line > 0)
                out << " (line " << p.line << ')';
            out << '\n';
        }
        last = &p.entity;
        out << indent << "    " << p.message;
        if (!p.rule.empty())
            out << " [" << p.rule << ']';
        if (!p.ints.empty()) {
            out << " at ";
            for (std::size_t i = 0; i < p.ints.size(); ++i)
                out << (i ? ", " : "") << p.ints[i];
        }
        if (!p.doubles.empty()) {
            out << " (";
            for (std::size_t i = 0; i < p.doubles.size(); ++i)
                out << (i ? ", " : "") << number(p.doubles[i]);
            out << ')';
        }
        if (!p.repair.empty())
            out << " -> " << p.repair;
        out << '\n';
    }
}

void write_saved(std::ostream& out, const vdcCliReport& report)
{
    if (!report.saved_to.empty())
        out << "; " << plural(static_cast<std::size_t>(report.entities), "entity") << " saved to " << report.saved_to;
}

void write_check(std::ostream& out, const vdcCliReport& report)
{
    out << "check " << report.file << ": " << plural(static_cast<std::size_t>(report.entities), "entity") << '\n';
    write_packets(out, report.errors, 0, "  ");
    if (report.clean)
        out << report.file << ": clean\n";
    else
        out << report.file << ": " << plural(report.errors.size(), "problem") << " on "
            << plural(static_cast<std::size_t>(vdcCliReport::count_entities(report.errors)), "entity") << '\n';
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

void write_repair(std::ostream& out, const vdcCliReport& report)
{
    out << "repair " << report.file << ": " << plural(static_cast<std::size_t>(report.entities_read), "entity") << '\n';
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
    write_saved(out, report);
    out << '\n';
}

}  // namespace

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
