// What the vertex and statistics windows cost on the largest model a file can
// hold (65,535 vertices, 500,000 triangles). Run: build/bin/bench_data_editors
#include <benchmark/benchmark.h>

#include <numeric>

#include "BenchModels.h"
#include "editors/ObjectStatistics.h"
#include "editors/VertexGridModel.h"
#include "modkit/core/MDLObject.h"

namespace {

using benchmodels::model;

std::shared_ptr<modkit::MDLObject> readModel() {
    auto m = std::make_shared<modkit::MDLObject>();
    m->readMDLBytes(model(10));
    return m;
}

// Showing the grid on a model: one screenful of cells read from the pool.
void BM_vertexGridScreen(benchmark::State& state) {
    auto m = readModel();
    fettle::VertexGridModel grid;
    for (auto _ : state) {
        grid.setVertices(m->VertexList());
        for (int row = 30000; row < 30040; ++row)
            for (int c = 0; c < fettle::VertexGridModel::columns; ++c)
                benchmark::DoNotOptimize(grid.data(grid.index(row, c)));
    }
    state.counters["rows"] = grid.rowCount();
}

// "Unify normals" over every row, then the cells "Update" writes back.
void BM_unifyAndUpdateAllVertices(benchmark::State& state) {
    auto m = readModel();
    fettle::VertexGridModel grid;
    grid.setVertices(m->VertexList());
    std::vector<int> rows(static_cast<size_t>(grid.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    for (auto _ : state) {
        grid.unifyNormals(rows, 0, 0, 1);
        for (const auto& c : grid.changes())
            fettle::VertexGridModel::setVertexValue(*m->VertexList()->Item(c.row + 1), c.column, c.value);
        grid.clearEdits();
    }
    state.counters["cells"] = static_cast<double>(rows.size() * 3);
}

void BM_selectByTexture(benchmark::State& state) {
    auto m = readModel();
    for (auto _ : state) benchmark::DoNotOptimize(fettle::verticesOfTexture(*m->BGLCommandList(), 0));
    state.counters["commands"] = m->BGLCommandList()->Count();
}

void BM_objectStatistics(benchmark::State& state) {
    auto m = readModel();
    for (auto _ : state) benchmark::DoNotOptimize(fettle::objectStatistics(*m, modkit::SeasonSuffixes()));
}

}  // namespace

BENCHMARK(BM_vertexGridScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_unifyAndUpdateAllVertices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_selectByTexture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_objectStatistics)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
