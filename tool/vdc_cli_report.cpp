#include <tool/vdc_cli_report.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>

#include <vdacheck/rules/vdc_rules.h>

std::string_view vdcReportPacket::rule_id() const noexcept { return rule ? rule->id : std::string_view(); }

std::string_view vdcReportPacket::repair() const noexcept
{
    if (!logged.packet.error_function())
        return {};
    return rule ? rule->repair_name : std::string_view("unknown repair");
}

void vdcCliReport::add(std::vector<vdcLoggedPacket> packets, int round, std::vector<vdcReportPacket>& out)
{
    out.reserve(out.size() + packets.size());
    for (vdcLoggedPacket& logged : packets) {
        const vdcRule* rule = vdc_rule_of(logged.packet);
        out.push_back({std::move(logged), rule, round});
    }
}

void vdcCliReport::add(const vdaFile& file, const vdcLog& log, std::vector<vdcReportPacket>& out)
{
    vdc_for_each_logged_packet(file, log, [&](const vdaObject& entity, const vdcErrorPacket& packet) {
        out.push_back({{entity.name(), entity.type().command_word(), entity.line(), packet}, vdc_rule_of(packet), 0});
    });
}

int vdcCliReport::count_entities(const std::vector<vdcReportPacket>& packets)
{
    // Packets of one entity stand together, so counting changes of name counts entities.
    int count = 0;
    const utString* last = nullptr;
    for (const vdcReportPacket& p : packets) {
        if (!last || *last != p.logged.entity)
            ++count;
        last = &p.logged.entity;
    }
    return count;
}

void vdcCliReport::locate_columns(std::string_view text)
{
    // Each line asked for, with the column to set.
    std::vector<std::pair<int, int*>> located;
    for (std::vector<vdcReportPacket>* packets : {&errors, &fixed})
        for (vdcReportPacket& p : *packets)
            located.emplace_back(p.logged.line, &p.column);
    quality_columns.assign(quality.findings.size(), 0);
    for (std::size_t i = 0; i < quality.findings.size(); ++i)
        located.emplace_back(quality.findings[i].line, &quality_columns[i]);
    std::erase_if(located, [](const auto& l) { return l.first <= 0; });
    std::sort(located.begin(), located.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    int line = 1;
    std::size_t start = 0;  // of `line` in the text
    for (const auto& [wanted, column] : located) {
        while (line < wanted && start < text.size()) {
            const void* end = std::memchr(text.data() + start, '\n', text.size() - start);
            start = end ? static_cast<std::size_t>(static_cast<const char*>(end) - text.data()) + 1 : text.size();
            ++line;
        }
        // Blanks (and TABs, read as blanks) may stand before a statement's name.
        std::size_t first = start;
        while (first < text.size() && (text[first] == ' ' || text[first] == '\t'))
            ++first;
        *column = static_cast<int>(first - start) + 1;
    }
}

std::vector<std::pair<std::string_view, int>> vdcCliReport::problems_per_rule() const
{
    std::map<std::string_view, int> counts;
    for (const std::vector<vdcReportPacket>* packets : {&errors, &fixed})
        for (const vdcReportPacket& p : *packets)
            if (p.rule)
                ++counts[p.rule->id];
    for (const vdcQualityFinding& f : quality.findings)
        ++counts[vdc_quality_rule_info(f.rule).id];
    return {counts.begin(), counts.end()};
}

std::string vdc_shortest_double(double value, const char* nan, const char* inf, const char* minus_inf)
{
    if (std::isnan(value))
        return nan;
    if (std::isinf(value))
        return value > 0 ? inf : minus_inf;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}
