// Top-level windows under a window manager: every dialog is wide enough for its whole caption
// in both languages, and the stay-on-top data monitor stands below a modal dialog while it
// runs instead of hiding it.
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QWindow>

#include "app/common/modal.h"
#include "app/common/qt_prompter.h"
#include "app/logging/lset.h"
#include "app/logging/mnt.h"
#include "app/params/prm.h"
#include "app/shell/vsn.h"
#include "app_fixture.h"
#include "core/logging/log_channels.h"
#include "core/ui/texts.h"

namespace pv::test {
namespace {

// What a frame takes beside its title text under openbox's default theme (the icon, three
// buttons and the margins come to about 75 pixels), with some to spare.
constexpr int kFrameRoom = 100;

// The caption's text as a title bar draws it, in the platform's title font made bold as
// window managers draw it.
int title_text_width(const QString& shown) {
    QFont f = QApplication::font("QMdiSubWindowTitleBar");
    f.setBold(true);
    return QFontMetrics(f).horizontalAdvance(shown);
}

struct SeenDialog {
    QString caption;
    int width = 0;
    bool box = false;  // a message box
};

class Captions : public AppTest, public ::testing::WithParamInterface<uint16_t> {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        settings.lang_id = GetParam();
        set_modal_runner([this](QDialog& d) { return look(d); });
    }
    void TearDown() override {
        set_modal_runner({});
        set_prompter(&prompts);
        delete recorder.data();
        AppTest::TearDown();
    }

    // Shows the dialog as it would open, notes its caption and width, and closes it: the
    // one-line input with a text that is no number.
    int look(QDialog& d) {
        d.show();
        QApplication::processEvents();
        seen.push_back({d.windowTitle(), d.width(), qobject_cast<QMessageBox*>(&d) != nullptr});
        if (auto* input = qobject_cast<QInputDialog*>(&d)) {
            input->setTextValue(QStringLiteral("x"));
            input->accept();
        } else {
            d.reject();
        }
        return d.result();
    }

    void open_every_dialog() {
        start();
        main->menunewClick();
        // The message boxes and the one-line input of the program itself.
        set_prompter(&qt_prompts);
        main->action("menuconst")->trigger();
        set_prompter(&prompts);
        main->action("menuparam")->trigger();
        main->action("menuvsn")->trigger();
        LogHeader h;
        h.n = 7;
        for (int k = 0; k < 7; ++k) h.ch[static_cast<size_t>(k)] = static_cast<uint8_t>(k + 1);
        const ColorChooser no_colour = [](QWidget*, int32_t, const std::optional<int32_t>&) {
            return std::optional<int32_t>();
        };
        Tlsetdlg::run(data_log_side, h, no_colour, main.get());
        Tlsetdlg::run(comparison_log_side, h, no_colour, main.get());
        // The recording window is sized when it is made, before the log command runs it.
        state.monitor_log_mode = 1;
        recorder = new Tmntdlg(main.get());
        recorder->show();
        QApplication::processEvents();
        seen.push_back({recorder->windowTitle(), recorder->width()});
    }

    void expect_fit(const SeenDialog& s, const QString& shown) const {
        EXPECT_GE(s.width, title_text_width(shown) + kFrameRoom)
            << "\"" << shown.toStdString() << "\" is " << s.width << " wide";
    }

    QtPrompter qt_prompts;
    std::vector<SeenDialog> seen;
    QPointer<Tmntdlg> recorder;
};

std::string captions_of(const std::vector<SeenDialog>& seen) {
    std::string all;
    for (const SeenDialog& s : seen) all += "\"" + s.caption.toStdString() + "\" ";
    return all;
}

TEST_P(Captions, EveryDialogIsWideEnoughForItsWholeCaption) {
    open_every_dialog();
    ASSERT_EQ(seen.size(), 7u) << captions_of(seen);
    // The captions are the given texts alone: no program name is added to them.
    const bool ja = GetParam() == kLangJapanese;
    const std::vector<QString> captions = {
        ja ? QString::fromUtf8("定数加算") : QStringLiteral("Constant Trim"),
        QStringLiteral("Parameter Setting"),
        QStringLiteral("About"),
        ja ? QString::fromUtf8("表示設定(ログ)") : QStringLiteral("Display Setting(Log)"),
        ja ? QString::fromUtf8("表示設定(比較ログ)")
           : QStringLiteral("Display Setting(Comparison Log)"),
        ja ? QString::fromUtf8("ログ記録中... SPACEキーでマーキング、ESCキーで終了します。")
           : QStringLiteral("Logging... Mark with SPACE key. ESC to exit.")};
    // The trim's input, then the box that says its text is no number.
    ASSERT_TRUE(seen[1].box);
    EXPECT_EQ(seen[1].caption, QStringLiteral("Pavex Dravlo"));
    std::vector<QString> shown;
    for (const SeenDialog& s : seen)
        if (!s.box) shown.push_back(s.caption);
    EXPECT_EQ(shown, captions);
    for (const SeenDialog& s : seen) expect_fit(s, s.caption);
}

TEST_P(Captions, ADisplayNameQtAppendsIsMadeRoomFor) {
    // Qt appends a display name, once one is set, to every title that does not end with it.
    QApplication::setApplicationDisplayName(QStringLiteral("Pavex Dravlo"));
    open_every_dialog();
    QApplication::setApplicationDisplayName(QString());  // an empty name appends nothing
    ASSERT_EQ(seen.size(), 7u) << captions_of(seen);
    for (const SeenDialog& s : seen) {
        const QString shown = s.caption == QStringLiteral("Pavex Dravlo")
                                  ? s.caption
                                  : s.caption + QString::fromUtf8(" \u2014 Pavex Dravlo");
        expect_fit(s, shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, Captions, ::testing::Values(kLangEnglish, kLangJapanese),
                         [](const ::testing::TestParamInfo<uint16_t>& i) {
                             return i.param == kLangJapanese ? std::string("Japanese")
                                                             : std::string("English");
                         });

// The plain data monitor beside the main window while modal dialogs run over it.
class MonitorUnderDialogs : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        settings.monitor_width = 300;
        settings.monitor_height = 200;
    }
    void TearDown() override {
        set_modal_runner({});
        set_prompter(&prompts);
        delete monitor.data();
        AppTest::TearDown();
    }
    Tmntdlg& open_monitor() {
        state.monitor_log_mode = 0;
        monitor = new Tmntdlg(main.get());
        monitor->show();
        QApplication::processEvents();
        handle = monitor->windowHandle();
        frame = monitor->geometry();
        return *monitor;
    }
    bool monitor_on_top() const {
        return monitor && monitor->windowHandle() &&
               (monitor->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    }
    // The monitor as it was before: the same window, in the same place, on top again.
    void expect_monitor_back() const {
        ASSERT_TRUE(monitor);
        EXPECT_TRUE(monitor_on_top());
        EXPECT_TRUE(monitor->isVisible());
        EXPECT_EQ(monitor->windowHandle(), handle.data()) << "the window was made anew";
        EXPECT_EQ(monitor->geometry(), frame);
    }

    QtPrompter qt_prompts;
    QPointer<Tmntdlg> monitor;
    QPointer<QWindow> handle;
    QRect frame;
};

TEST_F(MonitorUnderDialogs, StandsBelowEachModalDialogWhileItRunsAndGoesBackOnTopAfter) {
    start();
    main->menunewClick();
    open_monitor();
    ASSERT_TRUE(monitor_on_top());

    std::vector<bool> on_top_while_open;
    std::vector<QRect> monitor_frames;
    set_modal_runner([&](QDialog& d) {
        d.show();
        QApplication::processEvents();
        on_top_while_open.push_back(monitor_on_top());
        monitor_frames.push_back(monitor->geometry());
        d.reject();
        return d.result();
    });
    main->action("menuparam")->trigger();
    expect_monitor_back();
    main->action("menuvsn")->trigger();
    expect_monitor_back();
    // The message boxes and the one-line input run the same way.
    set_prompter(&qt_prompts);
    main->action("menuconst")->trigger();
    expect_monitor_back();
    qt_prompts.message(Icon::Error, msg_text(9));
    expect_monitor_back();
    EXPECT_EQ(on_top_while_open, std::vector<bool>(4, false));
    EXPECT_EQ(monitor_frames, std::vector<QRect>(4, frame)) << "the monitor moved";
    // The window itself still asks to stay on top: only the window manager was told otherwise.
    EXPECT_TRUE(monitor->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MonitorUnderDialogs, ABoxOverADialogLeavesTheMonitorBelowUntilTheDialogEnds) {
    start();
    main->menunewClick();
    open_monitor();
    set_prompter(&qt_prompts);
    std::vector<bool> on_top;
    set_modal_runner([&](QDialog& d) {
        d.show();
        if (qobject_cast<Tprmdlg*>(&d)) {
            qt_prompts.message(Icon::Information, msg_text(9));
            on_top.push_back(monitor_on_top());  // after the box, inside the dialog
        }
        d.reject();
        return d.result();
    });
    main->action("menuparam")->trigger();
    EXPECT_EQ(on_top, std::vector<bool>{false});
    expect_monitor_back();
}

TEST_F(MonitorUnderDialogs, TheRecordingWindowKeepsOnTopWhileItRunsItself) {
    start();
    state.monitor_log_mode = 1;
    monitor = new Tmntdlg(main.get());
    bool on_top = false;
    set_modal_runner([&](QDialog& d) {
        d.show();
        on_top = monitor_on_top();
        d.reject();
        return d.result();
    });
    run_modal(*monitor);
    EXPECT_TRUE(on_top);
}

TEST_F(MonitorUnderDialogs, AMonitorThatClosesDuringTheDialogIsLetGo) {
    start();
    open_monitor();
    set_modal_runner([&](QDialog& d) {
        d.show();
        monitor->close();  // the link went off: the monitor frees itself
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        d.reject();
        return d.result();
    });
    main->action("menuvsn")->trigger();
    EXPECT_FALSE(monitor);
    EXPECT_EQ(state.monitor_open, 0);
}

}  // namespace
}  // namespace pv::test
