// The data monitor window: what its labels show after polls of the simulated unit, its font
// and frame sizes, and the recording window's keys.
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "app/common/spoken.h"
#include "app/logging/mnt.h"
#include "app_fixture.h"
#include "core/logging/live.h"
#include "support/transfers_support.h"

namespace pv::test {
namespace {

class MonitorWindow : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        settings.monitor_font_index = 2;
        settings.monitor_width = 310;
        settings.monitor_height = 210;
        settings.monitor_size = 1;
        live = LiveValues{};
        install_link(nullptr);
        sim = std::make_unique<pvsim::SimUnit>(pvsim::Options{},
                                               [this] { return clock_.tick_count(); });
        sim_port = std::make_unique<pvsim::SimPort>(*sim);
        install_link(sim_port.get());
        open_port();
        read_status();
    }
    void TearDown() override {
        delete monitor.data();
        AppTest::TearDown();
    }

    // The window as the Data Monitor button leaves it, painted once.
    Tmntdlg& open_monitor(uint8_t log_mode = 0) {
        state.monitor_log_mode = log_mode;
        monitor = new Tmntdlg();
        monitor->show();
        QApplication::processEvents();
        return *monitor;
    }
    void poll(LiveSample s) {
        sim->fixed_live = s;
        ASSERT_TRUE(poll_live_data());
        monitor->refresh();
    }
    std::vector<QString> shown() const {
        std::vector<QString> t;
        for (QLabel* l : monitor->value_labels) t.push_back(l->isVisible() ? l->text() : "-");
        return t;
    }

    std::unique_ptr<pvsim::SimUnit> sim;
    std::unique_ptr<pvsim::SimPort> sim_port;
    QPointer<Tmntdlg> monitor;
};

TEST_F(MonitorWindow, LabelsShowThePollsFromTheirFirstRealValue) {
    Tmntdlg& m = open_monitor();
    EXPECT_TRUE(state.monitor_open);
    EXPECT_TRUE(m.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Data Monitor"));
    const QString stars = QStringLiteral("*****");
    EXPECT_EQ(shown(), std::vector<QString>(6, stars));

    // The peak starts on its sentinel and the throttle on 101: both keep their stars.
    poll({49, 2578, 30, 101});
    EXPECT_EQ(shown(), (std::vector<QString>{"  0.0", stars, " 3000", stars, "    0", "    0"}));
    EXPECT_EQ(live.live_boost, 0);
    poll({1234, 1500, 45, 60});
    EXPECT_EQ(shown(),
              (std::vector<QString>{"123.4", "150.0", " 4500", "   60", "    0", "    0"}));

    // A failed poll changes nothing.
    sim_port->unplugged = true;
    EXPECT_FALSE(poll_live_data());
    m.refresh();
    EXPECT_EQ(m.value_labels[0]->text(), QStringLiteral("123.4"));

    // Every label reads as its row does: name, value and unit.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(m.value_labels[2]);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("RPM 4500 rpm"));
}

TEST_F(MonitorWindow, RowsAreAnnouncedOnceForManyPollsAndOnlyWhenTheyChanged) {
    Tmntdlg& m = open_monitor();
    std::vector<const QObject*> named;  // what NameChanged events reached the reader
    listen_to_announcements([&](QAccessibleEvent& e) {
        if (e.type() == QAccessible::NameChanged) named.push_back(e.object());
    });
    const auto count = [&](int row) {
        return std::count(named.begin(), named.end(), m.value_labels[static_cast<size_t>(row)]);
    };
    for (int k = 0; k < 40; ++k) poll({static_cast<int16_t>(1000 + k), 1500, 45, 60});
    EXPECT_EQ(count(0), 0) << "nothing is said at the pace of the polls";
    announce_pending();
    EXPECT_EQ(count(0), 1);
    EXPECT_EQ(count(2), 1);
    // The same values again: the boost is still 103.9, nothing new to say.
    named.clear();
    poll({1039, 1500, 45, 60});
    announce_pending();
    EXPECT_EQ(count(0), 0);
    listen_to_announcements({});
    EXPECT_EQ(QAccessible::queryAccessibleInterface(m.value_labels[0])->text(QAccessible::Name),
              QStringLiteral("Pressure 103.9 kPa"));
}

TEST_F(MonitorWindow, LabelsStayHiddenAndUnsetUntilTheFirstPaint) {
    state.monitor_log_mode = 0;
    monitor = new Tmntdlg();
    sim->fixed_live = LiveSample{500, 500, 30, 40};
    ASSERT_TRUE(poll_live_data());
    monitor->refresh();
    EXPECT_TRUE(monitor->value_labels[0]->isHidden());
    EXPECT_EQ(monitor->labels().text(row_boost), "*****");
    EXPECT_EQ(live.live_boost, 500);
}

// What the user sees of each row: name, a blank, the value right-aligned, a blank, the unit,
// all inside the window.
void expect_rows_readable(Tmntdlg& m) {
    const QFontMetrics fm(m.pbmnt->font());
    const int blank = fm.horizontalAdvance(QLatin1Char(' '));
    for (int row = 0; row < kMonitorRows; ++row) {
        QLabel* l = m.value_labels[static_cast<size_t>(row)];
        const QString name =
            QString::fromStdString(monitor_row_text(row, data.pressure_unit, rev_is_rpm()).name);
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(l->alignment() & Qt::AlignRight);
        EXPECT_EQ(l->geometry().right() + 1 + blank, m.unit_column());
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text().trimmed()));
        EXPECT_GE(l->x() + l->width() - l->fontMetrics().horizontalAdvance(l->text().trimmed()),
                  8 + fm.horizontalAdvance(name) + blank);
    }
    EXPECT_GE(m.unit_column(),
              fm.horizontalAdvance(QStringLiteral("offset correction ***** ")) + 8);
    EXPECT_GE(m.pbmnt->width(), m.unit_column() + fm.horizontalAdvance(QStringLiteral("km/h")));
}

TEST_F(MonitorWindow, FirstFontChoiceKeepsTheStoredSizeLaterOnesFitTheText) {
    settings.monitor_width = 1000;
    settings.monitor_height = 400;
    Tmntdlg& m = open_monitor();
    m.activate_font_item();
    EXPECT_TRUE(m.ms[1]->isChecked());
    EXPECT_EQ(m.value_labels[0]->font().pointSize(), 16);
    EXPECT_EQ(m.size(), QSize(1000, 400));
    m.ms[0]->trigger();
    EXPECT_LT(m.width(), 1000);

    m.ms[4]->trigger();
    EXPECT_EQ(settings.monitor_font_index, 5);
    EXPECT_EQ(m.value_labels[3]->font().pointSize(), 28);
    EXPECT_EQ(m.pbmnt->font().pointSize(), 28);
    const QFontMetrics fm(m.pbmnt->font());
    EXPECT_EQ(m.width(),
              fm.horizontalAdvance(QStringLiteral("Offset Correction  12000 km/h")) + 16);
    EXPECT_EQ(m.height(), 6 * fm.height() + 65);
    // The labels follow the names' rows.
    EXPECT_EQ(m.value_labels[3]->y(), 3 * fm.height() + 10);
    expect_rows_readable(m);
}

TEST_F(MonitorWindow, ValuesNeverRunIntoTheirUnits) {
    settings.monitor_width = 100;  // stored for a smaller font
    Tmntdlg& m = open_monitor();
    m.activate_font_item();
    sim->fixed_live = LiveSample{-1000, 2550, 255, 100};  // the widest texts
    ASSERT_TRUE(poll_live_data());
    m.refresh();
    ASSERT_EQ(m.value_labels[0]->text().trimmed(), QStringLiteral("-100.0"));
    expect_rows_readable(m);

    // The unit switches to vehicle speed: the names, their column and the labels follow.
    unit.status_flags[status_rev_is_rpm] = 0;
    m.refresh();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(m.value_labels[2]);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Speed 25500 km/h"));
    expect_rows_readable(m);
}

TEST_F(MonitorWindow, ManualFrameSizeChangesFontsButNotTheWindow) {
    Tmntdlg& m = open_monitor();
    m.activate_font_item();
    m.mntautosize_off->trigger();
    EXPECT_EQ(settings.monitor_size, 2);
    EXPECT_TRUE(m.mntautosize_off->isChecked());
    EXPECT_FALSE(m.mntautosize_on->isChecked());
    m.resize(400, 300);
    m.ms[5]->trigger();
    EXPECT_EQ(m.value_labels[0]->font().pointSize(), 32);
    EXPECT_EQ(m.size(), QSize(400, 300));

    // Back to Auto: the font item of the stored index is applied again, and sizes the window.
    settings.monitor_font_index = 1;
    m.mntautosize_on->trigger();
    EXPECT_TRUE(m.ms[0]->isChecked());
    EXPECT_EQ(m.value_labels[0]->font().pointSize(), 12);
    const QFontMetrics fm(m.pbmnt->font());
    EXPECT_EQ(m.height(), 6 * fm.height() + 65);
}

TEST_F(MonitorWindow, ClosingKeepsTheSizeAndWithoutTheLinkLetsGoOfThePort) {
    Tmntdlg& m = open_monitor();
    m.resize(333, 222);
    m.close();
    QApplication::processEvents();
    EXPECT_FALSE(state.monitor_open);
    EXPECT_EQ(settings.monitor_width, 333);
    EXPECT_EQ(settings.monitor_height, 222);
    EXPECT_FALSE(state.port_open);
    EXPECT_TRUE(monitor.isNull()) << "the window frees itself";
}

TEST_F(MonitorWindow, EscapeLeavesThePlainMonitorOpen) {
    Tmntdlg& m = open_monitor();
    QTest::keyClick(&m, Qt::Key_Escape);
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(state.monitor_open);
}

TEST_F(MonitorWindow, RecordingWindowMarksWithSpaceAndEndsWithEscape) {
    state.link_on = 1;
    state.monitor_log_mode = 1;
    monitor = new Tmntdlg();
    Tmntdlg& m = *monitor;
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Logging... Mark with SPACE key. ESC to exit."));
    EXPECT_FALSE(m.menumset->isEnabled());

    std::vector<int16_t> marks;
    QTimer::singleShot(0, &m, [&] {
        EXPECT_TRUE(m.btnmarking->isVisible());
        EXPECT_EQ(m.btnmarking->size(), QSize(4, 4));
        EXPECT_EQ(m.focusWidget(), m.btnmarking);
        QTest::keyPress(m.btnmarking, Qt::Key_Space);
        marks.push_back(live.marking);
        QTest::keyPress(m.btnmarking, Qt::Key_Space, Qt::NoModifier);  // held
        marks.push_back(live.marking);
        QTest::keyRelease(m.btnmarking, Qt::Key_Space);
        marks.push_back(live.marking);
        QTest::keyClick(m.btnmarking, Qt::Key_A);  // swallowed
        QTest::keyClick(m.btnmarking, Qt::Key_Return);
        EXPECT_TRUE(m.isVisible());
        QTest::keyClick(m.btnmarking, Qt::Key_Escape);
    });
    EXPECT_EQ(m.exec(), QDialog::Accepted);
    EXPECT_EQ(marks, (std::vector<int16_t>{255, 255, 0}));
    EXPECT_FALSE(state.monitor_open);
    EXPECT_TRUE(state.port_open) << "the link goes on";
    QApplication::processEvents();
}

TEST_F(MonitorWindow, TheRecorderCanEndTheRecordingWindow) {
    state.link_on = 1;
    state.monitor_log_mode = 1;
    monitor = new Tmntdlg();
    QTimer::singleShot(0, monitor.data(), [this] { monitor->close(); });
    EXPECT_EQ(monitor->exec(), QDialog::Accepted);
    EXPECT_FALSE(state.monitor_open);
}

}  // namespace
}  // namespace pv::test
