// The log commands of the main window: Data Log, the .PVL on the command line, the file
// dialogs and Log Link driving the map's live cursor.
#include "app/logging/log.h"

#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/common/modal.h"
#include "app/common/qt_prompter.h"
#include "app/link/port_watch.h"
#include "app/logging/mnt.h"
#include "app/mapedit/map.h"
#include "app_fixture.h"
#include "core/link/link_timer.h"
#include "core/logging/live.h"
#include "core/logging/log_file.h"
#include "core/logging/log_view.h"
#include "core/logging/recorder.h"
#include "core/ui/texts.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"

namespace pv::test {

namespace {

class LogCommandsTest : public AppTest {
  protected:
    // A drive of `count` samples: rev 20 + k, throttle 10 + k, pressure 100 k.
    std::string drive(const std::string& name, int count) {
        std::vector<uint16_t> w = log_header_words({2024, 3, 7, 9, 5, 2}, 100, 1, 0);
        for (int k = 0; k < count; ++k)
            w.insert(w.end(), {static_cast<uint16_t>(100 * k), 0, static_cast<uint16_t>(20 + k),
                               static_cast<uint16_t>(10 + k), 0, 100, 0});
        std::string p = (root / "docs" / name).string();
        LogWriter out;
        EXPECT_TRUE(out.create(p));
        out.write_words(w);
        out.close();
        return p;
    }
    Tlog* log_window() const {
        for (QMdiSubWindow* w : main->mdi_area()->subWindowList())
            if (auto* l = qobject_cast<Tlog*>(w)) return l;
        return nullptr;
    }
};

TEST_F(LogCommandsTest, DataLogOpensOneWindowAndClosingItForgetsNothing) {
    start();
    main->btnlogClick();
    Tlog* w = log_window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(state.log_open, 1);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Data Log"));
    main->btnlogClick();  // brings the same window to the front
    EXPECT_EQ(main->mdi_area()->subWindowList().size(), 1);

    dialogs.log_open_answers = {drive("a.PVL", 30)};
    w->btnopen->click();
    EXPECT_EQ(w->windowTitle().toStdString(), (root / "docs" / "a.PVL").string());
    EXPECT_EQ(dialogs.log_open_initial.back().substr(dialogs.log_open_initial.back().size() - 5),
              "*.PVL");
    w->close();
    QApplication::processEvents();
    EXPECT_EQ(state.log_open, 0);
    EXPECT_EQ(state.last_log_file, (root / "docs" / "a.PVL").string());

    // Opened again, it shows the same file.
    main->btnlogClick();
    ASSERT_NE(log_window(), nullptr);
    EXPECT_EQ(log_window()->viewer().last_index(), 29);
}

TEST_F(LogCommandsTest, CommandLineLogOpensTheWindowWithIt) {
    std::string p = drive("cmd.PVL", 10);
    start({"pvedit", p});
    ASSERT_NE(log_window(), nullptr);
    EXPECT_EQ(log_window()->windowTitle().toStdString(), p);
    EXPECT_EQ(log_window()->viewer().last_index(), 9);
    EXPECT_EQ(settings.log_dir, (root / "docs").string());
}

// A first start with the shipped settings: the example drive shows every channel, in its
// colour and within the names column's height, without scrolling.
TEST_F(LogCommandsTest, TheExampleDriveShowsEveryChannelOnAFirstStart) {
    paths.resource_dir = PV_SOURCE_DIR "/assets";
    start({"pvedit", PV_SOURCE_DIR "/assets/examples/DRIVE.PVL"});
    Tlog* w = log_window();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->viewer().paints());
    const auto rows = name_rows(w->viewer().header(), settings.log_channels, 0);
    ASSERT_EQ(rows.size(), 3u + 7u) << "three header rows and seven channels";
    for (int n = 0; n < 7; ++n) {
        EXPECT_EQ(rows[3 + n].row, 4 + n);
        EXPECT_EQ(rows[3 + n].color, settings.log_channels[n].color);
    }
    EXPECT_GE(w->pbname->height(), (rows.back().row + 1) * w->row_height);
}

// The sub-window draws its icon in its own title bar, from the icon it was given; asking
// windowIcon() alone would find the main window's through the parents.
TEST_F(LogCommandsTest, BothLogWindowsCarryTheProgramsIcon) {
    start();
    main->btnlogClick();
    main->menuotherlogClick();
    std::vector<Tlog*> logs;
    for (QMdiSubWindow* w : main->mdi_area()->subWindowList())
        if (auto* l = qobject_cast<Tlog*>(w)) logs.push_back(l);
    ASSERT_EQ(logs.size(), 2u);
    const QIcon program = main->windowIcon();
    ASSERT_FALSE(program.isNull());
    for (Tlog* w : logs) {
        const std::string name = w->objectName().toStdString();
        EXPECT_EQ(w->windowIcon().cacheKey(), program.cacheKey()) << name;
        QStyleOptionTitleBar bar;
        bar.initFrom(w);
        const int h = w->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, w);
        const QRect title(0, 0, w->width(), h);
        const QImage shown = w->grab(title).toImage();
        w->setWindowIcon(w->style()->standardIcon(QStyle::SP_TitleBarMenuButton, nullptr, w));
        EXPECT_NE(w->grab(title).toImage(), shown) << name << ": the icon is not in the title";
        w->setWindowIcon(program);
        EXPECT_EQ(w->grab(title).toImage(), shown) << name;
    }
}

TEST_F(LogCommandsTest, LogLinkDrivesTheMapsLiveCursor) {
    start();
    main->menunewClick();
    ASSERT_NE(main->map_window(), nullptr);
    EXPECT_FALSE(main->menuloglink->isEnabled());
    std::string p = drive("link.PVL", 40);
    dialogs.log_open_answers = {p};
    main->btnlogClick();
    Tlog* w = log_window();
    ASSERT_NE(w, nullptr);
    w->btnopen->click();
    main->RefreshCommands();
    EXPECT_TRUE(main->menuloglink->isEnabled());

    live = LiveValues{};
    w->sblog->setValue(5);
    main->menuloglink->trigger();
    EXPECT_EQ(state.log_link, 1);
    EXPECT_TRUE(main->menuloglink->isChecked());
    EXPECT_EQ(live.live_rev, 25);
    EXPECT_EQ(live.live_throttle, 15);
    EXPECT_EQ(live.live_boost, 500);

    // Closing the log window ends Log Link.
    w->close();
    QApplication::processEvents();
    EXPECT_EQ(state.log_link, 0);
    EXPECT_FALSE(main->menuloglink->isChecked());
}

// With both logs open under Log Link, the data log moves the map's live cursor and the
// comparison log its own cursor, each from the record under its window's cursor.
TEST_F(LogCommandsTest, LogLinkPutsBothLogsCursorsOnTheMap) {
    start();
    main->menunewClick();
    Tmap* map = main->map_window();
    ASSERT_NE(map, nullptr);
    data.axis_select_no = 4;  // rpm across, throttle down
    data.rpm_axis = {10, 25, 40, 55, 70};
    data.throttle_axis = {0, 25, 50, 75, 100};
    map->rebuild_after_parameters();
    map->lvmap1->setCurrentRow(1);
    map->lvmap2->setCurrentRow(0);  // Boost Correction Map A
    cursors = CursorState{};

    dialogs.log_open_answers = {drive("data.PVL", 60)};
    main->btnlogClick();
    Tlog* data_log = log_window();
    ASSERT_NE(data_log, nullptr);
    data_log->btnopen->click();
    dialogs.log_open_answers = {drive("other.PVL", 60)};
    main->menuotherlogClick();
    Tlog* other_log = nullptr;
    for (QMdiSubWindow* w : main->mdi_area()->subWindowList())
        if (auto* l = qobject_cast<Tlog*>(w); l && l != data_log) other_log = l;
    ASSERT_NE(other_log, nullptr);
    other_log->btnopen->click();
    main->RefreshCommands();

    data_log->sblog->setValue(5);    // rev 25 (2500 rpm), throttle 15
    other_log->sblog->setValue(40);  // rev 60 (6000 rpm), throttle 50
    main->menuloglink->trigger();
    ASSERT_EQ(state.log_link, 1);
    EXPECT_EQ(cursors.live_cursor.near_col, 2);
    EXPECT_EQ(cursors.live_cursor.near_row, 2);
    EXPECT_EQ(other_live.live_rev, 60);
    EXPECT_EQ(cursors.compare_cursor.near_col, 4);
    EXPECT_EQ(cursors.compare_cursor.near_row, 3);

    other_log->sblog->setValue(55);  // rev 75, throttle 65: beyond the last rpm point
    QApplication::processEvents();
    EXPECT_EQ(cursors.compare_cursor.near_col, 5);
    EXPECT_EQ(cursors.compare_cursor.near_row, 4);
    EXPECT_EQ(cursors.live_cursor.near_col, 2) << "the data log's cursor stays where it was";
}

TEST_F(LogCommandsTest, LogLinkFollowsTheAxisModeOnTheMap) {
    start();
    main->menunewClick();
    data.axis_select_no = 2;  // rpm only: needs the rev channel
    std::vector<uint16_t> w = {2, 1, 4, 100, 100, 1, 0, 5, 50, 6, 60};  // channels 1 and 4
    std::string p = (root / "docs" / "nrev.PVL").string();
    LogWriter out;
    ASSERT_TRUE(out.create(p));
    out.write_words(w);
    out.close();
    dialogs.log_open_answers = {p};
    main->btnlogClick();
    log_window()->btnopen->click();
    main->menuloglink->trigger();
    EXPECT_FALSE(log_cursor_allowed_on(map_boost_a));
    data.axis_select_no = 1;  // throttle only
    EXPECT_TRUE(log_cursor_allowed_on(map_boost_a));
    EXPECT_FALSE(log_cursor_allowed_on(map_rpm_axis));
}

class Recording : public LogCommandsTest {
  protected:
    void SetUp() override {
        LogCommandsTest::SetUp();
        pvsim::Options o;
        o.baud_timing = true;  // the timing test measures about 26 ms per poll
        sim = std::make_unique<pvsim::SimUnit>(o, [this] { return clock_.tick_count(); });
        sim_port = std::make_unique<pvsim::SimPort>(*sim);
        install_link(sim_port.get());
        // The recording window: `ticks` ticks of the log timer, then Escape unless it closed.
        set_modal_runner([this](QDialog& d) {
            d.show();
            monitor_caption = d.windowTitle();
            QTimer* t = main->findChild<QTimer*>(QStringLiteral("logtimer"));
            interval = t->interval();
            for (int k = 0; k < ticks && d.isVisible(); ++k) {
                if (k == 1) live.marking = 255;  // Space held for one sample
                if (k == 2) live.marking = 0;
                if (k == silent_from)
                    for (int m = 0; m < 6; ++m) sim->scripted.push_back(pvsim::Fault::silent);
                clock_.advance(static_cast<uint32_t>(interval));
                QTimerEvent tick(t->timerId());
                QCoreApplication::sendEvent(t, &tick);
            }
            if (d.isVisible()) QTest::keyClick(&d, Qt::Key_Escape);
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
    }
    void TearDown() override {
        set_modal_runner({});
        LogCommandsTest::TearDown();
        install_link(nullptr);
    }
    std::unique_ptr<pvsim::SimUnit> sim;
    std::unique_ptr<pvsim::SimPort> sim_port;
    int ticks = 4;
    int silent_from = -1;
    int interval = 0;
    QString monitor_caption;
};

TEST_F(Recording, StartRecordsUntilEscapeAndShowsTheDrive) {
    start();
    main->menunewClick();
    link_on_start();
    ASSERT_TRUE(state.link_on);
    main->btnlogClick();
    Tlog* w = log_window();
    ASSERT_NE(w, nullptr);
    w->btnlogstart->click();
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().text;
    EXPECT_EQ(monitor_caption, QStringLiteral("Logging... Mark with SPACE key. ESC to exit."));
    EXPECT_EQ(interval, 100);
    const std::string tmp = (root / "prog" / "TMPLOG.PVL").string();
    EXPECT_EQ(w->windowTitle().toStdString(), tmp);
    EXPECT_EQ(w->viewer().last_index(), 3);
    EXPECT_EQ(fs::file_size(tmp), 2u * (19 + 7 * 4));
    LogReader r;
    ASSERT_EQ(r.open(tmp), LogRead::ok);
    std::vector<int16_t> words;
    ASSERT_EQ(r.read_samples(0, 4, words), 4);
    EXPECT_EQ(words[6], 0);
    EXPECT_EQ(words[13], 255);
    EXPECT_EQ(words[20], 0);
    EXPECT_EQ(state.monitor_open, 0);
    EXPECT_EQ(state.monitor_log_mode, 0);
    EXPECT_EQ(recording.logging_active, 0);
    EXPECT_TRUE(main->findChild<QTimer*>(QStringLiteral("linktimer"))->isActive());
    EXPECT_TRUE(w->btnsave->isEnabled());
    EXPECT_TRUE(main->port_watch()->notice_text().isEmpty()) << "Escape is the user's own end";
}

TEST_F(Recording, ASilentUnitEndsItWithTheSamplesSoFar) {
    start();
    main->menunewClick();
    link_on_start();
    main->btnlogClick();
    ticks = 50;
    silent_from = 2;  // two samples, then six missed polls close the window by themselves
    log_window()->btnlogstart->click();
    EXPECT_EQ(log_window()->viewer().last_index(), 1);
    EXPECT_EQ(fs::file_size((root / "prog" / "TMPLOG.PVL").string()), 2u * (19 + 7 * 2));
    EXPECT_EQ(state.monitor_open, 0);
    // The status bar says why it ended, with no box to close.
    EXPECT_EQ(main->port_watch()->notice_text(), ui_text(msg_text(225)));
    EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace

}  // namespace pv::test
