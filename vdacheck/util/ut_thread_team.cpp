#include <vdacheck/util/ut_thread_team.h>

#include <new>
#include <system_error>
#include <utility>

unsigned utThreadTeam::resolve(long long requested) noexcept
{
    if (requested > 0)
        return static_cast<unsigned>(std::min<long long>(requested, most));
    return std::clamp(std::thread::hardware_concurrency(), 1u, static_cast<unsigned>(most));
}

utThreadTeam::utThreadTeam(std::size_t helpers, std::function<void()> body) : body_(std::move(body))
{
    try {
        threads_.reserve(helpers);
    } catch (const std::bad_alloc&) {
        return;  // no room even to count them: the caller works alone
    }
    for (std::size_t t = 0; t < helpers; ++t) {
        try {
            threads_.emplace_back([this] { run_body(); });
        } catch (const std::system_error&) {
            break;  // the system starts no more threads now; the later ones would fail too
        } catch (const std::bad_alloc&) {
            break;
        }
    }
}

utThreadTeam::~utThreadTeam()
{
    for (std::thread& t : threads_)
        if (t.joinable())
            t.join();
}

void utThreadTeam::join()
{
    for (std::thread& t : threads_)
        if (t.joinable())
            t.join();
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

void utThreadTeam::run_body() noexcept
{
    try {
        body_();
    } catch (...) {
        const std::lock_guard lock(failure_mutex_);
        if (!failure_)
            failure_ = std::current_exception();
    }
}
