#include "core/mapedit/comparison.h"

#include <algorithm>

#include "core/document/datafile.h"
#include "core/document/file_name.h"
#include "core/document/unit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

bool open_comparison(const std::string& path) {
    if (!has_extension(path, ".PVD")) {
        prompter().message(Icon::Error, msg_text(29));
        return false;
    }
    if (!ReadMapFromFile(path, grid.current_map)) {
        prompter().message(Icon::Error, error_text(47));
        return false;
    }
    state.compare_file = path;
    state.compare_loaded = 1;
    return true;
}

void close_comparison() {
    state.compare_loaded = 0;
}

bool reread_comparison() {
    if (!state.compare_loaded) return false;
    if (ReadMapFromFile(state.compare_file, grid.current_map)) return true;
    prompter().message(Icon::Error, msg_text(30));
    close_comparison();
    return false;
}

const std::string& comparison_file() {
    return state.compare_file;
}

int32_t comparison_value(int column, int row) {
    // In the throttle-only mode the grid's columns run along the throttle index of the
    // map's first line.
    if (is_map(grid.current_map) && data.axis_select_no == 1)
        return grid.compare_values[0][column - 1];
    return grid.compare_values[column - 1][row - 1];
}

bool PasteComparison() {
    if (!state.compare_loaded) return false;
    MarkModified();
    int cols = std::clamp(grid.grid_cols, 0, 5);
    int rows = std::clamp(grid.grid_rows, 0, 5);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) SetCell(c, r, FormatCell(comparison_value(c, r)));
    return true;
}

}  // namespace pv
