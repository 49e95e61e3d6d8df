// Read and write throughput on a synthetic model, next to a floor measured on the same text: a loop
// that only splits the records into tokens and parses every number with std::from_chars. The model is
// read on every hardware thread and on one.
//
// `tool_check_against_floor` times two processes on the model saved to a file, turn about: the floor (this
// program run as `vdacheck_io_bench floor FILE`: read the file, tokenise, from_chars) and `vdacheck check
// FILE --format json`. Its counter `of_floor` is the tool's throughput as a fraction of the floor's.
// The model size is VDACHECK_BENCH_MB megabytes (default 64).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "synthetic_model.h"

namespace {

const std::string& model_text()
{
    static const std::string text = [] {
        const char* mb = std::getenv("VDACHECK_BENCH_MB");
        return vda_synthetic_model(std::size_t(mb ? std::atol(mb) : 64) << 20);
    }();
    return text;
}

// Columns 1-72 of each record split at blanks and separators; every token that starts like a number is
// parsed with from_chars. Returns the sum, so that nothing is optimised away.
double tokenize_and_parse(std::string_view text)
{
    double sum = 0.0;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
        if (!eol)
            eol = end;
        const char* data_end = eol - p > 72 ? p + 72 : eol;
        while (p < data_end) {
            while (p < data_end && (*p == ' ' || *p == ',' || *p == '/' || *p == '='))
                ++p;
            const char* token = p;
            while (p < data_end && *p != ' ' && *p != ',' && *p != '/' && *p != '=')
                ++p;
            if (token == p)
                continue;
            const char c = *token;
            if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
                double value = 0.0;
                std::from_chars(c == '+' ? token + 1 : token, p, value);
                sum += value;
            }
        }
        p = eol + 1;
    }
    return sum;
}

class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void from_chars_floor(benchmark::State& state)
{
    const std::string& text = model_text();
    for (auto _ : state)
        benchmark::DoNotOptimize(tokenize_and_parse(text));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void read_model_with(benchmark::State& state, unsigned threads)
{
    const std::string& text = model_text();
    vdaReadOptions options;
    options.threads = threads;
    for (auto _ : state) {
        auto file = vdaReader::read(text, "synthetic.vda", options);
        benchmark::DoNotOptimize(file->size());
        state.PauseTiming();
        file.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void read_model(benchmark::State& state) { read_model_with(state, 0); }
void read_model_one_thread(benchmark::State& state) { read_model_with(state, 1); }

void write_model(benchmark::State& state, bool regenerate)
{
    const std::string& text = model_text();
    auto file = vdaReader::read(text, "synthetic.vda");
    if (regenerate)
        for (vdaObject& e : *file)
            e.mark_changed();
    NullBuffer sink;
    std::ostream out(&sink);
    for (auto _ : state)
        vdaWriter::write(*file, out);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void write_unchanged(benchmark::State& state) { write_model(state, false); }
void write_regenerated(benchmark::State& state) { write_model(state, true); }

BENCHMARK(from_chars_floor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(read_model)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(read_model_one_thread)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(write_unchanged)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(write_regenerated)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// --- processes (the tool's benchmark needs the tool built beside this program)

// The floor as a process of its own: read the file, tokenise it and parse every number.
int floor_of_file(const char* path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return 2;
    const auto size = static_cast<std::size_t>(in.tellg());
    const std::unique_ptr<char[]> bytes(new char[size]);
    in.seekg(0);
    in.read(bytes.get(), std::streamsize(size));
    benchmark::DoNotOptimize(tokenize_and_parse({bytes.get(), size}));
    return 0;
}

#ifdef VDACHECK_TOOL
// Runs `argv` with its standard output and error going nowhere; returns the wall time in seconds.
double run_process(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void tool_check_against_floor(benchmark::State& state, const std::string& self, const std::string& model)
{
    if (!std::filesystem::exists(model))
        std::ofstream(model, std::ios::binary).write(model_text().data(), std::streamsize(model_text().size()));
    double floor_s = 0.0;
    double tool_s = 0.0;
    for (auto _ : state) {
        floor_s += run_process({self, "floor", model});
        const double t = run_process({VDACHECK_TOOL, "check", model, "--format", "json"});
        tool_s += t;
        state.SetIterationTime(t);
    }
    const auto n = double(state.iterations());
    state.counters["floor_ms"] = 1000 * floor_s / n;
    state.counters["tool_ms"] = 1000 * tool_s / n;
    state.counters["of_floor"] = floor_s / tool_s;
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(model_text().size()));
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "floor") == 0)
        return floor_of_file(argv[2]);
    benchmark::Initialize(&argc, argv);
#ifdef VDACHECK_TOOL
    const std::string model =
        (std::filesystem::temp_directory_path() / ("vdacheck_io_bench_" + std::to_string(getpid()) + ".vda")).string();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    benchmark::RegisterBenchmark("tool_check_against_floor", tool_check_against_floor, self, model)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(4.0)
        ->UseManualTime();
#endif
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef VDACHECK_TOOL
    std::error_code ignored;
    std::filesystem::remove(model, ignored);
#endif
    return 0;
}
