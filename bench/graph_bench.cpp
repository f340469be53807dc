// The graph's geometry without a window: the layers of one surface paint and of one
// section-edit paint at 1600 x 1000, and one drag step's conversion and write. The window's
// drawing adds to these; a frame is 16 ms.
#include <benchmark/benchmark.h>

#include "core/document/unit.h"
#include "core/mapedit/edit_ops.h"
#include "core/mapedit/graph_view.h"

namespace {

// Boost Correction Map A in the 5 x 5 mode, with a slope to draw.
pv::GraphState two_axis_graph(int kind, uint8_t mode) {
    pv::InitState();
    pv::SetDefaultData();
    pv::data.axis_select_no = 4;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            pv::data.boost_map_a[i][j] = static_cast<int16_t>(i * 20 - j * 7);
    pv::grid.current_map = pv::map_boost_a;
    pv::grid.grid_cols = 5;
    pv::grid.grid_rows = 5;
    pv::grid.value_min = -120;
    pv::grid.value_max = 120;
    pv::fill_grid_values();
    pv::GraphState g;
    g.section_kind = kind;
    g.graph_mode = mode;
    pv::RebuildGraph(g);
    pv::graph_resize(g, 1600, 1000);
    return g;
}

void BM_SurfaceScene(benchmark::State& st) {
    pv::GraphState g = two_axis_graph(0, 0);
    for (auto _ : st) benchmark::DoNotOptimize(pv::graph_paint(g, {2, 2, 4, 3}, true));
}
BENCHMARK(BM_SurfaceScene);

void BM_SectionEditScene(benchmark::State& st) {
    pv::GraphState g = two_axis_graph(1, 2);
    for (auto _ : st) benchmark::DoNotOptimize(pv::graph_paint(g, {2, 2, 4, 3}, true));
}
BENCHMARK(BM_SectionEditScene);

// Pointer move, value text, SetCell and the scene for the repaint.
void BM_DragStep(benchmark::State& st) {
    pv::GraphState g = two_axis_graph(1, 2);
    pv::graph_paint(g, {1, 1, 1, 1}, true);
    int y = 300;
    for (auto _ : st) {
        y = y == 300 ? 700 : 300;
        auto step = pv::drag_step(g, 800, y);
        pv::apply_drag(*step);
        benchmark::DoNotOptimize(pv::graph_paint(g, {3, 1, 3, 1}, true));
    }
}
BENCHMARK(BM_DragStep);

}  // namespace

BENCHMARK_MAIN();
