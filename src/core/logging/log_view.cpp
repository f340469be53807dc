#include "core/logging/log_view.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "core/logging/log_export.h"
#include "core/ui/texts.h"

namespace pv {

void reset_view(LogView& v, int chart_width) {
    v.columns = static_cast<int32_t>(div_round_half_even(std::max(chart_width, 0), v.zoom)) + 1;
    v.first = 0;
    v.cursor = 0;
}

void fit_columns(LogView& v, int chart_width) {
    v.columns = std::max(chart_width, 0) / v.zoom + 1;
}

void cursor_to_x(LogView& v, int x, int32_t last_index) {
    v.cursor = static_cast<int32_t>(div_round_half_even(std::max(x, 0), v.zoom));
    if (int64_t{v.first} + v.cursor > last_index) v.cursor = last_index - v.first;
}

void scroll_to(LogView& v, int32_t position, int32_t last_index) {
    v.first = std::clamp(position, 0, std::max(last_index, 0));
    if (int64_t{v.first} + v.cursor > last_index) v.cursor = last_index - v.first;
}

bool zoom_in(LogView& v, int chart_width) {
    if (!can_zoom_in(v)) return false;
    v.zoom *= 2;
    fit_columns(v, chart_width);
    return true;
}

bool zoom_out(LogView& v, int chart_width) {
    if (!can_zoom_out(v)) return false;
    v.zoom /= 2;
    fit_columns(v, chart_width);
    return true;
}

int64_t visible_count(const LogView& v, int32_t last_index) {
    if (v.first > last_index) return 0;
    return std::min<int64_t>(v.columns, int64_t{last_index} - v.first) + 1;
}

int value_y(int32_t value, const LogChannel& scale, int height) {
    int64_t span = int64_t{scale.max} - scale.min;
    if (span <= 0) return 0;
    // Exact rational arithmetic: a value half-way between two pixels goes to the even one.
    int64_t y = div_round_half_even(int64_t{height} * (int64_t{value} - scale.min), span);
    return static_cast<int>(std::clamp<int64_t>(height - y, INT32_MIN / 2, INT32_MAX / 2));
}

const LogChannel* channel_settings(const std::array<LogChannel, 7>& channels, int number) {
    if (number < 1 || number > 7) return nullptr;
    return &channels[static_cast<size_t>(number - 1)];
}

namespace {

bool drawn(const std::array<LogChannel, 7>& channels, int number) {
    const LogChannel* c = channel_settings(channels, number);
    return c && c->draw;
}

}  // namespace

ChartGeometry chart_geometry(const LogView& view, const LogHeader& h,
                             const std::array<LogChannel, 7>& channels,
                             const std::vector<int16_t>& samples, int height) {
    ChartGeometry g;
    const int64_t last = h.last_index;
    if (view.first >= last || h.n <= 0) return g;
    const int64_t n = h.n;
    const int64_t have = static_cast<int64_t>(samples.size()) / n;
    auto word = [&](int64_t offset, int pos) {
        return samples[static_cast<size_t>(offset * n + pos)];
    };

    for (int pos = 0; pos < h.n; ++pos) {
        int number = h.ch[static_cast<size_t>(pos)];
        if (!drawn(channels, number)) continue;
        const LogChannel& scale = *channel_settings(channels, number);
        if (number == ch_marking) {
            g.marking_drawn = true;
            g.marking_color = scale.color;
            // The bar of the last sample is never drawn (strictly below the last index).
            for (int64_t l = 1; l <= view.columns && view.first + l < last && l < have; ++l) {
                if (word(l, pos) == 0) continue;
                g.bars.push_back({round_half_even((l - 0.5L) * view.zoom),
                                  round_half_even((l + 0.5L) * view.zoom)});
            }
            continue;
        }
        if (have == 0) continue;
        ChartTrace t{number, scale.color, {}};
        t.points.push_back({0, value_y(word(0, pos), scale, height)});
        for (int64_t o = 1; o <= view.columns && view.first + o <= last && o < have; ++o)
            t.points.push_back(
                {static_cast<int>(o * view.zoom), value_y(word(o, pos), scale, height)});
        g.traces.push_back(std::move(t));
    }
    return g;
}

std::vector<TextRow> name_rows(const LogHeader& h, const std::array<LogChannel, 7>& channels,
                               int32_t name_row_offset) {
    std::vector<TextRow> rows = {
        {0, kColorBlack, text(Catalog::Log, 21)},
        {1, kColorBlue, text(Catalog::Log, 22)},
        {2, kColorRed, "File Ver."},
    };
    int k = 0;
    for (int pos = 0; pos < h.n; ++pos) {
        int number = h.ch[static_cast<size_t>(pos)];
        if (!drawn(channels, number)) continue;
        int row = 4 + k++ - name_row_offset;
        if (row < 4) continue;  // scrolled away
        rows.push_back(
            {row, channel_settings(channels, number)->color, log_channel_name(number, h.scale())});
    }
    return rows;
}

std::vector<TextRow> value_rows(const LogView& view, const LogHeader& h,
                                const std::array<LogChannel, 7>& channels,
                                const std::vector<int16_t>& sample) {
    const int d = time_decimals(h.interval);
    char buf[64];
    std::vector<TextRow> rows;
    std::snprintf(buf, sizeof buf, "%7.*f", d, h.last_index / 1000.0 * h.interval);
    rows.push_back({0, kColorBlack, buf});
    std::snprintf(buf, sizeof buf, "%7.*f", d, cursor_sample(view) / 1000.0 * h.interval);
    rows.push_back({1, kColorBlue, buf});
    rows.push_back({2, kColorRed, log_version_text(h.version, 7)});

    int k = 0;
    for (int pos = 0; pos < h.n; ++pos) {
        int number = h.ch[static_cast<size_t>(pos)];
        if (!drawn(channels, number)) continue;
        int row = 4 + k++ - view.name_row_offset;
        if (row < 4) continue;
        int16_t v = static_cast<size_t>(pos) < sample.size() ? sample[static_cast<size_t>(pos)] : 0;
        std::string t = number == ch_marking ? (v != 0 ? "     ON" : "  -----")
                                             : format_log_value(number, v, h, 7);
        rows.push_back({row, channel_settings(channels, number)->color, t});
    }
    return rows;
}

int drawn_channel_count(const LogHeader& h, const std::array<LogChannel, 7>& channels) {
    int count = 0;
    for (int pos = 0; pos < h.n; ++pos)
        if (drawn(channels, h.ch[static_cast<size_t>(pos)])) ++count;
    return count;
}

std::array<uint8_t, 6> channel_present{};

void set_channel_present(const LogHeader& h) {
    for (int number = 1; number <= 6; ++number)
        channel_present[static_cast<size_t>(number - 1)] = h.has_channel(number) ? 1 : 0;
}

namespace {

// The rev channel is not looked at in modes 4 and 5: the throttle alone decides there.
bool cursor_allowed(int map_id, int axis_mode, bool has_rev, bool has_throttle) {
    if (!is_boost_map(map_id) && !is_offset_map(map_id)) return false;
    switch (axis_mode) {
        case 1:
        case 4:
        case 5:
            return has_throttle;
        case 2:
        case 3:
            return has_rev;
        default:
            return false;
    }
}

}  // namespace

bool log_link_cursor_allowed(int map_id, int axis_mode) {
    return cursor_allowed(map_id, axis_mode, channel_present[ch_rev - 1] != 0,
                          channel_present[ch_throttle - 1] != 0);
}

bool log_cursor_allowed_on(int map_id) {
    if (!is_map(map_id)) return false;
    return !state.log_link || log_link_cursor_allowed(map_id, data.axis_select_no);
}

bool log_can_drive_cursor(const LogHeader& h, int map_id, int axis_mode) {
    return cursor_allowed(map_id, axis_mode, h.has_channel(ch_rev), h.has_channel(ch_throttle));
}

}  // namespace pv
