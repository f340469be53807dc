// The map grid's costs that a user feels: refilling the whole grid (a table change, Undo,
// an axis commit) and repainting the one cell that an edit wrote. Both run on the real
// widgets on the offscreen platform; a frame is 16 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <memory>

#include "app/mapedit/map.h"
#include "app/mapedit/map_grid.h"
#include "app/shell/app.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/logging/live.h"
#include "core/mapedit/live_cursor.h"

namespace {

// A New document in the 5 x 5 mode, its map window showing Boost Correction Map A.
class MapFixture {
  public:
    MapFixture() {
        static int argc = 1;
        static char name[] = "map_bench";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc, argv);
        pv::init_app_resources();
        pv::InitState();
        pv::ShellPaths paths;
        paths.program_dir = paths.data_dir = "/tmp";
        paths.program_path = "/tmp/pvedit";
        main_ = std::make_unique<pv::Tmain>(paths, nullptr);
        main_->show();
        pv::SetDefaultData();
        pv::data.axis_select_no = 4;
        main_->MakeMap();
        map = main_->map_window();
        map->lvmap1->setCurrentRow(1);
        map->lvmap2->setCurrentRow(0);
        QApplication::processEvents();
    }
    ~MapFixture() {
        pv::state.doc_modified = 0;
        main_.reset();
        app_.reset();
    }
    pv::Tmap* map = nullptr;

  private:
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<pv::Tmain> main_;
};

MapFixture& fixture() {
    static MapFixture f;
    return f;
}

void BM_FillGrid(benchmark::State& state) {
    pv::Tmap* map = fixture().map;
    for (auto _ : state) map->FillGrid();
}
BENCHMARK(BM_FillGrid)->Unit(benchmark::kMicrosecond);

// The refill as the user sees it: every cell rewritten and the whole grid painted.
void BM_FillGridAndPaint(benchmark::State& state) {
    pv::Tmap* map = fixture().map;
    for (auto _ : state) {
        map->FillGrid();
        map->sgmap->viewport()->repaint();
    }
}
BENCHMARK(BM_FillGridAndPaint)->Unit(benchmark::kMicrosecond);

// One typed value: SetCell writes the data and the cell, and that cell alone is painted.
void BM_SetCellAndRepaintOneCell(benchmark::State& state) {
    pv::Tmap* map = fixture().map;
    const QRect cell = map->sgmap->visualRect(map->sgmap->model()->index(2, 2));
    int v = 0;
    for (auto _ : state) {
        pv::SetCell(3, 3, std::to_string(v++ % 100));
        map->sgmap->viewport()->repaint(cell);
    }
}
BENCHMARK(BM_SetCellAndRepaintOneCell)->Unit(benchmark::kMicrosecond);

// The cell painter alone, with the changed-cell layer on.
void BM_PaintOneCell(benchmark::State& state) {
    pv::Tmap* map = fixture().map;
    QStyleOptionViewItem option;
    option.initFrom(map->sgmap);
    const QModelIndex index = map->sgmap->model()->index(1, 1);
    option.rect = QRect(QPoint(0, 0), map->sgmap->visualRect(index).size());
    option.font = map->sgmap->font();
    QImage canvas(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
    pv::grid.changed_cells[1][1] = 1;
    for (auto _ : state) {
        QPainter p(&canvas);
        map->sgmap->itemDelegate()->paint(&p, option, index);
    }
}
BENCHMARK(BM_PaintOneCell)->Unit(benchmark::kMicrosecond);

// One poll's cursor update as the user sees it: the core update, the Cursor Trace selection
// and the repaint of the old and new block and the expiring trace marks.
void BM_UpdateLiveCursorAndRepaint(benchmark::State& state) {
    pv::Tmap* map = fixture().map;
    pv::state.link_on = 1;
    pv::cursors.cursor_enabled = 1;
    pv::cursors.trace_on = 1;
    pv::cursors.cursor_trace_on = 1;
    pv::settings.trace_length = 5;
    uint8_t k = 0;
    for (auto _ : state) {
        // A sweep over the map, so the block moves and marks expire.
        k = static_cast<uint8_t>(k + 1);
        pv::live.live_rev = static_cast<uint8_t>((k * 3) % 80);
        pv::live.live_throttle = static_cast<uint8_t>((k * 7) % 110);
        map->update_live_cursor();
        QApplication::processEvents();
    }
    pv::state.link_on = 0;
}
BENCHMARK(BM_UpdateLiveCursorAndRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
