// Cost of evaluating one point: a bicubic patch with and without first derivatives, with second
// derivatives, and a cubic space curve. The parameters walk a fixed grid so that the branch predictor
// sees realistic patterns and the compiler cannot fold the work away.
#include <benchmark/benchmark.h>

#include <vector>

#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/vdacheck.h>

namespace {

// A 2 x 2 grid of bicubic patches with arbitrary coefficients.
vdaSurf& bicubic_surface(vdaFile& file)
{
    std::vector<vdaSurfPatch> patches;
    for (int p = 0; p < 4; ++p) {
        std::vector<giPoint3> c;
        for (int k = 0; k < 16; ++k)
            c.emplace_back(0.5 * k + p, 1.0 / (k + 1), k * k * 0.01);
        patches.emplace_back(p % 2, p % 2 + 1, p / 2, p / 2 + 1, 4, 4, c);
    }
    return file.create<vdaSurf>("S", 2, 2, patches);
}

template <int Derivatives>
void surface_point(benchmark::State& state)
{
    vdaFile file;
    const auto surf = vdaSurfEval::make(bicubic_surface(file));
    double s = 0.0, t = 0.0;
    for (auto _ : state) {
        s = s > 1.99 ? 0.0 : s + 0.0173;
        t = t > 1.99 ? 0.0 : t + 0.0311;
        benchmark::DoNotOptimize(surf->sample(s, t, Derivatives));
    }
    state.SetItemsProcessed(state.iterations());
}

void curve_point(benchmark::State& state)
{
    vdaFile file;
    const auto curve = vdaCurveEval::make(file.create<vdaCurve>(
        "C", std::vector<vdaCurveSegment>{vdaCurveSegment(0, 1, {{0, 0, 0}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}}),
                                          vdaCurveSegment(1, 2, {{1, 1, 1}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}})}));
    double s = 0.0;
    for (auto _ : state) {
        s = s > 1.99 ? 0.0 : s + 0.0173;
        benchmark::DoNotOptimize(curve->sample(s, 1));
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(surface_point<0>)->Name("bicubic point");
BENCHMARK(surface_point<1>)->Name("bicubic point, first derivatives");
BENCHMARK(surface_point<2>)->Name("bicubic point, second derivatives");
BENCHMARK(curve_point)->Name("cubic curve point, first derivative");

}  // namespace

BENCHMARK_MAIN();
