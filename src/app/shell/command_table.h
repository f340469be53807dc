// The main window's commands as data: one row per command with its menu item, tool button
// and grid pop-up twin, the handler they run and the rule that enables them. A new command
// is one row here and one handler.
#pragma once
#include <QAction>
#include <span>

#include "app/shell/main.h"

namespace pv {

// When a command is enabled. RefreshCommands applies the rule from the state flags; the
// commands marked `grid_edit` also follow whether the table shown can be edited.
enum class When {
    unmanaged,   // set by its own rule elsewhere, or never disabled
    always,      // enabled at every refresh
    document,    // a document is open
    saveable,    // the document has its file and unsaved changes
    paste,       // a document is open and the clipboard holds text
    link_ready,  // the live link can start
    live,        // the live link runs on the open document
    comparison,  // a comparison file is loaded
    log_link,    // a log is open beside the document
};

// The grid pop-up's copy of a menu item.
enum class Twin {
    none,
    follows_item,  // triggers the menu item and is enabled with it
    runs_handler,  // runs the handler even while the menu item is disabled
};

struct Command {
    QAction* Tmain::*menu = nullptr;
    const char* menu_name = nullptr;
    const char* caption = nullptr;
    const char* shortcut = nullptr;
    bool menu_icon = false;  // the menu item shows the tool button's image
    bool checkable = false;
    QAction* Tmain::*button = nullptr;
    const char* button_name = nullptr;
    const char* hint = nullptr;
    const char* image = nullptr;
    bool toggle = false;
    QAction* Tmain::*popup = nullptr;
    const char* popup_name = nullptr;
    Twin twin = Twin::none;
    void (Tmain::*handler)() = nullptr;
    When when = When::unmanaged;
    bool grid_edit = false;
};

std::span<const Command> command_table();

// Whether a rule allows its command, with `doc` standing for "a document that can be edited".
bool command_allowed(When when, bool doc);

}  // namespace pv
