// The channel settings dialog as the user drives it, for the data log and the comparison log.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "app/common/modal.h"
#include "app/logging/log.h"
#include "app/logging/lset.h"
#include "core/document/unit.h"
#include "core/ui/texts.h"
#include "support/log_images.h"
#include "support/program.h"
#include "window_app.h"

namespace pv {
namespace {

using logtest::application;

struct ColorCall {
    int32_t initial;
    std::optional<int32_t> custom;
};

class LsetDialog : public ::testing::TestWithParam<const LogSide*> {
  protected:
    void SetUp() override {
        application();
        pvtest::reset_program();
        settings.lang_id = kLangEnglish;
        for (int c = 1; c <= kLogChannels; ++c)
            side().channel_settings()[c - 1] = {100 + c, 10 + c, 0x000010 * c, 1};
        side().channel_settings()[1].draw = 0;  // peak hold hidden
        side().background() = 0x00FFFF;
    }
    void TearDown() override { dlg.reset(); }

    const LogSide& side() const { return *GetParam(); }

    Tlsetdlg& open(std::vector<int> channels = {1, 2, 3, 4, 5, 6, 7}, LogScale file = {0, 0}) {
        dlg = std::make_unique<Tlsetdlg>(
            side(), channels, file,
            [this](QWidget*, int32_t initial, const std::optional<int32_t>& custom) {
                color_calls.push_back({initial, custom});
                std::optional<int32_t> answer;
                if (!color_answers.empty()) {
                    answer = color_answers.front();
                    color_answers.erase(color_answers.begin());
                }
                return answer;
            });
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
        return *dlg;
    }
    template <typename T>
    T* child(const char* name) const {
        T* w = dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) const { return child<QLineEdit>(name); }
    void click_row(int index, Qt::KeyboardModifiers mods = {}) {
        auto* list = child<QListWidget>("lblset");
        QRect r = list->visualItemRect(list->item(index));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, mods, r.center());
    }
    // Types into an edit as the user does and ends with `key`.
    void type(const char* name, const QString& text, Qt::Key key = Qt::Key_Return) {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, key);
    }

    std::unique_ptr<Tlsetdlg> dlg;
    std::vector<std::optional<int32_t>> color_answers;
    std::vector<ColorCall> color_calls;
};

TEST_P(LsetDialog, OpensOnTheFirstRowOfTheShownFile) {
    open({3, 1, 7}, {1, 0});
    EXPECT_EQ(dlg->objectName().toStdString(), side().dialog_name);
    EXPECT_EQ(dlg->windowTitle().toStdString(), text(Catalog::Log, side().dialog_caption_text));
    auto* list = child<QListWidget>("lblset");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "RPM");
    EXPECT_EQ(list->item(2)->text(), "Marking");
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_EQ(edit("edmax")->text(), "10300");
    EXPECT_EQ(edit("edmin")->text(), " 1300");
    EXPECT_TRUE(child<QCheckBox>("cbdraw")->isChecked());
    EXPECT_EQ(child<QPushButton>("pnlbcolor")->property("color").toLongLong(), 0x00FFFF);
    EXPECT_EQ(dlg->height(), 230);
}

TEST_P(LsetDialog, LaysOutByLanguage) {
    for (uint16_t lang : {kLangEnglish, kLangJapanese}) {
        settings.lang_id = lang;
        open();
        const int w = QFontMetrics(dlg->font()).horizontalAdvance(QLatin1Char('A'));
        bool ja = lang == kLangJapanese;
        QRect list = child<QWidget>("lblset")->geometry();
        QRect panel = child<QWidget>("pnldisplayset")->geometry();
        EXPECT_EQ(list.width(), (ja ? 14 : 20) * w);
        EXPECT_EQ(panel.width(), (ja ? 15 : 21) * w);
        EXPECT_EQ(panel.left(), 2 * list.left() + list.width());
        EXPECT_EQ(child<QWidget>("edmax")->x(), (ja ? 6 : 11) * w);
        EXPECT_EQ(child<QWidget>("cbdraw")->width(), ja ? 50 : 81);
        QRect ok = child<QWidget>("btnok")->geometry();
        EXPECT_EQ(ok.left(), (ja ? 5 : 10) * w);
        EXPECT_EQ(child<QWidget>("btncancel")->x(), ok.right() + 1 + 2 * w);
        EXPECT_GE(dlg->width(), panel.right() + 1 + 2 * list.left());
        EXPECT_EQ(child<QCheckBox>("cbdraw")->text().toStdString(),
                  ja ? std::string("表示") : "Display");
    }
}

TEST_P(LsetDialog, TypedRevMaximumInSpeedIsShownAgainInKmh) {
    open({1, 3});
    click_row(1);
    type("edmax", "300");
    EXPECT_EQ(edit("edmax")->text(), "  300");
    EXPECT_EQ(dlg->work().rows()[1].rec.max, 150);
    type("edmax", "600", Qt::Key_Tab);
    EXPECT_EQ(edit("edmax")->text(), "  500");
    EXPECT_EQ(dlg->work().rows()[1].rec.max, 250);
}

// Leaving an edit reads its text back also when nothing was typed: the PSI row's " 12.3",
// shown for 1234 counts, is 1230 once the user has been in the edit and left it.
TEST_P(LsetDialog, LeavingAnEditReadsItsTextBackUntyped) {
    side().channel_settings()[1] = {1234, -567, 0x000020, 1};
    open({1, 2, 4}, {0, 1});
    click_row(1);
    ASSERT_EQ(edit("edmax")->text(), " 12.3");
    ASSERT_EQ(edit("edmin")->text(), " -5.7");
    QTest::mouseClick(edit("edmax"), Qt::LeftButton);
    ASSERT_TRUE(edit("edmax")->hasFocus());
    QTest::mouseClick(edit("edmin"), Qt::LeftButton);
    ASSERT_TRUE(edit("edmin")->hasFocus());
    EXPECT_EQ(edit("edmax")->text(), " 12.3");
    click_row(2);
    click_row(1);
    QTest::mouseClick(edit("edmax"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("btnok"), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(side().channel_settings()[1].max, 1230);
    EXPECT_EQ(side().channel_settings()[1].min, -570);
}

// What the user types is still taken as before, and the step keys step from the exact count.
TEST_P(LsetDialog, TypedAndSteppedPsiValuesAreTakenAsBefore) {
    side().channel_settings()[1] = {1234, -567, 0x000020, 1};
    open({1, 2}, {0, 1});
    click_row(1);
    QTest::mouseClick(edit("edmax"), Qt::LeftButton);
    QTest::keyClick(edit("edmax"), Qt::Key_Up);
    EXPECT_EQ(edit("edmax")->text(), " 12.3");
    EXPECT_EQ(dlg->work().rows()[1].rec.max, 1235);
    QTest::keyClick(edit("edmax"), Qt::Key_Return);
    EXPECT_EQ(dlg->work().rows()[1].rec.max, 1235);
    // Typing the text it already shows is a change of the user's: it is taken.
    type("edmin", "-5.7", Qt::Key_Tab);
    EXPECT_EQ(dlg->work().rows()[1].rec.min, -570);
    type("edmax", "20", Qt::Key_Tab);
    EXPECT_EQ(edit("edmax")->text(), " 20.0");
    EXPECT_EQ(dlg->work().rows()[1].rec.max, 2000);
    QTest::mouseClick(child<QPushButton>("btnok"), Qt::LeftButton);
    EXPECT_EQ(side().channel_settings()[1].max, 2000);
    EXPECT_EQ(side().channel_settings()[1].min, -570);
}

TEST_P(LsetDialog, ArrowKeysStepWithinTheBounds) {
    open({4});  // throttle, stored 14..104
    type("edmax", "99");
    QTest::keyClick(edit("edmax"), Qt::Key_Up);
    QTest::keyClick(edit("edmax"), Qt::Key_PageUp);
    EXPECT_EQ(edit("edmax")->text(), "100");
    type("edmin", "1");
    QTest::keyClick(edit("edmin"), Qt::Key_Down);
    QTest::keyClick(edit("edmin"), Qt::Key_PageDown);
    EXPECT_EQ(edit("edmin")->text(), "0");
    type("edmax", "0", Qt::Key_Down);
    EXPECT_EQ(edit("edmax")->text(), "1");
}

TEST_P(LsetDialog, SeveralRowsShareTheDisplayBoxAndLockColourAndEdits) {
    open();
    click_row(0);
    click_row(2, Qt::ControlModifier);
    EXPECT_FALSE(child<QPushButton>("pnlcolor")->isEnabled());
    EXPECT_FALSE(edit("edmax")->isEnabled());
    EXPECT_FALSE(edit("edmin")->isEnabled());
    auto* box = child<QCheckBox>("cbdraw");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    EXPECT_EQ(dlg->work().rows()[0].rec.draw, 0);
    EXPECT_EQ(dlg->work().rows()[2].rec.draw, 0);
    EXPECT_EQ(dlg->work().rows()[3].rec.draw, 1);
    // The marking row alone: colour yes, edits empty and off.
    click_row(6);
    EXPECT_TRUE(child<QPushButton>("pnlcolor")->isEnabled());
    EXPECT_FALSE(edit("edmax")->isEnabled());
    EXPECT_EQ(edit("edmax")->text(), "");
}

TEST_P(LsetDialog, HiddenChannelsAreDrawnInSilver) {
    open({1, 2});  // channel 2 hidden
    auto* list = child<QListWidget>("lblset");
    QImage shot = list->viewport()->grab().toImage();
    QRect hidden = list->visualItemRect(list->item(1));
    // Unselected and hidden: silver text on the list's background somewhere in the row.
    bool silver_text = false;
    for (int x = hidden.left(); x < hidden.right(); ++x)
        for (int y = hidden.top(); y < hidden.bottom(); ++y)
            silver_text |= shot.pixelColor(x, y) == QColor(0xC0, 0xC0, 0xC0);
    EXPECT_TRUE(silver_text);
    click_row(1);
    shot = list->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(hidden.right() - 2, hidden.bottom() - 2), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(hidden.height(), 18);
}

TEST_P(LsetDialog, ColoursComeFromTheColourDialogAndOkStoresThem) {
    open({5, 1});
    color_answers = {0x0000FF, std::nullopt, 0x123456};
    QTest::mouseClick(child<QPushButton>("pnlcolor"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("pnlcolor"), Qt::LeftButton);  // cancelled
    QTest::mouseClick(child<QPushButton>("pnlbcolor"), Qt::LeftButton);
    ASSERT_EQ(color_calls.size(), 3u);
    if (side().color_dialog_seed) {
        // The comparison log's colour dialog starts from its own colour, then the last chosen.
        EXPECT_EQ(color_calls[0].initial, 0xD8E9EC);
        EXPECT_EQ(color_calls[0].custom, 0xD8E9EC);
        EXPECT_EQ(color_calls[2].initial, 0x0000FF);
    } else {
        EXPECT_EQ(color_calls[0].initial, 0x000050);
        EXPECT_EQ(color_calls[2].initial, 0x00FFFF);
    }
    EXPECT_EQ(child<QPushButton>("pnlcolor")->property("color").toLongLong(), 0x0000FF);
    type("edmax", "100", Qt::Key_Tab);  // boost correction
    QTest::mouseClick(child<QPushButton>("btnok"), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(side().channel_settings()[4].color, 0x0000FF);
    EXPECT_EQ(side().channel_settings()[4].max, 100);
    EXPECT_EQ(side().background(), 0x123456);
    EXPECT_EQ(side().channel_settings()[0].color, 0x000010);
}

TEST_P(LsetDialog, CancelKeepsTheStoredSettings) {
    auto before = side().channel_settings();
    open({1});
    color_answers = {0x0000FF};
    QTest::mouseClick(child<QPushButton>("pnlbcolor"), Qt::LeftButton);
    type("edmax", "12.5");
    QTest::mouseClick(child<QPushButton>("btncancel"), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_EQ(side().channel_settings()[0].max, before[0].max);
    EXPECT_EQ(side().background(), 0x00FFFF);
}

TEST_P(LsetDialog, EveryControlHasAnAccessibleNameInTabOrder) {
    open();
    const char* order[] = {"lblset", "cbdraw",    "pnlcolor", "edmax",
                           "edmin",  "pnlbcolor", "btnok",    "btncancel"};
    QWidget* w = child<QWidget>("lblset");
    for (const char* name : order) {
        ASSERT_EQ(w->objectName().toStdString(), name);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << name;
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus) w = w->nextInFocusChain();
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(child<QWidget>("edmin"))
                  ->text(QAccessible::Name)
                  .toStdString(),
              "Minimum");
}

// The dialog as the log window's Display Setting button opens it, for the log it shows.
class SettingsHost : public LogWindowHost {
  public:
    std::optional<int32_t> color_answer;
    std::optional<std::string> open_log_file(QWidget*, const std::string&, uint32_t) override {
        return std::nullopt;
    }
    std::optional<std::string> save_log_file(QWidget*, const std::string&) override {
        return std::nullopt;
    }
    bool run_log_settings(QWidget* parent, const LogSide& side, const LogHeader& h) override {
        return Tlsetdlg::run(
            side, h,
            [this](QWidget*, int32_t, const std::optional<int32_t>&) { return color_answer; },
            parent);
    }
    void run_recording_monitor(const std::function<void(QDialog*)>&) override {}
    bool close_data_monitor() override { return true; }
    void refresh_data_monitor() override {}
    void log_cursor_moved(const LogSide&) override {}
    void log_channels_changed() override {}
    void log_window_closed(const LogSide&) override {}
};

TEST_P(LsetDialog, DisplaySettingButtonOfTheLogWindowAppliesTheChoices) {
    logtest::Scratch scratch;
    logtest::Words body;
    for (int k = 0; k < 50; ++k) body.insert(body.end(), {10, 20, 30, 40, 0, 100, 0});
    std::string path = scratch.path("drive.PVL");
    logtest::write_words(path, logtest::cat({logtest::current_header(100, 0, 0), body}));

    SettingsHost host;
    QPointer<Tlog> win = new Tlog(side(), host);
    win->show();
    win->show_file(path);
    QApplication::processEvents();
    ASSERT_TRUE(win->btnlset->isEnabled());
    const int rows = win->sbdata->maximum();  // the drawn channels

    std::string seen_title;
    host.color_answer = 0x00FF00;
    set_modal_runner([&](QDialog& d) {
        seen_title = d.objectName().toStdString();
        d.show();
        auto* list = d.findChild<QListWidget*>("lblset");
        list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);  // pressure
        d.findChild<QCheckBox*>("cbdraw")->click();                   // hidden now
        d.findChild<QPushButton*>("pnlbcolor")->click();
        d.findChild<QPushButton*>("btnok")->click();
        return d.result();
    });
    win->btnlset->click();
    set_modal_runner({});

    EXPECT_EQ(seen_title, side().dialog_name);
    EXPECT_EQ(side().channel_settings()[0].draw, 0);
    EXPECT_EQ(side().background(), 0x00FF00);
    EXPECT_EQ(win->sbdata->maximum(), rows - 1);
    EXPECT_EQ(win->pnldraw->palette().color(QPalette::Window), QColor(0, 0xFF, 0));
    win->close();
    QApplication::processEvents();
}

INSTANTIATE_TEST_SUITE_P(BothSides, LsetDialog,
                         ::testing::Values(&data_log_side, &comparison_log_side),
                         [](const auto& p) { return std::string(p.param->window_name); });

}  // namespace
}  // namespace pv
