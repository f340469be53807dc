// The parameter dialog offscreen: what the user sees after typing, stepping, clicking and
// picking, what OK writes, and what a screen reader is told.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "app/params/prm.h"
#include "support/link_support.h"

namespace {

using pv::PrmField;
using pv::Tprmdlg;

QApplication& application() {
    static int argc = 1;
    static char name[] = "prmdlg_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

class PrmDialog : public linktest::LinkTest {
  protected:
    void SetUp() override {
        application();
        LinkTest::SetUp();
        pv::settings.lang_id = pv::kLangEnglish;
    }
    void TearDown() override {
        dlg.reset();
        LinkTest::TearDown();
    }

    Tprmdlg& open(bool is_new) {
        pv::state.doc_is_new = is_new;
        dlg = std::make_unique<Tprmdlg>();
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        return *dlg;
    }
    QLineEdit* ed(PrmField f) { return dlg->field(f); }
    std::string text(PrmField f) { return ed(f)->text().toStdString(); }
    void show_page_of(QWidget* w) {
        for (int k = 0; k < dlg->pcprm->count(); ++k)
            if (dlg->pcprm->widget(k)->isAncestorOf(w)) dlg->pcprm->setCurrentIndex(k);
    }
    // Clicks into the field, types over its text and leaves it with Tab.
    void type(PrmField f, const QString& t) {
        enter(f);
        ed(f)->selectAll();
        QTest::keyClicks(ed(f), t);
        QTest::keyClick(ed(f), Qt::Key_Tab);
    }
    void enter(PrmField f) {
        show_page_of(ed(f));
        ed(f)->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(ed(f)->hasFocus());
    }
    // Typing characters beyond ASCII, which QTest's key clicks do not know.
    static void keys(QWidget* w, const QString& t) {
        for (QChar c : t) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
        }
    }
    static QString name_of(QWidget* w) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Name) : QString();
    }
    // The caption a screen reader announces with a control (its "labelled by" relation).
    static QString label_of(QWidget* w) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a) return {};
        auto labels = a->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.front().first->text(QAccessible::Name);
    }

    std::unique_ptr<Tprmdlg> dlg;
};

TEST_F(PrmDialog, NewDocumentOpensEverythingForSetup) {
    Tprmdlg& d = open(true);
    EXPECT_EQ(d.windowTitle(), "Parameter Setting");
    EXPECT_TRUE(d.cbunit_select->isEnabled());
    EXPECT_TRUE(d.cbext_bypass->isEnabled());
    EXPECT_TRUE(ed(PrmField::normal_boost)->isEnabled());
    EXPECT_TRUE(ed(PrmField::first_boost)->isEnabled());
    EXPECT_TRUE(ed(PrmField::up_boost_offset)->isEnabled());
    EXPECT_EQ(d.cbcyls->currentText(), " 4");
    EXPECT_EQ(d.cbaxis_select_no->itemText(4), " RPM +Throttle");
    EXPECT_EQ(d.cbsampling_time->currentText(), " 4");
    EXPECT_EQ(d.cbbarselect->currentText(), " Boost A");
    EXPECT_EQ(text(PrmField::barmaxset), "250");
    EXPECT_EQ(d.lbkpaorpsi[2]->text(), "[kPa]");
    EXPECT_EQ(ed(PrmField::setboost_a)->toolTip(), "Max:250[kpa]");
    EXPECT_EQ(ed(PrmField::sbc_boost)->toolTip(), "Max:120[kPa]");
    EXPECT_TRUE(d.rdwarning_on->isChecked());
    EXPECT_TRUE(d.rddropboost_off->isChecked());
    EXPECT_FALSE(ed(PrmField::drop_boost)->isEnabled());
    EXPECT_EQ(d.lbvalvetype->text(), ": SWING");
    EXPECT_EQ(d.lbxaxistype->text(), ": ---");
    EXPECT_EQ(d.lbpower->text(), ": ---");
    EXPECT_EQ(pv::unit.derived_status_word, 0x1020);
}

TEST_F(PrmDialog, OpenedDocumentShowsSetupDisabledAndRemembersThePage) {
    pv::data.pressure_unit = 1;
    pv::data.setboost_a = 125;
    pv::data.warning_boost = 361;
    pv::data.status_word = 0x4000;
    Tprmdlg& d = open(false);
    EXPECT_FALSE(d.cbunit_select->isEnabled());
    EXPECT_FALSE(d.cbext_bypass->isEnabled());
    EXPECT_FALSE(ed(PrmField::normal_boost)->isEnabled());
    EXPECT_EQ(d.cbunit_select->currentText(), "PSI");
    EXPECT_EQ(text(PrmField::setboost_a), "12.5");
    EXPECT_EQ(d.lbkpaorpsi[0]->text(), "[PSI]");
    EXPECT_TRUE(d.rdwarning_off->isChecked());
    EXPECT_FALSE(ed(PrmField::warning_boost)->isEnabled());
    EXPECT_EQ(text(PrmField::warning_boost), "36.0");
    EXPECT_EQ(d.lbstudy->text(), ": Finish");
    EXPECT_EQ(d.lbpower->text(), ": ---");
    EXPECT_EQ(d.pcprm->currentWidget(), d.tsbasic);

    d.pcprm->setCurrentWidget(d.tsmemo);
    d.btncancel->click();
    open(false);
    EXPECT_EQ(dlg->pcprm->currentWidget(), dlg->tsmemo);
}

TEST_F(PrmDialog, LinkedUnitsStatusDecidesTheValveCondition) {
    pvsim::Options o;
    o.mode_b = true;
    start_unit(o);
    LinkTest::open();
    pv::state.link_on = 1;
    Tprmdlg& d = open(true);
    EXPECT_EQ(d.lbpower->text(), ": ON");
    // A reader hears each value with its caption.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(d.lbpower)->text(QAccessible::Name),
              QStringLiteral("Control: ON"));
    EXPECT_EQ(d.lbstudy->text(), ": Finish");
    EXPECT_EQ(d.lbstudyno->text(), ": First");
    EXPECT_EQ(d.lbselect->text(), ": Mode B");
    EXPECT_EQ(d.lbxaxistype->text(), ": RPM");
    EXPECT_EQ(d.lbyaxis->text(), ": OFF");
    // The lists preview what the unit will do once it has the new set.
    d.cbaxis_select_no->setCurrentIndex(5);
    EXPECT_EQ(d.lbxaxistype->text(), ": Speed");
    EXPECT_EQ(d.lbxaxis->text(), ": ON");
    EXPECT_EQ(d.lbyaxis->text(), ": ON");
    d.cbext_bypass->setCurrentIndex(1);
    EXPECT_EQ(d.lbvalvetype->text(), ": POPET");
    pv::state.link_on = 0;
}

TEST_F(PrmDialog, TypedTextsAreSettledOnLeavingAndOnEnter) {
    pv::data.normal_boost = 120;
    open(true);
    type(PrmField::setboost_a, "300");
    EXPECT_EQ(text(PrmField::setboost_a), "250");
    type(PrmField::setboost_a, "10");
    EXPECT_EQ(text(PrmField::setboost_a), "120");
    type(PrmField::offset_b, "abc");
    EXPECT_EQ(text(PrmField::offset_b), "100");
    type(PrmField::normal_boost, "150");
    EXPECT_EQ(text(PrmField::setboost_a), "150");
    EXPECT_EQ(text(PrmField::setboost_b), "150");
    EXPECT_EQ(text(PrmField::first_boost), "150");

    enter(PrmField::sbc_time);
    ed(PrmField::sbc_time)->selectAll();
    QTest::keyClicks(ed(PrmField::sbc_time), "75");
    QTest::keyClick(ed(PrmField::sbc_time), Qt::Key_Return);
    EXPECT_EQ(text(PrmField::sbc_time), "60");
    EXPECT_TRUE(dlg->isVisible());  // Enter does not close the dialog
    EXPECT_TRUE(ed(PrmField::sbc_time)->hasFocus());
}

TEST_F(PrmDialog, ArrowsAndPageKeysStep) {
    pv::data.barselect = pv::bar_rpm;
    pv::data.barmaxset = 119;
    open(false);
    EXPECT_EQ(dlg->lbkpaorpsi[2]->text(), "[rpm]");
    EXPECT_EQ(ed(PrmField::barmaxset)->toolTip(), "Max:12000[rpm]");
    enter(PrmField::barmaxset);
    QTest::keyClick(ed(PrmField::barmaxset), Qt::Key_Up);
    EXPECT_EQ(text(PrmField::barmaxset), "12000");
    QTest::keyClick(ed(PrmField::barmaxset), Qt::Key_PageUp);
    EXPECT_EQ(text(PrmField::barmaxset), "12000");
    QTest::keyClick(ed(PrmField::barmaxset), Qt::Key_PageDown);
    QTest::keyClick(ed(PrmField::barmaxset), Qt::Key_Down);
    EXPECT_EQ(text(PrmField::barmaxset), "11800");
    enter(PrmField::offset_a);
    QTest::keyClick(ed(PrmField::offset_a), Qt::Key_Down);
    EXPECT_EQ(text(PrmField::offset_a), "99");

    dlg->cbbarselect->setCurrentIndex(pv::bar_speed);  // 118 hundreds of rpm is too far
    EXPECT_EQ(text(PrmField::barmaxset), "500");
    EXPECT_EQ(dlg->lbkpaorpsi[2]->text(), "[km/h]");
    type(PrmField::barmaxset, "123");
    EXPECT_EQ(text(PrmField::barmaxset), "120");
    dlg->btnok->click();
    EXPECT_EQ(pv::data.barmaxset, 12);
}

TEST_F(PrmDialog, PressureUnitSwitchBothWays) {
    pv::data.setboost_a = 200;
    pv::data.setboost_b = 250;
    pv::data.warning_boost = 251;
    Tprmdlg& d = open(true);
    d.cbunit_select->setCurrentIndex(1);
    EXPECT_EQ(text(PrmField::setboost_a), "20.0");
    EXPECT_EQ(text(PrmField::setboost_b), "36.0");
    EXPECT_EQ(text(PrmField::warning_boost), "36.0");
    EXPECT_FALSE(ed(PrmField::warning_boost)->isEnabled());
    EXPECT_EQ(d.lbkpaorpsi[0]->text(), "[PSI]");
    EXPECT_EQ(d.lbkpaorpsi[6]->text(), "[PSI]");
    EXPECT_EQ(ed(PrmField::normal_boost)->toolTip(), "Max:36.0[psi]");
    EXPECT_EQ(ed(PrmField::drop_boost)->toolTip(), "Max:17.0[psi]");
    type(PrmField::setboost_a, "30.04");
    EXPECT_EQ(text(PrmField::setboost_a), "30.0");

    d.cbunit_select->setCurrentIndex(0);
    EXPECT_EQ(text(PrmField::setboost_a), "250");
    EXPECT_EQ(text(PrmField::setboost_b), "250");
    EXPECT_EQ(d.lbkpaorpsi[0]->text(), "[kPa]");
    d.cbunit_select->setCurrentIndex(1);
    d.btnok->click();
    EXPECT_EQ(pv::data.pressure_unit, 1);
    EXPECT_EQ(pv::data.setboost_a, 360);
    EXPECT_EQ(pv::data.warning_boost, 361);
}

TEST_F(PrmDialog, WarningAndDropRadioPairs) {
    pv::data.pressure_unit = 1;
    pv::data.warning_boost = 200;
    Tprmdlg& d = open(false);
    show_page_of(d.rdwarning_off);
    d.rdwarning_off->click();
    EXPECT_FALSE(ed(PrmField::warning_boost)->isEnabled());
    EXPECT_FALSE(d.rdwarning_on->isChecked());
    d.rdwarning_on->click();
    EXPECT_TRUE(ed(PrmField::warning_boost)->isEnabled());
    EXPECT_EQ(text(PrmField::warning_boost), "20.0");
    d.rddropboost_on->click();
    EXPECT_TRUE(ed(PrmField::drop_boost)->isEnabled());
    EXPECT_EQ(text(PrmField::drop_boost), "0.1");
    d.btnok->click();
    EXPECT_EQ(pv::data.drop_boost, 1);
    EXPECT_EQ(pv::data.warning_boost, 200);
    EXPECT_EQ(pv::data.warning_on, 1);
}

TEST_F(PrmDialog, OkWritesTheDocumentAndCancelNothing) {
    pv::data.status_word = 0x1234;
    const pv::ControllerData before = pv::data;
    Tprmdlg& d = open(false);
    type(PrmField::offset_a, "150");
    d.cbcyls->setCurrentIndex(5);
    d.rdafter_on->click();
    d.btncancel->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(pv::data.offset_a, before.offset_a);
    EXPECT_EQ(pv::data.cyls, before.cyls);
    EXPECT_EQ(pv::data.after_on, before.after_on);

    open(false);
    type(PrmField::offset_a, "150");
    dlg->cbcyls->setCurrentIndex(5);
    dlg->rdafter_on->click();
    // Typed, then OK at once: the field is settled before it is written.
    enter(PrmField::sbc_time);
    ed(PrmField::sbc_time)->selectAll();
    QTest::keyClicks(ed(PrmField::sbc_time), "99");
    dlg->btnok->click();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(pv::data.offset_a, 150);
    EXPECT_EQ(pv::data.cyls, 8);
    EXPECT_EQ(pv::data.after_on, 1);
    EXPECT_EQ(pv::data.sbc_time, 60);
    // The unit answered: its status word is the document's now, and the port is free again.
    EXPECT_EQ(pv::data.status_word, sim->status_word());
    EXPECT_EQ(pv::state.port_open, 0);
}

TEST_F(PrmDialog, ThrottleButtonsReadTheSensorFromTheUnit) {
    sim->throttle_voltage = 4500;
    Tprmdlg& d = open(false);
    d.btnTH100set->click();
    EXPECT_EQ(text(PrmField::openth), "4500");
    EXPECT_TRUE(prompter.shown.empty());

    sim->throttle_voltage = 450;
    sim->scripted = {pvsim::Fault::none, pvsim::Fault::drop, pvsim::Fault::drop,
                     pvsim::Fault::drop, pvsim::Fault::drop, pvsim::Fault::drop};
    d.btnTH0set->click();
    EXPECT_EQ(text(PrmField::closeth), "0");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Communication error(1171):Please check connection");
    d.btnok->click();
    EXPECT_EQ(pv::data.openth, 4500);
    EXPECT_EQ(pv::data.closeth, 0);
}

TEST_F(PrmDialog, MemoKeepsOnlyWhatTheFileCanHold) {
    pv::data.comment = "Track";
    Tprmdlg& d = open(false);
    show_page_of(d.mmcomment);
    EXPECT_EQ(d.mmcomment->toPlainText(), "Track");
    d.mmcomment->setFocus();
    d.mmcomment->moveCursor(QTextCursor::End);
    keys(d.mmcomment, QString::fromUtf8(" däy"));
    EXPECT_EQ(d.mmcomment->toPlainText(), QString::fromUtf8("Track däy"));
    keys(d.mmcomment, QString::fromUtf8("あ"));  // not in Windows-1252
    EXPECT_EQ(d.mmcomment->toPlainText(), QString::fromUtf8("Track däy"));
    EXPECT_TRUE(d.lbmemo_state->text().contains(QString::fromUtf8("あ")));
    d.mmcomment->insertPlainText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(d.mmcomment->toPlainText().size(), 255);
    EXPECT_TRUE(d.lbmemo_state->text().contains("255"));
    d.btnok->click();
    EXPECT_EQ(pv::data.comment.size(), 255u);
    EXPECT_EQ(pv::data.comment.substr(0, 10), "Track d\xE4yx");
}

TEST_F(PrmDialog, ScreenReaderNamesAndTabOrder) {
    Tprmdlg& d = open(true);
    for (QWidget* w : d.findChildren<QWidget*>()) {
        bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                       qobject_cast<QAbstractButton*>(w) || qobject_cast<QPlainTextEdit*>(w);
        if (control) {
            EXPECT_FALSE(name_of(w).isEmpty()) << w->objectName().toStdString();
        }
    }
    EXPECT_EQ(name_of(ed(PrmField::setboost_a)), "Mode A Boost Setting");
    // Lists are named by their entry on Linux; the caption comes as their label.
    EXPECT_EQ(label_of(d.cbunit_select), "Pressure Unit");
    EXPECT_EQ(label_of(d.cbaxis_select_no), "Map Function");
    EXPECT_EQ(label_of(ed(PrmField::barmaxset)), "Bar Graph Maximum Value");
    EXPECT_EQ(name_of(d.rdwarning_off), "Boost Warning OFF");
    EXPECT_EQ(name_of(ed(PrmField::closeth)), "Throttle Parameter CLOSE");
    EXPECT_EQ(name_of(d.lbstudy), "Learning Function: ---");
    EXPECT_TRUE(ed(PrmField::setboost_a)->accessibleDescription().contains("[kPa]"));

    // The Control page, top to bottom.
    std::vector<std::string> want = {
        "ednormal_boost", "edfirst_boost",  "edup_boost_offset", "edsetboost_a",
        "edoffset_a",     "edsetboost_b",   "edoffset_b",        "edsbc_boost",
        "edsbc_time",     "rddropboost_on", "rddropboost_off",   "eddrop_boost",
        "rdwarning_on",   "rdwarning_off",  "edwarning_boost",   "edbarmaxset"};
    std::vector<std::string> chain;
    QWidget* w = ed(PrmField::normal_boost);
    for (int k = 0; k < 200 && chain.size() < want.size(); ++k, w = w->nextInFocusChain())
        if (d.tscontrol->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus))
            chain.push_back(w->objectName().toStdString());
    EXPECT_EQ(chain, want);
}

TEST_F(PrmDialog, PrintButtonHandsOverToThePrintout) {
    Tprmdlg& d = open(false);
    Tprmdlg* printed = nullptr;
    pv::set_parameter_printout([&](Tprmdlg& p) { printed = &p; });
    d.btnprint->click();
    pv::set_parameter_printout(nullptr);
    EXPECT_EQ(printed, &d);
}

}  // namespace
