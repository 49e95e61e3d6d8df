#include <vdacheck/check/vdc_log.h>

#include <utility>

void vdcErrorPacket::operator=(const vdcErrorPacket& other)
{
    if (this == &other)
        return;
    function_ = other.function_;
    message_ = other.message_;
    ints_ = other.ints_;
    doubles_ = other.doubles_;
}

void vdcErrorPacket::operator=(vdcErrorPacket&& other) noexcept
{
    if (this == &other)
        return;
    function_ = other.function_;
    message_ = std::move(other.message_);
    ints_ = std::move(other.ints_);
    doubles_ = std::move(other.doubles_);
}

void vdcLog::save(const utString& name, const vdcErrorPacket& packet) { save(name, vdcErrorPacket(packet)); }

void vdcLog::save(const utString& name, vdcErrorPacket&& packet)
{
    lists_.try_emplace(name).first->packets.push_back(std::move(packet));
    ++total_;
}

int vdcLog::num_logged(const utString& name) const noexcept
{
    const List* list = lists_.find(name);
    return list ? static_cast<int>(list->size()) : 0;
}

const vdcErrorPacket vdcLog::packet(const utString& name)
{
    List& list = *lists_.find(name);
    vdcErrorPacket taken = std::move(list.packets[list.head++]);
    --total_;
    if (list.head == list.packets.size()) {
        list.packets.clear();
        list.head = 0;
    } else if (list.head * 2 >= list.packets.size()) {
        list.packets.erase(list.packets.begin(), list.packets.begin() + static_cast<std::ptrdiff_t>(list.head));
        list.head = 0;
    }
    return taken;
}

void vdcLog::remove(const utString& name)
{
    if (const List* list = lists_.find(name)) {
        total_ -= list->size();
        lists_.erase(name);
    }
}

void vdcLog::clear()
{
    lists_.clear();
    total_ = 0;
}
