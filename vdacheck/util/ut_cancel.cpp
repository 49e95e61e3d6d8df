#include <vdacheck/util/ut_cancel.h>

#include <atomic>
#include <thread>
#include <utility>

const char* utCancelled::what() const noexcept { return "the call was cancelled"; }

struct utCancel::State {
    Poll poll;
    std::chrono::steady_clock::duration interval;
    std::thread::id owner = std::this_thread::get_id();
    std::chrono::steady_clock::time_point next;  // read and written by the owner only
    std::atomic<bool> stop{false};
};

utCancel::utCancel(Poll poll, std::chrono::milliseconds interval) : state_(std::make_shared<State>())
{
    state_->poll = std::move(poll);
    state_->interval = interval;
    state_->next = std::chrono::steady_clock::now() + interval;
}

bool utCancel::requested() const noexcept
{
    if (!state_)
        return false;
    State& s = *state_;
    if (s.stop.load(std::memory_order_relaxed))
        return true;
    if (std::this_thread::get_id() != s.owner)
        return false;
    const auto now = std::chrono::steady_clock::now();
    if (now < s.next)
        return false;
    s.next = now + s.interval;
    bool ask = true;
    try {
        ask = s.poll && s.poll();
    } catch (...) {
    }
    if (ask)
        s.stop.store(true, std::memory_order_relaxed);
    return ask;
}
