#pragma once

#include <string_view>
#include <vector>

#include <vdacheck/check/vdc_error_packet.h>
#include <vdacheck/check/vdc_export.h>
#include <vdacheck/util/ut_string.h>

class vdaFile;
class vdcLog;

// A packet together with the entity it stands under, as that entity was when the packet was collected:
// reports and repair results keep it after the entity itself is gone.
struct vdcLoggedPacket {
    utString entity;
    std::string_view type;  // the entity's command word ("CONS"); empty when no entity has the name
    int line = 0;           // first line of the entity's statement; 0 for an entity built in code
    vdcErrorPacket packet;
};

// The packets `log` holds for the entities of `file`: entity by entity in file order (a name once, at its
// first entity), and within an entity in log order.
VDC_API std::vector<vdcLoggedPacket> vdc_logged_packets(const vdaFile& file, const vdcLog& log);
// The names of the entities of `file` that have packets in `log`, in file order, each once.
VDC_API std::vector<utString> vdc_logged_names(const vdaFile& file, const vdcLog& log);
