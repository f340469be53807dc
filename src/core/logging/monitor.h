// What the data monitor shows: the six value texts with their first-display and dead-band
// rules, the channel names and units painted beside them, and the window's sizes. Shared by
// the monitor window and `pvtool unit poll --monitor`, so both show the same texts.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/logging/live.h"

namespace pv {

// The value labels in their row order.
enum MonitorRow : int {
    row_boost,
    row_peak_hold,
    row_rev_speed,
    row_throttle,
    row_correct_boost,
    row_correct_offset,
};
inline constexpr int kMonitorRows = 6;
inline constexpr const char* kMonitorBlank = "*****";

// A pressure count (0.1 kPa, or 0.01 PSI when pressure_unit is 1) as "%5.1f" of the value.
std::string pressure_text(int32_t count, uint8_t pressure_unit);

// The labels of one monitor window. A label is re-formatted only when its value differs
// from the last one it showed; the first values are sentinels no poll can match at once
// (except, by design, a throttle of 101 or a rev count of 121), so every label shows
// "*****" until its first real value.
class MonitorLabels {
  public:
    MonitorLabels();
    const std::string& text(int row) const { return text_[static_cast<size_t>(row)]; }
    // Updates the visible labels from `v` in row order; returns a bit per label whose text
    // was written. A boost count inside the dead band (-49..49) is set to 0 in `v` itself
    // when the label takes it: whoever reads the live values after the refresh sees 0.
    unsigned refresh(LiveValues& v, bool visible, uint8_t pressure_unit, bool rev_is_rpm);

  private:
    std::array<int32_t, kMonitorRows> last_shown_;
    std::array<std::string, kMonitorRows> text_;
};

// Name and unit painted for one row (8-bit texts of the text library or fixed units).
enum class MonitorColour { blue, red, green };
struct MonitorRowText {
    MonitorColour colour;
    std::string name;
    std::string unit;
};
MonitorRowText monitor_row_text(int row, uint8_t pressure_unit, bool rev_is_rpm);
MonitorColour monitor_row_colour(int row);

// Font size in points of Setting > Font Size item 1..6 (anything else is the largest).
int monitor_font_points(uint8_t font_index);

// The window size chosen by the Auto frame size: the stored size the first time after the
// window opened, but never less than the text needs (a size stored for another font would
// cut the units off), later the size the text needs; each cut to the screen.
struct MonitorSize {
    int width;
    int height;
};
MonitorSize monitor_auto_size(bool first_sizing, int star_height, int widest_text_width,
                              int screen_width, int screen_height);

// The Data Monitor button's checks with the unit, up to the window. Shows each refusal's
// message (a unit that stays locked refuses silently) and lets go of a port nothing else
// holds. Otherwise calls `show(linked)` to create and show the window: with the link on the
// link's timer already polls; without it the parameter set has been loaded first and the
// polling starts once the window is there. False when no window was shown.
bool monitor_open_sequence(const std::function<void(bool linked)>& show);

}  // namespace pv
