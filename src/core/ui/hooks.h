// Where a core sequence must touch a window, it calls these hooks. The window program
// installs an implementation; pvtool and most tests keep the default, which does nothing.
#pragma once
#include <string>

namespace pv {

class FrontEndHooks {
  public:
    virtual ~FrontEndHooks() = default;

    // SetCell wrote a value: show `text` in grid cell (column, row), both counted from 1,
    // and in the graph's value row when the graph shows that cell's line.
    virtual void cell_written(int /*column*/, int /*row*/, const std::string& /*text*/) {}
    // The two Undo items (Edit menu and grid pop-up menu).
    virtual void set_undo_enabled(bool /*enabled*/) {}
    // Save in the File menu and on the tool bar.
    virtual void set_save_enabled(bool /*enabled*/) {}
    // Recompute the enabled state of every command from the state flags.
    virtual void refresh_commands() {}
    virtual void repaint_status_bar() {}
    // The window part of the busy switch: main window, mouse cursor, map and graph controls.
    virtual void set_windows_busy(bool /*busy*/) {}
    // One exchange of a transfer finished while the progress dialog is showing.
    virtual void gauge_step() {}
    // Back to the normal mouse cursor before a message interrupts a busy command.
    virtual void normal_cursor() {}
};

FrontEndHooks& hooks();
// Installs hooks (nullptr restores the empty default). The caller keeps ownership.
void set_hooks(FrontEndHooks* h);

}  // namespace pv
