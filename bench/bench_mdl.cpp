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

size_t heapInUse() {
    const struct mallinfo2 i = mallinfo2();
    return i.uordblks + i.hblkhd;
}

void BM_readMDL(benchmark::State& state) {
    const std::string& bytes = model(static_cast<int>(state.range(0)));
    size_t held = 0, heap = 0;
    for (auto _ : state) {
        const size_t before = heapInUse();
        modkit::MDLObject m;
        m.readMDLBytes(bytes);
        benchmark::DoNotOptimize(m.BGLCommandList()->Count());
        held = m.decodedBytes();
        heap = heapInUse() - before;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    peakMemory(state);
    // What the decoded model holds, against the file it came from.
    state.counters["model_MB"] = static_cast<double>(held) / 1e6;
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["model_per_file"] = static_cast<double>(held) / static_cast<double>(bytes.size());
    // The whole model object on the heap, section bodies included.
    state.counters["heap_MB"] = static_cast<double>(heap) / 1e6;
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
