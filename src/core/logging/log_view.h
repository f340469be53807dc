// What a log window shows, worked out without a window: the view position, cursor and zoom
// rules, the chart's geometry (sample to x, value to y, traces, marking bars, cursor line) and
// the rows of the names and values columns. The window reads the visible samples from the
// file on every paint and hands them here; it paints what comes back, layer by layer.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/document/unit.h"
#include "core/logging/log_file.h"

namespace pv {

inline constexpr int kMaxLogZoom = 64;

// Colours as the settings file keeps them: 0x00BBGGRR.
inline constexpr int32_t kColorBlack = 0x000000;
inline constexpr int32_t kColorBlue = 0xFF0000;
inline constexpr int32_t kColorRed = 0x0000FF;

struct LogView {
    int32_t first = 0;    // sample at the chart's left edge (view_first)
    int32_t cursor = 0;   // cursor, in samples from `first` (view_cursor)
    int zoom = 1;         // pixels per sample: 1, 2, 4, ... 64
    int32_t columns = 1;  // samples that fit the chart (view_columns)
    int32_t name_row_offset = 0;
};

// Loading a file: columns from the chart width rounded, view and cursor at the start.
void reset_view(LogView& v, int chart_width);
// After a resize or a zoom step: columns from the chart width cut down.
void fit_columns(LogView& v, int chart_width);

// A click at x: the cursor goes to the nearest sample, but never past the last one.
void cursor_to_x(LogView& v, int x, int32_t last_index);
// The chart's scroll bar moved to `position`; the cursor is pulled back onto the last sample
// when the view would carry it past.
void scroll_to(LogView& v, int32_t position, int32_t last_index);
// Zoom steps; false when the zoom was at its limit already. The cursor keeps its offset.
bool zoom_in(LogView& v, int chart_width);
bool zoom_out(LogView& v, int chart_width);
inline bool can_zoom_in(const LogView& v) {
    return v.zoom < kMaxLogZoom;
}
inline bool can_zoom_out(const LogView& v) {
    return v.zoom >= 2;
}
inline int cursor_x(const LogView& v) {
    return v.cursor * v.zoom;
}
inline int32_t cursor_sample(const LogView& v) {
    return v.first + v.cursor;
}

// The samples a paint needs: from `first` for as many as the chart can reach (at most
// columns + 1, never past the last index).
int64_t visible_count(const LogView& v, int32_t last_index);

// y of a value on a chart of height `height` scaled max at the top, min at the bottom; 0
// (the top edge) when the scale is empty. Values beyond the scale land outside the chart.
int value_y(int32_t value, const LogChannel& scale, int height);

struct ChartPoint {
    int x;
    int y;
};
struct ChartTrace {
    int channel;  // channel number
    int32_t color;
    std::vector<ChartPoint> points;
};
struct MarkingBar {
    int x0;
    int x1;
};
struct ChartGeometry {
    std::vector<ChartTrace> traces;  // in file order
    bool marking_drawn = false;
    int32_t marking_color = 0;
    std::vector<MarkingBar> bars;
    static constexpr int kBarY = 2;
    static constexpr int kBarWidth = 5;
};

// The channel settings of a number, or nullptr for a number that is no channel.
const LogChannel* channel_settings(const std::array<LogChannel, 7>& channels, int number);

// The chart over `samples` (the file's words from sample view.first on, n per sample).
// Empty unless view.first is below the last index.
ChartGeometry chart_geometry(const LogView& view, const LogHeader& h,
                             const std::array<LogChannel, 7>& channels,
                             const std::vector<int16_t>& samples, int height);

struct TextRow {
    int row;  // row number from the top; y = row x row height
    int32_t color;
    std::string text;
};
// The names column: log time, past time, file version and the drawn channels' names.
std::vector<TextRow> name_rows(const LogHeader& h, const std::array<LogChannel, 7>& channels,
                               int32_t name_row_offset);
// The values column for the sample under the cursor (`sample`, n words).
std::vector<TextRow> value_rows(const LogView& view, const LogHeader& h,
                                const std::array<LogChannel, 7>& channels,
                                const std::vector<int16_t>& sample);
// How many rows the channel-row scroll bar can scroll: the file's drawn channels.
int drawn_channel_count(const LogHeader& h, const std::array<LogChannel, 7>& channels);

// The sample under the cursor as live values (channels 1..6 of the file; the others keep
// their value). Calls `moved` after each copy, as the map's cursor follows every value.
template <typename F>
void push_live_values(const LogHeader& h, const std::vector<int16_t>& sample, LiveValues& target,
                      F&& moved) {
    for (int k = 0; k < h.n && static_cast<size_t>(k) < sample.size(); ++k) {
        int16_t v = sample[static_cast<size_t>(k)];
        switch (h.ch[static_cast<size_t>(k)]) {
            case ch_pressure:
                target.live_boost = v;
                break;
            case ch_peak_hold:
                target.live_peak_boost = v;
                break;
            case ch_rev:
                target.live_rev = static_cast<uint8_t>(v);
                break;
            case ch_throttle:
                target.live_throttle = static_cast<uint8_t>(v);
                break;
            case ch_boost_correction:
                target.live_boost_correction = v;
                break;
            case ch_offset_correction:
                target.live_offset_correction = static_cast<uint8_t>(v);
                break;
            default:
                continue;
        }
        moved();
    }
}

// Which of channels 1..6 the log loaded last holds (channel_present[number - 1]), whichever
// of the two log windows loaded it. The map window asks it whether Log Link can move its
// cursor on the table shown.
extern std::array<uint8_t, 6> channel_present;
void set_channel_present(const LogHeader& h);
// The map cursor under Log Link on table `map_id` in axis mode `axis_mode`, by
// channel_present.
bool log_link_cursor_allowed(int map_id, int axis_mode);

// Whether a log with these channels can drive the map cursor on table `map_id` in axis mode
// `axis_mode`: only the boost and offset maps, mode 1 and modes 4 and 5 need the throttle,
// modes 2 and 3 the rev channel, mode 0 never.
bool log_can_drive_cursor(const LogHeader& h, int map_id, int axis_mode);

}  // namespace pv
