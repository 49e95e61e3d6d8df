// The repair pass on large models. Only fix() is timed; each run builds its model and its checker's log
// and fix-node graph beforehand, in the order and shape the group and face checks record them.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "../tests/repair_probe.h"

namespace {

utString numbered(const char* prefix, long i) { return utString(std::string(prefix) + std::to_string(i)); }

// n groups, each holding the next; the last holds an invalid point. Every group is faulty because of the
// one it holds, so the graph is one chain of n + 1 nodes and the pass goes from the point up to group 0:
// the point's packet has no repair and stays, the last group's element is set to null, and every other
// group keeps its element because the group it holds has been repaired just before.
struct Chain {
    explicit Chain(long n)
    {
        const utString point("PT");
        file.create<vdaPoint>(point, giPoint3(-utMath::max_double(), 0, 0));
        probe.log(point, make_packet("Point entity has invalid point"));
        utString held = point;
        for (long i = n - 1; i >= 0; --i) {
            const utString group = numbered("GR", i);
            file.create<vdaGroup>(group, std::vector<utString>{held});
            probe.found(group, held);
            probe.log(group, make_packet("Group entity has pointer to invalid entity", {0}, fix_group_entity_ptr));
            held = group;
        }
        probe.found(held);
    }

    vdaFile file;
    vdcRepairProbe probe;
};

// n faces over a few faulty surfaces (one without patches each) and a few clean cons. Each face has two
// packets: its surface reference, which fails because the surface keeps its packet, and a trimming curve
// beyond its cons's range, which is clamped.
struct Wide {
    static constexpr long surfaces = 4;

    explicit Wide(long n)
    {
        add_curve(file, "CV", {0, 1, 2});
        for (long k = 0; k < surfaces; ++k) {
            file.create<vdaSurf>(numbered("SF", k), 0, 0, std::vector<vdaSurfPatch>{});
            add_cons(file, numbered("CN", k).c_str(), "SF0", "CV", 0, 2, {0, 1, 2});
        }
        for (long i = 0; i < n; ++i) {
            const utString face = numbered("FC", i), surface = numbered("SF", i % surfaces);
            file.create<vdaFace>(face, surface,
                                 std::vector<vdaBoundary>{
                                     vdaBoundary({vdaTrimmedCurve(numbered("CN", i % surfaces), 0.5, 3.0)})});
            if (i < surfaces)
                probe.log(surface, make_packet("Surf has invalid number of patches"));
            probe.found(face, surface);
            probe.log(face, make_packet("Face surface pointer points to invalid surface", {}, fix_face_surface_ptr));
            probe.log(face, make_packet("Face entity has invalid cons trimming parameters", {0, 0},
                                        fix_face_cons_parameters, {0, 2, 0.5, 3.0}));
            probe.found(face);
        }
    }

    vdaFile file;
    vdcRepairProbe probe;
};

// The pass leaves the point's or the surfaces' packets, so fix() gives 0, and repairs exactly one packet
// of the first group or face.
bool repaired_as_expected(vdcRepairProbe& probe, int result)
{
    const vdcLog& fixed = probe.fixed_log;
    return result == 0 && fixed.num_logged(numbered("GR", 0)) + fixed.num_logged(numbered("FC", 0)) == 1;
}

template <class Model>
void fix_model(benchmark::State& state)
{
    const long n = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<Model>(n);
        state.ResumeTiming();
        const int result = model->probe.fix();
        state.PauseTiming();
        if (!repaired_as_expected(model->probe, result))
            state.SkipWithError("the pass did not repair what it should");
        model.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK_TEMPLATE(fix_model, Chain)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(fix_model, Wide)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
