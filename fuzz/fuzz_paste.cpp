// Hostile clipboard texts pasted into every table in every axis mode: the paste must never
// write a cell outside the block from the selection's top-left to the table's edges, never
// touch another element of the data, and leave every cell within the table's bounds and in
// step with the stored element.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/document/unit.h"
#include "core/mapedit/edit_ops.h"
#include "core/ui/hooks.h"

namespace {

struct Bounds {
    int32_t lo, hi;
};

Bounds bounds_of(int map_id) {
    switch (map_id) {
        case pv::map_rpm_axis:
            return {0, 120};
        case pv::map_speed_axis:
            return {0, 50};
        case pv::map_throttle_axis:
            return {0, 100};
        case pv::map_offset_a:
        case pv::map_offset_b:
            return {1, 199};
        default:
            return pv::data.pressure_unit == 1 ? Bounds{-170, 170} : Bounds{-120, 120};
    }
}

pv::Selection allowed;

struct Watch : pv::DocumentViews {
    void cell_written(int c, int r, const std::string&) override {
        if (c < allowed.left || c > allowed.right || r < allowed.top || r > allowed.bottom)
            std::abort();
    }
} watch;

bool in_block(int c, int r) {
    return c >= allowed.left && c <= allowed.right && r >= allowed.top && r <= allowed.bottom;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 4) return 0;
    using namespace pv;
    InitState();
    data = ControllerData{};
    grid = GridArea{};
    SetDefaultData();
    install_front_end({nullptr, &watch});

    data.pressure_unit = bytes[0] & 1;
    data.axis_select_no = static_cast<uint8_t>((bytes[0] >> 1) % 6);
    grid.current_map = kTableIds[bytes[1] % kTableIds.size()];
    // Selections may reach past the table on any side; the paste must cope.
    Selection sel{bytes[2] % 7, bytes[3] % 7, bytes[2] % 7 + 2, bytes[3] % 7 + 1};
    Shape shape = MapShape(grid.current_map, false);
    grid.grid_cols = shape.cols;
    grid.grid_rows = shape.rows;
    Bounds b = bounds_of(grid.current_map);
    grid.value_min = b.lo;
    grid.value_max = b.hi;
    // Distinct in-range starting values, so a stray write shows.
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            data.boost_map_a[i][j] = data.boost_map_b[i][j] = static_cast<int16_t>(i * 5 + j - 12);
            data.offset_map_a[i][j] = data.offset_map_b[i][j] = static_cast<uint8_t>(i * 5 + j + 3);
        }
    fill_grid_values();
    const ControllerData before = data;

    Selection clipped = clip_to_grid(sel);
    allowed = {clipped.left, clipped.top, shape.cols, shape.rows};
    PasteCells(sel, std::string(reinterpret_cast<const char*>(bytes + 4), size - 4));

    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r) {
            bool shown = c <= shape.cols && r <= shape.rows;
            if (grid.changed_cells[c - 1][r - 1] && !(shown && in_block(c, r))) std::abort();
            if (!shown) continue;
            int32_t v = grid.grid_values[c][r - 1];
            if (v < b.lo || v > b.hi) std::abort();
            MapCell e = map_cell_of(c, r);
            if (table_element(grid.current_map, e.i, is_axis(grid.current_map) ? 0 : e.j) != v)
                std::abort();
        }

    // Every element that no cell of the block stands for is as it was, in every table.
    for (int id : kTableIds) {
        int major = 5, minor = is_axis(id) ? 1 : 5;
        for (int i = 0; i < major; ++i)
            for (int j = 0; j < minor; ++j) {
                bool reachable = false;
                if (id == grid.current_map)
                    for (int c = 1; c <= shape.cols; ++c)
                        for (int r = 1; r <= shape.rows; ++r) {
                            MapCell e = map_cell_of(c, r);
                            if (in_block(c, r) && e.i == i && (is_axis(id) || e.j == j))
                                reachable = true;
                        }
                if (reachable) continue;
                ControllerData now = data;
                data = before;
                int32_t old_value = table_element(id, i, j);
                data = now;
                if (table_element(id, i, j) != old_value) std::abort();
            }
    }
    install_front_end({});
    return 0;
}
