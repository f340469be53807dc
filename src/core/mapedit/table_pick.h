// The tables by name, and the choice of one table in the grid working area as the map
// window makes it, for the commands that show a table without the window.
#pragma once
#include <string>

namespace pv {

// The table's field name as the data file dump writes it ("boost_map_a"); empty for a code
// that names no table.
std::string table_field_name(int map_id);
// The table of a field name, 0 when none has it.
int table_of_field_name(const std::string& name);
// The MapCall text number of the table's list entry.
int table_caption_of(int map_id);

// Sets grid.current_map, the grid's shape in the current axis mode, the clamp bounds, the
// header values and the cell values, and clears the changed marks.
void choose_table(int map_id);

}  // namespace pv
