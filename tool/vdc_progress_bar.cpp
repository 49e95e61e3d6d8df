#include <tool/vdc_progress_bar.h>

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace {

// "0:07", "12:34", "1:02:03".
std::string clock_time(double seconds)
{
    const long total = static_cast<long>(seconds + 0.5);
    char buffer[32];
    if (total >= 3600)
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld", total / 60, total % 60);
    return buffer;
}

std::size_t terminal_width(std::FILE* stream)
{
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

}  // namespace

vdcProgressBar::vdcProgressBar(std::FILE* stream, std::size_t files, std::uint64_t bytes)
    : stream_(stream), terminal_(stream && isatty(fileno(stream)) != 0), files_(files), bytes_(bytes),
      start_(Clock::now()), last_draw_(start_)
{
}

vdcProgressBar::~vdcProgressBar() { clear(); }

void vdcProgressBar::file_done(std::uint64_t rest_of_bytes) noexcept
{
    bytes_done_.fetch_add(rest_of_bytes, std::memory_order_relaxed);
    files_done_.fetch_add(1, std::memory_order_relaxed);
}

std::string vdcProgressBar::line(std::size_t files_done, std::size_t files, std::uint64_t bytes_done,
                                 std::uint64_t bytes, double seconds, std::size_t width)
{
    char text[160];
    int n = std::snprintf(text, sizeof text, "%zu/%zu files", files_done, files);
    if (seconds > 0.0 && bytes_done > 0)
        n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "  %.1f MB/s",
                           static_cast<double>(bytes_done) / 1e6 / seconds);
    n +=
        std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "  %s elapsed", clock_time(seconds).c_str());
    // What is left, at the rate so far; unknown until some bytes are done, or without sizes (standard input).
    if (bytes_done > 0 && bytes > bytes_done && seconds > 0.0)
        std::snprintf(
            text + n, sizeof text - static_cast<std::size_t>(n), "  %s left",
            clock_time(seconds * static_cast<double>(bytes - bytes_done) / static_cast<double>(bytes_done)).c_str());
    std::string s = text;

    // One column stays free: a line that fills the terminal's width would wrap on some terminals.
    const std::size_t room = width > 0 ? width - 1 : 0;
    constexpr std::size_t bar_width = 30;
    if (s.size() + bar_width + 4 <= room) {
        const double done = bytes > 0   ? static_cast<double>(std::min(bytes_done, bytes)) / static_cast<double>(bytes)
                            : files > 0 ? static_cast<double>(files_done) / static_cast<double>(files)
                                        : 0.0;
        const auto filled = static_cast<std::size_t>(done * bar_width);
        s = '[' + std::string(filled, '#') + std::string(bar_width - filled, '.') + "]  " + s;
    }
    if (s.size() > room)
        s.resize(room);
    return s;
}

void vdcProgressBar::draw()
{
    if (!terminal_)
        return;
    const Clock::time_point now = Clock::now();
    const bool due = shown_ ? now - last_draw_ >= std::chrono::milliseconds(100)
                            : files_ > 1 || now - start_ >= std::chrono::seconds(1);
    if (!due)
        return;
    last_draw_ = now;
    shown_ = true;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const std::string text =
        line(files_done_.load(std::memory_order_relaxed), files_, bytes_done_.load(std::memory_order_relaxed), bytes_,
             seconds, terminal_width(stream_));
    std::fprintf(stream_, "\r%s\033[K", text.c_str());  // back to the line's start, write, erase the rest
    std::fflush(stream_);
}

void vdcProgressBar::clear()
{
    if (!shown_)
        return;
    shown_ = false;
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
}
