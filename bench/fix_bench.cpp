// The repair pass on large models. Only fix() is timed; each run builds its model and checks it beforehand,
// so that the checker holds the log and fix-node graph the pass walks.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include <vdacheck/vdacheck.h>

namespace {

utString numbered(const char* prefix, long i) { return utString(std::string(prefix) + std::to_string(i)); }

// n groups, each holding the next; the last holds an invalid point. Every group is faulty because of the
// one it holds, so the graph is one chain of n + 1 nodes and the pass goes from the point up to group 0:
// the point's packet has no repair and stays, the last group's element is set to null, and every other
// group keeps its element because the group it holds has been repaired just before.
struct Chain {
    explicit Chain(long n)
    {
        for (long i = 0; i < n; ++i)
            file.create<vdaGroup>(numbered("GR", i), std::vector<utString>{numbered("GR", i + 1)});
        file.create<vdaPoint>(numbered("GR", n), giPoint3(-utMath::max_double(), 0, 0));
        checker.check(file);
    }

    vdaFile file;
    vdcFileCheck checker;
};

// n faces over a few faulty surfaces (without patches) and a few clean cons. Each face has two packets:
// its surface reference, which fails because the surface keeps its packet, and a trimming curve beyond its
// cons's range, which is clamped.
struct Wide {
    static constexpr long surfaces = 4;

    explicit Wide(long n)
    {
        const std::vector<giPoint3> line{giPoint3(0, 0, 0), giPoint3(1, 0, 0)};
        file.create<vdaCurve>("CV", std::vector<vdaCurveSegment>{{0, 1, line}, {1, 2, line}});
        file.create<vdaSurf>(
            "SF", 1, 1,
            std::vector<vdaSurfPatch>{
                {0, 1, 0, 1, 2, 2, {giPoint3(0, 0, 1), giPoint3(1, 0, 1), giPoint3(0, 1, 1), giPoint3(1, 1, 1)}}});
        const std::vector<giPoint2> uv{giPoint2(0, 0), giPoint2(1, 0)};
        for (long k = 0; k < surfaces; ++k) {
            file.create<vdaSurf>(numbered("SF", k), 0, 0, std::vector<vdaSurfPatch>{});
            file.create<vdaCons>(numbered("CN", k), "SF", "CV", 0, 2,
                                 std::vector<vdaConsSegment>{{0, 1, uv}, {1, 2, uv}});
        }
        for (long i = 0; i < n; ++i)
            file.create<vdaFace>(
                numbered("FC", i), numbered("SF", i % surfaces),
                std::vector<vdaBoundary>{vdaBoundary({vdaTrimmedCurve(numbered("CN", i % surfaces), 0.5, 3.0)})});
        checker.check(file);
    }

    vdaFile file;
    vdcFileCheck checker;
};

// The pass leaves the point's or the surfaces' packets, so fix() gives 0, and repairs exactly one packet
// of the first group or face.
template <class Model>
bool repaired_as_expected(Model& model, int result)
{
    const vdcLog& fixed = vdcFileCheckAcc(&model.checker).fixed_log();
    return result == 0 && fixed.num_logged(numbered("GR", 0)) + fixed.num_logged(numbered("FC", 0)) == 1;
}

template <class Model>
void fix_model(benchmark::State& state)
{
    const long n = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<Model>(n);
        model->file.make_current();
        state.ResumeTiming();
        const int result = model->checker.fix();
        state.PauseTiming();
        if (!repaired_as_expected(*model, result))
            state.SkipWithError("the pass did not repair what it should");
        model.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK_TEMPLATE(fix_model, Chain)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_TEMPLATE(fix_model, Wide)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
