#include <tool/vdc_cli_report.h>

#include <charconv>
#include <cmath>

#include <vdacheck/rules/vdc_rules.h>

vdcReportPacket vdcReportPacket::from(const vdcLoggedPacket& logged, int round)
{
    vdcReportPacket p;
    const vdcErrorPacket& packet = logged.packet;
    p.entity = logged.entity.view();
    p.type = logged.type;
    p.line = logged.line;
    const vdcRule* rule = vdc_rule_of(packet);
    p.rule = rule ? rule->id : std::string_view();
    p.message = packet.error_message().view();
    for (int i = 0; i < packet.num_int(); ++i)
        p.ints.push_back(packet.get_int(i));
    for (int i = 0; i < packet.num_dbl(); ++i)
        p.doubles.push_back(packet.get_dbl(i));
    if (packet.error_function())
        p.repair = rule ? rule->repair_name : std::string_view("unknown repair");
    p.round = round;
    return p;
}

void vdcCliReport::add(const std::vector<vdcLoggedPacket>& packets, int round, std::vector<vdcReportPacket>& out)
{
    out.reserve(out.size() + packets.size());
    for (const vdcLoggedPacket& logged : packets)
        out.push_back(vdcReportPacket::from(logged, round));
}

int vdcCliReport::count_entities(const std::vector<vdcReportPacket>& packets)
{
    // Packets of one entity stand together, so counting changes of name counts entities.
    int count = 0;
    const std::string* last = nullptr;
    for (const vdcReportPacket& p : packets) {
        if (!last || *last != p.entity)
            ++count;
        last = &p.entity;
    }
    return count;
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
