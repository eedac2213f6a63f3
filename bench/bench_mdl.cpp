// Reading and saving large models. Run: build/bin/bench_mdl
// Reports MB/s through the byte counters and the peak resident memory.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include "BenchModels.h"
#include "modkit/core/MDLObject.h"

namespace {

using benchmodels::model;

void peakMemory(benchmark::State& state) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    state.counters["peakRSS_MB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
}

void BM_readMDL(benchmark::State& state) {
    const std::string& bytes = model(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        modkit::MDLObject m;
        m.readMDLBytes(bytes);
        benchmark::DoNotOptimize(m.BGLCommandList()->Count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    peakMemory(state);
}

void BM_saveMDL(benchmark::State& state) {
    const std::string& bytes = model(static_cast<int>(state.range(0)));
    modkit::MDLObject m;
    m.readMDLBytes(bytes);
    for (auto _ : state) benchmark::DoNotOptimize(m.toBytes());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    peakMemory(state);
}

void BM_readAndSave(benchmark::State& state) {
    const std::string& bytes = model(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        modkit::MDLObject m;
        m.readMDLBytes(bytes);
        benchmark::DoNotOptimize(m.toBytes());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

}  // namespace

BENCHMARK(BM_readMDL)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_saveMDL)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_readAndSave)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
int main(int argc, char** argv) {
    // Keep freed memory in the process, so that both model sizes are measured
    // with the allocator in the same warm state (otherwise the large model pays
    // the kernel's page faults again on every iteration and the small one not).
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest glibc accepts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
