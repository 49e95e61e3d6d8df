#pragma once

#include <cstddef>
#include <vector>

#include <vdacheck/check/vdc_error_packet.h>
#include <vdacheck/check/vdc_export.h>
#include <vdacheck/util/co_ordered_map.h>
#include <vdacheck/util/ut_string.h>

// Error packets kept under the name of the entity they concern. Each name has a list in saving order;
// the list is created by the first save under the name and stays (possibly empty) until remove() or
// clear(). A reader asks by name; the log offers no enumeration of its names.
class VDC_API vdcLog {
public:
    vdcLog() = default;
    ~vdcLog() = default;

    // Appends a copy of `packet` to the list of `name`.
    void save(const utString& name, const vdcErrorPacket& packet);
    void save(const utString& name, vdcErrorPacket&& packet);
    // Number of packets held under `name`; 0 for a name never saved (asking creates nothing).
    int num_logged(const utString& name) const noexcept;
    // Takes the oldest packet of `name` out of the log. Requires num_logged(name) > 0.
    const vdcErrorPacket packet(const utString& name);
    void remove(const utString& name);
    void clear();
    // 1 when no name holds a packet.
    int empty() const noexcept { return total_ == 0 ? 1 : 0; }

    // The packets held under `name`, oldest first, without taking them (for reports).
    template <class F>
    void for_each_packet(const utString& name, F&& f) const
    {
        if (const List* list = lists_.find(name))
            for (std::size_t i = list->head; i < list->packets.size(); ++i)
                f(list->packets[i]);
    }

protected:
    vdcLog(const vdcLog&) = default;
    void operator=(const vdcLog& other) { lists_ = other.lists_, total_ = other.total_; }

private:
    // Packets [head, end) are held; taking from the front advances head, and the taken prefix is
    // dropped once it is half of the vector.
    struct List {
        std::vector<vdcErrorPacket> packets;
        std::size_t head = 0;
        std::size_t size() const noexcept { return packets.size() - head; }
    };
    coOrderedMap<utString, List> lists_;
    std::size_t total_ = 0;
};
