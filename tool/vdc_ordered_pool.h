#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Runs work(i) for i = 0 .. count - 1 on `jobs` threads and hands the results to deliver(i, result) on the
// calling thread in the order of i, whatever order they finish in. A worker takes the next item only
// while fewer than `window` items wait for delivery or run, so a slow item holds back at most `window`
// others: what the run keeps in memory stays bounded. `idle` runs on the calling thread while it waits,
// about every `tick`. work runs on the workers and must not throw; deliver and idle may.
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
        ready_.clear();
        const std::size_t threads = std::min<std::size_t>(static_cast<std::size_t>(jobs_), count);
        std::vector<std::thread> workers;
        workers.reserve(threads);
        for (std::size_t t = 0; t < threads; ++t)
            workers.emplace_back([&] { work_loop(count, work); });

        std::exception_ptr failure;
        try {
            for (std::size_t i = 0; i < count; ++i) {
                Result result = wait_for(i, idle, tick);
                deliver(i, std::move(result));
            }
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        room_.notify_all();
        for (std::thread& worker : workers)
            worker.join();
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
            Result result = work(i);
            {
                const std::lock_guard lock(mutex_);
                ready_.emplace(i, std::move(result));
            }
            done_.notify_one();
        }
    }

    Result wait_for(std::size_t i, const std::function<void()>& idle, std::chrono::milliseconds tick)
    {
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                done_.wait_for(lock, tick, [&] { return ready_.contains(i); });
                if (const auto it = ready_.find(i); it != ready_.end()) {
                    Result result = std::move(it->second);
                    ready_.erase(it);
                    delivered_ = i + 1;
                    lock.unlock();
                    room_.notify_all();
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
    std::condition_variable room_;  // a worker may take the next item
    std::condition_variable done_;  // an item is ready
    std::map<std::size_t, Result> ready_;
    std::size_t next_ = 0;       // the next item a worker takes
    std::size_t delivered_ = 0;  // items handed to deliver
    bool stop_ = false;
};
