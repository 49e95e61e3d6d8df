// Tessellation of the synthetic model with one thread and with every hardware thread, next to the time to
// read the same text; and the constrained triangulation on its own, per point.
// The model size is VDACHECK_BENCH_MB megabytes (default 200).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include <vdacheck/geometry/gi_constrained_delaunay.h>
#include <vdacheck/mesh/vda_tessellator.h>
#include <vdacheck/vdacheck.h>

#include "synthetic_model.h"

namespace {

const vdaFile& model() { return vda_bench_model(); }

// Argument: threads (0: every hardware thread).
void tessellate_model(benchmark::State& state)
{
    const vdaFile& file = model();  // generated and read before the clock starts
    vdaTessellationOptions options;
    options.threads = static_cast<int>(state.range(0));
    std::size_t triangles = 0;
    for (auto _ : state) {
        const vdaScene scene = vdaTessellator::tessellate(file, options);
        triangles = scene.triangles;
    }
    state.counters["triangles"] = double(triangles);
    state.counters["entities/s"] =
        benchmark::Counter(double(state.iterations()) * file.size(), benchmark::Counter::kIsRate);
}

// A disc with a hole, its boundaries sampled as polygons, and the grid points inside: argument the grid's
// points per side.
void triangulate_disc(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<std::vector<giPoint2>> loops(2);
    for (int k = 0; k <= 4 * n; ++k) {
        const double a = 2 * std::numbers::pi * (k % (4 * n)) / (4 * n);
        loops[0].push_back({std::cos(a), std::sin(a)});
        loops[1].push_back({0.3 * std::cos(-a), 0.3 * std::sin(-a)});
    }
    std::vector<giPoint2> grid;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            grid.push_back({-1 + 2.0 * i / (n - 1), -1 + 2.0 * j / (n - 1)});
    for (auto _ : state)
        benchmark::DoNotOptimize(giConstrainedDelaunay::triangulate(loops, grid));
    state.counters["points/s"] =
        benchmark::Counter(double(state.iterations()) * double(grid.size() + 8 * n), benchmark::Counter::kIsRate);
}

BENCHMARK(tessellate_model)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(triangulate_disc)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
