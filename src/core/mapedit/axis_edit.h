// Ending an axis edit: the axis is sorted and every map is re-interpolated from the old
// points onto the new ones, so that a map keeps its shape over engine speed, vehicle speed
// or throttle when the points under it move.
#pragma once
#include <array>
#include <cstdint>

#include "core/document/unit.h"

namespace pv {

using Line = std::array<int32_t, 5>;

// Two points of the axis hold the same value (such an axis cannot be interpolated over).
bool axis_has_equal_points(const Axis& axis, int points = 5);

// Ascending selection sort: each position takes the smallest remaining point, the first
// of equals winning.
void sort_axis(Axis& axis);

// One line of five values V over old points X, re-interpolated onto new points N. Points
// outside the old range extrapolate from the first or last segment; results off an old
// point are clamped to lo..hi.
Line reinterpolate_line(const Line& x, const Line& n, const Line& v, int32_t lo, int32_t hi);

// Clamp bounds of the boost maps for firmware versions and pressure unit: the narrow range
// applies when both versions lie in 120..129.
struct Bounds {
    int32_t lo;
    int32_t hi;
};
Bounds boost_bounds(uint8_t valve_version, uint8_t display_version, uint8_t pressure_unit);

// Re-interpolates all four maps after axis `axis_id` (11, 12 or 14) moved from `old_points`
// to `new_points`: along the horizontal index for the rpm and speed axes, along the throttle
// index for the throttle axis. Boost bounds follow the file's firmware versions.
void reinterpolate_maps(int axis_id, const Line& old_points, const Line& new_points);

}  // namespace pv
