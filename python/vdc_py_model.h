#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

#include <pybind11/pybind11.h>

#include <vdacheck/model/vda_file.h>

// A model as Python holds it: the file, shared by the Model object, its entities and the arrays that view
// them, so that the file lives as long as any of them.
//
// One thread at a time: every call takes a Use, and a Use while another exists (from another thread during a
// call that released the GIL, or from a nested call) throws vdcPyError(busy) instead of letting two threads
// change one model. NumPy arrays that view entity values are counted: clean and repair delete entities, and
// refuse (vdcPyError(viewed)) while an array could be left pointing into one.
class vdcPyModel {
public:
    explicit vdcPyModel(std::unique_ptr<vdaFile> file) noexcept : file_(std::move(file)) {}
    ~vdcPyModel() = default;
    vdcPyModel(const vdcPyModel&) = delete;
    vdcPyModel& operator=(const vdcPyModel&) = delete;

    // Exclusive use of the model while it lives; it also makes the file the calling thread's current file,
    // where the library's repairs resolve names.
    class Use {
    public:
        explicit Use(vdcPyModel& model);
        ~Use() { model_.busy_.store(false, std::memory_order_release); }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        vdaFile& file() const noexcept { return *model_.file_; }

    private:
        vdcPyModel& model_;
    };

    // Runs `job` under `use` with the GIL released, and records when it ran (see released_interval).
    template <class Job>
    decltype(auto) without_gil(const Use& use, Job&& job)
    {
        const Interval interval(released_);
        const pybind11::gil_scoped_release release;
        return job(use.file());
    }
    // Steady-clock nanoseconds (Python's time.monotonic_ns) at which the last call without the GIL started
    // and ended; (0, 0) before the first. Tests read it to see two calls overlap.
    std::pair<std::int64_t, std::int64_t> released_interval() const noexcept
    {
        return {released_.first.load(), released_.second.load()};
    }

    // A NumPy array that views this model's entities was made (add_view) or freed (drop_view).
    void add_view() noexcept { ++views_; }
    void drop_view() noexcept { --views_; }
    // Throws vdcPyError(viewed) when arrays view entities; `what` names the call that would delete them.
    void refuse_views(const char* what) const;

private:
    using Times = std::pair<std::atomic<std::int64_t>, std::atomic<std::int64_t>>;
    class Interval {
    public:
        explicit Interval(Times& times) noexcept;
        ~Interval();
        Interval(const Interval&) = delete;
        Interval& operator=(const Interval&) = delete;

    private:
        Times& times_;
    };

    std::unique_ptr<vdaFile> file_;
    std::atomic<bool> busy_{false};
    std::atomic<long> views_{0};
    Times released_{0, 0};
};
