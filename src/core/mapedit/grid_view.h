// What the map window shows of the table chosen, worked out without a window: which table
// each list entry names, the clamp bounds, the header and status texts, the cell and header
// sizes, the layers of a cell's drawing and the selections made on the headers.
#pragma once
#include <cstdint>
#include <string>

#include "core/mapedit/axis_edit.h"
#include "core/mapedit/edit_ops.h"

namespace pv {

// The table lists: group 0 the axes, 1 Mode A, 2 Mode B.
inline constexpr int kGroupCount = 3;
int group_size(int group);
// map_id of entry `item` of `group`, 0 when there is none.
int table_of(int group, int item);
// The MapCall text number of the entry's caption, 0 when there is none.
int table_caption(int group, int item);
// The maps are unusable while the axis mode is "OFF"; the axes never are.
bool table_disabled(int map_id);

// The firmware versions that decide the boost range: the unit's while the link runs, else
// those of the file the data came from.
struct Versions {
    uint8_t valve;
    uint8_t display;
};
Versions bound_versions();
Bounds table_bounds(int map_id, Versions v, uint8_t pressure_unit);
// value_min and value_max for grid.current_map.
void set_value_bounds();

// Header texts of the grid (8-bit texts of the text library, or "%5d" numbers).
std::string corner_text();
std::string row_header_text(int row);        // fixed column, row from 1
std::string column_header_text(int column);  // fixed row, column from 1

// Status bar panel 2 (axis, range and unit of the table) and panel 3 (data file version
// and save stamp; empty while the document did not come from a file).
std::string status_axis_text();
std::string status_file_text();

// Sizes in pixels from the grid font's text extents.
struct CellSize {
    int col_width;
    int row_height;
};
// `stars_width`/`stars_height`: the extent of "*****" in the grid font of `points` points.
CellSize cell_size(int stars_width, int stars_height, int points, bool compare_loaded);
// The fixed column's width when a table is set up or the cell size changes.
int header_width_for_setup(int rows, int col_width, int points);
// ... and when the grid is filled: wide enough for the corner and first row header texts.
int header_width_for_fill(int rows, int col_width, int points);

// Where a cell's texts go inside its rectangle (left, top): the value on the first line,
// the comparison value on the second.
struct Point {
    int x;
    int y;
};
Point value_text_origin(int left, int top);
Point compare_text_origin(int left, int top, int star_height);

// The layers drawn over the grid's own drawing of data cell (column, row).
struct CellLook {
    enum class Fill { none, trace, greater, smaller };
    bool trace_fill = false;    // green under everything
    bool show_compare = false;  // the comparison value as a grey second line
    std::string compare_text;
    bool changed = false;         // red text
    Fill text_back = Fill::none;  // behind the redrawn text: window, yellow or cyan
    bool redraw_text = false;
};
struct CellMarks {
    bool selected = false;
    bool trace_on = false;
    uint8_t trace_mark = 0;
};
CellLook cell_look(int column, int row, const CellMarks& marks);

// Presses on the fixed row and column select whole columns, rows or the table.
struct HeaderPick {
    bool header = false;  // false: a data cell, which the grid handles itself
    Selection selection;
    int edit_col = 1;
    int edit_row = 1;
};
HeaderPick header_press(int column, int row);
// Dragging from a press on a header cell to (column, row).
HeaderPick header_drag(int press_column, int press_row, int column, int row);

}  // namespace pv
