#include "core/logging/map_cells.h"

#include <algorithm>
#include <vector>

#include "core/document/unit.h"
#include "core/logging/log_export.h"
#include "core/mapedit/edit_ops.h"
#include "core/mapedit/live_cursor.h"

namespace pv {

namespace {

CellsCheck check_axes(const LogHeader& h, uint8_t axis_select_no) {
    const bool rev = h.has_channel(ch_rev), throttle = h.has_channel(ch_throttle);
    switch (axis_select_no) {
        case 1:
            return throttle ? CellsCheck::ok : CellsCheck::no_throttle;
        case 2:
        case 3:
        case 4:
        case 5: {
            if (!rev) return CellsCheck::no_rev;
            const bool two_axes = axis_select_no >= 4;
            if (two_axes && !throttle) return CellsCheck::no_throttle;
            // The rev channel's counts are 100 rpm or 2 km/h by the log's own flag; placed on
            // the other axis they would land on meaningless cells.
            const bool wants_rpm = axis_select_no == 2 || axis_select_no == 4;
            if (wants_rpm && h.rev_flag != 1) return CellsCheck::rev_is_speed;
            if (!wants_rpm && h.rev_flag == 1) return CellsCheck::rev_is_rpm;
            return CellsCheck::ok;
        }
        default:
            return CellsCheck::axis_off;
    }
}

}  // namespace

CellsCheck check_cells_log(const LogHeader& h, uint8_t axis_select_no, const CellsFilter& filter) {
    const CellsCheck axes = check_axes(h, axis_select_no);
    if (axes != CellsCheck::ok) return axes;
    if (filter.kind == CellsFilter::Kind::marked && !h.has_channel(ch_marking))
        return CellsCheck::no_marking;
    if (filter.kind == CellsFilter::Kind::throttle_above && !h.has_channel(ch_throttle))
        return CellsCheck::no_throttle;
    return CellsCheck::ok;
}

NearCell near_cell(uint8_t rev, uint8_t throttle) {
    const OperatingPoint p = operating_point(rev, throttle);
    const CursorGrid g;  // the cell size moves the cursor line, never the near cell
    NearCell c{1, 1};
    c.column =
        cursor_on_axis(p.column_value, grid.col_axis_values.data(), grid.grid_cols, g.col_width)
            .near;
    if (grid.grid_rows > 1)
        c.row = cursor_on_axis(p.row_value, grid.grid_values[0], grid.grid_rows, g.row_height).near;
    return c;
}

bool tally_map_cells(LogReader& log, int map_id, MapCells& out, const CellsFilter& filter) {
    grid.current_map = map_id;
    const Shape shape = MapShape(map_id, false);
    grid.grid_cols = shape.cols;
    grid.grid_rows = shape.rows;
    fill_grid_values();
    return tally_grid_cells(log, filter, out);
}

bool tally_grid_cells(LogReader& log, const CellsFilter& filter, MapCells& out) {
    out = MapCells{};
    out.map_id = grid.current_map;
    out.cols = grid.grid_cols;
    out.rows = grid.grid_rows;

    const LogHeader& h = log.header();
    const int rev_at = h.position_of(ch_rev);
    const int throttle_at = h.position_of(ch_throttle);
    const int pressure_at = h.position_of(ch_pressure);
    const int marking_at = h.position_of(ch_marking);
    out.has_pressure = pressure_at >= 0;
    const bool marked_only = filter.kind == CellsFilter::Kind::marked;
    const bool above_only = filter.kind == CellsFilter::Kind::throttle_above;
    if ((marked_only && marking_at < 0) || (above_only && throttle_at < 0)) return true;

    // A drive passes the same few readings again and again: each (rev, throttle) pair is
    // placed by the cursor's rule once and looked up after that. 0 = not placed yet, else
    // 1 + (column - 1) * 5 + (row - 1).
    std::vector<uint8_t> placed(256 * 256, 0);
    const int64_t n = h.n;
    const int64_t complete = (h.file_words - h.header_words) / n;
    const int64_t chunk = 8192;
    std::vector<int16_t> words;
    for (int64_t k0 = 0; k0 < complete; k0 += chunk) {
        const int64_t want = std::min(chunk, complete - k0);
        if (log.read_samples(k0, want, words) != want) return false;
        for (int64_t s = 0; s < want; ++s) {
            const int16_t* w = &words[static_cast<size_t>(s * n)];
            // The rev and throttle channels hold a byte each, as the live values do.
            const auto rev = static_cast<uint8_t>(rev_at >= 0 ? w[rev_at] : 0);
            const auto throttle = static_cast<uint8_t>(throttle_at >= 0 ? w[throttle_at] : 0);
            if (marked_only && w[marking_at] == 0) continue;
            if (above_only && throttle <= filter.throttle) continue;
            uint8_t& at = placed[static_cast<size_t>(rev) * 256 + throttle];
            if (at == 0) {
                const NearCell c = near_cell(rev, throttle);
                at = static_cast<uint8_t>(1 + (c.column - 1) * 5 + (c.row - 1));
            }
            CellTally& t = out.cells[(at - 1) / 5][(at - 1) % 5];
            if (pressure_at >= 0) {
                const int16_t p = w[pressure_at];
                t.pressure_peak = t.samples == 0 ? p : std::max(t.pressure_peak, p);
                t.pressure_sum += p;
            }
            ++t.samples;
            ++out.samples;
        }
    }
    return true;
}

double cell_seconds(const CellTally& c, const LogHeader& h) {
    return static_cast<double>(c.samples) * h.interval / 1000.0;
}

double cell_mean_pressure(const CellTally& c, const LogHeader& h) {
    return static_cast<double>(c.pressure_sum) /
           (static_cast<double>(c.samples) * pressure_counts_per_unit(h));
}

double cell_peak_pressure(const CellTally& c, const LogHeader& h) {
    return log_value(ch_pressure, c.pressure_peak, h).value;
}

}  // namespace pv
