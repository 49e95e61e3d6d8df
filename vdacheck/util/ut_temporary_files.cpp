#include <vdacheck/util/ut_temporary_files.h>

#include <unistd.h>

#include <algorithm>
#include <stdexcept>

void utTemporaryFiles::create(const std::filesystem::path& path, const std::function<void()>& make)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_)
        throw std::runtime_error("the process is ending");
    paths_.push_back(path);
    try {
        make();
    } catch (...) {
        paths_.pop_back();
        throw;
    }
}

void utTemporaryFiles::forget(const std::filesystem::path& path) noexcept
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto it = std::find(paths_.begin(), paths_.end(), path);
    if (it != paths_.end())
        paths_.erase(it);
}

void utTemporaryFiles::remove_all() noexcept
{
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    for (const std::filesystem::path& path : paths_)
        ::unlink(path.c_str());
    paths_.clear();
}
