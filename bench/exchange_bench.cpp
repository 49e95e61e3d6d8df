// Time and peak memory of converting a model to STEP, IGES or glTF, in a process of its own, split into the
// project's part (reading the VDA-FS file; checking, measuring and converting it to OCCT's shapes and document,
// or drawing it) and the writer's (OCCT's STEP or IGES writer, or the glTF writer), beside the time OCCT's STEP
// reader takes to read the file back:
//   vdacheck_exchange_bench FILE OUT [--repair]    OUT's suffix gives the format (.step, .igs, .glb, .gltf)
// Make the model with `vdacheck_io_roundtrip make FILE MB`.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <IFSelect_ReturnStatus.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>

#include <vdacheck/exchange/vdc_convert.h>
#include <vdacheck/vdacheck.h>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// CPU time of the process so far (user and system, all threads): on a shared machine wall time says little.
double cpu_seconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall and CPU time of one step.
struct Lap {
    Clock::time_point wall = Clock::now();
    double cpu = cpu_seconds();
    double wall_s() const { return seconds_since(wall); }
    double cpu_s() const { return cpu_seconds() - cpu; }
};

double peak_rss_mb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: vdacheck_exchange_bench FILE OUT [--repair]\n");
        return 2;
    }
    vdcConvertOptions options;
    options.repair = argc > 3 && std::strcmp(argv[3], "--repair") == 0;
    const double mb = double(std::filesystem::file_size(argv[1])) / (1 << 20);

    Lap lap;
    const auto file = vdaReader::load(argv[1]);
    const double read_s = lap.wall_s(), read_cpu = lap.cpu_s();
    const double read_peak = peak_rss_mb();

    lap = Lap();
    vdcConversion conversion(*file, argv[2], options);
    conversion.build();
    const double convert_s = lap.wall_s(), convert_cpu = lap.cpu_s();
    const double convert_peak = peak_rss_mb();

    lap = Lap();
    const vdcConvertResult result = conversion.write();
    const double write_s = lap.wall_s(), write_cpu = lap.cpu_s();
    const double write_peak = peak_rss_mb();
    if (!result.written) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return 1;
    }

    const double ours = read_cpu + convert_cpu, whole = ours + write_cpu;
    std::printf("model %.1f MB, %d entities: %zu faces, %zu shells, %zu edges, %zu vertices, %zu meshes, %zu "
                "triangles; %zu entities left out\n",
                mb, file->size(), result.counts.faces, result.counts.shells, result.counts.edges,
                result.counts.vertices, result.counts.meshes, result.counts.triangles, result.left_out.size());
    std::printf("read     %7.2f s wall %7.2f s CPU   peak %7.1f MB\n", read_s, read_cpu, read_peak);
    std::printf("convert  %7.2f s wall %7.2f s CPU   peak %7.1f MB\n", convert_s, convert_cpu, convert_peak);
    std::printf("write    %7.2f s wall %7.2f s CPU   peak %7.1f MB   (%s, %.1f MB)\n", write_s, write_cpu, write_peak,
                vdc_exchange_format_name(result.format), double(std::filesystem::file_size(argv[2])) / (1 << 20));
    std::printf("ours (read + convert) %.2f s of %.2f s CPU: %.0f%%\n", ours, whole, 100.0 * ours / whole);
    if (result.format == vdcExchangeFormat::step) {
        lap = Lap();
        Handle(TDocStd_Document) document;
        XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", document);
        STEPCAFControl_Reader reader;
        reader.SetNameMode(Standard_True);
        const bool read = reader.ReadFile(argv[2]) == IFSelect_RetDone && reader.Transfer(document);
        XCAFApp_Application::GetApplication()->Close(document);
        std::printf("OCCT reads it back in %.2f s wall %.2f s CPU%s   peak %7.1f MB\n", lap.wall_s(), lap.cpu_s(),
                    read ? "" : " (failed)", peak_rss_mb());
    }
    return 0;
}
