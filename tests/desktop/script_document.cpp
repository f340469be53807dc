// The document's windows and commands, without the unit: the map window, the graph in its
// views, the parameter dialog's pages, the trims, the file dialogs, printing, About and the
// COM port menu.
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrintDialog>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <fstream>
#include <iterator>

#include "app/mapedit/graph.h"
#include "desktop/scripts.h"

namespace desk {
namespace {

pv::Tgraph* graph_window() {
    QWidget* main = main_window();
    return main ? main->findChild<pv::Tgraph*>(QStringLiteral("graph")) : nullptr;
}

// The main window's own point `p` lies in `w`'s rectangle.
bool hits(QWidget* main, QWidget* w, const QRect& local, QPoint p, QString& where) {
    const QRect r(w->mapTo(main, local.topLeft()), local.size());
    where = QStringLiteral("(%1, %2)").arg(r.center().x()).arg(r.center().y());
    return r.contains(p);
}

// The points the real-binary test clicks are still on "Mode A" and the Graph button.
void check_real_binary_points(Driver& d) {
    d.step("the real-binary test's points are on Mode A and the Graph button");
    const QString problem = d.gui([] {
        QWidget* main = main_window();
        QListWidget* groups = list(map_window(), "lvmap1");
        QWidget* graph = tool_button(QStringLiteral("btngraph"));
        if (!main || !groups || !graph) return QStringLiteral("no map window or Graph button");
        const auto items = groups->findItems(QStringLiteral("Mode A"), Qt::MatchExactly);
        if (items.isEmpty()) return QStringLiteral("no Mode A group");
        QString mode_a, button, out;
        if (!hits(main, groups->viewport(), groups->visualItemRect(items.front()), kModeAPoint,
                  mode_a))
            out += QStringLiteral("Mode A is now at ") + mode_a + QLatin1Char(' ');
        if (!hits(main, graph, graph->rect(), kGraphButtonPoint, button))
            out += QStringLiteral("the Graph button is now at ") + button;
        return out;
    });
    if (!problem.isEmpty()) d.fail(problem.toStdString() + " (kModeAPoint, kGraphButtonPoint)");
}

void graph_views(Driver& d) {
    d.step("Mode A, then the Graph tool button");
    d.click("the Mode A group", list_item(map_window, "lvmap1", QStringLiteral("Mode A")));
    d.wait_until("Boost Correction Map A to be chosen", [] {
        QListWidget* tables = list(map_window(), "lvmap2");
        return tables && tables->currentItem() &&
               tables->currentItem()->text() == QLatin1String("Boost Correction Map A");
    });
    d.click("the Graph button", [] { return tool_button(QStringLiteral("btngraph")); });
    d.wait_active(QStringLiteral("Graph"));
    look(d, "graph-surface");

    d.step("the graph's views: a right click in the drawing advances them");
    for (int mode : {1, 2, 0}) {
        d.step("graph view " + std::to_string(mode));
        d.click(
            "the graph drawing",
            [] { return graph_window() ? child_named(graph_window(), "pbgraph") : nullptr; }, 3);
        d.wait_until("graph view " + std::to_string(mode), [mode] {
            return graph_window() && graph_window()->graph().graph_mode == mode;
        });
        look(d, "graph-mode" + std::to_string(mode));
    }
    d.step("the horizontal section");
    d.click("Horizontal Section",
            list_item(graph_window, "lbgraph1", QStringLiteral("Horizontal Section")));
    d.wait_until("the horizontal section", [] {
        QListWidget* l = list(graph_window(), "lbgraph1");
        return l && l->currentRow() == 1;
    });
    look(d, "graph-horizontal");

    d.step("the graph closes with its title bar's close button");
    d.click("the graph's close button", Locator([] { return close_button(graph_window()); }));
    d.wait_gone(QStringLiteral("Graph"));
}

template <class T>
T* modal_of_type() {
    return qobject_cast<T*>(QApplication::activeModalWidget());
}

void parameter_pages(Driver& d) {
    d.step("Setting > Parameter Setting");
    d.menu("alt+s", "p");
    d.wait_active(QStringLiteral("Parameter Setting"));
    const int pages = d.gui([&] {
        auto* tabs = d.window_titled(QStringLiteral("Parameter Setting"))
                         ->findChild<QTabWidget*>(QStringLiteral("pcprm"));
        return tabs ? tabs->count() : 0;
    });
    if (pages < 4) d.fail("the parameter dialog has " + std::to_string(pages) + " pages");
    auto tab_bar = [&d]() -> QTabBar* {
        QWidget* dlg = d.window_titled(QStringLiteral("Parameter Setting"));
        auto* tabs = dlg ? dlg->findChild<QTabWidget*>(QStringLiteral("pcprm")) : nullptr;
        return tabs ? tabs->tabBar() : nullptr;
    };
    // From the last page back to the first, so that every page is shown by a click.
    for (int page = pages - 1; page >= 0; --page) {
        d.step("the parameter dialog's page " + std::to_string(page + 1));
        d.click("the page's tab", Locator([&, page]() -> std::optional<QPoint> {
                    QTabBar* bar = tab_bar();
                    return bar ? global_centre(bar, bar->tabRect(page)) : std::nullopt;
                }));
        d.wait_until("the page to show", [&, page] {
            QTabBar* bar = tab_bar();
            return bar && bar->currentIndex() == page;
        });
        look(d, "parameters-" + std::to_string(page + 1));
    }
    d.step("the parameter dialog's CANCEL");
    d.click("CANCEL", [&d] {
        return child_named(d.window_titled(QStringLiteral("Parameter Setting")), "btncancel");
    });
    d.wait_gone(QStringLiteral("Parameter Setting"));
}

// A file dialog of a command comes up and goes again with Escape.
void cancel_file_dialog(Driver& d, const std::string& command, const std::string& open_keys,
                        const std::string& item_keys, bool save_question) {
    d.step(command + ", cancelled with Escape");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    if (item_keys.empty())
        d.keys(open_keys);
    else
        d.menu(open_keys, item_keys);
    if (save_question) d.expect_message("", "n");
    d.wait_until("the file dialog to have the keyboard", [] {
        auto* f = modal_of_type<QFileDialog>();
        return f && f->isActiveWindow();
    });
    look(d, "file-dialog-" + (item_keys.empty() ? open_keys : item_keys));
    d.keys("Escape");
    d.wait_until("the file dialog to close", [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QFileDialog*>(w) && w->isVisible()) return false;
        return true;
    });
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void print_to_pdf(Driver& d) {
    d.step("File > Print to the PDF file (no printer here)");
    const std::string pdf = work_folder() + "/prog/pvedit.pdf";
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.menu("alt+f", "p");
    d.wait_until("the print dialog to have the keyboard", [] {
        auto* p = modal_of_type<QPrintDialog>();
        return p && p->isActiveWindow();
    });
    look(d, "print-dialog");
    d.keys("Return");
    d.wait_until("the print dialog to close", [] { return !modal_of_type<QPrintDialog>(); });
    d.wait_until("the PDF file", [&] { return read_file(pdf).rfind("%PDF", 0) == 0; });
}

void about_box(Driver& d) {
    d.step("Help > About, closed with its OK");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.menu("alt+h", "a");
    d.wait_active(QStringLiteral("About"));
    look(d, "about");
    d.click("About's OK",
            [&d] { return child_named(d.window_titled(QStringLiteral("About")), "OKButton"); });
    d.wait_gone(QStringLiteral("About"));
}

void com_port_menu(Driver& d) {
    d.step("Option > COM Port > COM2");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.keys("alt+o");
    d.click("the COM Port item", Locator([]() -> std::optional<QPoint> {
                auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!m) return std::nullopt;
                for (QAction* a : m->actions())
                    if (a->text() == QLatin1String("&COM Port"))
                        return global_centre(m, m->actionGeometry(a));
                return std::nullopt;
            }));
    d.wait_until("the COM Port menu", [] {
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return m && !m->actions().isEmpty() &&
               m->actions().front()->objectName() == QLatin1String("mcom1");
    });
    look(d, "com-port-menu");
    d.click_menu_item("mcom2");
    d.wait_until("COM2 to be chosen", [] {
        auto* a = main_window()->findChild<QAction*>(QStringLiteral("mcom2"));
        return a && a->isChecked() && !QApplication::activePopupWidget();
    });
}

// An input dialog of a trim comes up; `value` is typed into it and it is confirmed.
void trim(Driver& d, const std::string& command, const std::string& item_keys,
          const std::string& value) {
    d.step("Edit > " + command + " by " + value);
    const QString before = d.gui([] { return map_cell_text(1, 1); });
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.menu("alt+e", item_keys);
    d.wait_until("the input dialog to have the keyboard", [] {
        auto* i = modal_of_type<QInputDialog>();
        return i && i->isActiveWindow();
    });
    look(d, "trim-" + item_keys);
    d.keys("ctrl+a");
    d.type(value);
    d.keys("Return");
    d.wait_until("the input dialog to close", [] { return !modal_of_type<QInputDialog>(); });
    d.wait_until("the first cell to change from " + before.toStdString(),
                 [before] { return map_cell_text(1, 1) != before; });
}

void trims(Driver& d) {
    d.step("three by three cells of Boost Correction Map A are selected");
    d.click("the map's first cell", map_cell(1, 1));
    d.keys("shift+Right shift+Right shift+Down shift+Down");
    d.wait_until("nine cells selected", [] {
        QTableView* g = map_grid();
        return g && g->selectionModel() && g->selectionModel()->selectedIndexes().size() == 9;
    });
    trim(d, "Constant Trim", "a", "3");
    trim(d, "Multiplier Trim", "r", "1.5");
    d.step("Edit > Equal Divide");
    d.menu("alt+e", "d");
    d.wait_until("the map window to have the keyboard again", [] {
        return main_window()->isActiveWindow() && !QApplication::activePopupWidget();
    });
    look(d, "equal-divide");
}

}  // namespace

void script_document(Driver& d) {
    wait_main_window(d);
    d.wait_window(QStringLiteral("../docs/EXAMPLE.PVD"));
    look(d, "main");
    check_real_binary_points(d);
    graph_views(d);
    parameter_pages(d);
    cancel_file_dialog(d, "File > Save As", "alt+f", "a", false);
    print_to_pdf(d);
    about_box(d);
    com_port_menu(d);
    trims(d);
    // Open closes the document first, and the trims changed it: the program asks whether to
    // save it; without a document the program ends without a question.
    cancel_file_dialog(d, "File > Open", "ctrl+o", "", true);
    d.wait_until("the map window to have closed", [] { return map_window() == nullptr; });
    exit_program(d);
}

}  // namespace desk
