#include "core/print/page_layout.h"

#include "core/document/unit.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

// The first `n` bytes of an 8-bit text without splitting a double-byte character.
std::string cut(const std::string& t, size_t n) {
    if (t.size() <= n) return t;
    size_t k = 0;
    while (k < n) {
        const auto b = static_cast<unsigned char>(t[k]);
        const bool lead = japanese() && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
        const size_t step = lead ? 2 : 1;
        if (k + step > n) break;
        k += step;
    }
    return t.substr(0, k);
}

}  // namespace

int map_page_points(int grid_cols) {
    return grid_cols >= 24 ? kMapPageSmallPoints : kMapPagePoints;
}

MapPageMetrics map_page_metrics(int six_stars_width, int star_width, int text_height) {
    MapPageMetrics m;
    m.cell_width = six_stars_width;
    m.half_char = star_width / 2;
    m.line_height = text_height + text_height / 2;
    m.inner_offset = text_height / 4;
    m.table_top = 4 * m.line_height;
    return m;
}

MapPageLayout map_page_layout(const MapPageMetrics& m, int grid_cols, int grid_rows) {
    MapPageLayout p;
    const int W = m.cell_width, L = m.line_height, T = m.table_top;
    p.file_line = {0, L};
    p.data_line = {0, 2 * L};
    p.cells.resize(static_cast<size_t>(grid_rows) + 1);
    for (int r = 0; r <= grid_rows; ++r)
        for (int c = 0; c <= grid_cols; ++c)
            p.cells[static_cast<size_t>(r)].push_back(
                {c * W + m.half_char, r * L + T + m.inner_offset});
    // Thick rules frame the table and set the header row and column apart.
    for (int i = 0; i <= grid_rows + 1; ++i) {
        const bool thick = i == 0 || i == 1 || i == grid_rows + 1;
        p.rules.push_back({0, i * L + T, W * (grid_cols + 1), i * L + T, thick ? 5 : 2});
    }
    for (int i = 0; i <= grid_cols + 1; ++i) {
        const bool thick = i == 0 || i == 1 || i == grid_cols + 1;
        p.rules.push_back({i * W, T, i * W, L * (grid_rows + 1) + T, thick ? 5 : 2});
    }
    return p;
}

MapPageLayout map_page_overlay_layout(const MapPageMetrics& m, int grid_cols, int grid_rows) {
    MapPageMetrics below = m;
    below.table_top = m.table_top + (grid_rows + 4) * m.line_height;
    MapPageLayout p = map_page_layout(below, grid_cols, grid_rows);
    p.file_line = {0, below.table_top - m.line_height - m.line_height / 2};
    p.data_line = p.file_line;
    return p;
}

std::string map_page_mode_name(int map_id) {
    switch (map_id) {
        case map_boost_a:
        case map_offset_a:
            return cut(text(Catalog::Map, 3), 15);
        case map_boost_b:
        case map_offset_b:
            return cut(text(Catalog::Map, 4), 15);
        default:
            return {};
    }
}

std::string map_page_data_prefix(int map_id) {
    return text(Catalog::Prm, 112) + map_page_mode_name(map_id);
}

int parameter_sheet_line_height(int star_height) {
    return star_height + 1;
}

}  // namespace pv
