#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>
#include <cstdio>
#include <cstdlib>

#include "desktop/scripts.h"

namespace desk {

QWidget* map_window() {
    QWidget* main = main_window();
    return main ? main->findChild<QMdiSubWindow*>(QStringLiteral("map")) : nullptr;
}

QListWidget* list(QWidget* root, const char* name) {
    return root ? root->findChild<QListWidget*>(QLatin1String(name)) : nullptr;
}

Locator list_item(std::function<QWidget*()> root, const char* name, QString text) {
    return [root = std::move(root), name, text]() -> std::optional<QPoint> {
        QListWidget* l = list(root(), name);
        if (!l) return std::nullopt;
        const auto items = l->findItems(text, Qt::MatchExactly);
        if (items.isEmpty()) return std::nullopt;
        return global_centre(l->viewport(), l->visualItemRect(items.front()));
    };
}

QTableView* map_grid() {
    QWidget* map = map_window();
    return map ? map->findChild<QTableView*>(QStringLiteral("sgmap")) : nullptr;
}

Locator map_cell(int column, int row) {
    return [column, row]() -> std::optional<QPoint> {
        QTableView* g = map_grid();
        if (!g || !g->model()) return std::nullopt;
        const QModelIndex i = g->model()->index(row - 1, column - 1);
        return global_centre(g->viewport(), g->visualRect(i));
    };
}

QString map_cell_text(int column, int row) {
    QTableView* g = map_grid();
    if (!g || !g->model()) return {};
    return g->model()->index(row - 1, column - 1).data().toString();
}

QDialog* shown_monitor() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("mntdlg") && w->isVisible())
            return qobject_cast<QDialog*>(w);
    return nullptr;
}

QWidget* data_log_window() {
    QWidget* main = main_window();
    return main ? main->findChild<QMdiSubWindow*>(QStringLiteral("log")) : nullptr;
}

std::string work_folder() {
    const char* w = std::getenv("PV_DESKTOP_WORK");
    return w ? w : ".";
}

void wait_main_window(Driver& d) {
    d.step("the main window comes up and has the keyboard");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
}

bool action_checked(const char* name) {
    QWidget* main = main_window();
    auto* a = main ? main->findChild<QAction*>(QLatin1String(name)) : nullptr;
    return a && a->isChecked();
}

void exit_program(Driver& d, const std::string& save_answer) {
    d.step("File > Exit");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.menu("alt+f", "x");
    if (!save_answer.empty()) {
        // The answer may end the program at once: nothing waits on its thread after the key.
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!d.gui([] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box && box->isActiveWindow() && box->text() == QLatin1String("Save data?");
        })) {
            if (std::chrono::steady_clock::now() > deadline) d.fail("no question whether to save");
            Driver::settle(20ms);
        }
        d.keys(save_answer);
    }
    if (!d.wait_app_returned()) d.fail("the program did not end within 10 s of File > Exit");
}

void bring_to_front(Driver& d, const QString& caption_end) {
    d.step("Window > " + caption_end.toStdString());
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.keys("alt+w");
    d.click("the Window menu's item", Locator([caption_end]() -> std::optional<QPoint> {
                auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!m) return std::nullopt;
                for (QAction* a : m->actions())
                    if (a->text().endsWith(caption_end))
                        return global_centre(m, m->actionGeometry(a));
                return std::nullopt;
            }));
    d.wait_until("the window to be the active one", [caption_end] {
        auto* mdi = main_window() ? main_window()->findChild<QMdiArea*>() : nullptr;
        return mdi && mdi->activeSubWindow() &&
               mdi->activeSubWindow()->windowTitle().endsWith(caption_end) &&
               !QApplication::activePopupWidget();
    });
}

void log_display_setting(Driver& d, const Finder& log, const char* dialog_name,
                         const char* button_name) {
    d.step(std::string("Display Setting (") + dialog_name + "), then " + button_name);
    d.click("the Display Setting button", [log] { return child_named(log(), "btnlset"); });
    auto dialog = [dialog_name]() -> QWidget* {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(dialog_name) && w->isVisible()) return w;
        return nullptr;
    };
    d.wait_until("the settings dialog to have the keyboard",
                 [dialog] { return dialog() && dialog()->isActiveWindow(); });
    look(d, dialog_name);
    d.click(button_name, [dialog, button_name] { return child_named(dialog(), button_name); });
    d.wait_until("the settings dialog to close", [dialog] { return dialog() == nullptr; });
}

void look(Driver& d, const std::string& name) {
    if (!std::getenv("PV_DESKTOP_SHOTS_ALL")) return;
    // Whatever was just shown has painted once the program has answered.
    d.gui([] { return 0; });
    Driver::settle(200ms);
    const std::string file = take_screenshot(name);
    if (!file.empty()) std::fprintf(stderr, "  look: %s\n", file.c_str());
}

}  // namespace desk
