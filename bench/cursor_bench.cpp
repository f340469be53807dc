// The core of a live cursor update: position, trace ageing over the whole table, the Cursor
// Trace selection and the list of cells to repaint. It runs after every poll, so it must
// cost next to nothing beside the 25 ms exchange.
#include <benchmark/benchmark.h>

#include "core/document/unit.h"
#include "core/mapedit/edit_ops.h"
#include "core/mapedit/live_cursor.h"

namespace {

void show_two_axis_map() {
    pv::InitState();
    pv::SetDefaultData();
    pv::data.axis_select_no = 4;
    pv::data.rpm_axis = {10, 25, 40, 55, 70};
    pv::data.throttle_axis = {0, 25, 50, 75, 100};
    pv::grid.current_map = pv::map_boost_a;
    pv::grid.grid_cols = 5;
    pv::grid.grid_rows = 5;
    pv::fill_grid_values();
    pv::cursors = pv::CursorState{};
    pv::cursors.trace_on = 1;
    pv::cursors.cursor_trace_on = 1;
    pv::settings.trace_length = 5;
    pv::settings.auto_select = 3;
}

void BM_UpdateLiveCursor(benchmark::State& state) {
    show_two_axis_map();
    uint8_t rev = 0, throttle = 0;
    for (auto _ : state) {
        // A sweep over the whole map, so the block moves and marks expire.
        rev = static_cast<uint8_t>((rev + 3) % 80);
        throttle = static_cast<uint8_t>((throttle + 7) % 110);
        pv::CursorUpdate u = pv::UpdateLiveCursor(rev, throttle, {33, 14, false});
        benchmark::DoNotOptimize(u);
    }
}
BENCHMARK(BM_UpdateLiveCursor)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
