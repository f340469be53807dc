// The live values that a poll of the unit produces, and the two correction values the
// program works out itself from the active map set.
#pragma once
#include <array>
#include <cstdint>

#include "core/document/unit.h"

namespace pv {

struct LiveValues {
    int16_t live_boost = 0;       // 0.1 kPa or 0.01 PSI per count
    int16_t live_peak_boost = 0;  // same counts
    uint8_t live_rev = 0;         // 100 rpm or 2 km/h per count, by rev_is_rpm
    uint8_t live_throttle = 0;    // %
    int16_t live_boost_correction = 0;
    uint8_t live_offset_correction = 0;  // %
    int16_t marking = 0;                 // 255 while Space is held in the recording window
};

extern LiveValues live;        // from the polls, or the log viewer's cursor under Log Link
extern LiveValues other_live;  // the comparison log's cursor under Log Link

// Position of a value on a 5-point axis: point r (1..5) and the way on to point r + 1 in
// percent. Values at or outside the ends sit on the end point with fraction 0.
struct AxisPosition {
    int point = 1;
    int fraction = 0;
};
AxisPosition axis_position(int32_t value, const Axis& axis);

// Interpolated cell of a 5 x 5 map (map[i][j], i on the rev axis, j on the throttle axis)
// for the operating point (rev, throttle) in axis mode `axis_select_no`.
int32_t interpolate_map(const Map<int16_t>& map, const ControllerData& d, uint8_t rev,
                        uint8_t throttle);
int32_t interpolate_map(const Map<uint8_t>& map, const ControllerData& d, uint8_t rev,
                        uint8_t throttle);

// Fills live_boost_correction and live_offset_correction of `v` from its rev and throttle,
// using map set B when `mode_b` is set, else set A. Axis mode 0 gives 0 for both.
void compute_corrections(LiveValues& v, const ControllerData& d, bool mode_b);

// (num / den) rounded to the nearest integer, halves to the even neighbour. den != 0.
int64_t div_round_half_even(int64_t num, int64_t den);

}  // namespace pv
