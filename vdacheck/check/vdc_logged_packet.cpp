#include <vdacheck/check/vdc_logged_packet.h>

std::vector<vdcLoggedPacket> vdc_logged_packets(const vdaFile& file, const vdcLog& log)
{
    std::vector<vdcLoggedPacket> packets;
    vdc_for_each_logged_packet(file, log, [&](const vdaObject& entity, const vdcErrorPacket& packet) {
        packets.push_back({entity.name(), entity.type().command_word(), entity.line(), packet});
    });
    return packets;
}

std::vector<utString> vdc_logged_names(const vdaFile& file, const vdcLog& log)
{
    std::vector<utString> names;
    vdc_for_each_logged_packet(file, log, [&](const vdaObject& entity, const vdcErrorPacket&) {
        if (names.empty() || names.back() != entity.name())
            names.push_back(entity.name());
    });
    return names;
}
