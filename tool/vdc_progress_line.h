#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

// A "reading FILE: 42%" line on a terminal, for files that take more than a second to read. It shows
// nothing when the stream is not a terminal, and erases itself when done.
class vdcProgressLine {
public:
    vdcProgressLine(std::FILE* stream, std::string file);
    ~vdcProgressLine();
    vdcProgressLine(const vdcProgressLine&) = delete;
    vdcProgressLine& operator=(const vdcProgressLine&) = delete;

    // The reader's progress callback.
    void update(std::uint64_t done, std::uint64_t total);
    // Erases the line if one is shown.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    std::FILE* stream_;
    std::string file_;
    bool terminal_;
    bool shown_ = false;
    int percent_ = -1;
    Clock::time_point start_;
};
