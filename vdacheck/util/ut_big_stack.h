#pragma once

#include <cstddef>
#include <functional>

#include <vdacheck/util/ut_cancel.h>
#include <vdacheck/util/ut_export.h>

// Deep recursion without stack overflow: a job that may nest deeply runs on the calling thread when its
// stack has room enough, and otherwise on a thread of its own whose stack is sized for the job. That stack
// is mapped with MAP_NORESERVE: only the pages the job touches take memory.
class VDA_API utBigStack {
public:
    // Bytes left on the calling thread's stack below the caller's frame; 0 when the platform does not say.
    static std::size_t room() noexcept;

    // Runs `job` on the calling thread when at least `needed` bytes of its stack are left, otherwise on a
    // new thread with a stack of `needed` bytes, and waits for it. An exception that leaves the job is
    // thrown again here. While it waits, the calling thread polls `cancel` for the job, which looks at it.
    static void run_with(std::size_t needed, const std::function<void()>& job, const utCancel& cancel = {});

    // Runs `job` on a new thread with a stack of `stack_bytes` and waits for it (polling `cancel`); an
    // exception that leaves the job is thrown again here. Returns the bytes of the stack the job touched.
    static std::size_t run(std::size_t stack_bytes, const std::function<void()>& job, const utCancel& cancel = {});
};
