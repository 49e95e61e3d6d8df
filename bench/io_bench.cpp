// Read and write throughput on a synthetic model, next to a floor measured on the same text: a loop
// that only splits the records into tokens and parses every number with std::from_chars.
// The model size is VDACHECK_BENCH_MB megabytes (default 64).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <string>

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
double tokenize_and_parse(const std::string& text)
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

void read_model(benchmark::State& state)
{
    const std::string& text = model_text();
    for (auto _ : state) {
        auto file = vdaReader::read(text, "synthetic.vda");
        benchmark::DoNotOptimize(file->size());
        state.PauseTiming();
        file.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

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
BENCHMARK(read_model)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(write_unchanged)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(write_regenerated)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
