#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include <vdacheck/util/ut_thread_team.h>

// Runs work(i) for i = 0 .. count - 1 on up to `jobs` threads and hands the results to deliver(i, result)
// on the calling thread in the order of i, whatever order they finish in. A worker takes the next item only
// while fewer than `window` items wait for delivery or run, so a slow item holds back at most `window`
// others: what the run keeps in memory stays bounded. `idle` runs on the calling thread while it waits,
// about every `tick`. An exception from work, deliver or idle ends the run and reaches the caller. When the
// system starts fewer threads than asked for, fewer work; when it starts none, the calling thread works.
//
// Waking costs the same whatever the number of jobs: a delivery makes room for one item and wakes one
// waiting worker, and a finished item wakes the calling thread only when it is the one it waits for.
template <class Result>
class vdcOrderedPool {
public:
    vdcOrderedPool(int jobs, std::size_t window) : jobs_(std::max(jobs, 1)), window_(std::max<std::size_t>(window, 1))
    {
    }

    void run(std::size_t count, const std::function<Result(std::size_t)>& work,
             const std::function<void(std::size_t, Result&&)>& deliver, const std::function<void()>& idle,
             std::chrono::milliseconds tick = std::chrono::milliseconds(100))
    {
        next_ = 0;
        delivered_ = 0;
        stop_ = false;
        failure_ = nullptr;
        ready_.assign(std::min(window_, count), std::nullopt);
        std::exception_ptr failure;
        {
            utThreadTeam workers(std::min<std::size_t>(static_cast<std::size_t>(jobs_), count),
                                 [&] { work_loop(count, work); });
            try {
                for (std::size_t i = 0; i < count; ++i)
                    deliver(i, workers.size() > 0 ? wait_for(i, idle, tick) : work(i));
            } catch (...) {
                failure = std::current_exception();
            }
            {
                const std::lock_guard lock(mutex_);
                stop_ = true;
            }
            room_.notify_all();
        }
        ready_.clear();
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    void work_loop(std::size_t count, const std::function<Result(std::size_t)>& work)
    {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex_);
                room_.wait(lock, [&] { return stop_ || next_ >= count || next_ < delivered_ + window_; });
                if (stop_ || next_ >= count)
                    return;
                i = next_++;
            }
            bool awaited = false;
            try {
                Result result = work(i);
                const std::lock_guard lock(mutex_);
                ready_[i % ready_.size()].emplace(std::move(result));
                awaited = i == delivered_;
            } catch (...) {
                const std::lock_guard lock(mutex_);
                failure_ = std::current_exception();
                stop_ = awaited = true;
            }
            if (awaited)
                done_.notify_one();
        }
    }

    Result wait_for(std::size_t i, const std::function<void()>& idle, std::chrono::milliseconds tick)
    {
        std::optional<Result>& slot = ready_[i % ready_.size()];
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                if (done_.wait_for(lock, tick, [&] { return slot.has_value() || failure_; })) {
                    if (failure_)
                        std::rethrow_exception(failure_);
                    Result result = std::move(*slot);
                    slot.reset();
                    delivered_ = i + 1;
                    lock.unlock();
                    room_.notify_one();
                    return result;
                }
            }
            if (idle)
                idle();
        }
    }

    int jobs_;
    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable room_;              // a worker may take the next item
    std::condition_variable done_;              // the item the calling thread waits for is ready
    std::vector<std::optional<Result>> ready_;  // item i in slot i % window while it waits for delivery
    std::size_t next_ = 0;                      // the next item a worker takes
    std::size_t delivered_ = 0;                 // items handed to deliver
    bool stop_ = false;
    std::exception_ptr failure_;  // what work threw
};
