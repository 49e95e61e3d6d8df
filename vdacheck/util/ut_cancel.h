#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <memory>

#include <vdacheck/util/ut_export.h>

// What a long call throws when its cancellation token asks it to stop.
class VDA_API utCancelled : public std::exception {
public:
    const char* what() const noexcept override;
};

// A way to stop a long call from outside. The reader (between chunks and statements), the checker (between
// entities), the repair rounds, the quality run and the drawing (between entities, on each of their
// threads) look at the token of their options, and throw utCancelled once it asks them to stop; the
// threads of a team then take no more work.
//
// A default token never asks, and a look at it costs a test of one pointer. A token made with a poll asks
// once the poll has returned true. The poll runs only on the thread that made the token (the call's own),
// at most once per `interval`; the other threads of the call see its answer. So a poll may do what only
// that thread may, such as an interpreter handling its signals, and may be slow. Copies share one state.
class VDA_API utCancel {
public:
    using Poll = std::function<bool()>;

    utCancel() noexcept = default;
    explicit utCancel(Poll poll, std::chrono::milliseconds interval = std::chrono::milliseconds(50));

    // A poll is set.
    explicit operator bool() const noexcept { return state_ != nullptr; }
    // True once the poll has asked to stop (a poll that throws asks to stop); polls first when due and on
    // the token's thread.
    bool requested() const noexcept;
    // Throws utCancelled once requested() is true.
    void check() const
    {
        if (state_ && requested())
            throw utCancelled();
    }

private:
    struct State;
    std::shared_ptr<State> state_;
};
