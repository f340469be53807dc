// The comparison view: the same table of a second data file, shown under each cell of the
// grid and pasted into the table on request.
#pragma once
#include <cstdint>
#include <string>

namespace pv {

// Reads the shown table of `path` into grid.compare_values and sets compare_loaded; shows
// "Select PVD file." for another extension or the file error when it cannot be read, and
// then leaves the comparison state as it was. The window switches the view itself on
// (check mark, row height).
bool open_comparison(const std::string& path);
// Switches the comparison view off.
void close_comparison();
// A table change while the view is on: reads the new table from the same file. On failure
// shows "Cannot open comparison file." and switches the view off; the window then undoes
// its part of the view.
bool reread_comparison();
const std::string& comparison_file();

// The comparison value that grid cell (column, row) is measured against.
int32_t comparison_value(int column, int row);
// Writes the comparison values into every cell of the table, selected or not. False, with
// nothing changed, while no comparison file is loaded.
bool PasteComparison();

}  // namespace pv
