// The differences between two sets of controller data, each value shown as the program
// shows it: parameters as the parameter dialog's fields, with their unit labels, and table
// cells as the grid's texts, named by the grid's header texts.
#pragma once
#include <string>
#include <vector>

#include "core/document/unit.h"

namespace pv {

struct Difference {
    std::string field;  // the data file dump's field name: "setboost_a", "boost_map_b"
    std::string name;   // what the user knows it by (8-bit text of the current language)
    bool is_cell = false;
    int i = 0, j = 0;  // the element of a table as the dump lists it: axis[i], map[i][j]
    // Stored values: a number, or for the comment its text and for the save stamp its six
    // numbers joined by blanks.
    std::string a_value, b_value;
    std::string a_text, b_text;  // as shown (8-bit texts)
    bool numeric = true;
    // Labels of the data, not the data itself: listed, but two files that differ only here
    // hold the same data (the save stamp, the file and firmware versions, the status word).
    bool counts = true;
};

// Every difference from `a` to `b`, parameters first, then the tables in list order, then
// the comment and the labels. Cells are named by the headers the grid shows for `a`.
// Uses the grid working area and leaves it, and the program's data, as they were.
std::vector<Difference> diff_data(const ControllerData& a, const ControllerData& b);

// One table of two sets of data laid out as the map window lays `b`'s out: its caption and
// header texts, and for each grid cell the element it shows with both values' texts.
struct TableGrid {
    struct Cell {
        int i = 0, j = 0;  // the element, as Difference names it
        std::string a_text, b_text;
        bool changed = false;
    };
    int map_id = 0;
    std::string caption;  // the table list's entry
    std::string corner;
    std::string axis_text;  // the axes, range and unit, as the map window's status bar says
    std::vector<std::string> column_heads, row_heads;
    std::vector<std::vector<Cell>> cells;  // [row][column], from the top left
    // Whether the layout shows element (i, j): the axis mode hides parts of the maps.
    bool shows(int i, int j) const;
};
// Uses the grid working area and leaves it, and the program's data, as they were.
TableGrid table_grid(const ControllerData& a, const ControllerData& b, int map_id);

// One parameter's value as the parameter dialog shows it, with its unit label where the
// dialog has one, for the document `d`.
std::string parameter_text(const ControllerData& d, const std::string& field);

}  // namespace pv
