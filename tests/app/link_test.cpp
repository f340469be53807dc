// The link commands from the main window: the transfers with their two dialogs, and the Link
// button with the live link's timer, against the simulated unit in this process.
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/link/net.h"
#include "app/link/writingdialog.h"
#include "app/mapedit/map.h"
#include "app/mapedit/map_grid.h"
#include "unit_app_test.h"
#include "platform/serial_port.h"
#include "support/served_unit.h"
#include "support/transfers_support.h"

namespace pv::test {
namespace {

// What the user saw of one modal dialog.
struct SeenDialog {
    QString caption, label;
    int gauge_max = -1, gauge_value = -1;
    uint32_t shown_ms = 0;
    bool owner_enabled = true, enabled = false;
    QRect frame;  // where it showed
};

class LinkCommands : public UnitAppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        use_unit({});
        // Instead of waiting for their timers, the dialogs get their tick as soon as they show.
        set_modal_runner([this](QDialog& d) { return run_at_once(d); });
    }
    void TearDown() override {
        set_modal_runner({});
        AppTest::TearDown();
    }

    int run_at_once(QDialog& d) {
        d.show();
        SeenDialog s;
        s.caption = d.windowTitle();
        s.owner_enabled = main->isEnabled();
        s.enabled = d.isEnabled();
        s.frame = d.frameGeometry();
        const uint32_t start = clock_.tick_count();
        if (auto* net = qobject_cast<Tnetdlg*>(&d)) {
            s.label = net->lbnet->text();
            size_t at = seen.size();
            seen.push_back(s);
            net->tmnetTimer();
            seen[at].gauge_max = net->ggnet->maximum();
            seen[at].gauge_value = net->ggnet->value();
        } else if (auto* w = qobject_cast<TWritingdlg*>(&d)) {
            s.label = w->writing_message->text();
            w->tmmessTimer();
            s.shown_ms = clock_.tick_count() - start;
            seen.push_back(s);
        }
        EXPECT_FALSE(d.isVisible());
        return d.result();
    }

    QTimer* linktimer() const { return main->findChild<QTimer*>(QStringLiteral("linktimer")); }
    QString map_caption() const {
        return main->map_window() ? main->map_window()->windowTitle() : QString();
    }
    void load_all() {
        main->menuread->trigger();
        ASSERT_TRUE(state.link_on);
        seen.clear();
        prompts.shown.clear();
    }

    std::vector<SeenDialog> seen;
};

TEST_F(LinkCommands, LoadAllOpensTheUnitDataAndStartsTheLink) {
    start();
    main->menuread->trigger();

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, QStringLiteral("Communication"));
    EXPECT_EQ(seen[0].label, QStringLiteral("Loading..."));
    EXPECT_EQ(seen[0].gauge_max, 28);
    EXPECT_EQ(seen[0].gauge_value, 28);
    EXPECT_FALSE(seen[0].owner_enabled);
    EXPECT_TRUE(seen[0].enabled);
    EXPECT_TRUE(prompts.shown.empty()) << texts().front();

    EXPECT_EQ(map_caption(), QStringLiteral("Unit Data"));
    EXPECT_TRUE(xfertest::same_unit_data(data, xfertest::unit_memory(*sim)));
    const ControllerData loaded = data;
    data = ControllerData{};
    ASSERT_TRUE(ReadDataFile(paths.data_dir + "/UNITDATA.PVD"));
    EXPECT_TRUE(xfertest::same_unit_data(data, loaded));

    EXPECT_TRUE(main->isEnabled());
    EXPECT_TRUE(enabled("btnlink") && checked("btnlink"));
    EXPECT_TRUE(linktimer()->isActive());
    EXPECT_EQ(linktimer()->interval(), 15);
    EXPECT_EQ(status_panel0_look().fill, Panel0Look::Blue);
}

TEST_F(LinkCommands, SendAllOfANewDocumentRunsTheFullSetUnderTheGauge) {
    pvsim::Options universal;
    universal.valve_version = universal.display_version = 100;
    use_unit(universal);
    start();
    main->menunew->trigger();
    ASSERT_TRUE(state.doc_is_new);
    // Only the send itself: the read for a restore point is the history tests' business.
    settings.history_before_send = 0;
    const size_t before = line->count(write_request);
    main->btnwrite->trigger();

    EXPECT_TRUE(prompts.shown.empty()) << texts().front();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, QStringLiteral("Communication"));
    EXPECT_EQ(seen[0].label, QStringLiteral("Sending..."));
    EXPECT_EQ(seen[0].gauge_max, 29);
    EXPECT_EQ(seen[0].gauge_value, 29);
    EXPECT_EQ(line->count(write_request), before + 29);
    EXPECT_EQ(line->unit_commands(), std::vector<uint8_t>{cmd_apply_initial});
    EXPECT_TRUE(xfertest::same_unit_data(sim->in_use(), data));
    // The processing dialog ends the parameter send inside the progress dialog's job, and
    // holds on while closing.
    EXPECT_EQ(seen[1].caption, QStringLiteral("Communication"));
    EXPECT_EQ(seen[1].label, QStringLiteral("Processing..."));
    EXPECT_GE(seen[1].shown_ms, 2000u);
    EXPECT_FALSE(seen[1].frame.intersects(seen[0].frame))
        << "the processing dialog leaves the progress dialog's text readable";

    EXPECT_TRUE(main->isEnabled());
    EXPECT_TRUE(checked("btnlink"));
    EXPECT_FALSE(state.doc_is_new);
}

TEST_F(LinkCommands, BrokenBlockShowsItsErrorThenTheInterruption) {
    start();
    line->break_block(107, false);
    main->btnread->trigger();

    EXPECT_EQ(texts(),
              (std::vector<std::string>{"Communication error(1071):Please check connection",
                                        "Internal error(200):Program has been inturrupted."}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_LT(seen[0].gauge_value, seen[0].gauge_max);
    EXPECT_EQ(main->map_window(), nullptr);
    EXPECT_FALSE(fs::exists(paths.data_dir + "/UNITDATA.PVD"));
    EXPECT_TRUE(main->isEnabled());
    EXPECT_FALSE(checked("btnlink") || linktimer()->isActive() || state.port_open);
}

TEST_F(LinkCommands, LinkButtonTogglesTheLinkAndASilentUnitEndsIt) {
    start();
    load_all();
    QAction* btnlink = main->action(QStringLiteral("btnlink"));

    btnlink->trigger();
    EXPECT_FALSE(state.link_on || state.port_open);
    EXPECT_FALSE(btnlink->isChecked() || linktimer()->isActive());
    EXPECT_FALSE(enabled("btnlocus"));

    const size_t before = line->written.size();
    btnlink->trigger();
    EXPECT_TRUE(state.link_on);
    EXPECT_GT(line->written.size(), before) << "the table shown is read first";
    EXPECT_TRUE(btnlink->isChecked() && linktimer()->isActive());
    EXPECT_TRUE(enabled("btnlocus"));
    EXPECT_TRUE(main->isEnabled());

    main->linktimerTimer();
    EXPECT_EQ(state.poll_misses, 0);
    sim_port->unplugged = true;
    for (int k = 0; k < 60; ++k) main->linktimerTimer();
    EXPECT_TRUE(state.link_on) << "60 misses are still tolerated";
    main->linktimerTimer();
    EXPECT_FALSE(state.link_on || state.port_open);
    EXPECT_FALSE(btnlink->isChecked() || linktimer()->isActive());
    EXPECT_TRUE(prompts.shown.empty()) << "the link gives up silently";
    EXPECT_TRUE(main->isEnabled());
}

// A screen reader flips a toggle button through its accessible Toggle action: the command runs
// as on a click, and the button shows what the command made of it.
TEST_F(LinkCommands, TheAccessibleToggleOfLinkTraceAndCursorTraceRunsTheirCommands) {
    start();
    load_all();
    auto* bar = main->findChild<QToolBar*>(QStringLiteral("Panel1_buttons"));
    ASSERT_NE(bar, nullptr);
    const auto toggle = [&](const char* name) {
        QWidget* b = bar->widgetForAction(main->action(QLatin1String(name)));
        QAccessibleInterface* ai = b ? QAccessible::queryAccessibleInterface(b) : nullptr;
        ASSERT_TRUE(ai && ai->actionInterface()) << name;
        ASSERT_TRUE(ai->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::toggleAction()))
            << name;
        ai->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(qobject_cast<QToolButton*>(b)->isChecked(), checked(name)) << name;
    };
    ASSERT_TRUE(state.link_on);

    toggle("btnlocus");
    EXPECT_TRUE(cursors.trace_on && checked("btnlocus"));
    toggle("btnatsel");
    EXPECT_TRUE(cursors.cursor_trace_on && checked("btnatsel"));

    toggle("btnlink");
    EXPECT_FALSE(state.link_on || linktimer()->isActive() || checked("btnlink"));
    EXPECT_FALSE(enabled("btnlocus"));
    toggle("btnlink");
    EXPECT_TRUE(state.link_on && linktimer()->isActive() && checked("btnlink"));
    EXPECT_TRUE(enabled("btnlocus"));
}

TEST_F(LinkCommands, StartingAndEndingTheLinkTakeANewUndoPoint) {
    pvsim::Options universal;
    universal.valve_version = universal.display_version = 100;
    use_unit(universal);
    start();
    main->menunew->trigger();
    Tmap* map = main->map_window();
    ASSERT_NE(map, nullptr);
    data.axis_select_no = 4;  // as the parameter dialog leaves it: the maps in use
    map->rebuild_after_parameters();
    main->btnwrite->trigger();  // the unit now holds the New document: 100 in Offset Map A
    ASSERT_TRUE(state.link_on) << (texts().empty() ? "" : texts().front());
    QAction* btnlink = main->action(QStringLiteral("btnlink"));
    btnlink->trigger();
    ASSERT_FALSE(state.link_on);

    auto type_into_first_cell = [&](const char* text) {
        const QRect r = map->sgmap->visualRect(map->sgmap->model()->index(0, 0));
        QTest::mouseClick(map->sgmap->viewport(), Qt::LeftButton, {}, r.center());
        auto target = [&]() -> QWidget* {
            for (QLineEdit* e : map->sgmap->findChildren<QLineEdit*>())
                if (e->isVisible()) return e;
            return map->sgmap;
        };
        for (const char* k = text; *k; ++k) QTest::keyClick(target(), *k);
        QTest::keyClick(target(), Qt::Key_Return);
    };
    map->lvmap1->setCurrentRow(1);
    map->lvmap2->setCurrentRow(1);
    ASSERT_EQ(grid.current_map, map_offset_a);
    type_into_first_cell("150");  // an edit made while the link is off
    // A look at the mode B map and back: the table is chosen while it holds 150.
    map->lvmap1->setCurrentRow(2);
    map->lvmap1->setCurrentRow(1);
    ASSERT_EQ(grid.current_map, map_offset_a);
    ASSERT_EQ(map->cell_text(1, 1).trimmed(), QStringLiteral("150"));

    btnlink->trigger();
    ASSERT_TRUE(state.link_on);
    EXPECT_EQ(map->cell_text(1, 1).trimmed(), QStringLiteral("100")) << "the unit's value shows";
    type_into_first_cell("120");
    ASSERT_EQ(data.offset_map_a[0][0], 120);
    main->menuundo->trigger();
    EXPECT_EQ(map->cell_text(1, 1).trimmed(), QStringLiteral("100"))
        << "Undo goes back to the unit's value, not to the one from before the link";
    EXPECT_EQ(data.offset_map_a[0][0], 100);

    // All Reset ends the link; the window, kept by Cancel at the save question, shows its
    // table afresh for the unlinked document.
    type_into_first_cell("130");
    prompts.answers = {Answer::Yes, Answer::Cancel};
    main->action(QStringLiteral("mproreset"))->trigger();
    ASSERT_EQ(main->map_window(), map);
    ASSERT_FALSE(state.link_on);
    EXPECT_EQ(map->cell_text(1, 1).trimmed(), QStringLiteral("130"));
    EXPECT_FALSE(enabled("menuundo")) << "the 100 from before the reset is no longer undone to";
}

TEST_F(LinkCommands, LoadParameterRebuildsTheGridForTheUnitsAxisMode) {
    start();
    load_all();
    Tmap* map = main->map_window();
    data.axis_select_no = 4;
    map->rebuild_after_parameters();
    map->lvmap1->setCurrentRow(1);
    map->lvmap2->setCurrentRow(0);
    ASSERT_EQ(map->sgmap->model()->rowCount(), 5);
    state.doc_modified = 0;
    main->menupread->trigger();  // the factory unit's map function is OFF
    ASSERT_EQ(data.axis_select_no, 0);
    EXPECT_EQ(map->sgmap->model()->rowCount(), 1) << "no 5 x 5 grid with blank labels";
    EXPECT_FALSE(map->grid_enabled());
}

TEST_F(LinkCommands, LoadParameterReportsAFailedSaveOnceAndKeepsTheDocument) {
    start();
    load_all();
    state.doc_modified = 1;
    data.setboost_a = 77;
    prompts.answers = {Answer::Yes};
    dialogs.save_answers = {(root / "missing" / "x.PVD").string()};
    main->menupread->trigger();

    EXPECT_EQ(texts(), (std::vector<std::string>{msg_text(12), msg_text(2)}));
    EXPECT_EQ(data.setboost_a, 77) << "the unsaved parameters are not overwritten";
    EXPECT_TRUE(main->isEnabled());
}

// The real termios port against a unit on a pseudo-terminal: while a poll's reply is on the
// wire the window goes on with its events, and the poll ends when the reply arrives.
TEST_F(LinkCommands, OverARealLineThePollsLeaveTheWindowFree) {
    pvtest::ServedUnit served(pvsim::program_defaults(), [](pvsim::SimUnit& u) {
        u.fixed_live = LiveSample{0, 0, 30, 77};
    });
    ASSERT_TRUE(served.ok());
    SerialPort serial(served.path());
    install_link(&serial);
    set_clock(nullptr);  // the reply's time-out runs on the real clock here
    start();
    main->menunewClick();
    main->map_window()->lvmap1->setCurrentRow(1);
    main->map_window()->lvmap2->setCurrentRow(0);
    main->btnlinkClick();  // Link is offered only for a document from the unit
    ASSERT_TRUE(state.link_on);

    bool free_while_waiting = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (state.poll_busy && exchange_in_flight()) free_while_waiting = true;
    });
    probe.start(1);
    QTRY_VERIFY_WITH_TIMEOUT(free_while_waiting && live.live_throttle == 77, 10000);
    EXPECT_EQ(state.poll_misses, 0);

    main->btnlinkClick();
    EXPECT_FALSE(state.link_on || state.poll_busy || exchange_in_flight());
    install_link(&port_);
}

}  // namespace
}  // namespace pv::test
