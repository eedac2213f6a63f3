// The command tree window's model and view. Run: build/bin/bench_command_tree
// Indexing the 500,000-triangle model's commands by parent, and a tree view
// opening the root and scrolling to the last command, with the model's own
// nesting and with half a million commands straight under the root.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <cstdlib>

#include "ModelBuilder.h"
#include "editors/BGLCommandTree.h"
#include "modkit/core/MDLObject.h"

namespace {

std::shared_ptr<modkit::MDLObject> bigModel() {
    static auto m = [] {
        auto model = std::make_shared<modkit::MDLObject>();
        model->readMDLBytes(modelgen::syntheticModel(65535, 500000, 20000));
        return model;
    }();
    return m;
}

void BM_indexByParent(benchmark::State& state) {
    auto list = bigModel()->BGLCommandList();
    fettle::BGLCommandTree tree;
    for (auto _ : state) {
        list->processParent();
        tree.setCommands(list);
    }
    state.counters["commands"] = list->Count();
}

void openAndScroll(benchmark::State& state, const std::shared_ptr<modkit::BGLCommandList>& list) {
    fettle::BGLCommandTree tree;
    tree.setCommands(list);
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setHeaderHidden(true);
    view.resize(400, 600);
    view.setModel(&tree);
    view.show();
    for (auto _ : state) {
        view.collapseAll();
        view.expand(tree.nodeOf(0));
        view.scrollTo(tree.nodeOf(list->Count()));
        view.setCurrentIndex(tree.nodeOf(list->Count()));
        QCoreApplication::processEvents();
    }
    state.counters["rootChildren"] = tree.rowCount(tree.nodeOf(0));
}

void BM_viewNested(benchmark::State& state) {
    auto list = bigModel()->BGLCommandList();
    list->processParent();
    openAndScroll(state, list);
}

void BM_viewFlat(benchmark::State& state) {
    auto list = bigModel()->BGLCommandList();
    for (const auto& c : *list) c->setParent(0);
    openAndScroll(state, list);
}

}  // namespace

BENCHMARK(BM_indexByParent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_viewNested)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_viewFlat)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
