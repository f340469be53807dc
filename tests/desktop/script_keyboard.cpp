// The whole loop by keyboard alone, read back the way a screen reader reads it: a document
// opened through the Open dialog, a cell edited, Send All Data (which starts the link), the
// Data Monitor's six values, a short recording, and the log's cursor stepped with its values.
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTableView>
#include <cstdio>

#include "desktop/scripts.h"

namespace desk {
namespace {

// What a screen reader hears of `w`: its accessible name.
QString heard(QWidget* w) {
    QAccessibleInterface* i = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
    return i ? i->text(QAccessible::Name) : QString();
}

// The lines of a widget that reads as a list, one child each.
QStringList heard_lines(QWidget* w) {
    QStringList lines;
    QAccessibleInterface* i = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
    for (int k = 0; i && k < i->childCount(); ++k)
        if (QAccessibleInterface* c = i->child(k)) lines << c->text(QAccessible::Name);
    return lines;
}

QWidget* focused() {
    return QApplication::focusWidget();
}

// Tab (or `key`) until the widget `name` has the keyboard, as a user listens for it.
void tab_to(Driver& d, const QString& name, const char* key = "Tab") {
    for (int k = 0; k < 20; ++k) {
        if (d.gui([name] { return focused() && focused()->objectName() == name; })) return;
        d.keys(key);
    }
    d.fail("Tab never reaches " + name.toStdString() + " (at " +
           d.gui([] { return focused() ? focused()->objectName() : QString(); }).toStdString() +
           ")");
}

bool menu_item_checked(const char* name) {
    auto* a = main_window() ? main_window()->findChild<QAction*>(QLatin1String(name)) : nullptr;
    return a && a->isChecked();
}

void open_by_keys(Driver& d) {
    d.step("Ctrl+O: EXAMPLE.PVD typed into the Open dialog");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.keys("ctrl+o");
    d.wait_until("the file dialog to have the keyboard", [] {
        auto* f = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        return f && f->isActiveWindow();
    });
    d.keys("ctrl+a");
    d.type(work_folder() + "/docs/EXAMPLE.PVD");
    d.keys("Return");
    d.wait_until("the map window", [] { return map_window() && map_window()->isVisible(); });
}

void edit_cell(Driver& d) {
    d.step("Tab to the groups, Down to Mode A");
    tab_to(d, QStringLiteral("lvmap1"));
    for (int k = 0; k < 6; ++k) {
        if (d.gui([] {
                QListWidget* l = list(map_window(), "lvmap1");
                return l && l->currentItem() && l->currentItem()->text() == QLatin1String("Mode A");
            }))
            break;
        d.keys("Down");
    }
    d.wait_until("Boost Correction Map A to be chosen", [] {
        QListWidget* tables = list(map_window(), "lvmap2");
        return tables && tables->currentItem() &&
               tables->currentItem()->text() == QLatin1String("Boost Correction Map A");
    });

    d.step("Tab to the grid, a new value typed into its cell");
    tab_to(d, QStringLiteral("sgmap"));
    const QString before = d.gui([] {
        QTableView* g = map_grid();
        return g ? g->currentIndex().data().toString() : QString();
    });
    const std::string value = before.trimmed() == QLatin1String("2") ? "3" : "2";
    d.type(value);
    d.keys("Return");
    d.wait_until("the cell to read " + value, [value] {
        QTableView* g = map_grid();
        return g && g->currentIndex().data().toString().trimmed().toStdString() == value &&
               !QApplication::activeModalWidget();
    });
}

void send_and_link(Driver& d) {
    d.step("Communication > Send All Data: the link starts, Communication > Link shows it");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.menu("alt+n", "w");
    d.wait_until("the link to run",
                 [] { return menu_item_checked("btnlink") && menu_item_checked("menulink"); });
}

void read_monitor(Driver& d) {
    d.step("Communication > Data Monitor: its six values read with their units");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.menu("alt+n", "m");
    static const char* const kRows[] = {"lbboost",    "lbpeak_hold",     "lbrev_speed",
                                        "lbthrottle", "lbcorrect_boost", "lbcorrect_offset"};
    QStringList read;
    d.wait_until("six live values on the monitor", [&read] {
        read.clear();
        QDialog* m = shown_monitor();
        for (const char* row : kRows) {
            const QString t = heard(m ? child_named(m, QLatin1String(row)) : nullptr);
            // A caption and a number: "Pressure 103.9 kPa".
            if (!t.contains(QLatin1Char(' ')) ||
                !t.contains(QRegularExpression(QStringLiteral("[0-9]"))))
                return false;
            read << t;
        }
        return true;
    });
    std::fprintf(stderr, "  heard: %s\n", read.join(QStringLiteral(" | ")).toStdString().c_str());
    look(d, "keyboard-monitor");
    // The monitor may hold the keyboard: Escape closes it and gives it back.
    if (d.gui([] { return shown_monitor() && shown_monitor()->isActiveWindow(); })) {
        d.keys("Escape");
        d.wait_until("the monitor to close", [] { return shown_monitor() == nullptr; });
    }
}

void record(Driver& d) {
    d.step("Communication > Data Log, then START by its mnemonic");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.menu("alt+n", "g");
    d.wait_until("the data log to have the keyboard", [] {
        return data_log_window() && data_log_window()->isVisible() &&
               data_log_window()->isActiveWindow();
    });
    d.keys("alt+l");
    d.wait_until("the recording monitor to have the keyboard", [] {
        QDialog* m = shown_monitor();
        return m && m->isActiveWindow() && QApplication::activeModalWidget() == m;
    });
    d.step("a few samples, then Escape ends the recording");
    Driver::settle(600ms);
    d.keys("Escape");
    d.wait_until("the data log to show the recording", [] {
        return shown_monitor() == nullptr && data_log_window() &&
               data_log_window()->windowTitle().endsWith(QLatin1String("TMPLOG.PVL"));
    });
}

// Alt+W, then Down until the item of the child window whose caption ends with `caption_end`
// is highlighted, and Return: that window comes to the front.
void window_by_keys(Driver& d, const QString& caption_end) {
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.keys("alt+w");
    for (int k = 0;; ++k) {
        const bool on_it = d.gui([caption_end] {
            auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return m && m->activeAction() && m->activeAction()->text().endsWith(caption_end);
        });
        if (on_it) break;
        if (k == 12) d.fail("the Window menu has no item for " + caption_end.toStdString());
        d.keys("Down");
    }
    d.keys("Return");
    d.wait_until("the window to be the active one", [caption_end] {
        auto* mdi = main_window() ? main_window()->findChild<QMdiArea*>() : nullptr;
        return mdi && mdi->activeSubWindow() &&
               mdi->activeSubWindow()->windowTitle().endsWith(caption_end) &&
               !QApplication::activePopupWidget();
    });
}

// Display Setting by keys: every channel drawn, so that its row reads in the values column.
void show_channels(Driver& d) {
    d.step("Shift+Tab to Display Setting: all channels, Display on, OK");
    tab_to(d, QStringLiteral("btnlset"), "shift+Tab");
    d.keys("space");
    auto dialog = []() -> QWidget* {
        QWidget* m = QApplication::activeModalWidget();
        return m && m->objectName() == QLatin1String("Tlsetdlg") && m->isActiveWindow() ? m
                                                                                        : nullptr;
    };
    d.wait_until("the settings dialog to have the keyboard", [dialog] { return dialog(); });
    tab_to(d, QStringLiteral("lblset"));
    d.keys("ctrl+a");
    tab_to(d, QStringLiteral("cbdraw"));
    auto drawn = [dialog] {
        auto* box = dialog() ? dialog()->findChild<QCheckBox*>(QStringLiteral("cbdraw")) : nullptr;
        return box && box->checkState() == Qt::Checked;
    };
    if (!d.gui(drawn)) d.keys("space");
    if (!d.gui(drawn)) d.keys("space");  // from partly checked to checked
    d.wait_until("Display to be on for all", drawn);
    tab_to(d, QStringLiteral("btnok"));
    d.keys("space");
    d.wait_until("the settings dialog to close", [] { return !QApplication::activeModalWidget(); });
}

void step_cursor(Driver& d) {
    d.step("Window > the recording, Tab to the chart");
    window_by_keys(d, QStringLiteral("TMPLOG.PVL"));
    tab_to(d, QStringLiteral("pblog"));
    auto chart = [] { return heard(child_named(data_log_window(), QStringLiteral("pblog"))); };
    auto values = [] {
        return heard_lines(child_named(data_log_window(), QStringLiteral("pbdata")));
    };
    const QString first = d.gui(chart);
    if (!first.startsWith(QLatin1String("Log chart, sample ")))
        d.fail("the chart reads \"" + first.toStdString() + "\"");
    d.step("Home, then Right: the cursor's sample and the values under it");
    // "Log chart, sample 3 of 40 at 0.30 s": the sample's number.
    auto sample = [chart] {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^Log chart, sample (\\d+) of \\d+ at "))
                .match(chart());
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    d.keys("Home");
    d.wait_until("the cursor at the first sample", [sample] { return sample() == 0; });
    d.keys("Right");
    d.wait_until("the cursor at the next sample", [sample] { return sample() == 1; });
    show_channels(d);
    d.step("Tab to the rows' scroll bar, Right until the channels are in sight");
    tab_to(d, QStringLiteral("sbdata"));
    auto pressure_row = [values] {
        for (const QString& r : values())
            if (r.startsWith(QLatin1String("Pressure "))) return true;
        return false;
    };
    for (int k = 0; k < 12 && !d.gui(pressure_row); ++k) d.keys("Right");
    if (!d.gui(pressure_row))
        d.fail("no Pressure row comes into sight: " +
               d.gui(values).join(QStringLiteral(" | ")).toStdString());
    if (d.gui(sample) != 1) d.fail("scrolling the rows moved the cursor");
    const QStringList at_second = d.gui(values);
    // The channel rows read their names and the values under the cursor.
    int channels_read = 0;
    for (const char* name : {"Pressure", "Peak Hold Value", "RPM", "Throttle", "Boost Correction",
                             "Offset Correction"})
        for (const QString& r : at_second)
            if (r.contains(
                    QRegularExpression(QStringLiteral("^%1 -?[0-9]").arg(QLatin1String(name)))))
                ++channels_read;
    std::fprintf(stderr, "  heard: %s | %s\n", d.gui(chart).toStdString().c_str(),
                 at_second.join(QStringLiteral(" | ")).toStdString().c_str());
    if (channels_read != 6)
        d.fail("the values column does not read the six channels with their values");
    look(d, "keyboard-log");
}

}  // namespace

void script_keyboard(Driver& d) {
    wait_main_window(d);
    open_by_keys(d);
    edit_cell(d);
    send_and_link(d);
    read_monitor(d);
    record(d);
    step_cursor(d);
    exit_program(d, "n");
}

}  // namespace desk
