// What the map window needs from the window that hosts it. The map folder owns this
// interface; the main window implements it, so the map window never reaches into its host.
#pragma once
#include <string>

#include "core/logging/overlay_choice.h"

class QMenu;
class QString;

namespace pv {

class Tmap;

class MapHost {
  public:
    virtual ~MapHost() = default;
    // The grid's pop-up menu (the Edit menu's twins).
    virtual QMenu* grid_popup() = 0;
    // Status panels 1 to 3: the table, the axis mode, the file.
    virtual void set_status_text(int panel, const QString& text) = 0;
    // The editing commands follow whether the table shown can be edited.
    virtual void enable_edit_commands(bool on) = 0;
    // View Comparison File went off.
    virtual void comparison_closed() = 0;
    // The window is going away with its document: commands and status panels follow.
    virtual void map_closed(Tmap* map) = 0;
    // The file the data log or the comparison log window shows; empty when none does.
    virtual std::string shown_log_file(OverlaySource side) const = 0;
};

}  // namespace pv
