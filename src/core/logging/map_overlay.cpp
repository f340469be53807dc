#include "core/logging/map_overlay.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "core/document/unit.h"
#include "core/logging/log_export.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

std::string fixed(double v, int decimals) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return {buf, r.ptr};
}

std::string map_text(uint32_t n) {
    return text(Catalog::Map, n);
}

// The overlay's texts in the map catalogue.
enum : uint32_t {
    t_title_time = 30,
    t_tip_time = 33,
    t_tip_samples = 34,
    t_tip_mean = 35,
    t_tip_peak = 36,
    t_no_samples = 37,
    t_all = 38,
    t_marked = 39,
    t_above = 40,
    t_above_unit = 41,
    t_no_data_log = 42,
    t_no_comparison_log = 43,
    t_axis_off = 44,
    t_no_rev = 45,
    t_no_throttle = 46,
    t_rev_is_speed = 47,
    t_rev_is_rpm = 48,
    t_no_marking = 49,
    t_unreadable = 50,
    t_not_a_map = 51,
    t_no_pressure = 52,
};

std::string note_of(const OverlayTally& t, OverlaySource source) {
    switch (t.problem()) {
        case OverlayProblem::no_log:
            return map_text(source == OverlaySource::data_log ? t_no_data_log
                                                              : t_no_comparison_log);
        case OverlayProblem::not_a_map:
            return map_text(t_not_a_map);
        case OverlayProblem::unreadable:
            return map_text(t_unreadable);
        case OverlayProblem::no_pressure:
            return map_text(t_no_pressure);
        case OverlayProblem::refused:
            break;
        case OverlayProblem::none:
            return {};
    }
    switch (t.why()) {
        case CellsCheck::axis_off:
            return map_text(t_axis_off);
        case CellsCheck::no_rev:
            return map_text(t_no_rev);
        case CellsCheck::no_throttle:
            return map_text(t_no_throttle);
        case CellsCheck::rev_is_speed:
            return map_text(t_rev_is_speed);
        case CellsCheck::rev_is_rpm:
            return map_text(t_rev_is_rpm);
        case CellsCheck::no_marking:
            return map_text(t_no_marking);
        case CellsCheck::ok:
            break;
    }
    return {};
}

std::string filter_text(const CellsFilter& f) {
    switch (f.kind) {
        case CellsFilter::Kind::marked:
            return map_text(t_marked);
        case CellsFilter::Kind::throttle_above:
            return map_text(t_above) + std::to_string(f.throttle) + map_text(t_above_unit);
        case CellsFilter::Kind::all:
            break;
    }
    return map_text(t_all);
}

}  // namespace

OverlayChoice overlay_choice() {
    return settings.overlay_choice <= 3 ? static_cast<OverlayChoice>(settings.overlay_choice)
                                        : OverlayChoice::off;
}

OverlaySource overlay_source() {
    return settings.overlay_log == 1 ? OverlaySource::comparison_log : OverlaySource::data_log;
}

CellsFilter overlay_filter() {
    switch (settings.overlay_filter) {
        case 1:
            return {CellsFilter::Kind::marked, 0};
        case 2:
            return {CellsFilter::Kind::throttle_above,
                    std::clamp<int>(settings.overlay_throttle, 0, 100)};
        default:
            return {};
    }
}

void OverlayTally::clear() {
    have_ = false;
}

bool OverlayTally::update(const std::string& path, const CellsFilter& filter) {
    Key key;
    key.path = path;
    if (!path.empty()) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        key.size = ec ? -1 : static_cast<int64_t>(size);
        const auto when = std::filesystem::last_write_time(path, ec);
        key.changed_ns =
            ec ? 0
               : std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch())
                     .count();
    }
    key.map_id = grid.current_map;
    key.axis_select_no = data.axis_select_no;
    key.cols = grid.grid_cols;
    key.rows = grid.grid_rows;
    std::copy(grid.col_axis_values.begin(), grid.col_axis_values.end(), key.col_heads.begin());
    std::copy(std::begin(grid.grid_values[0]), std::end(grid.grid_values[0]),
              key.row_heads.begin());
    key.filter = filter;
    if (have_ && key == key_) return false;
    have_ = true;
    key_ = key;
    ++computations_;

    cells_ = MapCells{};
    header_ = LogHeader{};
    why_ = CellsCheck::ok;
    if (path.empty()) {
        problem_ = OverlayProblem::no_log;
        return true;
    }
    if (!is_map(grid.current_map)) {
        problem_ = OverlayProblem::not_a_map;
        return true;
    }
    LogReader log;
    if (log.open(path) != LogRead::ok) {
        problem_ = OverlayProblem::unreadable;
        return true;
    }
    header_ = log.header();
    why_ = check_cells_log(header_, data.axis_select_no, filter);
    if (why_ != CellsCheck::ok) {
        problem_ = OverlayProblem::refused;
        return true;
    }
    problem_ =
        tally_grid_cells(log, filter, cells_) ? OverlayProblem::none : OverlayProblem::unreadable;
    return true;
}

OverlayRgb overlay_colour(double t) {
    static constexpr OverlayRgb stops[] = {
        {255, 255, 204}, {254, 217, 118}, {253, 141, 60}, {227, 26, 28}, {128, 0, 38}};
    t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0) * 4.0;
    const int k = std::min(static_cast<int>(t), 3);
    const double f = t - k;
    auto mix = [f](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(std::lround(a + (b - a) * f));
    };
    const OverlayRgb& a = stops[k];
    const OverlayRgb& b = stops[k + 1];
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

OverlayRgb overlay_ink(OverlayRgb back) {
    // Relative luminance of the sRGB colour; white text from the red half of the scale on.
    auto lin = [](uint8_t c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const double y = 0.2126 * lin(back.r) + 0.7152 * lin(back.g) + 0.0722 * lin(back.b);
    return y > 0.18 ? OverlayRgb{0, 0, 0} : OverlayRgb{255, 255, 255};
}

OverlayLook overlay_look(const OverlayTally& tally, OverlayChoice choice, OverlaySource source) {
    OverlayLook look;
    if (choice == OverlayChoice::off) return look;
    look.on = true;
    const LogHeader& h = tally.header();
    const MapCells& m = tally.cells();
    const std::string boost_unit = channel_unit(ch_pressure, h);
    look.legend.title = map_text(t_title_time + static_cast<uint32_t>(choice) - 1) + " [" +
                        (choice == OverlayChoice::time ? std::string("s") : boost_unit) + "]";
    look.legend.source = text(Catalog::Log, source == OverlaySource::data_log ? 19 : 29);
    look.legend.filter = filter_text(tally.filter());
    look.legend.empty = map_text(t_no_samples);
    look.note = note_of(tally, source);
    if (tally.problem() == OverlayProblem::none && choice != OverlayChoice::time && !m.has_pressure)
        look.note = map_text(t_no_pressure);
    if (!look.note.empty()) return look;

    const int time_decimals_ = time_decimals(h.interval);
    auto figure = [&](const CellTally& c) -> double {
        switch (choice) {
            case OverlayChoice::time:
                return cell_seconds(c, h);
            case OverlayChoice::mean:
                return cell_mean_pressure(c, h);
            default:
                return cell_peak_pressure(c, h);
        }
    };
    const int decimals = choice == OverlayChoice::time ? time_decimals_ : 1;
    bool any = false;
    double low = 0, high = 0;
    for (int c = 0; c < m.cols; ++c)
        for (int r = 0; r < m.rows; ++r) {
            const CellTally& t = m.cells[c][r];
            if (t.samples == 0) continue;
            const double v = figure(t);
            if (!any || v < low) low = v;
            if (!any || v > high) high = v;
            any = true;
        }
    // Time counts from nothing; the boost scale spans what the drive made.
    if (choice == OverlayChoice::time) low = 0;
    look.legend.low = fixed(low, decimals);
    look.legend.high = fixed(high, decimals);
    look.drawn = any;

    for (int c = 0; c < m.cols; ++c)
        for (int r = 0; r < m.rows; ++r) {
            const CellTally& t = m.cells[c][r];
            OverlayCell& cell = look.cells[c][r];
            const bool some = t.samples > 0;
            const bool boost = some && m.has_pressure;
            const std::string mean =
                boost ? fixed(cell_mean_pressure(t, h), 1) + " " + boost_unit : std::string("-");
            const std::string peak =
                boost ? fixed(cell_peak_pressure(t, h), 1) + " " + boost_unit : std::string("-");
            cell.tooltip = map_text(t_tip_time) + fixed(cell_seconds(t, h), time_decimals_) +
                           " s\n" + map_text(t_tip_samples) + std::to_string(t.samples) + "\n" +
                           map_text(t_tip_mean) + mean + "\n" + map_text(t_tip_peak) + peak;
            if (!some) {
                cell.figure = choice == OverlayChoice::time ? fixed(0, decimals) : "-";
                continue;
            }
            const double v = figure(t);
            cell.figure = fixed(v, decimals);
            cell.filled = true;
            cell.fill = overlay_colour(high > low ? (v - low) / (high - low) : 1.0);
            cell.ink = overlay_ink(cell.fill);
        }
    return look;
}

std::string overlay_print_line(const OverlayLook& look) {
    return map_text(53) + look.legend.title + "  " + look.legend.source + "  " + look.legend.filter;
}

}  // namespace pv
