#pragma once

#include <string_view>
#include <unordered_set>
#include <vector>

#include <vdacheck/check/vdc_error_packet.h>
#include <vdacheck/check/vdc_export.h>
#include <vdacheck/check/vdc_log.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/util/ut_string.h>

// A packet together with the entity it stands under, as that entity was when the packet was collected:
// reports and repair results keep it after the entity itself is gone.
struct vdcLoggedPacket {
    utString entity;
    std::string_view type;  // the entity's command word ("CONS"); empty when no entity has the name
    int line = 0;           // first line of the entity's statement; 0 for an entity built in code
    vdcErrorPacket packet;
};

// Calls f(entity, packet) for the packets `log` holds for the entities of `file`: entity by entity in file
// order (a name once, at its first entity), and within an entity in log order.
template <class F>
void vdc_for_each_logged_packet(const vdaFile& file, const vdcLog& log, F&& f)
{
    // Names are told apart only where the file holds a name twice.
    const bool duplicates = file.has_duplicate_names();
    std::unordered_set<std::string_view> seen;
    for (const vdaObject& entity : file) {
        const utString& name = entity.name();
        if (log.num_logged(name) == 0 || (duplicates && !seen.insert(name.view()).second))
            continue;
        log.for_each_packet(name, [&](const vdcErrorPacket& packet) { f(entity, packet); });
    }
}

// The packets of vdc_for_each_logged_packet, kept with their entities' names, types and lines.
VDC_API std::vector<vdcLoggedPacket> vdc_logged_packets(const vdaFile& file, const vdcLog& log);
// The names of the entities of `file` that have packets in `log`, in file order, each once.
VDC_API std::vector<utString> vdc_logged_names(const vdaFile& file, const vdcLog& log);
