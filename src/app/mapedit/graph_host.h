// What the graph window needs from the window that hosts it: the map grid's selection,
// which the graph follows and sets, and word of its own closing. The graph's folder owns
// this interface; the main window implements it.
#pragma once
#include "core/mapedit/edit_ops.h"

namespace pv {

class Tgraph;

class GraphHost {
  public:
    virtual ~GraphHost() = default;
    virtual Selection map_selection() const = 0;
    // Replaces the map grid's selection.
    virtual void select_map_cells(const Selection& s) = 0;
    // Whether the map grid takes edits; the graph shows its drawing only then.
    virtual bool map_grid_enabled() const = 0;
    // The graph window is closing.
    virtual void graph_closed(Tgraph* graph) = 0;
};

}  // namespace pv
