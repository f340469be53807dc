// Menu items for the commands that only the tool bar has: each carries its button's hint with
// a mnemonic, follows the button's enabled and down state, and runs as a click on the button,
// so the keyboard reaches every command through the menus.
#pragma once

class QMainWindow;
class QMenu;

namespace pv {

// Setting > Graph; Communication > Link, Data Monitor, Trace, Cursor Trace, Data Log.
void add_button_items(QMainWindow* main, QMenu* setting, QMenu* communication);

}  // namespace pv
