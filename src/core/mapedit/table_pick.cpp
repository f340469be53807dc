#include "core/mapedit/table_pick.h"

#include "core/document/unit.h"
#include "core/mapedit/edit_ops.h"
#include "core/mapedit/grid_view.h"

namespace pv {

std::string table_field_name(int map_id) {
    switch (map_id) {
        case map_rpm_axis:
            return "rpm_axis";
        case map_speed_axis:
            return "speed_axis";
        case map_throttle_axis:
            return "throttle_axis";
        case map_boost_a:
            return "boost_map_a";
        case map_offset_a:
            return "offset_map_a";
        case map_boost_b:
            return "boost_map_b";
        case map_offset_b:
            return "offset_map_b";
        default:
            return {};
    }
}

int table_of_field_name(const std::string& name) {
    for (int id : kTableIds)
        if (table_field_name(id) == name) return id;
    return 0;
}

int table_caption_of(int map_id) {
    for (int g = 0; g < kGroupCount; ++g)
        for (int i = 0; i < group_size(g); ++i)
            if (table_of(g, i) == map_id) return table_caption(g, i);
    return 0;
}

void choose_table(int map_id) {
    grid.current_map = map_id;
    const Shape s = MapShape(map_id, false);
    grid.grid_cols = s.cols;
    grid.grid_rows = s.rows;
    ClearChanged();
    set_value_bounds();
    fill_grid_values();
}

}  // namespace pv
