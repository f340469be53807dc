// The log commands of the main window: Data Log, the .PVL on the command line, the file
// dialogs and Log Link driving the map's live cursor.
#include "app/logging/log.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QToolButton>

#include "app/mapedit/map.h"
#include "app_fixture.h"
#include "core/logging/live.h"
#include "core/logging/log_file.h"
#include "core/logging/log_view.h"

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

}  // namespace

}  // namespace pv::test
