#pragma once

// Reading the indices a check stored in a packet, for the repair functions. A repair that meets an
// index outside the model's current structure fails instead of reading past it.

#include <vdacheck/check/vdc_error_packet.h>
#include <vdacheck/model/vda_top.h>

// Int k of the packet, or -1 (outside every range) when the packet has fewer ints.
inline int vdc_packet_index(const vdcErrorPacket& packet, int k) noexcept
{
    return k < packet.num_int() ? packet.get_int(k) : -1;
}

inline bool vdc_index_in(int i, int count) noexcept { return i >= 0 && i < count; }

// Side k (0: first, otherwise second) of surface pair i of a top; null when the pair does not exist.
inline vdaLinkedSurf* vdc_top_side(vdaTop& top, int i, int k) noexcept
{
    if (!vdc_index_in(i, top.num_surface_pairs()))
        return nullptr;
    vdaSurfacePair& pair = top.surface_pair(i);
    return k == 0 ? &pair.first_linked_surface() : &pair.second_linked_surface();
}
