#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The run's progress on a terminal, on one line that redraws itself:
//   [########............]  12/40 files  83.2 MB/s  0:12 elapsed  0:30 left
// Workers report bytes read and files done from any thread; only the thread that writes the reports
// draws and clears the line. Nothing is shown when the stream is not a terminal. A run of several files
// shows the bar from the start; one file only once it has taken a second (a long read).
class vdcProgressBar {
public:
    using Clock = std::chrono::steady_clock;

    vdcProgressBar(std::FILE* stream, std::size_t files, std::uint64_t bytes);
    ~vdcProgressBar();
    vdcProgressBar(const vdcProgressBar&) = delete;
    vdcProgressBar& operator=(const vdcProgressBar&) = delete;

    bool shown_on_terminal() const noexcept { return terminal_; }

    // From any thread: bytes read (as the reader's progress goes), a file done (with the bytes of it not
    // yet reported).
    void add_bytes(std::uint64_t bytes) noexcept { bytes_done_.fetch_add(bytes, std::memory_order_relaxed); }
    void file_done(std::uint64_t rest_of_bytes) noexcept;

    // From the drawing thread: redraws when a tenth of a second has passed since the last draw.
    void draw();
    // Erases the line, before other output is written to the terminal.
    void clear();

    // The line for a run at this point, `width` columns at most: without the bar when narrow.
    static std::string line(std::size_t files_done, std::size_t files, std::uint64_t bytes_done, std::uint64_t bytes,
                            double seconds, std::size_t width);

private:
    std::FILE* stream_;
    bool terminal_;
    std::size_t files_;
    std::uint64_t bytes_;
    std::atomic<std::size_t> files_done_{0};
    std::atomic<std::uint64_t> bytes_done_{0};
    Clock::time_point start_;
    Clock::time_point last_draw_;
    bool shown_ = false;
};
