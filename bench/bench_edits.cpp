// Model edits on large models. Run: build/bin/bench_edits
// fixLights on 200,000 commands holding 20,000 lights (each behind a
// VAR_BASE_OVERRIDE and an IFMSK), and addSeasonalTextures where one texture is
// selected by 5,000 SET_MATERIAL commands, and the texture editor's "Update
// texture" on that model giving the texture a heavy winter and a night map
// (two insertions into the texture list, the block recoded); updateTextureSize
// on the 500,000-triangle synthetic model, every texture a group of its own.
// Only the edit itself is timed.
#include <benchmark/benchmark.h>

#include "ModelBuilder.h"
#include "modkit/core/MDLObject.h"
#include "modkit/lists/TextureGroups.h"

namespace {

// Times edit on a freshly read model in each iteration; reports the command
// count before and after.
template <class Edit>
void timeEdit(benchmark::State& state, const std::string& bytes, Edit edit) {
    int64_t before = 0, after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        modkit::MDLObject m;
        m.readMDLBytes(bytes);
        before = m.BGLCommandList()->Count();
        state.ResumeTiming();
        edit(m);
        after = m.BGLCommandList()->Count();
    }
    state.counters["commands"] = static_cast<double>(before);
    state.counters["after"] = static_cast<double>(after);
}

void BM_fixLights(benchmark::State& state) {
    static const std::string bytes = modelgen::lightsModel(200000, 20000);
    timeEdit(state, bytes, [](modkit::MDLObject& m) { m.fixLights(); });
}

void BM_addSeasonalTextures(benchmark::State& state) {
    static const std::string bytes = modelgen::seasonalModel(5000, 20);
    modkit::seasonalTextures s;
    s.Material = {0, 1, 2, 0, 3};
    s.active = {true, true, true, false, true};
    s.dayStart = {150, 240, 330, 0, 60};
    s.dayEnd = {239, 329, 59, 0, 149};
    timeEdit(state, bytes, [&](modkit::MDLObject& m) { m.BGLCommandList()->addSeasonalTextures(s); });
}

void BM_textureEditorUpdate(benchmark::State& state) {
    static const std::string bytes = modelgen::seasonalModel(5000, 20);
    modkit::TextureUpdate u;
    u.position = 1;
    u.seasons = {true, true, true, true, true};
    u.night = true;
    u.dayStart = {"150", "240", "330", "1", "60"};
    u.dayEnd = {"239", "329", "365", "59", "149"};
    u.rgb = {"255", "255", "255"};
    u.size = "2";
    timeEdit(state, bytes, [&](modkit::MDLObject& m) {
        modkit::TextureGroups g;
        g.recognise(*m.TextureList());
        g.applyUpdate(*m.TextureList(), *m.BGLCommandList(), u);
    });
}

void BM_updateTextureSize(benchmark::State& state) {
    static const std::string bytes = modelgen::syntheticModel(65535, 500000, 20000);
    timeEdit(state, bytes, [](modkit::MDLObject& m) {
        int16_t position = 0;
        for (const auto& t : *m.TextureList()) t->setParent(++position);
        m.updateTextureSize();
    });
}

}  // namespace

BENCHMARK(BM_fixLights)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_addSeasonalTextures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_textureEditorUpdate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_updateTextureSize)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
