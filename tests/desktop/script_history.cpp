// Review before sending and the unit's restore points against pvsim: with Option > Review
// Before Sending on, Send All Data shows what it would change; Cancel leaves the unit alone,
// Send goes on and the link starts; Communication > Unit History lists the points. The
// edited document is not saved at the end.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "desktop/scripts.h"

namespace desk {
namespace {

QWidget* shown_named(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
    return nullptr;
}

// The menu bar's title whose text is `title`, as a hand finds it.
Locator menu_title(QString title) {
    return [title]() -> std::optional<QPoint> {
        auto* main = qobject_cast<QMainWindow*>(main_window());
        if (!main) return std::nullopt;
        QMenuBar* bar = main->menuBar();
        for (QAction* a : bar->actions())
            if (a->text() == title) return global_centre(bar, bar->actionGeometry(a));
        return std::nullopt;
    };
}

QWidget* review_button(QDialogButtonBox::StandardButton which) {
    QWidget* review = shown_named("reviewdlg");
    auto* box = review ? review->findChild<QDialogButtonBox*>() : nullptr;
    return box ? box->button(which) : nullptr;
}

void review_on(Driver& d) {
    d.step("Option > Review Before Sending");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.click("the Option menu", menu_title(QStringLiteral("Option(&O)")));
    d.click_menu_item("mreview");
    d.wait_until("the review to be on",
                 [] { return action_checked("mreview") && !QApplication::activePopupWidget(); });
}

// The unit already holds the example file: one cell of Boost Correction Map A is changed so
// that the send has something to show.
void edit_cell(Driver& d) {
    d.step("Mode A, a new value typed into the second cell of the second row");
    d.click("the Mode A group", list_item(map_window, "lvmap1", QStringLiteral("Mode A")));
    d.click("the map's cell (2, 2)", map_cell(2, 2));
    const QString value = d.gui([] { return map_cell_text(2, 2).trimmed(); }) == QLatin1String("12")
                              ? QStringLiteral("13")
                              : QStringLiteral("12");
    d.type(value.toStdString());
    d.keys("Return");
    d.wait_until("the cell to read " + value.toStdString(), [value] {
        return map_cell_text(2, 2).trimmed() == value && !QApplication::activeModalWidget();
    });
}

// Send All Data: the unit is read, then the review comes up with the tables that change.
void send_to_review(Driver& d) {
    d.click("the Send All Data button", [] { return tool_button(QStringLiteral("btnwrite")); });
    d.wait_until("the review to have the keyboard", [] {
        QWidget* r = shown_named("reviewdlg");
        return r && r->isActiveWindow();
    });
    // The cell edited is the one marked, with the unit's value and the document's.
    const QString marked = d.gui([] {
        auto* g = shown_named("reviewdlg")
                      ->findChild<QTableWidget*>(QStringLiteral("reviewgrid_boost_map_a"));
        return g && g->item(1, 1) ? g->item(1, 1)->text() : QString();
    });
    if (!marked.startsWith(QLatin1String("* ")) || !marked.contains(QLatin1String(" -> ")))
        d.fail("the review's cell (2, 2) reads \"" + marked.toStdString() + "\"");
}

void review_cancel_then_send(Driver& d) {
    d.step("Send All Data with review on: the review comes up; Cancel sends nothing");
    send_to_review(d);
    look(d, "review");
    d.click("the review's Cancel", [] { return review_button(QDialogButtonBox::Cancel); });
    d.wait_until("the review to close", [] { return shown_named("reviewdlg") == nullptr; });
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    if (d.gui([] { return action_checked("btnlink"); }))
        d.fail("the link started after a cancelled review");

    d.step("Send All Data again: Send in the review sends, and the link starts");
    send_to_review(d);
    d.click("the review's Send", [] { return review_button(QDialogButtonBox::Ok); });
    d.wait_until("the link to run", [] { return action_checked("btnlink"); });
}

void unit_history(Driver& d) {
    d.step("Communication > Unit History: the restore points, newest first");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.click("the Communication menu", menu_title(QStringLiteral("Communication(&N)")));
    d.click_menu_item("menuhistory");
    d.wait_active(QStringLiteral("Unit History"));
    // The cancelled send and the one that went each kept what the unit held.
    const QString newest = d.gui([]() -> QString {
        auto* t = shown_named("historydlg")->findChild<QTableWidget*>();
        return t && t->rowCount() >= 2 && t->item(0, 1) ? t->item(0, 1)->text() : QString();
    });
    if (newest != QLatin1String("before Send All Data"))
        d.fail("the newest restore point is \"" + newest.toStdString() + "\"");
    look(d, "unit-history");
    d.click("the Unit History's Close", []() -> QWidget* {
        QWidget* h = shown_named("historydlg");
        auto* box = h ? h->findChild<QDialogButtonBox*>() : nullptr;
        return box ? box->button(QDialogButtonBox::Close) : nullptr;
    });
    d.wait_gone(QStringLiteral("Unit History"));
}

}  // namespace

void script_history(Driver& d) {
    wait_main_window(d);
    review_on(d);
    edit_cell(d);
    review_cancel_then_send(d);
    unit_history(d);
    exit_program(d, "n");
}

}  // namespace desk
