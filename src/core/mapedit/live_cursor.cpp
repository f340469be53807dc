#include "core/mapedit/live_cursor.h"

#include <algorithm>

#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/logging/live.h"

namespace pv {

CursorState cursors;

namespace {

int32_t half(int size) {
    return static_cast<int32_t>(div_round_half_even(size, 2));
}

// Rows and columns of the block: a one-row grid has a 2 x 1 block.
int block_rows() {
    return grid.grid_rows > 1 ? 2 : 1;
}

void position(CursorRecord& c, OperatingPoint p, const CursorGrid& g) {
    AxisCursor col =
        cursor_on_axis(p.column_value, grid.col_axis_values.data(), grid.grid_cols, g.col_width);
    c.bracket_col = static_cast<uint8_t>(col.bracket);
    c.near_col = static_cast<uint8_t>(col.near);
    c.x_offset = col.offset;
    if (grid.grid_rows > 1) {
        AxisCursor row =
            cursor_on_axis(p.row_value, grid.grid_values[0], grid.grid_rows, g.row_height);
        c.bracket_row = static_cast<uint8_t>(row.bracket);
        c.near_row = static_cast<uint8_t>(row.near);
        c.y_offset = row.offset;
    } else {
        // The one row has no header values; its line is never drawn, so y_offset stays.
        c.bracket_row = 1;
        c.near_row = 1;
    }
}

void age_trace(CursorUpdate& u) {
    for (int c = 1; c <= grid.grid_cols; ++c) {
        for (int r = 1; r <= grid.grid_rows; ++r) {
            uint8_t& m = cursors.trace_marks[c - 1][r - 1];
            if (m > 1) {
                --m;
            } else if (m == 1) {
                m = 0;
                u.add(c, r);
            }
        }
    }
}

void mark_trace(const CursorRecord& c, CursorUpdate& u) {
    const uint8_t length = settings.trace_length;
    const uint8_t life = trace_lifetime(length);
    for (int dc = 0; dc < 2; ++dc)
        for (int dr = 0; dr < block_rows(); ++dr) {
            const int col = c.bracket_col + dc, row = c.bracket_row + dr;
            if (col >= 1 && col <= 5 && row >= 1 && row <= 5) {
                uint8_t& m = cursors.trace_marks[col - 1][row - 1];
                if (m == 0) u.add(col, row);  // turns green
                m = life;
            }
        }
    // Marks set just now age at once too: a mark of L lives L - 1 further updates.
    if (length != 1) age_trace(u);
}

void add_block(CursorUpdate& u, int col, int row) {
    if (col == 0 || row == 0) return;  // no block yet
    for (int dc = 0; dc < 2; ++dc)
        for (int dr = 0; dr < block_rows(); ++dr) u.add(col + dc, row + dr);
}

CursorUpdate update(CursorRecord& c, OperatingPoint p, const CursorGrid& g, bool trace) {
    CursorUpdate u;
    position(c, p, g);
    if (trace) mark_trace(c, u);
    if (cursors.cursor_trace_on && c.bracket_col != 0 && c.bracket_row != 0) {
        u.select = true;
        u.selection = cursor_trace_selection(c, settings.auto_select);
    }
    if (!g.editing) {
        const bool new_block = c.bracket_col != c.prev_col || c.bracket_row != c.prev_row;
        if (new_block) {
            add_block(u, c.prev_col, c.prev_row);
            c.prev_col = c.bracket_col;
            c.prev_row = c.bracket_row;
        }
        // The block is drawn again only when its lines moved: a cursor that stays where it was
        // (an engine at idle) costs no repaint.
        if (new_block || c.near_col != c.painted_near_col || c.near_row != c.painted_near_row ||
            c.x_offset != c.painted_x || c.y_offset != c.painted_y) {
            add_block(u, c.bracket_col, c.bracket_row);
            c.painted_near_col = c.near_col;
            c.painted_near_row = c.near_row;
            c.painted_x = c.x_offset;
            c.painted_y = c.y_offset;
        }
    }
    return u;
}

}  // namespace

AxisCursor cursor_on_axis(int32_t value, const int32_t* heads, int count, int cell_size) {
    if (count < 2 || value < heads[0]) return {1, 1, half(cell_size)};
    if (value >= heads[count - 1]) return {count - 1, count, half(cell_size)};
    int k = 1;  // 0-based index of the first head above the value; the one before is not
    while (value >= heads[k]) ++k;
    const int64_t lo = heads[k - 1], hi = heads[k];
    const int64_t span = hi - lo;  // > 0: lo <= value < hi
    const int64_t w = cell_size;
    // (value - lo) / span x w +- w / 2 as one fraction, so that a tie is a true tie.
    const int64_t scaled = 2 * (value - lo) * w;
    if (value < lo + div_round_half_even(span, 2))
        return {k, k, static_cast<int>(div_round_half_even(scaled + span * w, 2 * span))};
    return {k, k + 1, static_cast<int>(div_round_half_even(scaled - span * w, 2 * span))};
}

void clear_trace_marks() {
    for (auto& column : cursors.trace_marks)
        for (uint8_t& m : column) m = 0;
}

uint8_t trace_lifetime(uint8_t trace_length) {
    switch (trace_length) {
        case 1:
            return 255;
        case 2:
            return 100;
        case 3:
            return 50;
        case 4:
            return 30;
        case 5:
            return 15;
        default:
            return 0;
    }
}

OperatingPoint operating_point(uint8_t rev, uint8_t throttle) {
    OperatingPoint p;
    if (!is_map(grid.current_map)) return p;
    switch (data.axis_select_no) {
        case 1:
            p.column_value = throttle;
            break;
        case 2:
        case 4:
            p.column_value = rev * 100;
            break;
        case 3:
        case 5:
            p.column_value = rev * 2;
            break;
        default:
            break;
    }
    if (data.axis_select_no == 4 || data.axis_select_no == 5) p.row_value = throttle;
    return p;
}

void CursorUpdate::add(int column, int row) {
    if (column < 1 || column > grid.grid_cols || row < 1 || row > grid.grid_rows) return;
    if (repaint_count >= static_cast<int>(repaint.size())) return;
    repaint[static_cast<size_t>(repaint_count++)] = {static_cast<uint8_t>(column),
                                                     static_cast<uint8_t>(row)};
}

CursorUpdate UpdateLiveCursor(uint8_t rev, uint8_t throttle, const CursorGrid& g) {
    return update(cursors.live_cursor, operating_point(rev, throttle), g, cursors.trace_on != 0);
}

CursorUpdate UpdateCompareCursor(uint8_t rev, uint8_t throttle, const CursorGrid& g) {
    return update(cursors.compare_cursor, operating_point(rev, throttle), g, false);
}

Selection cursor_trace_selection(const CursorRecord& c, uint8_t auto_select) {
    const int cols = grid.grid_cols, rows = grid.grid_rows;
    switch (auto_select) {
        case 1:
            return {c.near_col, c.near_row, c.near_col, c.near_row};
        case 2:
            return {c.bracket_col, c.bracket_row, c.bracket_col + 1,
                    std::min(c.bracket_row + 1, rows)};
        default: {
            const int left = Clamp(c.near_col - 1, 1, cols);
            const int top = Clamp(c.near_row - 1, 1, rows);
            return {left, top, Clamp(left + 2, 1, cols), Clamp(top + 2, 1, rows)};
        }
    }
}

bool in_cursor_block(const CursorRecord& c, int column, int row) {
    if (c.bracket_col == 0 || c.bracket_row == 0) return false;
    return (column == c.bracket_col || column == c.bracket_col + 1) &&
           (row == c.bracket_row || row == c.bracket_row + 1);
}

CursorLines cursor_lines(const CursorRecord& c, int column, int row, const CellRect& r,
                         bool one_row) {
    CursorLines out;
    auto line = [&](int x1, int y1, int x2, int y2) {
        out.lines[static_cast<size_t>(out.count++)] = {x1, y1, x2, y2};
    };
    if (!in_cursor_block(c, column, row)) return out;
    const int l = r.left, t = r.top, rt = r.right, b = r.bottom;
    if (one_row) {
        if (column == c.near_col) line(l + c.x_offset, t + 1, l + c.x_offset, b - 1);
        if (column == c.bracket_col) {
            line(rt, t + 1, l + 1, t + 1);
            line(l + 1, t + 1, l + 1, b - 1);
            line(l + 1, b - 1, rt - 1, b - 1);
        } else {
            line(l + 1, t + 1, rt - 1, t + 1);
            line(rt - 1, t + 1, rt - 1, b - 1);
            line(rt - 1, b - 1, l + 1, b - 1);
        }
        return out;
    }
    if (column == c.near_col) line(l + c.x_offset + 1, t + 1, l + c.x_offset + 1, b - 1);
    if (row == c.near_row) line(l + 1, t + c.y_offset + 1, rt - 1, t + c.y_offset + 1);
    const bool left_cell = column == c.bracket_col, top_cell = row == c.bracket_row;
    if (left_cell)
        line(l + 1, t + 1, l + 1, b - 1);
    else
        line(rt - 1, t + 1, rt - 1, b - 1);
    if (top_cell)
        line(l + 1, t + 1, rt - 1, t + 1);
    else
        line(l + 1, b - 1, rt - 1, b - 1);
    return out;
}

CursorPen live_cursor_pen(int group) {
    if (state.log_link) return CursorPen::green;
    if (cursors.cursor_hold) return CursorPen::magenta;
    const bool b = mode_b_active();
    if ((group == 1 && b) || (group == 2 && !b)) return CursorPen::blue;
    return CursorPen::red;
}

}  // namespace pv
