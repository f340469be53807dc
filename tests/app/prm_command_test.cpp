// Setting > Parameter Setting from the main window: the dialog over a busy main window, the
// document written only by OK, and the unit's set loaded before and sent after while linked.
#include <QLineEdit>
#include <QPushButton>

#include "app/common/modal.h"
#include "app/link/net.h"
#include "app/link/writingdialog.h"
#include "app/params/prm.h"
#include "unit_app_test.h"
#include "support/transfers_support.h"

namespace pv::test {
namespace {

class ParameterCommand : public UnitAppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        use_unit();
        set_modal_runner([this](QDialog& d) { return run(d); });
    }
    void TearDown() override {
        set_modal_runner({});
        AppTest::TearDown();
    }

    // The user's part: what is done in the parameter dialog before it closes.
    std::function<void(Tprmdlg&)> in_dialog;

    int run(QDialog& d) {
        d.show();
        if (auto* p = qobject_cast<Tprmdlg*>(&d)) {
            ++dialogs_shown;
            owner_enabled = main->isEnabled();
            busy_while_open = state.ui_busy;
            comm_while_open = state.comm_state;
            if (in_dialog) in_dialog(*p);
            if (p->isVisible()) p->btncancel->click();
        } else if (auto* net = qobject_cast<Tnetdlg*>(&d)) {
            net->tmnetTimer();
        } else if (auto* w = qobject_cast<TWritingdlg*>(&d)) {
            ++processing_shown;
            w->tmmessTimer();
        }
        return d.result();
    }
    static void type(Tprmdlg& d, PrmField f, const char* text) {
        d.edNEoffsetEnter(f);
        d.field(f)->setText(QString::fromLatin1(text));
        d.edNEoffsetExit(f);
    }

    int dialogs_shown = 0, processing_shown = 0;
    bool owner_enabled = true;
    uint8_t busy_while_open = 0, comm_while_open = 0;
};

TEST_F(ParameterCommand, OkWritesTheDocumentAndMarksItModified) {
    start();
    main->menunew->trigger();
    ASSERT_FALSE(state.doc_modified);
    in_dialog = [](Tprmdlg& d) {
        type(d, PrmField::setboost_a, "150");
        d.btnok->click();
    };
    main->btnparam->trigger();

    EXPECT_EQ(dialogs_shown, 1);
    EXPECT_FALSE(owner_enabled);
    EXPECT_EQ(busy_while_open, 1);
    EXPECT_EQ(comm_while_open, 3);
    EXPECT_EQ(data.setboost_a, 150);
    EXPECT_TRUE(state.doc_modified);
    EXPECT_EQ(processing_shown, 0);  // not linked: nothing goes to the unit
    EXPECT_EQ(line->count(write_request), 0u);
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(state.ui_busy, 0);
    EXPECT_EQ(state.comm_state, 0);
    EXPECT_TRUE(prompts.shown.empty()) << texts().front();
}

TEST_F(ParameterCommand, CancelWritesNothing) {
    start();
    main->menunew->trigger();
    const ControllerData before = data;
    in_dialog = [](Tprmdlg& d) {
        type(d, PrmField::offset_b, "150");
        d.btncancel->click();
    };
    main->menuparam->trigger();
    EXPECT_EQ(dialogs_shown, 1);
    EXPECT_EQ(data.offset_b, before.offset_b);
    EXPECT_FALSE(state.doc_modified);
    EXPECT_EQ(state.ui_busy, 0);
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(ParameterCommand, WhileLinkedTheUnitsSetIsShownAndTheNewOneSent) {
    start();
    main->menuread->trigger();  // Load All Data starts the link
    ASSERT_TRUE(state.link_on);
    data.setboost_a = 77;  // the unit still holds what Load All read
    std::string shown;
    in_dialog = [&](Tprmdlg& d) {
        shown = d.field(PrmField::setboost_a)->text().toStdString();
        type(d, PrmField::setboost_b, "180");
        d.btnok->click();
    };
    main->menuparam->trigger();

    EXPECT_EQ(shown, std::to_string(sim->in_use().setboost_a));
    EXPECT_EQ(sim->in_use().setboost_b, 180);
    EXPECT_EQ(processing_shown, 1);
    EXPECT_EQ(line->unit_commands().back(), cmd_apply);
    EXPECT_TRUE(state.link_on);
    EXPECT_EQ(state.ui_busy, 0);
    EXPECT_TRUE(prompts.shown.empty()) << texts().front();
}

}  // namespace
}  // namespace pv::test
