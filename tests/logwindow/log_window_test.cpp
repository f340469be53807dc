// The log window offscreen, over both sides: loading, what the chart shows at chosen
// samples, the cursor, scrolling, zoom, Log Link, saving and what accessibility tools see.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <filesystem>

#include "app/common/spoken.h"
#include "app/logging/log.h"
#include "core/document/unit.h"
#include "core/logging/recorder.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "support/log_images.h"
#include "window_app.h"

namespace {

using logtest::cat;
using logtest::Words;

using logtest::application;

class FakeHost : public pv::LogWindowHost {
  public:
    std::vector<std::optional<std::string>> open_answers, save_answers;
    int cursor_moves = 0, channel_changes = 0, closed = 0;
    bool settings_ok = false;

    std::vector<std::string> open_initial;
    std::optional<std::string> open_log_file(QWidget*, const std::string& initial,
                                             uint32_t) override {
        open_initial.push_back(initial);
        return next(open_answers);
    }
    std::optional<std::string> save_log_file(QWidget*, const std::string&) override {
        return next(save_answers);
    }
    bool run_log_settings(QWidget*, const pv::LogSide&, const pv::LogHeader&) override {
        return settings_ok;
    }
    void run_recording_monitor(const std::function<void(QDialog*)>&) override {}
    bool close_data_monitor() override { return true; }
    void refresh_data_monitor() override {}
    void log_cursor_moved(const pv::LogSide&) override { ++cursor_moves; }
    void log_channels_changed() override { ++channel_changes; }
    void log_window_closed(const pv::LogSide&) override { ++closed; }

  private:
    static std::optional<std::string> next(std::vector<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto v = q.front();
        q.erase(q.begin());
        return v;
    }
};

constexpr int32_t kRed = 0x0000FF;    // BGR
constexpr int32_t kGreen = 0x00FF00;  // BGR
constexpr int32_t kBack = 0xFFFFFF;

class LogWindow : public ::testing::TestWithParam<const pv::LogSide*> {
  protected:
    void SetUp() override {
        application();
        pv::settings = pv::Settings{};
        pv::settings.lang_id = pv::kLangEnglish;
        pv::InitState();
        pv::recording = pv::RecordingState{};
        pv::set_prompter(&prompts);
        auto& ch = side().channel_settings();
        for (auto& c : ch) c = {100, 0, 0, 0};
        ch[0] = {100, 0, kRed, 1};    // pressure 0..100 counts
        ch[3] = {100, 0, kGreen, 1};  // throttle
        ch[6] = {1, 0, 0x000000, 1};  // marking
        side().background() = kBack;
    }
    void TearDown() override {
        if (win) {
            win->close();
            QApplication::processEvents();
        }
        pv::set_prompter(nullptr);
    }
    const pv::LogSide& side() const { return *GetParam(); }

    // Samples k = 0..count-1: pressure k % 100, throttle 100 - k % 100, marking on at 3.
    std::string drive(int count) {
        Words body;
        for (int k = 0; k < count; ++k)
            body.insert(body.end(), {static_cast<uint16_t>(k % 100), 0, 30,
                                     static_cast<uint16_t>(100 - k % 100), 0, 100,
                                     static_cast<uint16_t>(k == 3 ? 255 : 0)});
        auto p = s.path("drive.PVL");
        logtest::write_words(p, cat({logtest::current_header(250, 1, 0), body}));
        return p;
    }
    // A window 200 x 100 pixels of chart showing `path`.
    pv::Tlog& open(const std::string& path) {
        win = new pv::Tlog(side(), host);
        win->resize(400, 200);
        win->show();
        QApplication::processEvents();
        const int extra_w = win->width() - win->pblog->width();
        const int extra_h = win->height() - win->pblog->height();
        win->resize(200 + extra_w, 100 + extra_h);
        QApplication::processEvents();
        EXPECT_EQ(win->pblog->width(), 200);
        EXPECT_EQ(win->pblog->height(), 100);
        if (!path.empty()) win->show_file(path);
        QApplication::processEvents();
        return *win;
    }
    QImage chart() {
        QImage img(win->pblog->size(), QImage::Format_RGB32);
        win->pblog->render(&img);
        return img;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& shown : prompts.shown) t.push_back(shown.text);
        return t;
    }

    logtest::Scratch s;
    pv::ScriptedPrompter prompts;
    FakeHost host;
    QPointer<pv::Tlog> win;
};

TEST_P(LogWindow, OpensEmptyWithThePlaceholder) {
    pv::Tlog& w = open({});
    EXPECT_EQ(w.windowTitle().toStdString(), pv::text(pv::Catalog::Log, side().placeholder_text));
    EXPECT_EQ(side().open(), 1);
    EXPECT_FALSE(w.btnzoomout->isEnabled());
    EXPECT_TRUE(w.btnzoomin->isEnabled());
    EXPECT_FALSE(w.btnlset->isEnabled());
    EXPECT_EQ(w.btnsave != nullptr, side().records);
    EXPECT_EQ(w.btnlogstart != nullptr, side().records);
    EXPECT_TRUE(prompts.shown.empty());
    w.close();
    QApplication::processEvents();
    EXPECT_EQ(side().open(), 0);
    EXPECT_EQ(host.closed, 1);
}

TEST_P(LogWindow, TheOpenDialogStartsWhereTheLastFileCameFrom) {
    const std::string file = drive(10);
    host.open_answers = {file};
    open({}).btnopen->click();
    ASSERT_EQ(win->windowTitle().toStdString(), file);
    win->close();
    QApplication::processEvents();

    open({}).btnopen->click();
    const std::string folder = std::filesystem::path(file).parent_path().string();
    EXPECT_EQ(host.open_initial.back(), folder + "/*.PVL");
    // Only the data log's folder goes into the settings file.
    EXPECT_EQ(pv::settings.log_dir, side().records ? folder : std::string());
}

TEST_P(LogWindow, LoadingShowsHeaderAndEnablesTheCommands) {
    pv::Tlog& w = open(drive(50));
    EXPECT_EQ(w.windowTitle().toStdString(), s.path("drive.PVL"));
    EXPECT_EQ(w.sblog->maximum(), 49);
    EXPECT_EQ(w.sbdata->maximum(), 3);
    EXPECT_TRUE(w.lblogdate->isVisible());
    EXPECT_EQ(w.lblogdate->text(), QStringLiteral("2024/3/7"));
    EXPECT_EQ(w.lblogtime->text(), QStringLiteral("9:05:02"));
    EXPECT_TRUE(w.btnlset->isEnabled());
    if (w.btnsave) {
        EXPECT_TRUE(w.btnsave->isEnabled());
    }
    EXPECT_GE(host.channel_changes, 1);
    EXPECT_TRUE(pv::channel_present[pv::ch_throttle - 1]);
}

TEST_P(LogWindow, ChartShowsTracesMarkingAndTheInvertedCursor) {
    pv::Tlog& w = open(drive(500));
    QImage img = chart();
    // Sample 10 at x = 10: pressure 10 -> y 90, throttle 90 -> y 10.
    EXPECT_EQ(img.pixelColor(10, 90), pv::log_color(kRed));
    EXPECT_EQ(img.pixelColor(10, 10), pv::log_color(kGreen));
    EXPECT_EQ(img.pixelColor(10, 50), pv::log_color(kBack));
    // The marking bar of sample 3 around x = 3 at the top.
    EXPECT_EQ(img.pixelColor(3, 2), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(8, 2), pv::log_color(kBack));
    // The cursor at x = 0 inverts the white background to black.
    EXPECT_EQ(img.pixelColor(0, 50), QColor(Qt::black));

    // Clicking moves it: the old line is gone, the new one inverts.
    QTest::mouseClick(w.pblog, Qt::LeftButton, {}, QPoint(40, 50));
    QApplication::processEvents();
    img = chart();
    EXPECT_EQ(img.pixelColor(0, 50), pv::log_color(kBack));
    EXPECT_EQ(img.pixelColor(40, 50), QColor(Qt::black));
    EXPECT_EQ(w.viewer().view().cursor, 40);
    EXPECT_TRUE(w.sblog->hasFocus());
}

TEST_P(LogWindow, AOneSampleFileShowsNothing) {
    pv::Tlog& w = open(drive(1));
    QImage img = chart();
    for (int x : {0, 50, 150}) EXPECT_EQ(img.pixelColor(x, 50), pv::log_color(kBack)) << x;
    EXPECT_EQ(w.sblog->maximum(), 0);
}

TEST_P(LogWindow, ClicksBeyondTheLastSampleAndScrollingPullTheCursorBack) {
    pv::Tlog& w = open(drive(60));
    QTest::mouseClick(w.pblog, Qt::LeftButton, {}, QPoint(150, 50));
    EXPECT_EQ(pv::cursor_sample(w.viewer().view()), 59);

    w.sblog->setValue(0);
    QTest::mouseClick(w.pblog, Qt::LeftButton, {}, QPoint(30, 50));
    EXPECT_EQ(w.viewer().view().cursor, 30);
    // The arrow keys scroll once the scroll bar has the focus.
    QTest::keyClick(w.sblog, Qt::Key_Right);
    EXPECT_EQ(w.viewer().view().first, 1);
    QTest::keyClick(w.sblog, Qt::Key_Left);
    EXPECT_EQ(w.viewer().view().first, 0);
    w.sblog->setValue(50);
    EXPECT_EQ(w.viewer().view().cursor, 9);
    EXPECT_EQ(pv::cursor_sample(w.viewer().view()), 59);
}

TEST_P(LogWindow, ZoomButtonsStopAtTheirLimits) {
    pv::Tlog& w = open(drive(600));
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(w.btnzoomin->isEnabled());
        w.btnzoomin->click();
    }
    EXPECT_EQ(w.viewer().view().zoom, 64);
    EXPECT_FALSE(w.btnzoomin->isEnabled());
    EXPECT_TRUE(w.btnzoomout->isEnabled());
    EXPECT_EQ(w.viewer().view().columns, 200 / 64 + 1);
    // Sample 1 now lies at x = 64: pressure 1 -> y 99.
    EXPECT_EQ(chart().pixelColor(64, 99), pv::log_color(kRed));
    for (int k = 0; k < 6; ++k) w.btnzoomout->click();
    EXPECT_EQ(w.viewer().view().zoom, 1);
    EXPECT_FALSE(w.btnzoomout->isEnabled());
    EXPECT_TRUE(w.btnzoomin->isEnabled());
}

// Pixels of the button's own rendering that differ from its background: its glyph.
int glyph_pixels(QToolButton* b) {
    QImage img(b->size(), QImage::Format_RGB32);
    img.fill(b->palette().color(QPalette::Window));
    b->render(&img, {}, {}, QWidget::DrawChildren);
    const QColor back = b->palette().color(QPalette::Window);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::abs(c.red() - back.red()) + std::abs(c.green() - back.green()) +
                    std::abs(c.blue() - back.blue()) >
                60)
                ++n;
        }
    return n;
}

TEST_P(LogWindow, ZoomButtonsShowAGlyphWithoutHover) {
    pv::Tlog& w = open(drive(600));
    // Minimize starts disabled, Maximize enabled; after one zoom both are enabled.
    for (int step = 0; step < 2; ++step) {
        for (QToolButton* b : {w.btnzoomout, w.btnzoomin}) {
            const std::string name = b->objectName().toStdString();
            ASSERT_FALSE(b->underMouse()) << name;
            EXPECT_FALSE(b->icon().isNull()) << name;
            EXPECT_FALSE(b->icon().availableSizes().isEmpty()) << name;
            EXPECT_GT(glyph_pixels(b), 20) << name << (b->isEnabled() ? " enabled" : " disabled");
        }
        w.btnzoomin->click();
    }
}

TEST_P(LogWindow, LogLinkPushesTheCursorValuesIntoTheSidesLiveValues) {
    pv::Tlog& w = open(drive(60));
    pv::live = pv::LiveValues{};
    pv::other_live = pv::LiveValues{};
    QTest::mouseClick(w.pblog, Qt::LeftButton, {}, QPoint(20, 50));
    QApplication::processEvents();
    EXPECT_EQ(host.cursor_moves, 0);

    pv::state.log_link = 1;
    w.log_link_changed();
    EXPECT_EQ(host.cursor_moves, 6);
    EXPECT_EQ(side().live_target->live_boost, 20);
    EXPECT_EQ(side().live_target->live_throttle, 80);
    EXPECT_EQ(side().live_target->marking, 0);
    // Every cursor move sends the new values.
    QTest::mouseClick(w.pblog, Qt::LeftButton, {}, QPoint(33, 50));
    EXPECT_EQ(side().live_target->live_boost, 33);
    EXPECT_EQ(host.cursor_moves, 12);
    pv::state.log_link = 0;
}

TEST_P(LogWindow, AFileThatVanishesIsReportedOnceAndForgotten) {
    pv::Tlog& w = open(drive(60));
    std::filesystem::remove(s.path("drive.PVL"));
    w.repaint_all();
    w.pblog->repaint();
    QApplication::processEvents();
    w.pblog->repaint();
    QApplication::processEvents();
    EXPECT_EQ(texts(), std::vector<std::string>{s.path("drive.PVL") + " cannot be found."});
    EXPECT_FALSE(w.viewer().shows_file());
}

TEST_P(LogWindow, RefusesAFileWithoutChannels) {
    Words h = logtest::current_header(100, 1, 0);
    h[0] = 0;
    logtest::write_words(s.path("zero.PVL"), cat({h, Words(40, 1)}));
    pv::Tlog& w = open(s.path("zero.PVL"));
    EXPECT_EQ(texts(), std::vector<std::string>{pv::msg_text(1)});
    EXPECT_FALSE(w.viewer().shows_file());
    EXPECT_FALSE(w.btnlset->isEnabled());
}

TEST_P(LogWindow, ControlsCarryAccessibleNamesInTabOrder) {
    pv::Tlog& w = open(drive(10));
    for (QWidget* c : std::initializer_list<QWidget*>{w.btnopen, w.btnzoomin, w.btnzoomout,
                                                      w.btnlset, w.sblog, w.sbdata, w.pblog}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << c->objectName().toStdString();
    }
    EXPECT_EQ(w.btnopen->nextInFocusChain(),
              w.btnsave ? static_cast<QWidget*>(w.btnsave) : static_cast<QWidget*>(w.btnlset));
}

// A reader hears both columns as rows read across, the chart as where its cursor stands,
// and each cursor move as the lines that changed; the chart's keys move the cursor.
TEST_P(LogWindow, AReaderHearsTheRowsAndTheCursorWhichTheKeysMove) {
    pv::Tlog& w = open(drive(600));
    std::vector<QString> heard;
    pv::listen_to_announcements([&](QAccessibleEvent& e) {
        if (e.type() == QAccessible::NameChanged)
            heard.push_back(e.accessibleInterface()->text(QAccessible::Name));
    });
    const auto lines = [](QWidget* box) {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(box);
        QStringList out;
        for (int k = 0; k < list->childCount(); ++k)
            out << list->child(k)->text(QAccessible::Name);
        return out;
    };
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(w.pblog);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.pbdata)->role(), QAccessible::List);
    EXPECT_EQ(lines(w.pbname).front(), QStringLiteral("Log Time"));
    QStringList values = lines(w.pbdata);
    ASSERT_GE(values.size(), 5);
    EXPECT_EQ(values[1], QStringLiteral("Past Time 0.00"));
    EXPECT_EQ(chart->text(QAccessible::Name), QStringLiteral("Log chart, sample 0 of 599 at 0.00 s"));
    EXPECT_NE(chart->text(QAccessible::Description).indexOf(QStringLiteral("Channels drawn: ")), -1);

    w.pblog->setFocus();
    for (int k = 0; k < 5; ++k) QTest::keyClick(w.pblog, Qt::Key_Right);
    EXPECT_EQ(pv::cursor_sample(w.viewer().view()), 5);
    EXPECT_TRUE(heard.empty()) << "nothing is said before the pause";
    pv::announce_pending();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), QStringLiteral("Past Time 1.25")), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(),
                         QStringLiteral("Log chart, sample 5 of 599 at 1.25 s")),
              1);
    EXPECT_TRUE(lines(w.pbdata).contains(QStringLiteral("Past Time 1.25")));

    // The view follows the cursor past its edge; End and Home reach the ends.
    QTest::keyClick(w.pblog, Qt::Key_End);
    EXPECT_EQ(pv::cursor_sample(w.viewer().view()), 599);
    EXPECT_GT(w.viewer().view().first, 0);
    QTest::keyClick(w.pblog, Qt::Key_Home);
    EXPECT_EQ(pv::cursor_sample(w.viewer().view()), 0);
    EXPECT_EQ(w.viewer().view().first, 0);
    QTest::keyClick(w.pblog, Qt::Key_Plus);
    EXPECT_EQ(w.viewer().view().zoom, 2);
    pv::listen_to_announcements({});
}

struct Placed {
    QToolButton* button;
    int x;
    const char* hint;
};

// The button panel from left to right, the tab order following it, and the comparison log's
// title over its left panel.
TEST_P(LogWindow, ButtonsTitleAndTabOrderFollowTheSidesForm) {
    pv::Tlog& w = open(drive(10));
    const bool comparison = &side() == &pv::comparison_log_side;
    std::vector<Placed> expected;
    if (comparison)
        expected = {{w.btnopen, 0, "Open Comparison Log File"},
                    {w.btnlset, 31, "Display Setting"},
                    {w.btnzoomout, 62, "Minimize"},
                    {w.btnzoomin, 93, "Maximize"}};
    else
        expected = {{w.btnopen, 0, "Open Log File"},
                    {w.btnsave, 31, "Save Log File"},
                    {w.btnzoomout, 62, "Minimize"},
                    {w.btnzoomin, 93, "Maximize"},
                    {w.btnlset, 124, "Display Setting"}};
    EXPECT_EQ(w.pnlbtn->findChildren<QToolButton*>().size(), expected.size());
    std::vector<QWidget*> tabs;
    for (const Placed& p : expected) {
        ASSERT_NE(p.button, nullptr) << p.hint;
        EXPECT_EQ(p.button->geometry(), QRect(p.x, 0, 31, 30)) << p.hint;
        EXPECT_EQ(p.button->toolTip().toStdString(), p.hint);
        tabs.push_back(p.button);
    }
    if (w.btnlogstart) tabs.push_back(w.btnlogstart);
    tabs.push_back(w.sbdata);
    tabs.push_back(w.pblog);
    tabs.push_back(w.sblog);
    std::vector<QWidget*> chain;
    for (QWidget* f = w.btnopen; chain.size() < tabs.size(); f = f->nextInFocusChain())
        if (f->focusPolicy() & Qt::TabFocus) chain.push_back(f);
    EXPECT_EQ(chain, tabs);

    auto* title = w.findChild<QLabel*>(QStringLiteral("Panel3"));
    EXPECT_EQ(title != nullptr, comparison);
    if (!title) return;
    QWidget* left = title->parentWidget();
    EXPECT_EQ(left->objectName(), QStringLiteral("Panel2"));
    EXPECT_EQ(left, w.Panel1->parentWidget());
    EXPECT_EQ(title->geometry(), QRect(0, 0, left->width(), 24));
    EXPECT_EQ(w.Panel1->y(), 24);
    EXPECT_EQ(title->text(), QStringLiteral("Comparison Log"));
    QImage img(title->size(), QImage::Format_RGB32);
    title->render(&img);
    EXPECT_EQ(img.pixelColor(4, 12), QColor(0x00, 0xFF, 0xFF));
}

INSTANTIATE_TEST_SUITE_P(BothSides, LogWindow,
                         ::testing::Values(&pv::data_log_side, &pv::comparison_log_side));

class DataLogWindow : public LogWindow {};

TEST_P(DataLogWindow, SavesACopyThenShowsItAndExportsText) {
    pv::Tlog& w = open(drive(20));
    host.save_answers = {s.path("copy.PVL"), s.path("copy.TXT"), s.path("copy.PVL")};
    w.btnsave->click();
    EXPECT_EQ(w.windowTitle().toStdString(), s.path("copy.PVL"));
    EXPECT_EQ(logtest::read_all(s.path("copy.PVL")), logtest::read_all(s.path("drive.PVL")));
    w.btnsave->click();
    EXPECT_EQ(logtest::read_all(s.path("copy.TXT")).substr(0, 34),
              "Recorded by Pavex Dravlo Ver. 1.15");
    EXPECT_EQ(w.windowTitle().toStdString(), s.path("copy.PVL"));
    // Onto itself: nothing is written, nothing is said.
    w.btnsave->click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(w.pnlbtn->isEnabled());
    EXPECT_EQ(pv::recording.logging_active, 0);
}

TEST_P(DataLogWindow, AFailedSaveSaysSoAndRestoresThePanels) {
    pv::Tlog& w = open(drive(20));
    host.save_answers = {s.path("no/dir/copy.PVL")};
    w.btnsave->click();
    EXPECT_EQ(texts(), std::vector<std::string>{pv::msg_text(2)});
    EXPECT_TRUE(w.pnlbtn->isEnabled());
    EXPECT_TRUE(w.pnldraw->isEnabled());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.windowTitle().toStdString(), s.path("drive.PVL"));
}

TEST_P(DataLogWindow, NothingPaintsWhileRecordingOrSaving) {
    open(drive(50));
    pv::recording.logging_active = 1;
    EXPECT_EQ(chart().pixelColor(10, 90), pv::log_color(kBack));
    pv::recording.logging_active = 0;
    EXPECT_EQ(chart().pixelColor(10, 90), pv::log_color(kRed));
}

INSTANTIATE_TEST_SUITE_P(DataLog, DataLogWindow, ::testing::Values(&pv::data_log_side));

}  // namespace
