#include "core/logging/monitor.h"

#include <algorithm>
#include <cstdio>

#include "core/ui/texts.h"

namespace pv {

namespace {

// Pressure, peak hold, rev, throttle, boost correction, offset correction.
constexpr std::array<int32_t, kMonitorRows> kSentinels = {2578, 2578, 121, 101, 361, 171};

std::string five(int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%5d", static_cast<int>(v));
    return buf;
}

}  // namespace

std::string pressure_text(int32_t count, uint8_t pressure_unit) {
    // Tenths from the integer count: PSI counts are hundredths and a tie on the dropped digit
    // goes away from zero, as on the unit's own display. printf on a double would round
    // 12.25 down and 12.45 up, by the binary value.
    int64_t tenths = count;
    if (pressure_unit == 1) tenths = (count >= 0 ? count + 5 : count - 5) / 10;
    const int64_t mag = tenths < 0 ? -tenths : tenths;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%lld.%lld", tenths < 0 ? "-" : "",
                  static_cast<long long>(mag / 10), static_cast<long long>(mag % 10));
    char out[32];
    std::snprintf(out, sizeof out, "%5s", buf);
    return out;
}

MonitorLabels::MonitorLabels() : last_shown_(kSentinels) {
    text_.fill(kMonitorBlank);
}

unsigned MonitorLabels::refresh(LiveValues& v, bool visible, uint8_t pressure_unit,
                                bool rev_is_rpm) {
    if (!visible) return 0;
    unsigned written = 0;
    auto take = [&](int row, int32_t value, const std::string& text) {
        last_shown_[static_cast<size_t>(row)] = value;
        text_[static_cast<size_t>(row)] = text;
        written |= 1u << row;
    };
    auto differs = [&](int row, int32_t value) {
        return value != last_shown_[static_cast<size_t>(row)];
    };
    if (differs(row_boost, v.live_boost)) {
        if (v.live_boost > -50 && v.live_boost < 50) v.live_boost = 0;
        take(row_boost, v.live_boost, pressure_text(v.live_boost, pressure_unit));
    }
    if (differs(row_peak_hold, v.live_peak_boost))
        take(row_peak_hold, v.live_peak_boost, pressure_text(v.live_peak_boost, pressure_unit));
    if (differs(row_rev_speed, v.live_rev))
        take(row_rev_speed, v.live_rev, five(v.live_rev * (rev_is_rpm ? 100 : 2)));
    if (differs(row_throttle, v.live_throttle))
        take(row_throttle, v.live_throttle, five(v.live_throttle));
    if (differs(row_correct_boost, v.live_boost_correction))
        take(row_correct_boost, v.live_boost_correction, five(v.live_boost_correction));
    if (differs(row_correct_offset, v.live_offset_correction))
        take(row_correct_offset, v.live_offset_correction, five(v.live_offset_correction));
    return written;
}

MonitorColour monitor_row_colour(int row) {
    if (row <= row_peak_hold) return MonitorColour::blue;
    if (row <= row_throttle) return MonitorColour::red;
    return MonitorColour::green;
}

MonitorRowText monitor_row_text(int row, uint8_t pressure_unit, bool rev_is_rpm) {
    const std::string pressure = text(Catalog::Prm, pressure_unit == 1 ? 82 : 81);
    MonitorRowText t{monitor_row_colour(row), {}, {}};
    switch (row) {
        case row_boost:
            t.name = text(Catalog::Log, 11);
            t.unit = pressure;
            break;
        case row_peak_hold:
            t.name = text(Catalog::Log, 12);
            t.unit = pressure;
            break;
        case row_rev_speed:
            t.name = text(Catalog::Log, rev_is_rpm ? 13 : 14);
            t.unit = rev_is_rpm ? "rpm   " : "km/h";
            break;
        case row_throttle:
            t.name = text(Catalog::Log, 15);
            t.unit = "%";
            break;
        case row_correct_boost:
            t.name = text(Catalog::Log, 16);
            t.unit = pressure;
            break;
        default:
            t.name = text(Catalog::Log, 17);
            t.unit = "%";
            break;
    }
    return t;
}

int monitor_font_points(uint8_t font_index) {
    return font_index >= 1 && font_index <= 5 ? 8 + 4 * font_index : 32;
}

MonitorSize monitor_auto_size(bool first_sizing, int star_height, int widest_text_width,
                              int screen_width, int screen_height) {
    MonitorSize s{widest_text_width + 16, 6 * star_height + 65};
    if (first_sizing) {
        s.width = std::max<int>(s.width, settings.monitor_width);
        s.height = std::max<int>(s.height, settings.monitor_height);
    }
    s.width = std::min(s.width, screen_width);
    s.height = std::min(s.height, screen_height);
    return s;
}

}  // namespace pv
