// Peak memory and time of reading a VDA-FS file and writing it back, in a process of its own:
//   vdacheck_io_roundtrip make FILE MB             writes a synthetic model of about MB megabytes (0.5: half
//                                                  of one)
//   vdacheck_io_roundtrip run IN OUT [regenerate]  loads IN, saves OUT (all entities afresh with
//                                                  "regenerate") and reports times and peak RSS
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <vdacheck/vdacheck.h>

#include "synthetic_model.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long peak_rss_kb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int make(const char* path, double mb)
{
    const std::string text = vda_synthetic_model(static_cast<std::size_t>(mb * double(1 << 20)));
    std::ofstream(path, std::ios::binary).write(text.data(), std::streamsize(text.size()));
    std::printf("%s: %zu bytes\n", path, text.size());
    return 0;
}

int run(const char* in, const char* out, bool regenerate)
{
    const auto t0 = std::chrono::steady_clock::now();
    const auto file = vdaReader::load(in);
    const double read_s = seconds_since(t0);
    if (regenerate)
        for (vdaObject& e : *file)
            e.mark_changed();
    const auto t1 = std::chrono::steady_clock::now();
    vdaWriter::save(*file, out);
    const double write_s = seconds_since(t1);
    std::ifstream size_of(in, std::ios::binary | std::ios::ate);
    const double mb = double(size_of.tellg()) / (1 << 20);
    const double peak_mb = double(peak_rss_kb()) / 1024;
    std::printf("file %.1f MB, %d entities, %zu warnings\n", mb, file->size(), file->warnings().size());
    std::printf("read  %.3f s  %.1f MB/s\n", read_s, mb / read_s);
    std::printf("write %.3f s  %.1f MB/s (%s)\n", write_s, mb / write_s, regenerate ? "regenerated" : "unchanged");
    std::printf("peak RSS %.1f MB = %.2f x file size\n", peak_mb, peak_mb / mb);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 4 && std::strcmp(argv[1], "make") == 0)
            return make(argv[2], std::atof(argv[3]));
        if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "run") == 0)
            return run(argv[2], argv[3], argc == 5 && std::strcmp(argv[4], "regenerate") == 0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: %s make FILE MB | run IN OUT [regenerate]\n", argv[0]);
    return 2;
}
