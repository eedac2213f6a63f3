// Building and drawing the preview offscreen (Mesa's software renderer).
// Run: build/bin/bench_preview
// prepare: textures and display list of the 500,000-triangle synthetic model;
// frame: one 800 x 600 frame in the default view (heading 45, pitch -75, zoom
// 100), finished; its items_per_second is frames per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "ModelBuilder.h"
#include "modkit/core/MDLObject.h"
#include "modkit/preview/EglOffscreenSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"

namespace {

struct Context {
    modkit::EglOffscreenSurface surface{800, 600};
    modkit::OpenGLPreviewObject preview;
    std::string textureFolder;
    Context() {
        preview.initOpenGL(surface);
        textureFolder = (std::filesystem::temp_directory_path() / "fettle-bench-preview").string();
        std::filesystem::create_directories(textureFolder);
        for (const auto& b : modelgen::sampleBitmaps()) {
            std::ofstream f(textureFolder + "/" + b.name, std::ios::binary);
            const std::string bytes = modelgen::bmpFile(b);
            f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
    }
    ~Context() {
        std::error_code ec;
        std::filesystem::remove_all(textureFolder, ec);
    }
};

Context& context() {
    static Context c;
    return c;
}

enum Model { house = 0, mesh20k = 1, mesh200k = 2, synthetic500k = 3 };

std::unique_ptr<modkit::MDLObject> load(int which) {
    static const std::string bytes[] = {modelgen::sampleHouse(), modelgen::meshModel(20000), modelgen::meshModel(200000),
                                        modelgen::syntheticModel(65535, 500000, 20000)};
    auto m = std::make_unique<modkit::MDLObject>();
    m->readMDLBytes(bytes[which]);
    // Both the house and the synthetic model get the house's bitmaps.
    const auto& textures = *m->TextureList();
    for (int i = 1; i <= textures.Count(); ++i)
        textures.Item(i)->setFile(context().textureFolder + (i == 1 ? "/house_walls.bmp" : "/house_roof.bmp"));
    return m;
}

void BM_preparePreview(benchmark::State& state) {
    Context& c = context();
    auto m = load(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto failures = m->glPreparepreview(c.preview);
        if (!failures.empty()) state.SkipWithError("a texture failed to load");
    }
    m->glReleasePreview();
}

void BM_frame(benchmark::State& state) {
    Context& c = context();
    auto m = load(static_cast<int>(state.range(0)));
    m->glPreparepreview(c.preview);
    for (auto _ : state) m->glDrawMDL(45, -75, 0, 0, 800, 600, c.surface, 100);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    m->glReleasePreview();
}

}  // namespace

BENCHMARK(BM_preparePreview)->ArgName("model")->Arg(synthetic500k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_frame)->ArgName("model")->Arg(house)->Arg(mesh20k)->Arg(mesh200k)->Arg(synthetic500k)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
