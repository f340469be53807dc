// Where the printed pages put their texts and rules, from the extents of the page font.
// The printer, a PDF and the tests' images all draw from these numbers, so the layout is
// worked out once, without a paint device.
#pragma once
#include <string>
#include <vector>

namespace pv {

struct PagePoint {
    int x;
    int y;
};

struct PageRule {
    int x1, y1, x2, y2;
    int width;
};

// The map page: the file-name line, the data-name line, then the grid as a ruled table.
inline constexpr int kMapPagePoints = 9;
inline constexpr int kMapPageSmallPoints = 8;  // for grids of 24 columns or more
int map_page_points(int grid_cols);

struct MapPageMetrics {
    int cell_width;    // W: extent of "******"
    int half_char;     // C: half the extent of "*", towards zero
    int line_height;   // L: one and a half times the height of "*****"
    int inner_offset;  // D: a quarter of that height
    int table_top;     // T: four lines down
};
MapPageMetrics map_page_metrics(int six_stars_width, int star_width, int text_height);

struct MapPageLayout {
    PagePoint file_line;
    PagePoint data_line;
    // Text origin (top-left) of grid cell (c, r), row 0 and column 0 being the headers:
    // cells[r][c] for r = 0..rows, c = 0..cols.
    std::vector<std::vector<PagePoint>> cells;
    std::vector<PageRule> rules;
};
MapPageLayout map_page_layout(const MapPageMetrics& m, int grid_cols, int grid_rows);
// The log overlay's grid printed below the map's: the same table two lines further down,
// its title line (in `file_line`) just above it; `data_line` is unused.
MapPageLayout map_page_overlay_layout(const MapPageMetrics& m, int grid_cols, int grid_rows);

// The data-name line's mode part: "Mode A" or "Mode B" for the maps of that mode, nothing for
// the axes, cut to 15 characters.
std::string map_page_mode_name(int map_id);
// "Data Name : " followed by the mode name; the table's name and its axis text follow.
std::string map_page_data_prefix(int map_id);

// The parameter sheet: labels at x = 0, values at the extent of the widest label text, one
// line every "*" height plus one.
inline constexpr int kSheetPoints = 8;
int parameter_sheet_line_height(int star_height);

}  // namespace pv
