#include "core/mapedit/axis_edit.h"

#include <utility>

namespace pv {

bool axis_has_equal_points(const Axis& axis, int points) {
    for (int a = 0; a < points; ++a)
        for (int b = a + 1; b < points; ++b)
            if (axis[a] == axis[b]) return true;
    return false;
}

void sort_axis(Axis& axis) {
    for (size_t k = 0; k < axis.size(); ++k) {
        size_t smallest = k;
        for (size_t m = k + 1; m < axis.size(); ++m)
            if (axis[m] < axis[smallest]) smallest = m;
        std::swap(axis[k], axis[smallest]);
    }
}

Line reinterpolate_line(const Line& x, const Line& n, const Line& v, int32_t lo, int32_t hi) {
    Line out{};
    // The search position and segment carry over from one new point to the next: the new
    // points are sorted, so the walk over the old ones only moves forward.
    int i = 1;
    int s = 1;
    for (int k = 0; k < 5; ++k) {
        while (x[i - 1] < n[k] && i < 5) {
            if (x[i] != x[i - 1]) s = i;
            ++i;
        }
        if (x[i - 1] == n[k]) {
            out[k] = v[i - 1];
            continue;
        }
        long double xa = x[s - 1], xb = x[s], va = v[s - 1], vb = v[s];
        if (xb == xa) {
            out[k] = v[s];
            continue;
        }
        long double r = (vb - va) / (xb - xa) * (n[k] - xa);
        out[k] = Clamp(round_half_even(r) + v[s - 1], lo, hi);
    }
    return out;
}

Bounds boost_bounds(uint8_t valve_version, uint8_t display_version, uint8_t pressure_unit) {
    bool narrow = is_12x(valve_version) && is_12x(display_version);
    if (pressure_unit == 1) return narrow ? Bounds{-246, 100} : Bounds{-170, 170};
    return narrow ? Bounds{-170, 70} : Bounds{-120, 120};
}

namespace {

template <typename T>
void reinterpolate_map(Map<T>& map, bool along_throttle, const Line& x, const Line& n, Bounds b) {
    for (int line = 0; line < 5; ++line) {
        Line v;
        for (int k = 0; k < 5; ++k) v[k] = along_throttle ? map[line][k] : map[k][line];
        Line r = reinterpolate_line(x, n, v, b.lo, b.hi);
        for (int k = 0; k < 5; ++k)
            (along_throttle ? map[line][k] : map[k][line]) = static_cast<T>(r[k]);
    }
}

}  // namespace

void reinterpolate_maps(int axis_id, const Line& old_points, const Line& new_points) {
    bool along_throttle = axis_id == map_throttle_axis;
    Bounds boost =
        boost_bounds(data.file_valve_version, data.file_display_version, data.pressure_unit);
    Bounds offset{1, 199};
    reinterpolate_map(data.boost_map_a, along_throttle, old_points, new_points, boost);
    reinterpolate_map(data.offset_map_a, along_throttle, old_points, new_points, offset);
    reinterpolate_map(data.boost_map_b, along_throttle, old_points, new_points, boost);
    reinterpolate_map(data.offset_map_b, along_throttle, old_points, new_points, offset);
}

}  // namespace pv
