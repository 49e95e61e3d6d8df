// Check throughput on a synthetic model (entities and megabytes of model text per second), next to the
// time to read the same text: checking a model must cost less than reading it.
// The model size is VDACHECK_BENCH_MB megabytes (default 200).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <vdacheck/vdacheck.h>

#include "synthetic_model.h"

namespace {

const std::string& model_text() { return vda_bench_model_text(); }

void count_rates(benchmark::State& state, int entities)
{
    const double runs = double(state.iterations());
    state.counters["entities/s"] = benchmark::Counter(runs * entities, benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(runs * double(model_text().size()) / 1e6, benchmark::Counter::kIsRate);
}

void read_model(benchmark::State& state)
{
    int entities = 0;
    for (auto _ : state) {
        auto file = vdaReader::read(model_text(), "synthetic.vda");
        entities = file->size();
        state.PauseTiming();
        file.reset();  // freeing the model is not part of reading it
        state.ResumeTiming();
    }
    count_rates(state, entities);
}

// Every run starts afresh (the checker resets its logs and checked names), so each one checks every
// entity once and logs the model's faults again.
void check_model(benchmark::State& state)
{
    const std::unique_ptr<vdaFile> file = vdaReader::read(model_text(), "synthetic.vda");
    vdcFileCheck checker;
    for (auto _ : state)
        benchmark::DoNotOptimize(checker.check(*file));
    count_rates(state, file->size());
}

BENCHMARK(read_model)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(check_model)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
