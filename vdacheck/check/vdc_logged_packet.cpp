#include <vdacheck/check/vdc_logged_packet.h>

#include <unordered_set>

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

std::vector<vdcLoggedPacket> vdc_logged_packets(const vdaFile& file, const vdcLog& log)
{
    std::vector<vdcLoggedPacket> packets;
    for_each_logged(file, log, [&](const vdaObject& entity) {
        log.for_each_packet(entity.name(), [&](const vdcErrorPacket& packet) {
            packets.push_back({entity.name(), entity.type().command_word(), entity.line(), packet});
        });
    });
    return packets;
}

std::vector<utString> vdc_logged_names(const vdaFile& file, const vdcLog& log)
{
    std::vector<utString> names;
    for_each_logged(file, log, [&](const vdaObject& entity) { names.push_back(entity.name()); });
    return names;
}
