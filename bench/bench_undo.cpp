// What one undo step costs: the deep copy of a model that the program keeps
// before each change. Run: build/bin/bench_undo
#include <benchmark/benchmark.h>

#include "BenchModels.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/MDLObject.h"

namespace {

using benchmodels::model;

void BM_cloneMDL(benchmark::State& state) {
    modkit::MDLObject m;
    m.readMDLBytes(model(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(m.clone());
    state.counters["commands"] = m.BGLCommandList()->Count();
}

// Reading with the program's kind of event hook installed: how often it runs.
void BM_readMDLWithEventPump(benchmark::State& state) {
    const std::string& bytes = model(static_cast<int>(state.range(0)));
    int64_t calls = 0;
    modkit::setEventPump([&] { ++calls; });
    for (auto _ : state) {
        modkit::MDLObject m;
        m.readMDLBytes(bytes);
        benchmark::DoNotOptimize(m.BGLCommandList()->Count());
    }
    modkit::setEventPump({});
    state.counters["pumpCallsPerRead"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(BM_cloneMDL)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_readMDLWithEventPump)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
