#include <tool/vdc_cli_report.h>

#include <charconv>
#include <cmath>
#include <string_view>
#include <unordered_set>

#include <tool/vdc_repair_names.h>
#include <vdacheck/check/vdc_log.h>
#include <vdacheck/model/vda_file.h>

namespace {

// Calls f(entity) for the first live entity of every name that has packets in `log`, in file order.
template <class F>
void for_each_logged(const vdaFile& file, const vdcLog& log, F&& f)
{
    std::unordered_set<std::string_view> seen;
    for (const vdaObject& entity : file) {
        const utString& name = entity.name();
        if (log.num_logged(name) == 0 || !seen.insert(name.view()).second)
            continue;
        f(entity);
    }
}

}  // namespace

void vdcCliReport::collect(const vdaFile& file, const vdcLog& log, int round, std::vector<vdcReportPacket>& out)
{
    for_each_logged(file, log, [&](const vdaObject& entity) {
        log.for_each_packet(entity.name(), [&](const vdcErrorPacket& packet) {
            vdcReportPacket& p = out.emplace_back();
            p.entity = entity.name().view();
            p.type = entity.type().command_word();
            p.line = entity.line();
            p.message = packet.error_message().view();
            for (int i = 0; i < packet.num_int(); ++i)
                p.ints.push_back(packet.get_int(i));
            for (int i = 0; i < packet.num_dbl(); ++i)
                p.doubles.push_back(packet.get_dbl(i));
            p.repair = vdc_repair_name(packet.error_function());
            p.round = round;
        });
    });
}

std::vector<std::string> vdcCliReport::logged_names(const vdaFile& file, const vdcLog& log)
{
    std::vector<std::string> names;
    for_each_logged(file, log, [&](const vdaObject& entity) { names.emplace_back(entity.name().view()); });
    return names;
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
