// Where a core sequence must touch a window, it calls one of these interfaces, each named for
// the views it serves. The window program installs the windows that own those views; pvtool
// and most tests keep the defaults, which do nothing.
//
// The interfaces with many possible listeners (document views, live views, log views) are
// served by a ViewRegistry (core/ui/views.h) that fans each call out to the windows open.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace pv {

// The main window's own parts: its commands, status bar, busy look, link button and timer.
class ShellViews {
  public:
    virtual ~ShellViews() = default;
    // Recompute the enabled state of every command from the state flags.
    virtual void refresh_commands() {}
    virtual void repaint_status_bar() {}
    // The two Undo items (Edit menu and grid pop-up menu).
    virtual void set_undo_enabled(bool /*enabled*/) {}
    // Save in the File menu and on the tool bar.
    virtual void set_save_enabled(bool /*enabled*/) {}
    // The window part of the busy switch: main window, mouse cursor, map and graph controls.
    virtual void set_windows_busy(bool /*busy*/) {}
    // Back to the normal mouse cursor before a message interrupts a busy command.
    virtual void normal_cursor() {}
    virtual void set_link_button(bool /*down*/) {}
    // linktimer's interval; 0 stops it.
    virtual void set_link_timer(uint32_t /*interval_ms*/) {}
    // While a poll's reply is on the wire the timer's ticks would only be noted, each at the
    // cost of a wake-up: the timer is held (true when it ran and now rests), and resumed with
    // its next tick `next_tick_ms` from now and every interval after it (true when it was
    // still held: a timer stopped meanwhile stays stopped). Without these the ticks go on.
    virtual bool hold_link_timer() { return false; }
    virtual bool resume_link_timer(uint32_t /*next_tick_ms*/) { return false; }
    // An exchange waits for its reply: call link_poll_collect() when `handle` turns readable
    // and once `timeout_ms` have passed. A handle of -1 ends the watch.
    virtual void watch_port(int /*handle*/, uint32_t /*timeout_ms*/) {}
};

// Views of the document's tables: the map window's grid and lists, the graph.
class DocumentViews {
  public:
    virtual ~DocumentViews() = default;
    // SetCell wrote a value: show `text` in grid cell (column, row), both counted from 1,
    // and in the graph's value row when the graph shows that cell's line.
    virtual void cell_written(int /*column*/, int /*row*/, const std::string& /*text*/) {}
    // Ends a pending axis edit of the map window (CommitAxisEdit). False when the axis holds
    // two equal values: the edit was undone and the command must not go on.
    virtual bool commit_axis_edit() { return true; }
    virtual void setup_grid() {}  // SetupGrid
    virtual void fill_grid() {}   // FillGrid
    // FillTableList, then selects again the entry of lvmap2 that was selected.
    virtual void fill_table_list() {}
    virtual bool grid_enabled() { return true; }
    virtual void set_grid_enabled(bool /*on*/) {}  // SetGridEnabled
    virtual void repaint_map_grid() {}
    // The map window chose a table, or chose the one shown anew: the graph starts again
    // from it (RebuildGraph).
    virtual void rebuild_graph() {}
    // The map grid's cells or selection changed: the graph takes them and repaints.
    virtual void repaint_graph() {}
};

// "Save data?" answered Yes: saved, the write failed, or the user cancelled the save dialog.
enum class SaveResult { saved, failed, cancelled };

// The document's window as a whole: made, captioned, saved and closed in one place.
class DocumentFlow {
  public:
    using SaveResult = pv::SaveResult;
    virtual ~DocumentFlow() = default;
    // Closes the map window (which may ask to save). False when it stayed open.
    virtual bool close_map_window() { return true; }
    // Creates the map window for the document unless it exists.
    virtual void make_map_window() {}
    virtual void set_map_caption(const std::string& /*text8*/) {}
    // Writes the document just loaded from the unit as "UNITDATA.PVD" beside the program.
    virtual void save_unit_data() {}
    // Saves to the document's file, or through the save dialog when it has none. A failed
    // write is reported by the caller, not here.
    virtual SaveResult save_modified_document() { return SaveResult::cancelled; }
};

// The dialogs that show a transfer running.
class TransferProgress {
  public:
    virtual ~TransferProgress() = default;
    // The progress dialog (Tnetdlg) of Load All (kind 1) or Send All (kind 2): shows itself
    // modally and, on its first timer tick, runs `job`; true for the "yes" result.
    virtual bool run_progress_dialog(uint8_t /*kind*/, const std::function<bool()>& job) {
        return job();
    }
    // The job sets the gauge's maximum before its first exchange.
    virtual void set_gauge_maximum(int /*maximum*/) {}
    // One exchange of a transfer finished while the progress dialog is showing.
    virtual void gauge_step() {}
    // The processing dialog (TWritingdlg) that ends a parameter send, about three seconds.
    virtual void show_processing_dialog() {}
};

// Views of the live values: the monitor, the map's live cursor and trace, the trace buttons.
class LiveViews {
  public:
    virtual ~LiveViews() = default;
    virtual void close_monitor() {}
    virtual void refresh_monitor() {}
    // A poll succeeded with the document open: move the live cursor and trace unless the
    // cursor is disabled or held.
    virtual void update_live_cursor() {}
    // Under Log Link the comparison log wrote its cursor's values (other_live): move the
    // map's comparison-log cursor.
    virtual void update_compare_cursor() {}
    virtual void clear_cursor_hold() {}
    // Trace and Cursor Trace: switch off whichever is down.
    virtual void release_trace_buttons() {}
};

// The data log and comparison log windows.
class LogViews {
  public:
    virtual ~LogViews() = default;
    // Log Link is being switched off by the link (the caller clears log_link afterwards).
    virtual void log_link_off() {}
    // last_log_file and last_other_log_file went back to their placeholders.
    virtual void log_captions_reset() {}
};

ShellViews& shell_views();
DocumentViews& document_views();
DocumentFlow& document_flow();
TransferProgress& transfer_progress();
LiveViews& live_views();
LogViews& log_views();

// Every interface at once; a null member stands for the empty default.
struct FrontEnd {
    ShellViews* shell = nullptr;
    DocumentViews* documents = nullptr;
    DocumentFlow* flow = nullptr;
    TransferProgress* progress = nullptr;
    LiveViews* live = nullptr;
    LogViews* logs = nullptr;
};
// Installs the interfaces (the caller keeps ownership); FrontEnd{} restores the defaults.
void install_front_end(const FrontEnd& f);
// What is installed now, for putting it back later.
FrontEnd installed_front_end();

}  // namespace pv
