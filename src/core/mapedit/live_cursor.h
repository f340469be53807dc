// The live cursor on the map grid: where the unit's operating point lies between the cells,
// the fading trace of the cells it passed, the selection that follows it, and the lines the
// grid draws for it. Everything here is decided without a window; the map window applies
// the result (selection, cells to repaint) and strokes the lines.
#pragma once
#include <array>
#include <cstdint>

#include "core/mapedit/edit_ops.h"

namespace pv {

// Position of the cursor along one axis of the grid.
struct AxisCursor {
    int bracket = 0;  // first cell of the pair around the value
    int near = 0;     // the cell whose header value is nearest
    int offset = 0;   // pixels from the near cell's leading edge to the cursor line
};
// `heads[0..count-1]`: the axis's header values; `cell_size`: a cell's width (columns) or
// height (rows). A cell's centre sits at its header value; between two centres the line
// moves linearly; outside the axis it stays in the middle of the end cell.
AxisCursor cursor_on_axis(int32_t value, const int32_t* heads, int count, int cell_size);

struct CursorRecord {
    uint8_t bracket_col = 0;  // upper-left cell of the block around the point; 0 = none
    uint8_t bracket_row = 0;
    uint8_t near_col = 0;
    uint8_t near_row = 0;
    int32_t x_offset = 0;  // cross lines inside the near cell, from its left and top edge
    int32_t y_offset = 0;
    uint8_t prev_col = 0;  // block of the last repaint, to erase the old cursor
    uint8_t prev_row = 0;
    // The lines of the last repaint: a cursor that has not moved is not drawn again.
    uint8_t painted_near_col = 0;
    uint8_t painted_near_row = 0;
    int32_t painted_x = -1;
    int32_t painted_y = -1;
};

// The map cursors and trace, program-wide like the grid working area they belong to.
struct CursorState {
    CursorRecord live_cursor;     // the unit, or the data log's cursor under Log Link
    CursorRecord compare_cursor;  // the comparison log's cursor under Log Link
    uint8_t trace_marks[5][5]{};  // [column-1][row-1]: updates the mark still lives; 0 none
    uint8_t trace_on = 0;         // Trace button down
    uint8_t cursor_trace_on = 0;  // Cursor Trace button down
    uint8_t cursor_hold = 0;      // Space froze the live cursor
    uint8_t cursor_enabled = 0;   // the table shown may carry a cursor at all
};
extern CursorState cursors;

// Clears the trace of every cell (table change, trace switched off).
void clear_trace_marks();
// Lifetime of a new mark, in cursor updates, by the Option > Trace choice. 255 never fades.
uint8_t trace_lifetime(uint8_t trace_length);

// The operating point in the units of the grid's column and row headers, for the table
// shown and the axis mode (rev in 100 rpm or 2 km/h counts, throttle in %).
struct OperatingPoint {
    int32_t column_value = 0;
    int32_t row_value = 0;
};
OperatingPoint operating_point(uint8_t rev, uint8_t throttle);

// What the window has to do after a cursor update.
struct GridCell {
    uint8_t column;
    uint8_t row;
};
struct CursorUpdate {
    // Cells to repaint: expired and new trace marks, the old block, the new block. May repeat.
    std::array<GridCell, 37> repaint{};
    int repaint_count = 0;
    bool select = false;  // Cursor Trace moves the grid selection to `selection`
    Selection selection;

    void add(int column, int row);
};

// A repaint left `c` out (the cursor off, the link off): its next update draws it again even
// where it has not moved.
inline void forget_painted_lines(CursorRecord& c) {
    c.painted_x = c.painted_y = -1;
}

// Cell sizes of the grid in pixels and whether its in-place editor is open (nothing is
// repainted then, so the editor is not disturbed and the old block is erased later).
struct CursorGrid {
    int col_width = 33;
    int row_height = 14;
    bool editing = false;
};

// Moves the live cursor to the point of (rev, throttle), marks and ages the trace, and
// works out the selection and the repaint. Uses the grid working area and settings'
// trace_length and auto_select.
CursorUpdate UpdateLiveCursor(uint8_t rev, uint8_t throttle, const CursorGrid& g);
// The same for the comparison log's cursor, which leaves no trace.
CursorUpdate UpdateCompareCursor(uint8_t rev, uint8_t throttle, const CursorGrid& g);

// The cells Cursor Trace selects around `c` by the Option > Cursor Trace choice: 1 the near
// cell, 2 the block, anything else 3 x 3 cells around the near cell within the grid.
Selection cursor_trace_selection(const CursorRecord& c, uint8_t auto_select);

// True when (column, row) lies in the record's block.
bool in_cursor_block(const CursorRecord& c, int column, int row);

// The lines of the cursor layer in one cell. Rectangles are (left, top, right, bottom) with
// right and bottom just outside the cell.
struct CellRect {
    int left;
    int top;
    int right;
    int bottom;
};
struct Segment {
    int x1, y1, x2, y2;
};
struct CursorLines {
    std::array<Segment, 4> lines{};
    int count = 0;
};
CursorLines cursor_lines(const CursorRecord& c, int column, int row, const CellRect& cell,
                         bool one_row);

// Pen of the live cursor: green under Log Link, magenta while held, blue when the table
// group on show ("Mode A" = 1, "Mode B" = 2) is not the mode the unit runs, else red.
enum class CursorPen { green, magenta, blue, red };
CursorPen live_cursor_pen(int group);
// The colour follows a change of mode through the status word that every tenth poll reads
// again. Painting does not count towards that read: the grid paints the cursor's cells several
// times a poll, and an extra exchange every other poll would halve the poll rate.

}  // namespace pv
