#include "core/mapedit/edit_ops.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/document/unit.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

int shown_cols() {
    return std::clamp(grid.grid_cols, 0, 5);
}
int shown_rows() {
    return std::clamp(grid.grid_rows, 0, 5);
}

bool is_empty(const Selection& s) {
    return s.left > s.right || s.top > s.bottom;
}

int32_t& cell_value(int column, int row) {
    return grid.grid_values[column][row - 1];
}

// Row by row from the top, each row from the left: the order in which the cells change,
// which decides what the graph and the cell texts show in between.
template <typename Fn>
void for_each_cell(const Selection& sel, Fn fn) {
    Selection s = clip_to_grid(sel);
    for (int r = s.top; r <= s.bottom; ++r)
        for (int c = s.left; c <= s.right; ++c) fn(c, r);
}

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The shortest text that reads back as the same double.
std::string decimal_text(double x) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

}  // namespace

Selection clip_to_grid(const Selection& s) {
    return {std::max(s.left, 1), std::max(s.top, 1), std::min(s.right, shown_cols()),
            std::min(s.bottom, shown_rows())};
}

void fill_grid_values() {
    const int id = grid.current_map;
    const int mode = data.axis_select_no;
    for (int c = 1; c <= 5; ++c) {
        int32_t h = c;
        if (is_map(id)) {
            if (mode == 1)
                h = data.throttle_axis[c - 1];
            else if (mode == 3 || mode == 5)
                h = data.speed_axis[c - 1] * 10;
            else
                h = data.rpm_axis[c - 1] * 100;
        }
        grid.col_axis_values[c - 1] = h;
    }
    // The maps in the one-row modes show no row header; their values stay as they were.
    if (is_axis(id)) {
        for (int r = 1; r <= 5; ++r) grid.grid_values[0][r - 1] = r;
    } else if (is_map(id) && (mode == 4 || mode == 5)) {
        for (int r = 1; r <= 5; ++r) grid.grid_values[0][r - 1] = data.throttle_axis[r - 1];
    }
    for (int c = 1; c <= shown_cols(); ++c)
        for (int r = 1; r <= shown_rows(); ++r) {
            MapCell cell = map_cell_of(c, r);
            cell_value(c, r) = table_element(id, cell.i, is_axis(id) ? 0 : cell.j);
        }
}

void take_undo_point() {
    for (int c = 1; c <= shown_cols(); ++c)
        for (int r = 1; r <= shown_rows(); ++r) grid.undo_values[c - 1][r - 1] = cell_value(c, r);
}

void UndoSelection(const Selection& sel) {
    for_each_cell(sel,
                  [](int c, int r) { SetCell(c, r, FormatCell(grid.undo_values[c - 1][r - 1])); });
    // Marks outside the selection survive: those cells were not undone, and while Undo is
    // disabled a pending axis edit among them would never be committed.
    uint8_t kept[5][5];
    std::copy(&grid.changed_cells[0][0], &grid.changed_cells[0][0] + 25, &kept[0][0]);
    ClearChanged();
    Selection s = clip_to_grid(sel);
    bool left_over = false;
    for (int c = 1; c <= shown_cols(); ++c)
        for (int r = 1; r <= shown_rows(); ++r) {
            bool selected = c >= s.left && c <= s.right && r >= s.top && r <= s.bottom;
            if (!selected && kept[c - 1][r - 1]) {
                grid.changed_cells[c - 1][r - 1] = 1;
                left_over = true;
            }
        }
    if (left_over) {
        state.edit_pending = 1;
        shell_views().set_undo_enabled(true);
    }
}

std::string copy_text(const Selection& sel) {
    Selection s = clip_to_grid(sel);
    std::string out;
    for (int r = s.top; r <= s.bottom; ++r) {
        for (int c = s.left; c <= s.right; ++c) {
            if (c > s.left) out += '\t';
            out += FormatCell(cell_value(c, r));
        }
        out += "\r\n";
    }
    return out;
}

std::string CutCells(const Selection& sel) {
    MarkModified();
    std::string text = copy_text(sel);
    for_each_cell(sel, [](int c, int r) { SetCell(c, r, "0"); });
    return text;
}

void PasteCells(const Selection& sel, const std::string& text) {
    MarkModified();
    Selection s = clip_to_grid(sel);
    if (text.empty() || is_empty(s)) return;
    const int cols = shown_cols();
    const int rows = shown_rows();
    int c = s.left;
    int r = s.top;
    std::string token;
    char previous = 0;
    for (char ch : text) {
        // Linux programs end clipboard lines with a bare LF; only the LF of a CR LF pair is
        // redundant.
        bool line_end = ch == '\r' || (ch == '\n' && previous != '\r');
        previous = ch;
        bool inside = c <= cols && r <= rows;
        if (inside) {
            if (ch == '-' || ch == '.' || (ch >= '0' && ch <= '9')) {
                // Seven characters hold every value a cell can show; a longer token only
                // loses fraction digits, or lies beyond every bound either way.
                if (token.size() < 7) token += ch;
            } else if (ch == '\t' || line_end) {
                SetCell(c, r, token);
                token.clear();
            }
        }
        if (ch == '\t') {
            ++c;
        } else if (line_end) {
            ++r;
            c = s.left;
            if (r > rows) break;
        }
    }
}

void FillSelection(const Selection& sel, const std::string& text) {
    MarkModified();
    for_each_cell(sel, [&](int c, int r) { SetCell(c, r, text); });
}

bool ConstantTrim(const Selection& sel, double x) {
    if (!std::isfinite(x)) return false;
    // Rounded once to whole stored steps, so every cell moves by the same amount.
    std::optional<int32_t> step = ParseCell(decimal_text(x));
    if (!step) return false;
    MarkModified();
    for_each_cell(sel, [&](int c, int r) {
        SetCell(c, r, FormatCell(saturate(int64_t{cell_value(c, r)} + *step)));
    });
    return true;
}

bool MultiplierTrim(const Selection& sel, double x) {
    if (!std::isfinite(x)) return false;
    MarkModified();
    for_each_cell(sel, [&](int c, int r) {
        // round_half_even saturates, so a huge coefficient lands on the bound of its sign
        // rather than on a wrapped-around value.
        long double product = static_cast<long double>(cell_value(c, r)) * x;
        SetCell(c, r, FormatCell(round_half_even(product)));
    });
    return true;
}

void StepTrim(const Selection& sel, int direction) {
    // One step as the grid shows it (100 rpm, 10 km/h, 0.1 PSI, 1), read back as a number.
    std::optional<double> step = parse_number(FormatCell(direction < 0 ? -1 : 1));
    if (step) ConstantTrim(sel, *step);
}

void EqualDivide(const Selection& sel) {
    MarkModified();
    Selection s = clip_to_grid(sel);
    if (is_empty(s)) return;
    const int left = s.left, top = s.top, right = s.right, bottom = s.bottom;
    auto header = [](int c) { return int64_t{grid.col_axis_values[c - 1]}; };
    auto row_header = [](int r) { return int64_t{grid.grid_values[0][r - 1]}; };
    // The slope is held as a double and the rest worked in extended precision: a result near
    // a half step can fall either way, and it must fall the same way on every build.
    auto interpolate = [](int64_t offset, double slope, int32_t start) {
        return FormatCell(round_half_even(static_cast<long double>(offset) * slope + start));
    };
    auto rewrite = [](int c, int r) { SetCell(c, r, FormatCell(cell_value(c, r))); };

    if (right != left) {
        const int64_t dx = header(right) - header(left);
        if (dx != 0) {
            auto divide_row = [&](int r) {
                const int32_t start = cell_value(left, r);
                const double slope = static_cast<double>(int64_t{cell_value(right, r)} - start) /
                                     static_cast<double>(dx);
                for (int c = left; c < right; ++c)
                    SetCell(c, r, interpolate(header(c) - header(left), slope, start));
            };
            divide_row(top);
            rewrite(right, top);
            if (bottom != top) divide_row(bottom);
        }
    }
    if (bottom != top) {
        const int64_t dy = row_header(bottom) - row_header(top);
        if (dy != 0) {
            for (int c = left; c <= right; ++c) {
                const int32_t start = cell_value(c, top);
                const double slope = static_cast<double>(int64_t{cell_value(c, bottom)} - start) /
                                     static_cast<double>(dy);
                for (int r = top; r < bottom; ++r)
                    SetCell(c, r, interpolate(row_header(r) - row_header(top), slope, start));
            }
        }
        rewrite(right, bottom);
    }
}

namespace {

bool trim_command(const Selection& sel, uint32_t caption, uint32_t prompt, const char* initial,
                  bool (*trim)(const Selection&, double)) {
    if (!state.doc_open) return false;
    std::optional<std::string> answer;
    {
        UiBusy busy;
        answer = prompter().input(text(Catalog::Menu, caption), msg_text(prompt), initial);
    }
    if (!answer) return false;
    std::optional<double> x = parse_number(*answer);
    if (!x || !trim(sel, *x)) {
        prompter().message(Icon::Error, msg_text(9));
        return false;
    }
    return true;
}

}  // namespace

bool constant_trim_command(const Selection& sel) {
    return trim_command(sel, 107, 7, "0", ConstantTrim);
}

bool multiplier_trim_command(const Selection& sel) {
    return trim_command(sel, 108, 8, "1", MultiplierTrim);
}

bool equal_divide_command(const Selection& sel) {
    if (!state.doc_open) return false;
    EqualDivide(sel);
    return true;
}

bool equal_divide_key(const Selection& sel) {
    if (!state.doc_open) return false;
    if (prompter().ask(Icon::Question, Buttons::YesNo, msg_text(31)) != Answer::Yes) return false;
    return equal_divide_command(sel);
}

}  // namespace pv
