#include "core/logging/live.h"

namespace pv {

LiveValues live;
LiveValues other_live;

int64_t div_round_half_even(int64_t num, int64_t den) {
    if (den < 0) num = -num, den = -den;
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) q -= 1, r += den;  // floor division: 0 <= r < den
    int64_t twice = 2 * r;
    if (twice > den || (twice == den && (q & 1) != 0)) q += 1;
    return q;
}

AxisPosition axis_position(int32_t value, const Axis& axis) {
    if (value <= axis[0]) return {1, 0};
    if (value >= axis[4]) return {5, 0};
    // The last point below the value; the next point is then at or above it, so the span is
    // never empty even when the axis is not in order.
    int k = 3;
    while (axis[k] >= value) --k;
    int64_t span = axis[k + 1] - axis[k];
    return {k + 1, static_cast<int>(div_round_half_even((value - axis[k]) * int64_t{100}, span))};
}

namespace {

int32_t step(int32_t a, int32_t b, int fraction) {
    return a + static_cast<int32_t>(div_round_half_even(int64_t{b - a} * fraction, 100));
}

template <typename T>
int32_t interpolate(const Map<T>& map, const ControllerData& d, uint8_t rev, uint8_t throttle) {
    int mode = d.axis_select_no;
    if (mode < 1 || mode > 5) return 0;

    AxisPosition row;     // on the rev axis: map index i
    AxisPosition column;  // on the throttle axis: map index j
    if (mode == 2 || mode == 4) row = axis_position(rev, d.rpm_axis);
    if (mode == 3 || mode == 5)
        row = axis_position(static_cast<int32_t>(div_round_half_even(rev * 2, 10)), d.speed_axis);
    if (mode == 1 || mode == 4 || mode == 5) column = axis_position(throttle, d.throttle_axis);

    auto M = [&](int r, int c) -> int32_t { return map[r - 1][c - 1]; };
    int r = row.point, c = column.point;
    if (row.fraction != 0 && column.fraction != 0) {
        int32_t u = step(M(r, c), M(r + 1, c), row.fraction);
        int32_t v = step(M(r, c + 1), M(r + 1, c + 1), row.fraction);
        return step(u, v, column.fraction);
    }
    if (column.fraction != 0) return step(M(r, c), M(r, c + 1), column.fraction);
    if (row.fraction != 0) return step(M(r, c), M(r + 1, c), row.fraction);
    return M(r, c);
}

}  // namespace

int32_t interpolate_map(const Map<int16_t>& map, const ControllerData& d, uint8_t rev,
                        uint8_t throttle) {
    return interpolate(map, d, rev, throttle);
}

int32_t interpolate_map(const Map<uint8_t>& map, const ControllerData& d, uint8_t rev,
                        uint8_t throttle) {
    return interpolate(map, d, rev, throttle);
}

void compute_corrections(LiveValues& v, const ControllerData& d, bool mode_b) {
    const auto& boost = mode_b ? d.boost_map_b : d.boost_map_a;
    const auto& offset = mode_b ? d.offset_map_b : d.offset_map_a;
    v.live_boost_correction =
        static_cast<int16_t>(interpolate_map(boost, d, v.live_rev, v.live_throttle));
    v.live_offset_correction =
        static_cast<uint8_t>(interpolate_map(offset, d, v.live_rev, v.live_throttle));
}

}  // namespace pv
