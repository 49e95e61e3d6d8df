#pragma once

#include <cstddef>
#include <functional>

// Runs a job on a thread of its own whose stack is sized for the job. The checker recurses along reference
// chains, one nesting level per entity in the worst case (a group nested in a group ... a million deep),
// so the tool sizes the stack from the model's entity count. The stack is mapped with MAP_NORESERVE:
// only the pages the job touches take memory.
class vdcBigStack {
public:
    // Stack bytes measured per nesting level of check() on a deep chain of groups, with room to spare
    // (the sanitizers' frames are larger).
    static const std::size_t bytes_per_level;
    // Stack for everything that is not nesting: the tool's own frames, the C++ runtime, the job's start.
    static constexpr std::size_t base_bytes = std::size_t{16} << 20;

    // A stack that no model of `entities` entities can overflow.
    static std::size_t size_for(std::size_t entities) noexcept;

    // Runs `job` on a new thread with a stack of `stack_bytes` and waits for it; an exception that
    // leaves the job is thrown again here. Returns the bytes of the stack the job touched.
    static std::size_t run(std::size_t stack_bytes, const std::function<void()>& job);
};
