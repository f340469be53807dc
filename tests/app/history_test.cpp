// The Unit History window, the Option menu's send options and the review dialog, against the
// simulated unit in this process.
#include <QAccessible>
#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/link/history_window.h"
#include "app/link/net.h"
#include "app/link/review_dialog.h"
#include "app/link/writingdialog.h"
#include "app/mapedit/map.h"
#include "app/mapedit/map_grid.h"
#include "core/mapedit/grid_view.h"
#include "support/transfers_support.h"
#include "unit_app_test.h"

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
            // What the windows would paint if they repainted now, while the read's dialog is up.
            during_read.push_back(data.boost_map_a[1][2]);
        } else if (auto* w = qobject_cast<TWritingdlg*>(&d)) {
            w->tmmessTimer();
        } else if (auto* h = qobject_cast<Thistorydlg*>(&d)) {
            in_history(*h);
        } else if (auto* review = qobject_cast<TReviewdlg*>(&d)) {
            in_review(*review);
            auto* t = review->parameter_list();
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
    std::vector<int> during_read;
    std::function<void(Thistorydlg&)> in_history = [](Thistorydlg&) {};
    std::function<void(TReviewdlg&)> in_review = [](TReviewdlg&) {};
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

// In Japanese the menu items, the window and its causes, and the review speak Japanese, and
// the window is wide enough for its wider captions.
TEST_F(UnitHistory, JapaneseItemsWindowAndReview) {
    settings.lang_id = kLangJapanese;
    start();
    EXPECT_EQ(main->menuhistory->text(), QString::fromUtf8("ユニット履歴(&H)..."));
    EXPECT_EQ(item("mreview")->text(), QString::fromUtf8("送信前に変更を確認(&R)"));
    EXPECT_EQ(item("mdetect")->text(), QString::fromUtf8("ユニット検出(&D)"));
    main->menuread->trigger();

    QStringList seen;
    int needed = 0, width = 0;
    in_history = [&](Thistorydlg& h) {
        QTableWidget* t = h.table();
        seen << h.windowTitle() << t->horizontalHeaderItem(0)->text() << t->item(0, 1)->text();
        for (int c = 0; c < t->columnCount(); ++c) needed += t->columnWidth(c);
        width = h.width();
    };
    main->menuhistory->trigger();
    EXPECT_EQ(seen, (QStringList{QString::fromUtf8("ユニット履歴"), QString::fromUtf8("日時"),
                                 QString::fromUtf8("全データ読み込み")}));
    EXPECT_GT(width, needed);

    item("mreview")->trigger();
    data.setboost_a = static_cast<uint16_t>(data.setboost_a + 5);
    QString title, tab;
    in_review = [&](TReviewdlg& r) {
        title = r.windowTitle();
        tab = r.tabs()->tabText(0);
    };
    main->menupwrite->trigger();
    EXPECT_EQ(title, QString::fromUtf8("送信内容の確認"));
    EXPECT_EQ(tab, QString::fromUtf8("パラメータ (1)"));
}

// A unit set up for a car: RPM x Throttle maps, so that the grids are five by five.
class TunedUnitHistory : public UnitHistory {
  protected:
    void SetUp() override {
        UnitHistory::SetUp();
        pvsim::Options o;
        o.factory = false;
        use_unit(o);
        start();
        main->menuread->trigger();
        ASSERT_EQ(data.axis_select_no, 4);
        ASSERT_EQ(data.pressure_unit, 0);
    }
    // What a reader hears of the review grid's cell at (row, column), both from 0.
    static QString spoken(QTableWidget* grid, int row, int column) {
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
        if (!table || !table->tableInterface()) return {};
        QAccessibleInterface* cell = table->tableInterface()->cellAt(row, column);
        return cell ? cell->text(QAccessible::Name) : QString();
    }
    std::string cell_text(int column, int row) const {
        return main->map_window()->cell_text(column, row).trimmed().toStdString();
    }
    void choose_boost_map_a() {
        Tmap* map = main->map_window();
        for (QListWidget* list : {map->lvmap1, map->lvmap2}) {
            const int row = list == map->lvmap1 ? 1 : 0;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(row)).center());
        }
        ASSERT_EQ(grid.current_map, map_boost_a);
    }
};

TEST_F(TunedUnitHistory, ReviewGridMarksTheChangedCellAloneAndTheDocumentStaysPut) {
    item("mreview")->trigger();
    const int in_unit = sim->in_use().boost_map_a[1][2];
    ASSERT_EQ(in_unit, 0);
    data.boost_map_a[1][2] = 40;  // RPM point 2 (3000), throttle point 3 (50 %)
    data.boost_map_a[3][4] = 33;  // RPM point 4, throttle point 5: 20 in the unit
    data.offset_map_b[0][0] = static_cast<uint8_t>(data.offset_map_b[0][0] + 1);
    data.setboost_a = static_cast<uint16_t>(data.setboost_a + 5);
    choose_boost_map_a();

    int grids = 0;
    in_review = [&](TReviewdlg& r) {
        EXPECT_EQ(r.tabs()->count(), 3) << "the parameters and the two tables that change";
        EXPECT_EQ(r.grid(QStringLiteral("offset_map_a")), nullptr);
        EXPECT_NE(r.grid(QStringLiteral("offset_map_b")), nullptr);
        QTableWidget* g = r.grid(QStringLiteral("boost_map_a"));
        ASSERT_NE(g, nullptr);
        ++grids;
        ASSERT_EQ(g->rowCount(), 5);
        ASSERT_EQ(g->columnCount(), 5);
        // Laid out as the map window: RPM across, throttle down.
        EXPECT_EQ(g->horizontalHeaderItem(1)->text(), QStringLiteral("3000"));
        EXPECT_EQ(g->verticalHeaderItem(2)->text(), QStringLiteral("50"));
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 5; ++col) {
                const bool changed = (row == 2 && col == 1) || (row == 4 && col == 3);
                const QString text = g->item(row, col)->text();
                EXPECT_EQ(text.startsWith(QStringLiteral("* ")), changed) << row << "," << col;
                EXPECT_EQ(g->item(row, col)->background() != g->item(0, 0)->background(), changed);
                EXPECT_EQ(spoken(g, row, col).endsWith(QStringLiteral(", changed")), changed)
                    << spoken(g, row, col).toStdString();
            }
        EXPECT_EQ(g->item(2, 1)->text(), QStringLiteral("* 0 -> 40"));
        EXPECT_EQ(g->item(4, 3)->text(), QStringLiteral("* 20 -> 33"));
        // Shown, the grid holds every column and row without scrolling.
        r.show();
        QApplication::processEvents();
        EXPECT_LE(g->horizontalHeader()->length(), g->viewport()->width());
        EXPECT_LE(g->verticalHeader()->length(), g->viewport()->height());
        EXPECT_EQ(spoken(g, 2, 1), QStringLiteral("50, 3000: 0 -> 40, changed"));
        EXPECT_EQ(spoken(g, 0, 0).count(QStringLiteral("->")), 0) << "unchanged: one value";
        // The keyboard goes from the tabs to the page, then Send, then Cancel.
        auto* box = r.findChild<QDialogButtonBox*>();
        std::vector<QWidget*> chain;
        for (QWidget* w = r.tabs()->tabBar(); chain.size() < 40; w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
            if (w->nextInFocusChain() == r.tabs()->tabBar()) break;
        }
        auto at = [&](QWidget* w) {
            return std::find(chain.begin(), chain.end(), w) - chain.begin();
        };
        EXPECT_LT(at(r.tabs()->tabBar()), at(r.parameter_list()));
        EXPECT_LT(at(r.parameter_list()), at(box->button(QDialogButtonBox::Ok)));
        EXPECT_LT(at(box->button(QDialogButtonBox::Ok)), at(box->button(QDialogButtonBox::Cancel)));
        EXPECT_LT(at(box->button(QDialogButtonBox::Cancel)), static_cast<long>(chain.size()));
        EXPECT_EQ(data.boost_map_a[1][2], 40) << "the unit's values stay in the review";
    };
    line->written.clear();
    during_read.clear();
    main->menuwrite->trigger();
    EXPECT_EQ(grids, 1);
    ASSERT_EQ(reviewed.size(), 1u) << "the parameter in its list, the cell only in its grid";
    EXPECT_NE(reviewed[0].find(" -> "), std::string::npos);
    EXPECT_EQ(line->count(write_request), 0u) << "Cancel writes no frame";
    EXPECT_EQ(during_read, (std::vector<int>{40})) << "the read never went into the document";
    EXPECT_EQ(data.boost_map_a[1][2], 40);
    EXPECT_EQ(cell_text(2, 3), "40");
    EXPECT_EQ(sim->in_use().boost_map_a[1][2], in_unit);

    send_on_review = true;
    main->menuwrite->trigger();
    EXPECT_EQ(sim->in_use().boost_map_a[1][2], 40);
    EXPECT_EQ(sim->in_use().boost_map_a[3][4], 33);
    EXPECT_EQ(sim->in_use().offset_map_b[0][0], data.offset_map_b[0][0]);
}

TEST_F(TunedUnitHistory, PointsOpenAsTheDocumentShowAsTheComparisonAndGoBackThroughTheReview) {
    data.boost_map_a[1][2] = 40;
    main->menuwrite->trigger();
    data.boost_map_a[1][2] = 55;
    main->menuwrite->trigger();
    const auto kept = points();  // oldest first: loaded 0, before the sends 0 and 40
    ASSERT_EQ(kept.size(), 3u);

    // Open: the newest point becomes the document, named by its file.
    in_history = [](Thistorydlg& h) {
        h.table()->selectRow(0);
        h.findChild<QPushButton*>(QStringLiteral("btnhopen"))->click();
    };
    main->menuhistory->trigger();
    ASSERT_NE(main->map_window(), nullptr);
    EXPECT_EQ(main->map_window()->file_name(), kept[2].path);
    EXPECT_EQ(data.boost_map_a[1][2], 40);

    // Show as Comparison: the map's second line in each cell holds the older point's value.
    choose_boost_map_a();
    in_history = [](Thistorydlg& h) {
        h.table()->selectRow(1);
        h.findChild<QPushButton*>(QStringLiteral("btnhcompare"))->click();
    };
    main->menuhistory->trigger();
    EXPECT_EQ(state.compare_loaded, 1);
    EXPECT_EQ(state.compare_file, kept[1].path);
    EXPECT_TRUE(item("menuother")->isChecked());
    const CellLook look = cell_look(2, 3, {});
    EXPECT_TRUE(look.show_compare);
    EXPECT_EQ(QString::fromStdString(look.compare_text).trimmed(), QStringLiteral("0"));

    // Send Back with review on: the grid shows the unit's 55 going back to 0; Cancel writes
    // nothing.
    item("mreview")->trigger();
    QString shown;
    in_review = [&](TReviewdlg& r) {
        if (QTableWidget* g = r.grid(QStringLiteral("boost_map_a"))) shown = g->item(2, 1)->text();
    };
    in_history = [](Thistorydlg& h) {
        h.table()->selectRow(h.table()->rowCount() - 1);
        h.findChild<QPushButton*>(QStringLiteral("btnhsend"))->click();
    };
    line->written.clear();
    main->menuhistory->trigger();
    EXPECT_EQ(shown, QStringLiteral("* 55 -> 0"));
    EXPECT_EQ(line->count(write_request), 0u);
    EXPECT_EQ(sim->in_use().boost_map_a[1][2], 55);
}

}  // namespace
}  // namespace pv::test
