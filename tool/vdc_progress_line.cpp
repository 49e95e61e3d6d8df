#include <tool/vdc_progress_line.h>

#include <unistd.h>

vdcProgressLine::vdcProgressLine(std::FILE* stream, std::string file)
    : stream_(stream), file_(std::move(file)), terminal_(isatty(fileno(stream)) != 0), start_(Clock::now())
{
}

vdcProgressLine::~vdcProgressLine() { finish(); }

void vdcProgressLine::update(std::uint64_t done, std::uint64_t total)
{
    if (!terminal_ || total == 0 || Clock::now() - start_ < std::chrono::seconds(1))
        return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == percent_)
        return;
    percent_ = percent;
    shown_ = true;
    std::fprintf(stream_, "\rreading %s: %d%%", file_.c_str(), percent);
    std::fflush(stream_);
}

void vdcProgressLine::finish()
{
    if (!shown_)
        return;
    shown_ = false;
    std::fputs("\r\033[K", stream_);  // back to the line's start, erase it
    std::fflush(stream_);
}
