// What edits and their undo cost through the model document, on the
// 500,000-triangle synthetic model, and the preview refresh each one needs
// (offscreen, Mesa's software renderer). Run: build/bin/bench_undo
// Counters: applyMs and undoMs per edit, historyBytes of one step, refreshMs
// of the preview work the edit asks for; fileBytes is the model file's size.
#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchModels.h"
#include "document/ModelDocument.h"
#include "modkit/core/MDLObject.h"
#include "modkit/preview/EglOffscreenSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"

namespace {

using benchmodels::model;
using fettle::ModelDocument;
using modkit::MDLObject;

struct Edit {
    const char* name;
    uint32_t parts;
    void (*change)(MDLObject&, int);
};

const Edit kEdits[] = {
    {"header", modkit::partHeader, [](MDLObject& m, int i) { m.MDLHeader()->setParam(1, 1000 + i); }},
    {"material", modkit::partMaterials, [](MDLObject& m, int i) { m.MaterialList()->Item(1)->setPower(1.0f + i); }},
    {"texture", modkit::partTextures, [](MDLObject& m, int i) { m.TextureList()->Item(1)->setSize(2.0f + i); }},
    // "Remove shadow": a section of its own.
    {"shadow", modkit::partSections, [](MDLObject& m, int i) { i % 2 ? m.removeKillShadow() : m.addKillShadow(); }},
    // A tweak of the whole command stream.
    {"stream", modkit::partCommands, [](MDLObject& m, int) { m.BGLCommandList()->removeWithJumpUpdate({1}); }},
};

ModelDocument& document() {
    static ModelDocument doc;
    if (!doc.model()) {
        auto m = std::make_shared<MDLObject>();
        m->readMDLBytes(model(10));
        doc.adopt(m, "big.mdl", fettle::ModelOrigin::file);
    }
    return doc;
}

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

void BM_editAndUndo(benchmark::State& state) {
    const Edit& e = kEdits[state.range(0)];
    ModelDocument& doc = document();
    double apply = 0, undo = 0, bytes = 0;
    int i = 0;
    for (auto _ : state) {
        auto t = std::chrono::steady_clock::now();
        doc.apply(e.name, "", e.parts, [&](MDLObject& m) { e.change(m, i); });
        apply += msSince(t);
        bytes += static_cast<double>(doc.historyBytes());
        t = std::chrono::steady_clock::now();
        doc.undo();
        undo += msSince(t);
        ++i;
    }
    doc.undoStack().clear();
    const double n = static_cast<double>(state.iterations());
    state.counters["applyMs"] = apply / n;
    state.counters["undoMs"] = undo / n;
    state.counters["historyBytes"] = bytes / n;
    state.counters["fileBytes"] = static_cast<double>(model(10).size());
    state.SetLabel(e.name);
}

// Fifty header edits in a row: all are kept, and what they cost together.
void BM_fiftyHeaderEdits(benchmark::State& state) {
    ModelDocument& doc = document();
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i)
            doc.apply("header", "", modkit::partHeader, [i](MDLObject& m) { m.MDLHeader()->setParam(2, 500 + i); });
        state.PauseTiming();
        state.counters["steps"] = doc.undoStack().count();
        state.counters["historyBytes"] = static_cast<double>(doc.historyBytes());
        while (doc.undoStack().canUndo()) doc.undo();
        doc.undoStack().clear();
        state.ResumeTiming();
    }
}

modkit::OpenGLPreviewObject& previewObject() {
    static modkit::EglOffscreenSurface surface{800, 600};
    static modkit::OpenGLPreviewObject preview;
    static bool ready = (preview.initOpenGL(surface), true);
    (void)ready;
    return preview;
}

// What the main window's refresh does for the changed parts (without the frame).
void previewWork(MDLObject& m, uint32_t parts) {
    switch (fettle::previewWorkFor(parts)) {
    case fettle::PreviewWork::frame: break;
    case fettle::PreviewWork::drawList: m.glGenerateDrawList(); break;
    case fettle::PreviewWork::texturesAndDrawList:
        benchmark::DoNotOptimize(m.glReloadChangedTextures(previewObject()));
        break;
    }
}

// The preview work an edit of each kind asks for, on a prepared model.
void BM_previewRefresh(benchmark::State& state) {
    const Edit& e = kEdits[state.range(0)];
    MDLObject& m = *document().model();
    m.glPreparepreview(previewObject());
    const fettle::PreviewWork work = fettle::previewWorkFor(e.parts);
    for (auto _ : state) previewWork(m, e.parts);
    m.glReleasePreview();
    state.SetLabel(std::string(e.name) + (work == fettle::PreviewWork::frame ? ": no rebuild"
                                          : work == fettle::PreviewWork::drawList ? ": draw list" : ": changed textures + draw list"));
}

// From the document's apply until the preview work its changed() asks for is
// done: "Remove shadow" (0) and a keystroke in a statistics field (1, typing
// merges into one step). rebuilds counts draw lists compiled per edit.
void BM_editUntilPreviewDone(benchmark::State& state) {
    const bool shadow = state.range(0) == 0;
    ModelDocument& doc = document();
    MDLObject& m = *doc.model();
    m.glPreparepreview(previewObject());
    const uint32_t list = m.previewList();
    double rebuilds = 0;
    auto c = QObject::connect(&doc, &ModelDocument::changed, [&](uint32_t parts) {
        previewWork(m, parts);
        rebuilds += m.previewList() != list;
    });
    int i = 0;
    double applied = 0;
    for (auto _ : state) {
        fettle::EditOutcome o;
        if (shadow)
            o = doc.apply("Remove shadow", "", modkit::partSections,
                      [&](MDLObject& mo) { i % 2 ? mo.removeKillShadow() : mo.addKillShadow(); });
        else
            o = doc.apply("statistics", "statistics:1", modkit::partHeader,
                      [&](MDLObject& mo) { mo.MDLHeader()->setParam(1, 2000 + i); });
        applied += o == fettle::EditOutcome::applied;
        ++i;
    }
    QObject::disconnect(c);
    doc.undoStack().clear();
    m.glReleasePreview();
    state.counters["rebuilds"] = rebuilds / static_cast<double>(state.iterations());
    state.counters["applied"] = applied / static_cast<double>(state.iterations());
    state.SetLabel(shadow ? "Remove shadow" : "statistics keystroke");
}

}  // namespace

BENCHMARK(BM_editAndUndo)->DenseRange(0, 4)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_fiftyHeaderEdits)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_previewRefresh)->DenseRange(0, 4)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_editUntilPreviewDone)->DenseRange(0, 1)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
