// The Unit History window, the Option menu's send options and the review dialog, against the
// simulated unit in this process.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <fstream>
#include <sstream>

#include "app/link/history_window.h"
#include "app/link/net.h"
#include "app/link/writingdialog.h"
#include "unit_app_test.h"
#include "support/transfers_support.h"

namespace pv::test {
namespace {

class UnitHistory : public UnitAppTest {
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
    int run(QDialog& d) {
        if (auto* net = qobject_cast<Tnetdlg*>(&d)) {
            labels.push_back(net->lbnet->text().toStdString());
            net->tmnetTimer();
        } else if (auto* w = qobject_cast<TWritingdlg*>(&d)) {
            w->tmmessTimer();
        } else if (auto* h = qobject_cast<Thistorydlg*>(&d)) {
            in_history(*h);
        } else if (d.objectName() == QStringLiteral("reviewdlg")) {
            auto* t = d.findChild<QTableWidget*>(QStringLiteral("reviewtable"));
            reviewed.clear();
            for (int r = 0; t && r < t->rowCount(); ++r)
                reviewed.push_back((t->item(r, 0)->text() + ": " + t->item(r, 1)->text() + " -> " +
                                    t->item(r, 2)->text())
                                       .toStdString());
            d.done(send_on_review ? QDialog::Accepted : QDialog::Rejected);
        }
        return d.result();
    }
    QAction* item(const char* name) const {
        return main->findChild<QAction*>(QString::fromLatin1(name));
    }
    std::vector<RestorePoint> points() const {
        return list_restore_points(paths.data_dir + "/history");
    }

    std::vector<std::string> labels, reviewed;
    std::function<void(Thistorydlg&)> in_history = [](Thistorydlg&) {};
    bool send_on_review = false;
};

TEST_F(UnitHistory, SendsKeepPointsTheReviewGuardsThemAndAPointGoesBack) {
    start();
    main->menuread->trigger();
    ASSERT_EQ(points().size(), 1u);
    const ControllerData first = data;

    data.boost_map_a[1][2] = 66;
    labels.clear();
    main->menuwrite->trigger();
    EXPECT_EQ(labels, (std::vector<std::string>{"Loading...", "Sending..."}));
    ASSERT_EQ(points().size(), 2u);
    EXPECT_EQ(sim->in_use().boost_map_a[1][2], 66);

    // Review on: a changed parameter is shown with both texts, Cancel writes nothing.
    item("mreview")->trigger();
    EXPECT_EQ(settings.review_send, 1);
    const std::string before = parameter_text(data, "setboost_a");
    data.setboost_a = static_cast<uint16_t>(data.setboost_a + 5);
    line->written.clear();
    main->menupwrite->trigger();
    EXPECT_EQ(line->count(write_request), 0u);
    ASSERT_EQ(reviewed.size(), 1u);
    EXPECT_NE(reviewed[0].find(before + " -> " + parameter_text(data, "setboost_a")),
              std::string::npos)
        << reviewed[0];

    // The window lists newest first with the changes against the one before, and sends the
    // oldest point back through the review.
    std::vector<std::string> rows;
    in_history = [&](Thistorydlg& h) {
        QTableWidget* t = h.table();
        for (int r = 0; r < t->rowCount(); ++r)
            rows.push_back(t->item(r, 1)->text().toStdString() + " " +
                           (t->item(r, 2) ? t->item(r, 2)->text().toStdString() : "-"));
        t->selectRow(t->rowCount() - 1);
        send_on_review = true;
        h.findChild<QPushButton*>(QStringLiteral("btnhsend"))->click();
    };
    main->menuhistory->trigger();
    // The cancelled review read the unit too: its point holds the cell the first send changed.
    EXPECT_EQ(rows, (std::vector<std::string>{"before Send Parameter 1", "before Send All Data 0",
                                              "Load All Data -"}));
    EXPECT_EQ(reviewed.size(), 1u) << "the send back showed what it changes";
    EXPECT_TRUE(xfertest::same_unit_data(sim->in_use(), first));
    EXPECT_EQ(points().size(), 4u);

    item("mhistsend")->trigger();
    EXPECT_EQ(settings.history_before_send, 0);
    main->close();
    std::ifstream in(paths.settings_file());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("REVIEWSEND=1"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("HISTORYSEND=0"), std::string::npos);
}

}  // namespace
}  // namespace pv::test
