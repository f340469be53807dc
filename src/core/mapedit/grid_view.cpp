#include "core/mapedit/grid_view.h"

#include <algorithm>
#include <cstdio>

#include "core/document/unit.h"
#include "core/mapedit/axis_edit.h"
#include "core/mapedit/comparison.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

struct Entry {
    int caption;
    int map_id;
};
constexpr Entry kEntries[kGroupCount][3] = {
    {{5, map_rpm_axis}, {6, map_speed_axis}, {7, map_throttle_axis}},
    {{8, map_boost_a}, {9, map_offset_a}, {0, 0}},
    {{10, map_boost_b}, {11, map_offset_b}, {0, 0}},
};

const Entry* entry(int group, int item) {
    if (group < 0 || group >= kGroupCount || item < 0 || item >= 3) return nullptr;
    const Entry* e = &kEntries[group][item];
    return e->map_id ? e : nullptr;
}

std::string map_text(uint32_t n) {
    return text(Catalog::Map, n);
}

std::string five(int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%5d", static_cast<int>(v));
    return buf;
}

bool two_axis_mode() {
    return data.axis_select_no == 4 || data.axis_select_no == 5;
}

}  // namespace

int group_size(int group) {
    int n = 0;
    while (entry(group, n)) ++n;
    return n;
}

int table_of(int group, int item) {
    const Entry* e = entry(group, item);
    return e ? e->map_id : 0;
}

int table_caption(int group, int item) {
    const Entry* e = entry(group, item);
    return e ? e->caption : 0;
}

bool table_disabled(int map_id) {
    return is_map(map_id) && data.axis_select_no == 0;
}

Versions bound_versions() {
    if (state.link_on) return {unit.valve_version, unit.display_version};
    return {data.file_valve_version, data.file_display_version};
}

Bounds table_bounds(int map_id, Versions v, uint8_t pressure_unit) {
    switch (map_id) {
        case map_rpm_axis:
            return {0, 120};
        case map_speed_axis:
            return {0, 50};
        case map_throttle_axis:
            return {0, 100};
        case map_boost_a:
        case map_boost_b:
            return boost_bounds(v.valve, v.display, pressure_unit);
        default:
            return {1, 199};
    }
}

void set_value_bounds() {
    Bounds b = table_bounds(grid.current_map, bound_versions(), data.pressure_unit);
    grid.value_min = b.lo;
    grid.value_max = b.hi;
}

std::string corner_text() {
    const int id = grid.current_map;
    if (is_axis(id)) return map_text(12);
    switch (data.axis_select_no) {
        case 1:
            return map_text(14);
        case 3:
            return map_text(15);
        case 4:
        case 5:
            return {};
        default:
            return map_text(13);
    }
}

std::string row_header_text(int row) {
    const int id = grid.current_map;
    if (is_map(id) && two_axis_mode()) return five(grid.grid_values[0][row - 1]);
    if (row != 1) return {};
    switch (id) {
        case map_rpm_axis:
            return map_text(13);
        case map_speed_axis:
            return map_text(15);
        case map_throttle_axis:
            return map_text(14);
        default:
            return map_text(16);
    }
}

std::string column_header_text(int column) {
    return five(grid.col_axis_values[column - 1]);
}

std::string status_axis_text() {
    const int id = grid.current_map;
    std::string t;
    if (is_map(id) && data.axis_select_no >= 1 && data.axis_select_no <= 5)
        t = map_text(16u + data.axis_select_no);
    if (is_boost_map(id) && data.pressure_unit == 1) {
        // The panel names the range the cells are clamped to, so it judges the versions the
        // bounds were set from.
        Versions v = bound_versions();
        bool narrow = is_12x(v.valve) && is_12x(v.display);
        t += narrow ? "-24.6" : "-17.0";
        t += map_text(22);
        t += narrow ? "10.0" : "17.0";
    } else {
        t += FormatCell(grid.value_min) + map_text(22) + FormatCell(grid.value_max);
    }
    switch (id) {
        case map_rpm_axis:
            t += " [rpm]";
            break;
        case map_speed_axis:
            t += " [km/h]";
            break;
        case map_throttle_axis:
            t += " [%]";
            break;
        case map_boost_a:
        case map_boost_b:
            t += data.pressure_unit == 1 ? " [PSI]" : " [kPa]";
            break;
        default:
            break;
    }
    return t;
}

std::string status_file_text() {
    if (data.file_version == 0) return {};
    std::string t = "Data File Ver " + file_version_text(data.file_version);
    if (data.save_stamp[0] != 0) t += "  " + data.save_date_text;
    if (data.save_stamp[3] < 25) t += "  " + data.save_time_text;
    return t;
}

CellSize cell_size(int stars_width, int stars_height, int points, bool compare_loaded) {
    const int extra = round_half_even(points / 3.0L);
    CellSize s{stars_width + extra, stars_height + extra};
    if (compare_loaded) s.row_height *= 2;
    return s;
}

int header_width_for_setup(int rows, int col_width, int points) {
    return rows > 2 ? col_width : points + col_width;
}

int header_width_for_fill(int rows, int col_width, int points) {
    if (rows > 2) return col_width;
    // Counted in bytes of the 8-bit text, so a Japanese character takes two widths.
    size_t chars = std::max(corner_text().size(), row_header_text(1).size());
    return points * static_cast<int>(chars);
}

Point value_text_origin(int left, int top) {
    return {left + 2, top + 2};
}

Point compare_text_origin(int left, int top, int star_height) {
    return {left + 2, top + 4 + star_height};
}

CellLook cell_look(int column, int row, const CellMarks& marks) {
    CellLook look;
    look.trace_fill = state.link_on && marks.trace_on && !marks.selected && marks.trace_mark != 0;
    const int32_t value = grid.grid_values[column][row - 1];
    bool differs = false;
    if (state.compare_loaded) {
        const int32_t other = comparison_value(column, row);
        look.show_compare = true;
        look.compare_text = FormatCell(other);
        if (value > other) look.text_back = CellLook::Fill::greater;
        if (value < other) look.text_back = CellLook::Fill::smaller;
        differs = value != other;
    }
    look.changed = grid.changed_cells[column - 1][row - 1] != 0;
    look.redraw_text = (marks.trace_on && !marks.selected) || look.changed || differs;
    return look;
}

HeaderPick header_press(int column, int row) {
    HeaderPick p;
    const int cols = grid.grid_cols, rows = grid.grid_rows;
    if (column > 0 && row > 0) return p;
    p.header = true;
    if (column == 0 && row == 0) {
        p.selection = {1, 1, cols, rows};
        p.edit_col = cols;
        p.edit_row = rows;
    } else if (row == 0) {
        p.selection = {column, 1, column, rows};
        p.edit_col = column;
        p.edit_row = rows;
    } else {
        p.selection = {1, row, cols, row};
        p.edit_col = cols;
        p.edit_row = row;
    }
    return p;
}

HeaderPick header_drag(int press_column, int press_row, int column, int row) {
    HeaderPick p;
    const int cols = grid.grid_cols, rows = grid.grid_rows;
    if (press_column == 0 && press_row > 0 && row > 0) {
        p.header = true;
        p.selection = {1, std::min(press_row, row), cols, std::max(press_row, row)};
    } else if (press_column > 0 && press_row == 0 && column > 0) {
        p.header = true;
        p.selection = {std::min(press_column, column), 1, std::max(press_column, column), rows};
    } else {
        return p;
    }
    p.edit_col = column;
    p.edit_row = p.selection.bottom;
    return p;
}

}  // namespace pv
