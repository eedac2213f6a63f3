// The exporters. Run: build/bin/bench_export
// OpenFlight export of 65,535 vertices and 32,000 triangles (target < 0.3 s),
// the listing of the 500,000-triangle model, and fettle-cli flt over 200 small
// models (models per second); glTF of the 500,000-triangle model without
// textures, as .glb (0) and .gltf (1) (target < 1 s).
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BenchModels.h"
#include "ModelBuilder.h"
#include "TempDir.h"
#include "modkit/core/MDLObject.h"
#include "modkit/export/GltfExport.h"

namespace {

void BM_exportFLT(benchmark::State& state) {
    modkit::MDLObject m;
    m.readMDLBytes(modelgen::syntheticModel(65535, 32000, 200));
    testutil::TempDir dir;
    for (auto _ : state) m.exportFLT(dir.file("model.flt"), "RGB");
    state.counters["faces"] = 32000;
}

void BM_exportASM(benchmark::State& state) {
    modkit::MDLObject m;
    m.readMDLBytes(modelgen::syntheticModel(65535, 500000, 20000));
    testutil::TempDir dir;
    for (auto _ : state) m.exportASM(dir.file("model.asm"));
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(dir.file("model.asm"))));
}

void BM_exportGLTF(benchmark::State& state) {
    modkit::MDLObject m;
    m.readMDLBytes(benchmodels::model(10));
    testutil::TempDir dir;
    modkit::GltfExportOptions options;
    options.format = state.range(0) ? modkit::GltfFormat::gltf : modkit::GltfFormat::glb;
    const std::string out = dir.file(state.range(0) ? "model.gltf" : "model.glb");
    for (auto _ : state) modkit::exportGLTF(m, out, options);
    state.counters["triangles"] = 500000;
}

void BM_cliFlt200Models(benchmark::State& state) {
    testutil::TempDir dir;
    std::string cmd = std::string(FETTLE_CLI) + " flt";
    for (int i = 0; i < 200; ++i) {
        std::string name = dir.file("model" + std::to_string(i) + ".mdl");
        std::ofstream(name, std::ios::binary) << modelgen::syntheticModel(200 + i, 300, 4);
        cmd += " " + name;
    }
    cmd += " >/dev/null";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("fettle-cli flt failed");
    state.counters["models_per_s"] = benchmark::Counter(200.0 * static_cast<double>(state.iterations()),
                                                        benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_exportFLT)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_exportASM)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_exportGLTF)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_cliFlt200Models)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
