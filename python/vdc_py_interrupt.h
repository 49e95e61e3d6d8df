#pragma once

#include <memory>
#include <optional>
#include <utility>

#include <pybind11/pybind11.h>

#include <vdacheck/util/ut_cancel.h>

// Ctrl-C during a long call. A call made on Python's main thread hands the library token() in its options;
// the library polls it now and then on this thread, which takes the GIL for a moment and runs the signal
// handlers Python has pending. Once one raises (SIGINT's raises KeyboardInterrupt), the library stops
// between entities and run() raises that exception, at once rather than when the call would have ended.
// On other threads Python runs no handlers, and the token is one that never asks.
//
// Made with the GIL held, on the thread that makes the call; heal, convert and any later long call take
// part the same way: a utCancel in their options, their work in run().
class vdcPyInterrupt {
public:
    vdcPyInterrupt();

    const utCancel& token() const noexcept { return token_; }

    // Runs `job` (which releases the GIL); a utCancelled from it raises what the handler raised.
    template <class Job>
    decltype(auto) run(Job&& job)
    {
        try {
            return std::forward<Job>(job)();
        } catch (const utCancelled&) {
            raise();
        }
    }

private:
    [[noreturn]] void raise();

    struct Raised {
        std::optional<pybind11::error_already_set> error;
    };
    std::shared_ptr<Raised> raised_ = std::make_shared<Raised>();
    utCancel token_;
};
