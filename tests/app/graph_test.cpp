// The graph window on its own, offscreen: what it paints, and drag editing that ends in the
// document. A fake host stands in for the map grid's selection.
#include "app/mapedit/graph.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include "app/mapedit/graph_paint.h"
#include "app/mapedit/graph_widgets.h"
#include "app/mapedit/map.h"
#include "app_fixture.h"
#include "core/mapedit/edit_ops.h"
#include "core/mapedit/grid_view.h"
#include "support/program.h"

namespace pv::test {
namespace {

struct FakeHost : GraphHost {
    Selection sel{1, 1, 1, 1};
    int closed = 0;
    Selection map_selection() const override { return sel; }
    void select_map_cells(const Selection& s) override { sel = s; }
    bool map_grid_enabled() const override { return true; }
    void graph_closed(Tgraph*) override { ++closed; }
};

class GraphWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        application();
        pvtest::reset_program();
        SetDefaultData();
        state.doc_open = 1;
        area_ = new QMdiArea;
        area_->resize(900, 700);
        graph = new Tgraph(&host, area_);
        area_->addSubWindow(graph);
        // SetCell's texts reach the graph as the main window's registry passes them on.
        install_front_end(FrontEnd{.documents = graph});
        area_->show();
        graph->showMaximized();
        area_->setActiveSubWindow(graph);
    }
    void TearDown() override {
        install_front_end({});
        delete area_;
    }

    // Chooses a table as the map window does, then rebuilds the graph for it.
    void show(int map_id, int mode) {
        data.axis_select_no = static_cast<uint8_t>(mode);
        grid.current_map = map_id;
        Shape s = MapShape(map_id, false);
        grid.grid_cols = s.cols;
        grid.grid_rows = s.rows;
        set_value_bounds();
        fill_grid_values();
        graph->RebuildGraph();
        QApplication::processEvents();
    }
    QImage paint() { return graph->pbgraph->grab().toImage(); }
    // The pixel of virtual point (x, y) on the paint box as it is sized.
    QPoint px(int x, int y) const {
        Pixel p = to_pixel(x, y, graph->graph().graph_scale_x, graph->graph().graph_scale_y);
        return {p.x, p.y};
    }
    QColor at(const QImage& img, int x, int y) const { return img.pixelColor(px(x, y)); }
    // A line of `colour` passes through or next to virtual point (x, y): antialiased lines
    // blend with the white ground, so the strongest pixel around it is taken.
    bool near(const QImage& img, int x, int y, const QColor& colour) const {
        const QPoint c = px(x, y);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                QColor p = img.pixelColor(c + QPoint(dx, dy));
                if (std::abs(p.red() - colour.red()) < 100 &&
                    std::abs(p.green() - colour.green()) < 100 &&
                    std::abs(p.blue() - colour.blue()) < 100)
                    return true;
            }
        return false;
    }
    void right_click() { QTest::mouseClick(graph->pbgraph, Qt::RightButton, {}, {10, 10}); }
    void drag(QEvent::Type type, int x, int y) {
        const QPointF at = px(x, y);
        QMouseEvent e(type, at, graph->pbgraph->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(graph->pbgraph, &e);
    }
    // Keys go into the in-place editor while it is open.
    QWidget* key_target() const {
        if (graph->sggraph->editing())
            for (QLineEdit* e : graph->sggraph->findChildren<QLineEdit*>())
                if (e->isVisible()) return e;
        return graph->sggraph;
    }
    void type(const char* text) {
        for (const char* p = text; *p; ++p) QTest::keyClick(key_target(), *p);
    }

    FakeHost host;
    Tgraph* graph = nullptr;
    QMdiArea* area_ = nullptr;
};

const QColor black(0, 0, 0), red(255, 0, 0), teal(0, 128, 128), white(255, 255, 255);

TEST_F(GraphWindow, SectionViewPaintsZeroLineAxisAndSelectedSegmentsRed) {
    data.boost_map_a[0][0] = 50;
    data.boost_map_a[1][0] = 50;
    data.boost_map_a[2][0] = 50;
    data.boost_map_a[3][0] = -50;
    data.boost_map_a[4][0] = 0;
    show(map_boost_a, 2);  // one row, plot -50..50, zero line at virtual y 500
    host.sel = {2, 1, 2, 1};
    QImage img = paint();
    EXPECT_EQ(at(img, 800, 500), black);  // zero line
    EXPECT_EQ(at(img, 100, 700), black);  // value axis
    EXPECT_EQ(at(img, 200, 100), red);    // 1-2 and 2-3 touch the selected cell 2
    EXPECT_EQ(at(img, 400, 100), red);
    EXPECT_EQ(at(img, 600, 300), white);

    host.sel = {5, 1, 5, 1};
    img = paint();
    EXPECT_EQ(at(img, 200, 100), teal);
    EXPECT_FALSE(graph->lbgraph1->isEnabled());
    EXPECT_FALSE(graph->pnlbtn->isEnabled());
    EXPECT_EQ(graph->lbgraph1->currentRow(), 1);
}

// Texts are drawn whole whatever the face: a wider font than the design's width rule
// assumed (as on a desktop) neither elides the value row nor cuts the value axis's labels.
TEST_F(GraphWindow, ValueRowAndAxisLabelsAreNeverCut) {
    QFont wide = graph->sggraph->font();
    wide.setPointSize(wide.pointSize() * 2);
    graph->sggraph->setFont(wide);
    graph->sggraph->horizontalHeader()->setFont(wide);
    for (int k = 0; k < 5; ++k) data.rpm_axis[k] = static_cast<uint8_t>(20 + 10 * k);
    show(map_rpm_axis, 4);
    ValueGrid* g = graph->sggraph;
    ASSERT_EQ(g->cells()->cell(1), QStringLiteral(" 2000"));
    const int margin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
    for (int k = 1; k <= 5; ++k) {
        EXPECT_GE(g->columnWidth(k - 1),
                  g->fontMetrics().horizontalAdvance(g->cells()->cell(k)) + 2 * margin)
            << "point " << k;
    }
    EXPECT_EQ(g->textElideMode(), Qt::ElideNone);

    // A right-aligned label whose anchor lies nearer the left edge than its width.
    const QFontMetrics fm(wide);
    const GraphLabel top{.at = {10, 40}, .text = " 6000"};
    const QRect bounds(0, 0, 300, 200);
    const QRect box = graph_label_box(top, QStringLiteral(" 6000"), fm, bounds);
    EXPECT_EQ(box.left(), 0);
    EXPECT_EQ(box.width(), fm.horizontalAdvance(QStringLiteral(" 6000")));
    EXPECT_TRUE(bounds.contains(box));
    // One that fits keeps its anchor.
    const GraphLabel fits{.at = {200, 100}, .text = "0"};
    EXPECT_EQ(graph_label_box(fits, QStringLiteral("0"), fm, bounds).right(), 199);
}

TEST_F(GraphWindow, AllNegativeTableDrawsZeroLineAtTheTop) {
    for (auto& col : data.boost_map_a) col[0] = -40;
    data.boost_map_a[2][0] = -20;
    show(map_boost_a, 2);
    QImage img = paint();
    EXPECT_EQ(at(img, 700, 100), black);
    EXPECT_NE(at(img, 700, 900), black);
}

TEST_F(GraphWindow, SurfaceTurnsWithTheButtonsAndRightClickCyclesModes) {
    for (auto& col : data.boost_map_a) col.fill(60);  // flat: the mesh 600 x tilt up
    show(map_boost_a, 4);
    ASSERT_EQ(graph->graph().graph_mode, 0);
    EXPECT_TRUE(graph->lbgraph1->isEnabled());
    QImage img = paint();
    // At the default angles the base plane's front edge runs from (400, 937) to (920, 805);
    // the mesh's front row lies 539 units higher, blue away from the current curve.
    EXPECT_TRUE(near(img, 660, 871, black));
    EXPECT_TRUE(near(img, 725, 316, QColor(0, 0, 255)));
    EXPECT_EQ(at(img, 960, 960), white);
    EXPECT_EQ(graph->lbgraph2->count(), 5);
    EXPECT_EQ(graph->lbgraph2->selectedItems().size(), 5);

    QTest::mouseClick(graph->btnupdown, Qt::LeftButton, {}, {2, 2});  // up: 28 degrees
    EXPECT_EQ(graph->btnupdown->value(), 28);
    EXPECT_EQ(graph->graph().updown, 28);
    graph->btnleftright->press(false);  // right arrow: increment -2
    EXPECT_EQ(graph->graph().leftright, 28);
    EXPECT_EQ(graph->graph().proj.x0, 200 + 187);  // 28 / 90 x 600 = 186.7

    right_click();
    EXPECT_EQ(graph->graph().graph_mode, 1);
    right_click();
    right_click();
    EXPECT_EQ(graph->graph().graph_mode, 0);

    // Only the active window changes mode; an inactive paint leaves editing.
    right_click();
    right_click();
    auto* other = area_->addSubWindow(new QWidget);
    other->show();
    area_->setActiveSubWindow(other);
    graph->pbgraphMouseDown(Qt::RightButton, 10, 10);
    EXPECT_EQ(graph->graph().graph_mode, 2);
    paint();
    EXPECT_EQ(graph->graph().graph_mode, 1);
}

TEST_F(GraphWindow, DraggingAPointWritesTheDocumentAndTheMapSelectionFollows) {
    data.axis_select_no = 4;
    data.offset_map_a[0] = {150, 60, 30, 200, 10};  // plot 0..200
    show(map_offset_a, 4);
    right_click();
    right_click();
    ASSERT_EQ(graph->graph().graph_mode, 2);
    paint();
    // Row 3 (throttle 50) lies at virtual x 500; mid plot is virtual y 500.
    drag(QEvent::MouseButtonPress, 520, 500);
    EXPECT_EQ(data.offset_map_a[0][2], 100);
    EXPECT_EQ(state.doc_modified, 1);
    EXPECT_EQ(graph->sggraph->cells()->cell(3), QStringLiteral("  100"));
    EXPECT_EQ(host.sel.left, 1);
    EXPECT_EQ(host.sel.top, 3);
    EXPECT_EQ(host.sel.bottom, 3);

    // Moving with the button held drags the point picked by the pointer's x.
    paint();
    drag(QEvent::MouseMove, 680, 300);  // point 4; 150
    drag(QEvent::MouseButtonRelease, 680, 300);
    EXPECT_EQ(data.offset_map_a[0][3], 150);
    EXPECT_EQ(host.sel.top, 4);
    EXPECT_EQ(graph->graph().graph_edit_col, 4);
    // Above the plot, from the scale of the last paint (now 0..150): 168.75.
    paint();
    drag(QEvent::MouseButtonPress, 680, 0);
    EXPECT_EQ(data.offset_map_a[0][3], 169);
}

TEST_F(GraphWindow, ValueGridKeysEditTheMapSelection) {
    show(map_boost_a, 4);
    graph->lbgraph2->setCurrentRow(1, QItemSelectionModel::NoUpdate);  // column 2
    EXPECT_EQ(graph->sggraph->cells()->label(), QStringLiteral(" 2500"));
    graph->sggraph->setFocus();
    graph->sggraph->select_points(2, 3);
    EXPECT_EQ(host.sel.left, 2);
    EXPECT_EQ(host.sel.top, 2);
    EXPECT_EQ(host.sel.bottom, 3);
    QTest::keyClick(graph->sggraph, Qt::Key_PageUp);
    EXPECT_EQ(data.boost_map_a[1][1], 1);
    EXPECT_EQ(data.boost_map_a[1][2], 1);
    EXPECT_EQ(graph->sggraph->cells()->cell(2), QStringLiteral("    1"));

    graph->sggraph->set_current_point(2);
    type("-7");
    ASSERT_TRUE(graph->sggraph->editing());
    QTest::keyClick(key_target(), Qt::Key_Return);
    EXPECT_FALSE(graph->sggraph->editing());
    EXPECT_EQ(data.boost_map_a[1][1], -7);
    EXPECT_EQ(data.boost_map_a[1][2], -7);

    // Typed text is dropped when another cell is chosen.
    type("55");
    graph->sggraph->set_current_point(4);
    EXPECT_FALSE(graph->sggraph->editing());
    EXPECT_EQ(graph->sggraph->cells()->cell(2), QStringLiteral("   -7"));

    // The arrows choose the point, Shift widens the choice, and the map selection follows.
    QTest::keyClick(graph->sggraph, Qt::Key_Home);
    QTest::keyClick(graph->sggraph, Qt::Key_Right);
    EXPECT_EQ(graph->sggraph->selected_points(), (std::pair<int, int>{2, 2}));
    QTest::keyClick(graph->sggraph, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(graph->sggraph->selected_points(), (std::pair<int, int>{2, 3}));
    EXPECT_EQ(host.sel.top, 2);
    EXPECT_EQ(host.sel.bottom, 3);
    QTest::keyClick(graph->sggraph, Qt::Key_PageDown);
    EXPECT_EQ(data.boost_map_a[1][1], -8);
    EXPECT_EQ(data.boost_map_a[1][2], -8);

    // A press on the label column selects the whole row.
    graph->sggraphMouseDown();
    EXPECT_EQ(graph->sggraph->selected_points(), (std::pair<int, int>{1, 5}));
    EXPECT_EQ(host.sel.top, 1);
    EXPECT_EQ(host.sel.bottom, 5);
}

TEST_F(GraphWindow, ControlsHaveAccessibleNames) {
    show(map_boost_a, 4);
    for (QWidget* w :
         std::initializer_list<QWidget*>{graph->lbgraph1, graph->lbgraph2, graph->btnupdown,
                                         graph->btnleftright, graph->sggraph, graph->pbgraph}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
    }
    QAccessibleInterface* values = QAccessible::queryAccessibleInterface(graph->sggraph);
    ASSERT_NE(values->tableInterface(), nullptr);
    EXPECT_EQ(values->tableInterface()->columnCount(), 5);
    // The drawing reads as the curve: the row's label, then each point with its value.
    const QString curve = QAccessible::queryAccessibleInterface(graph->pbgraph)->text(QAccessible::Name);
    const ValueRowModel& row = *graph->sggraph->cells();
    EXPECT_TRUE(curve.startsWith(QStringLiteral("Graph, ") + row.label() + QStringLiteral(": ")))
        << curve.toStdString();
    EXPECT_TRUE(curve.endsWith(row.cell(5).trimmed())) << curve.toStdString();
    QAccessibleInterface* tilt = QAccessible::queryAccessibleInterface(graph->btnupdown);
    ASSERT_NE(tilt->valueInterface(), nullptr);
    EXPECT_EQ(tilt->valueInterface()->currentValue().toInt(), 26);
}

// The graph as the Graph button opens it beside the map window of a New document.
class GraphCommand : public AppTest {
  protected:
    void open(uint8_t mode) {
        start();
        main->menunewClick();
        map = main->map_window();
        ASSERT_NE(map, nullptr);
        data.axis_select_no = mode;
        map->rebuild_after_parameters();
        choose(1, 0);  // Boost Correction Map A
        main->action(QStringLiteral("btngraph"))->trigger();
        graph = main->graph_window();
        ASSERT_NE(graph, nullptr);
        QApplication::processEvents();
    }
    void choose(int group, int item) {
        for (auto [list, row] : {std::pair{map->lvmap1, group}, std::pair{map->lvmap2, item}}) {
            QRect r = list->visualItemRect(list->item(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        }
    }
    QPoint px(int x, int y) const {
        Pixel p = to_pixel(x, y, graph->graph().graph_scale_x, graph->graph().graph_scale_y);
        return {p.x, p.y};
    }

    Tmap* map = nullptr;
    Tgraph* graph = nullptr;
};

TEST_F(GraphCommand, OpensOnTheTableShownAndClosesWithTheMapWindow) {
    open(4);
    EXPECT_EQ(state.graph_open, 1);
    EXPECT_TRUE(graph->isVisible());
    EXPECT_EQ(graph->lbgraph2->count(), 5);
    EXPECT_EQ(graph->lbgraph2->item(1)->text(), QStringLiteral(" 2500"));
    EXPECT_TRUE(graph->pnlbtn->isEnabled());
    // A second press keeps the one window.
    main->action(QStringLiteral("btngraph"))->trigger();
    EXPECT_EQ(main->graph_window(), graph);

    // Another table rebuilds the graph: an axis has one row and horizontal sections only.
    choose(0, 0);
    EXPECT_EQ(graph->lbgraph2->count(), 1);
    EXPECT_FALSE(graph->lbgraph1->isEnabled());
    EXPECT_EQ(graph->sggraph->cells()->cell(2), QStringLiteral(" 2500"));

    // Maps are unusable while the axis mode is off: the graph hides its drawing.
    data.axis_select_no = 0;
    map->rebuild_after_parameters();
    choose(1, 0);
    EXPECT_FALSE(graph->pnllv->isEnabled());
    EXPECT_FALSE(graph->pnlgraph->isVisible());
    choose(0, 1);
    EXPECT_TRUE(graph->pnlgraph->isVisible());

    QPointer<Tgraph> watch(graph);
    state.doc_modified = 0;
    ASSERT_TRUE(main->close_map_window());
    QApplication::processEvents();
    EXPECT_EQ(state.graph_open, 0);
    EXPECT_EQ(main->graph_window(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

TEST_F(GraphCommand, EditsInTheMapGridReachTheValueRowAndTheDrawing) {
    open(4);
    map->select_cells({1, 2, 1, 3});
    main->menuconstClick();  // no input scripted: nothing changes
    prompts.inputs = {std::string("7")};
    main->menuconstClick();
    EXPECT_EQ(data.boost_map_a[0][1], 7);
    EXPECT_EQ(graph->sggraph->cells()->cell(2), QStringLiteral("    7"));
    EXPECT_EQ(graph->sggraph->cells()->cell(3), QStringLiteral("    7"));

    // Section view: the selected cells' segments are red.
    graph->pbgraphMouseDown(Qt::RightButton, 0, 0);
    ASSERT_EQ(graph->graph().graph_mode, 1);
    QImage img = graph->pbgraph->grab().toImage();
    // Column 1, rows 2-3 at throttle 25 and 50: x 300 to 500 at height 7 of 0..7.
    EXPECT_EQ(img.pixelColor(px(400, 100)), QColor(255, 0, 0));

    // Undo rewrites the grid from the data; the graph takes the texts again.
    main->menuundoClick();
    EXPECT_EQ(graph->sggraph->cells()->cell(2), QStringLiteral("    0"));
}

TEST_F(GraphCommand, DraggingEndsInTheDocumentAndTheMapGrid) {
    open(4);
    graph->pbgraphMouseDown(Qt::RightButton, 0, 0);
    graph->pbgraphMouseDown(Qt::RightButton, 0, 0);
    ASSERT_EQ(graph->graph().graph_mode, 2);
    data.boost_map_a[0][4] = 100;  // plot 0..100
    map->FillGrid();
    graph->pbgraph->grab();
    const QPoint at = px(320, 300);  // row 2 (throttle 25), three quarters up: 75
    QTest::mousePress(graph->pbgraph, Qt::LeftButton, {}, at);
    QTest::mouseRelease(graph->pbgraph, Qt::LeftButton, {}, at);
    EXPECT_EQ(data.boost_map_a[0][1], 75);
    EXPECT_EQ(map->cell_text(1, 2), QStringLiteral("   75"));
    const Selection s = map->selection();
    EXPECT_EQ(s.left, 1);
    EXPECT_EQ(s.top, 2);
    EXPECT_EQ(s.bottom, 2);
    EXPECT_EQ(state.doc_modified, 1);
    EXPECT_TRUE(main->action(QStringLiteral("menuundo"))->isEnabled());
}
// On a desktop the main window is active when Graph is pressed, and the value grid reports
// its first selection while it is still being built.
TEST_F(GraphCommand, OpensFromAnActiveMainWindow) {
    start();
    main->menunewClick();
    map = main->map_window();
    ASSERT_NE(map, nullptr);
    data.axis_select_no = 4;
    map->rebuild_after_parameters();
    choose(1, 0);
    QApplication::setActiveWindow(main.get());
    ASSERT_TRUE(main->isActiveWindow());
    main->action(QStringLiteral("btngraph"))->trigger();
    graph = main->graph_window();
    ASSERT_NE(graph, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(graph->sggraph->cells()->points(), 5);
}
}  // namespace
}  // namespace pv::test
