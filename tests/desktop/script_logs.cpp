// Log files: a .PVL from the command line in the data log, a document opened through the
// Open dialog, Log Link, the comparison log with a file from its open dialog, and both
// Display Setting dialogs.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMdiSubWindow>

#include "desktop/scripts.h"

namespace desk {
namespace {

QWidget* log_window(const char* name) {
    QWidget* main = main_window();
    return main ? main->findChild<QMdiSubWindow*>(QLatin1String(name)) : nullptr;
}
QWidget* data_log() {
    return log_window("log");
}
QWidget* comparison_log() {
    return log_window("otherlog");
}

QString docs_file(const char* name) {
    return QString::fromStdString(work_folder()) + QStringLiteral("/docs/") + QLatin1String(name);
}

// A file dialog has the keyboard: `path` is typed as its file name and confirmed.
void choose_in_file_dialog(Driver& d, const QString& path) {
    d.wait_until("the file dialog to have the keyboard", [] {
        auto* f = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        return f && f->isActiveWindow();
    });
    look(d, "file-dialog");
    // The file name field has the keyboard and its text selected.
    d.keys("ctrl+a");
    d.type(path.toStdString());
    d.keys("Return");
    d.wait_until("the file dialog to close",
                 [] { return !qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); });
}

void command_line_log(Driver& d) {
    d.step("the data log shows DRIVE.PVL from the command line");
    d.wait_until("the data log window with DRIVE.PVL", [] {
        return data_log() && data_log()->isVisible() &&
               data_log()->windowTitle().endsWith(QLatin1String("DRIVE.PVL"));
    });
    look(d, "drive-log");
}

void open_document(Driver& d) {
    d.step("File > Open: EXAMPLE.PVD chosen in the dialog");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.keys("ctrl+o");
    choose_in_file_dialog(d, docs_file("EXAMPLE.PVD"));
    d.wait_until("the map window", [] { return map_window() && map_window()->isVisible(); });
}

void log_link(Driver& d) {
    d.step("Option > Log Link");
    bring_to_front(d, QStringLiteral("DRIVE.PVL"));
    d.menu("alt+o", "l");
    d.wait_until("Log Link to be on", [] {
        auto* a = main_window()->findChild<QAction*>(QStringLiteral("menuloglink"));
        return a && a->isChecked() && !QApplication::activePopupWidget();
    });
    look(d, "log-link");
}

void comparison(Driver& d) {
    d.step("Option > Comparison Log");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.keys("alt+o");
    d.click_menu_item("menuotherlog");
    d.wait_until("the comparison log window",
                 [] { return comparison_log() && comparison_log()->isVisible(); });
    look(d, "comparison-log");
    d.step("the comparison log's open button: DRIVE.PVL");
    d.click("the comparison log's open button",
            [] { return child_named(comparison_log(), "btnopen"); });
    choose_in_file_dialog(d, docs_file("DRIVE.PVL"));
    d.wait_until("the comparison log to show DRIVE.PVL", [] {
        return comparison_log() &&
               comparison_log()->windowTitle().endsWith(QLatin1String("DRIVE.PVL"));
    });
    look(d, "comparison-drive");
    log_display_setting(d, comparison_log, "Totherlsetdlg", "btncancel");
}

// View > Log Overlay > Time in Cell with DRIVE.PVL open: Boost Correction Map A takes the
// drive's colours and the legend comes up beside the grid.
void log_overlay(Driver& d) {
    d.step("Mode A, then View > Log Overlay > Time in Cell");
    bring_to_front(d, QStringLiteral("EXAMPLE.PVD"));
    d.click("the Mode A group", list_item(map_window, "lvmap1", QStringLiteral("Mode A")));
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.keys("alt+v");
    d.click_menu_item("menuoverlay");
    d.click_menu_item("mov1");
    d.wait_until("the overlay's legend beside the grid", [] {
        QWidget* legend = child_named(map_window(), QStringLiteral("pnloverlay"));
        auto* title = legend ? legend->findChild<QLabel*>(QStringLiteral("lboverlaytitle")) : nullptr;
        auto* note = legend ? legend->findChild<QLabel*>(QStringLiteral("lboverlaynote")) : nullptr;
        return legend && legend->isVisible() && title &&
               title->text() == QLatin1String("Time in cell [s]") && note && !note->isVisible();
    });
    look(d, "log-overlay");
}

}  // namespace

void script_logs(Driver& d) {
    wait_main_window(d);
    command_line_log(d);
    open_document(d);
    log_link(d);
    log_display_setting(d, data_log, "Tlsetdlg", "btncancel");
    log_overlay(d);
    comparison(d);
    exit_program(d);
}

}  // namespace desk
