// The live views from the main window: the map's live cursor with its trace and Cursor Trace,
// and the Data Monitor button, with the link running against the simulated unit.
#include <QAccessible>
#include <QAction>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include "app/logging/mnt.h"
#include "app/mapedit/map.h"
#include "app/mapedit/map_grid.h"
#include "app_fixture.h"
#include "core/logging/live.h"
#include "core/mapedit/live_cursor.h"
#include "support/transfers_support.h"

namespace pv::test {
namespace {

// Collects the regions the grid's viewport paints.
class Painted : public QObject {
  public:
    explicit Painted(QWidget* w) { w->installEventFilter(this); }
    QRegion region;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

class LiveViewsTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        live = LiveValues{};
        cursors = CursorState{};
        use_unit({});
    }
    void TearDown() override {
        if (Tmntdlg* m = Tmntdlg::current()) m->close();
        AppTest::TearDown();
    }
    void use_unit(pvsim::Options options) {
        install_link(nullptr);
        sim = std::make_unique<pvsim::SimUnit>(options, [this] { return clock_.tick_count(); });
        sim_port = std::make_unique<pvsim::SimPort>(*sim);
        install_link(sim_port.get());
    }

    // A New document in the two-axis mode showing Boost Correction Map A (or the table
    // `item` of `group`), linked to the unit, with the unit's axes.
    Tmap& linked_map(int group = 1, int item = 0) {
        start();
        main->menunewClick();
        map = main->map_window();
        data.axis_select_no = 4;
        data.rpm_axis = {10, 25, 40, 55, 70};
        data.throttle_axis = {0, 25, 50, 75, 100};
        map->rebuild_after_parameters();
        map->lvmap1->setCurrentRow(group);
        map->lvmap2->setCurrentRow(item);
        // Link is offered once the document came from the unit; the handler runs regardless.
        main->btnlinkClick();
        EXPECT_TRUE(state.link_on);
        // The test's own ticks are the only polls, so the trace ages by a known count.
        main->findChild<QTimer*>(QStringLiteral("linktimer"))->stop();
        QApplication::processEvents();
        return *map;
    }
    // One tick of the link timer with the unit at (rev, throttle).
    void poll(uint8_t rev, uint8_t throttle, int16_t boost = 0) {
        sim->fixed_live = LiveSample{boost, boost, rev, throttle};
        main->linktimerTimer();
        QApplication::processEvents();
    }
    QRect cell(int c, int r) const {
        return map->sgmap->visualRect(map->sgmap->model()->index(r - 1, c - 1));
    }
    QRegion block(int c, int r) const {
        return QRegion(cell(c, r)) + cell(c + 1, r) + cell(c, r + 1) + cell(c + 1, r + 1);
    }
    int pixels(int c, int r, QColor colour) const {
        const QImage shot = map->sgmap->viewport()->grab().toImage();
        const QRect box = cell(c, r);
        int n = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) n += QColor(shot.pixel(x, y)) == colour;
        return n;
    }

    std::unique_ptr<pvsim::SimUnit> sim;
    std::unique_ptr<pvsim::SimPort> sim_port;
    Tmap* map = nullptr;
};

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kMagenta(255, 0, 255), kTraceGreen(0, 255, 0);

TEST_F(LiveViewsTest, CursorFollowsThePollsAndRepaintsOnlyTheBlocksItLeavesAndEnters) {
    linked_map();
    poll(30, 60);  // 3000 rpm, 60 %: block (2, 3) .. (3, 4)
    EXPECT_EQ(cursors.live_cursor.bracket_col, 2);
    EXPECT_EQ(cursors.live_cursor.bracket_row, 3);
    EXPECT_GT(pixels(2, 3, kRed), 0) << "Mode A shown while the unit runs Mode A";
    EXPECT_EQ(pixels(4, 3, kRed), 0);

    Painted painted(map->sgmap->viewport());
    poll(30, 60);
    EXPECT_TRUE(painted.region.isEmpty()) << "a cursor that has not moved is not drawn again";
    poll(31, 60);
    EXPECT_EQ(painted.region, block(2, 3)) << "moved inside its block";
    painted.region = QRegion();
    poll(255, 100);  // block (4, 4) .. (5, 5)
    EXPECT_EQ(painted.region, block(2, 3) + block(4, 4));
    EXPECT_EQ(pixels(2, 3, kRed), 0) << "the old cursor is gone";
    EXPECT_GT(pixels(5, 5, kRed), 0);

    // Link off takes the cursor away; linked again, it is back where it stayed.
    main->btnlinkClick();
    QApplication::processEvents();
    EXPECT_EQ(pixels(5, 5, kRed), 0);
    main->btnlinkClick();
    main->findChild<QTimer*>(QStringLiteral("linktimer"))->stop();
    poll(255, 100);
    EXPECT_GT(pixels(5, 5, kRed), 0) << "drawn again though it has not moved";
}

// The cursor's lines are filled as rectangles: each must invert exactly the pixels that a
// 2-pixel line drawn over the cell inverts, whichever way it runs.
TEST(CursorLines, FillTheLinesPixels) {
    QImage cell(40, 30, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x) cell.setPixel(x, y, noise.generate() | 0xff000000u);
    for (const Segment s : {Segment{1, 1, 32, 1}, Segment{32, 1, 1, 1}, Segment{1, 1, 1, 22},
                            Segment{6, 22, 6, 1}, Segment{1, 22, 32, 22}, Segment{5, 5, 5, 5}}) {
        QImage drawn = cell, filled = cell;
        {
            QPainter p(&drawn);
            p.setPen(QPen(QColor(255, 0, 0), 2));
            p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
            p.drawLine(s.x1, s.y1, s.x2, s.y2);
        }
        {
            QPainter p(&filled);
            p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
            p.fillRect(cursor_line_pixels(s), QColor(255, 0, 0));
        }
        EXPECT_EQ(filled, drawn) << s.x1 << "," << s.y1 << " to " << s.x2 << "," << s.y2;
    }
}

TEST_F(LiveViewsTest, ExpiringTraceMarksRepaintWithTheBlocks) {
    linked_map();
    main->action("ml5")->trigger();  // Moment: 15 updates, 14 after the first ageing
    main->action("btnlocus")->trigger();
    EXPECT_TRUE(cursors.trace_on);
    poll(30, 60);
    poll(255, 100);
    map->sgmap->select_cells({1, 1, 1, 1});
    QApplication::processEvents();
    EXPECT_GT(pixels(2, 3, kTraceGreen), 0) << "a passed cell stays green";
    for (int k = 0; k < 12; ++k) poll(255, 100);
    Painted painted(map->sgmap->viewport());
    poll(255, 100);
    EXPECT_EQ(painted.region, block(2, 3)) << "the marks that expired, not the cursor that stayed";
    EXPECT_EQ(pixels(2, 3, kTraceGreen), 0);

    main->action("btnlocus")->trigger();
    EXPECT_FALSE(cursors.trace_on);
    EXPECT_EQ(cursors.trace_marks[4][4], 0) << "switching the trace off clears every mark";
}

TEST_F(LiveViewsTest, SpaceHoldsTheCursorInMagenta) {
    linked_map();
    poll(30, 60);
    QTest::keyClick(map->sgmap, Qt::Key_Space);
    EXPECT_TRUE(cursors.cursor_hold);
    QApplication::processEvents();
    EXPECT_GT(pixels(2, 3, kMagenta), 0);
    poll(255, 100);
    EXPECT_EQ(cursors.live_cursor.bracket_col, 2) << "held where it was";
    QTest::keyClick(map->sgmap, Qt::Key_Space);
    poll(255, 100);
    EXPECT_EQ(cursors.live_cursor.bracket_col, 4);
    EXPECT_GT(pixels(4, 4, kRed), 0);
}

TEST_F(LiveViewsTest, TheOtherModesTablesShowTheCursorInBlue) {
    linked_map(2, 0);  // Boost Correction Map B while the unit runs Mode A
    poll(30, 60);
    EXPECT_GT(pixels(2, 3, kBlue), 0);
    EXPECT_EQ(pixels(2, 3, kRed), 0);

    // The unit goes over to Mode B: the cursor turns red where it stands.
    unit.status_flags[status_mode_b_active] = 1;
    poll(30, 60);
    EXPECT_GT(pixels(2, 3, kRed), 0);
    EXPECT_EQ(pixels(2, 3, kBlue), 0);
}

TEST_F(LiveViewsTest, CursorTraceKeepsTheBlockSelectedForPageUp) {
    linked_map();
    main->action("mtr2")->trigger();
    main->action("btnatsel")->trigger();
    EXPECT_TRUE(cursors.cursor_trace_on);
    poll(30, 60);
    const Selection s = map->selection();
    EXPECT_EQ((std::array{s.left, s.top, s.right, s.bottom}), (std::array{2, 3, 3, 4}));
    const auto before = data.boost_map_a;
    QTest::keyClick(map->sgmap, Qt::Key_PageUp);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            const bool in = i >= 1 && i <= 2 && j >= 2 && j <= 3;
            EXPECT_EQ(data.boost_map_a[i][j], before[i][j] + (in ? 1 : 0)) << i << "," << j;
        }
}

TEST_F(LiveViewsTest, TraceAndTheComparisonViewExcludeEachOther) {
    linked_map();
    const std::string other = (root / "docs" / "other.PVD").string();
    ASSERT_TRUE(WriteDataFile(other));
    dialogs.open_answers = {other};
    main->action("menuother")->trigger();
    ASSERT_TRUE(state.compare_loaded);
    main->action("btnlocus")->trigger();
    EXPECT_TRUE(cursors.trace_on);
    EXPECT_FALSE(state.compare_loaded);
    EXPECT_FALSE(checked("menuother"));

    dialogs.open_answers = {other};
    main->action("menuother")->trigger();
    EXPECT_TRUE(state.compare_loaded);
    EXPECT_FALSE(cursors.trace_on);
    EXPECT_FALSE(checked("btnlocus"));
}

TEST_F(LiveViewsTest, LinkOffReleasesBothButtons) {
    linked_map();
    // The status bar's link panel says in words what its colour shows.
    QWidget* panel0 = main->findChild<QWidget*>(QStringLiteral("statusbar_panel0"));
    const auto said = [&] {
        return QAccessible::queryAccessibleInterface(panel0)->text(QAccessible::Name);
    };
    EXPECT_EQ(said(), QStringLiteral("Link"));
    main->action("btnlocus")->trigger();
    main->action("btnatsel")->trigger();
    main->action("btnlink")->trigger();
    EXPECT_EQ(said(), QStringLiteral("Link off"));
    EXPECT_FALSE(state.link_on);
    EXPECT_FALSE(cursors.trace_on || cursors.cursor_trace_on);
    EXPECT_FALSE(checked("btnlocus") || checked("btnatsel"));
    EXPECT_FALSE(enabled("btnlocus") || enabled("btnatsel"));
}

TEST_F(LiveViewsTest, DataMonitorButtonOpensOneMonitorThatThePollsFill) {
    linked_map();
    main->action("btnmnt")->trigger();
    Tmntdlg* m = Tmntdlg::current();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->isVisible());
    EXPECT_TRUE(state.monitor_open);
    QApplication::processEvents();
    poll(30, 60, 1234);
    EXPECT_EQ(m->value_labels[row_boost]->text(), QStringLiteral("123.4"));
    EXPECT_EQ(m->value_labels[row_rev_speed]->text(), QStringLiteral(" 3000"));
    EXPECT_EQ(m->value_labels[row_throttle]->text(), QStringLiteral("   60"));

    main->action("btnmnt")->trigger();
    EXPECT_EQ(Tmntdlg::current(), m) << "one monitor at a time";

    // The link going off closes it.
    main->action("btnlink")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Tmntdlg::current(), nullptr);
    EXPECT_FALSE(state.monitor_open);
}

TEST_F(LiveViewsTest, DataMonitorRefusalShowsItsMessageAndNoWindow) {
    pvsim::Options o;
    o.setup = pvsim::Setup::second;  // the link runs, the monitor refuses
    use_unit(o);
    linked_map();
    main->action("btnmnt")->trigger();
    EXPECT_EQ(texts(), std::vector<std::string>{msg_text(26)});
    EXPECT_EQ(Tmntdlg::current(), nullptr);
    EXPECT_FALSE(state.monitor_open);
}

}  // namespace
}  // namespace pv::test
