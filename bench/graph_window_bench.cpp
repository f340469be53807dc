// The graph window's costs that a user feels, on the real widgets: a surface paint at
// 1600 x 1000 and one drag step (pointer move, SetCell, the map grid's cell and the graph
// repainted). A frame is 16 ms. Runs offscreen unless a platform is chosen.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <memory>

#include "app/mapedit/graph.h"
#include "app/mapedit/graph_widgets.h"
#include "app/mapedit/map.h"
#include "app/shell/app.h"
#include "app/shell/main.h"
#include "core/document/unit.h"

namespace {

// A New document in the 5 x 5 mode showing a shaped Boost Correction Map A, with the graph
// open on it at the default angles.
class GraphFixture {
  public:
    GraphFixture() {
        static int argc = 1;
        static char name[] = "graph_window_bench";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc, argv);
        pv::init_app_resources();
        pv::InitState();
        pv::ShellPaths paths;
        paths.program_dir = paths.data_dir = "/tmp";
        paths.program_path = "/tmp/pvedit";
        main_ = std::make_unique<pv::Tmain>(paths, nullptr);
        main_->resize(1280, 960);
        main_->show();
        pv::SetDefaultData();
        pv::data.axis_select_no = 4;
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 5; ++j)
                pv::data.boost_map_a[i][j] =
                    static_cast<int16_t>(i * 18 - j * j * 4 + (i == 2) * 10);
        main_->MakeMap();
        map = main_->map_window();
        map->lvmap1->setCurrentRow(1);
        map->lvmap2->setCurrentRow(0);
        map->select_cells({2, 2, 3, 2});
        main_->action(QStringLiteral("btngraph"))->trigger();
        graph = main_->graph_window();
        graph->showMaximized();
        // Long enough for a real display to map and paint the windows.
        QElapsedTimer shown;
        shown.start();
        while (shown.elapsed() < 300) QApplication::processEvents();
    }
    ~GraphFixture() {
        pv::state.doc_modified = 0;
        main_.reset();
        app_.reset();
    }
    pv::Tmap* map = nullptr;
    pv::Tgraph* graph = nullptr;

  private:
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<pv::Tmain> main_;
};

GraphFixture& fixture() {
    static GraphFixture f;
    return f;
}

void BM_SurfacePaint1600x1000(benchmark::State& state) {
    pv::Tgraph* graph = fixture().graph;
    // Scaled for the canvas; the window on screen keeps its own size.
    pv::graph_resize(graph->graph(), 1600, 1000);
    QImage canvas(1600, 1000, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&canvas);
        graph->pbgraphPaint(p);
    }
    graph->pnlgraphResize();
}
BENCHMARK(BM_SurfacePaint1600x1000)->Unit(benchmark::kMicrosecond);

// Section edit, the left button held: each step moves the pointer on one point, which
// writes the cell, and the pending repaints (that grid cell, the graph) are carried out.
void BM_DragStep(benchmark::State& state) {
    GraphFixture& f = fixture();
    pv::Tgraph* graph = f.graph;
    graph->graph().graph_mode = 2;
    QApplication::processEvents();
    const int x = graph->pbgraph->width() / 2;
    int y = graph->pbgraph->height() / 3;
    for (auto _ : state) {
        y = y == graph->pbgraph->height() / 3 ? graph->pbgraph->height() / 2
                                              : graph->pbgraph->height() / 3;
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y),
                         graph->pbgraph->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(graph->pbgraph, &move);
        QApplication::processEvents();
    }
    graph->graph().graph_mode = 0;
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
