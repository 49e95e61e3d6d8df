#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <vector>

#include <vdacheck/util/ut_export.h>

// The named temporary files that writes in progress hold, so that a process that is being stopped (a
// signal, a shutdown) can remove them before it ends. Owned and passed on by the caller, who decides when
// remove_all runs: the library itself never handles signals.
class VDA_API utTemporaryFiles {
public:
    // Runs `make`, which creates the file `path`, and remembers `path` until forget(path). Creation and
    // remove_all exclude each other, so that no file is created after remove_all; once it has run, create
    // throws std::runtime_error without calling `make`.
    void create(const std::filesystem::path& path, const std::function<void()>& make);
    void forget(const std::filesystem::path& path) noexcept;
    // Removes every file remembered and refuses further ones: for a process about to end. Safe to call
    // from any thread at any time, but not from an asynchronous signal handler (it takes a lock).
    void remove_all() noexcept;

private:
    std::mutex mutex_;
    std::vector<std::filesystem::path> paths_;
    bool closed_ = false;
};
