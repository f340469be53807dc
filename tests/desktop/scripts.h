// The smoke scripts: each drives one run of the program from its first window to File > Exit.
#pragma once
#include <QPoint>
#include <QString>
#include <string>

#include "desktop/driver.h"

class QDialog;
class QListWidget;
class QTableView;

namespace desk {

struct Script {
    const char* name;
    void (*run)(Driver&);
    // What the settings file must hold once the program has ended ("[OPTION]\nCOM=2").
    const char* settings_hold = "[FORM]";
};

// The document and its map window, the graph, the parameter dialog, the edit commands,
// the file dialogs, printing, About and the COM port menu.
void script_document(Driver& d);
// The live link with the simulated unit: the monitor, the traces and a recording.
void script_live(Driver& d);
// A log file from the command line, Log Link, both log windows and their settings dialogs.
void script_logs(Driver& d);
// Keys only, read back through the accessibility tree: open, edit, send, link, the monitor's
// values, a recording and the log's cursor.
void script_keyboard(Driver& d);
// Review before sending against the unit, cancelled and then sent; the Unit History window.
void script_history(Driver& d);

// Where the real-binary test clicks, in the main window's own coordinates: the "Mode A"
// group and the Graph tool button as the program lays them out at its first start on a
// 1280 x 1024 screen. script_document checks that they still hit.
inline constexpr QPoint kModeAPoint{50, 123};
inline constexpr QPoint kGraphButtonPoint{398, 45};

// Finders several scripts share (program's thread).
QWidget* map_window();
QListWidget* list(QWidget* root, const char* name);
// The row of list `name` under `root` whose text is `text`.
Locator list_item(std::function<QWidget*()> root, const char* name, QString text);
QTableView* map_grid();
// The Data Monitor (also the recording monitor) while it is shown; the data log window.
QDialog* shown_monitor();
QWidget* data_log_window();
Locator map_cell(int column, int row);  // both from 1
QString map_cell_text(int column, int row);

// Steps several scripts share.
std::string work_folder();  // the session's temporary folder
void wait_main_window(Driver& d);
// File > Exit; `save_answer` is the key that answers "Save data?" for a changed document
// (empty: no question may come).
void exit_program(Driver& d, const std::string& save_answer = {});
// Whether the main window's action `name` is checked (a toggle button's state).
bool action_checked(const char* name);
// Window > the child window whose caption ends with `caption_end`: it becomes the active one.
void bring_to_front(Driver& d, const QString& caption_end);
// A log window's Display Setting button: the settings dialog `dialog_name` comes up, is
// looked at and closes with its button `button_name` ("btnok", "btncancel").
void log_display_setting(Driver& d, const Finder& log, const char* dialog_name,
                         const char* button_name);
// A picture of the screen as it is now, when PV_DESKTOP_SHOTS_ALL is set: to look at the
// windows the script opens.
void look(Driver& d, const std::string& name);

}  // namespace desk
