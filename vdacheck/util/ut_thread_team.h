#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <vdacheck/util/ut_export.h>

// Helper threads for work the calling thread shares out: every parallel part of the library and the tool
// starts its threads here. A thread the system refuses (a process or address-space limit) is no error:
// the team is smaller, down to no helper at all, and the calling thread does what is left. Work given to
// a team is therefore claimed by whoever is free, never handed to a thread by number, and what comes out
// does not depend on how many threads took part.
class VDA_API utThreadTeam {
public:
    // The most threads a caller may ask for: thread counts are 0 (every hardware thread) to `most`.
    static constexpr int most = 1024;
    static constexpr bool valid(long long requested) noexcept { return requested >= 0 && requested <= most; }

    // The threads `requested` stands for: 0 (or less) is every hardware thread, at least 1; more than
    // `most` is `most`.
    static unsigned resolve(long long requested) noexcept;

    // Starts up to `helpers` threads, each running `body` once.
    utThreadTeam(std::size_t helpers, std::function<void()> body);
    utThreadTeam(const utThreadTeam&) = delete;
    utThreadTeam& operator=(const utThreadTeam&) = delete;
    // Waits for the helpers still running.
    ~utThreadTeam();

    // The helpers that started.
    std::size_t size() const noexcept { return threads_.size(); }

    // Waits for every helper; the first exception that left `body` on one of them is thrown again here.
    void join();

    // Calls f(i) for each i in [0, n) on up to `threads` threads, the calling one among them, each taking
    // the next i when it is free. The first exception stops the others taking more and is thrown again
    // here once all have stopped.
    template <class F>
    static void for_each(std::size_t n, unsigned threads, const F& f);

private:
    void run_body() noexcept;

    std::function<void()> body_;
    std::vector<std::thread> threads_;
    std::mutex failure_mutex_;
    std::exception_ptr failure_;
};

template <class F>
void utThreadTeam::for_each(std::size_t n, unsigned threads, const F& f)
{
    std::atomic<std::size_t> next{0};
    std::mutex failure_mutex;
    std::exception_ptr failure;
    const auto share = [&]() noexcept {
        try {
            for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < n;)
                f(i);
        } catch (...) {
            next.store(n, std::memory_order_relaxed);
            const std::lock_guard lock(failure_mutex);
            if (!failure)
                failure = std::current_exception();
        }
    };
    {
        const std::size_t helpers = std::min<std::size_t>(std::max(threads, 1u), n);
        utThreadTeam team(helpers > 0 ? helpers - 1 : 0, share);
        share();
    }
    if (failure)
        std::rethrow_exception(failure);
}
