// The geometric quality run on a synthetic model, on one thread and on every hardware thread, next to the
// structural check of the same model: `check --quality` may take at most twice the time of `check` on one
// thread. The model size is VDACHECK_BENCH_MB megabytes (default 200).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/vdacheck.h>

#include "synthetic_model.h"

namespace {

const vdaFile& model() { return vda_bench_model(); }

void check_model(benchmark::State& state)
{
    vdcFileCheck checker;
    for (auto _ : state)
        benchmark::DoNotOptimize(checker.check(model()));
    state.counters["entities/s"] =
        benchmark::Counter(double(state.iterations()) * model().size(), benchmark::Counter::kIsRate);
}

void quality_run(benchmark::State& state)
{
    const vdcQualityCheck quality({}, int(state.range(0)));
    std::size_t findings = 0;
    for (auto _ : state)
        findings = quality.run(model()).findings.size();
    state.counters["entities/s"] =
        benchmark::Counter(double(state.iterations()) * model().size(), benchmark::Counter::kIsRate);
    state.counters["findings"] = double(findings);
}

BENCHMARK(check_model)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(quality_run)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(int(std::thread::hardware_concurrency()))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
