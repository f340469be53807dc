#include "core/mapedit/axis_edit.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

TEST(AxisEdit, ReinterpolationByHand) {
    Line x{10, 25, 40, 55, 70};
    Line v{0, 30, 60, 90, 120};
    // Unmoved points give the old values back, clamp or not.
    EXPECT_EQ(reinterpolate_line(x, x, v, -50, 50), v);
    // 30 lies a third into 25..40: 30 + 30 * 5 / 15.
    EXPECT_EQ(reinterpolate_line(x, {10, 30, 40, 55, 70}, v, -120, 120),
              (Line{0, 40, 60, 90, 120}));

    // The increment is rounded, halves to even, before the segment's start is added:
    // 0.5 -> 0 at both 1 and 3, so 3 gives 1 + 0 and not round(1.5) = 2.
    EXPECT_EQ(reinterpolate_line({0, 2, 4, 6, 8}, {1, 3, 4, 6, 8}, {0, 1, 2, 3, 4}, -9, 9),
              (Line{0, 1, 2, 3, 4}));
    EXPECT_EQ(reinterpolate_line({0, 2, 4, 6, 8}, {0, 2, 4, 6, 7}, {0, 1, 2, 3, 6}, -9, 9),
              (Line{0, 1, 2, 3, 5}));  // 3 + round(1.5) over 6..8
}

TEST(AxisEdit, ExtrapolatesBeyondTheOldRangeAndClamps) {
    Line x{20, 30, 40, 50, 60};
    Line v{10, 20, 30, 40, 50};
    EXPECT_EQ(reinterpolate_line(x, {10, 30, 40, 50, 80}, v, 1, 55), (Line{1, 20, 30, 40, 55}));
    EXPECT_EQ(reinterpolate_line(x, {10, 30, 40, 50, 80}, v, -100, 100), (Line{0, 20, 30, 40, 70}));
    // A negative slope extrapolates downwards.
    EXPECT_EQ(reinterpolate_line(x, {0, 30, 40, 50, 60}, {50, 40, 30, 20, 10}, -100, 100),
              (Line{70, 40, 30, 20, 10}));
}

TEST(AxisEdit, DuplicateOldPointsUseTheNextDistinctSegment) {
    Line x{10, 10, 40, 55, 70};
    Line v{5, 7, 37, 50, 60};
    // Below a zero-width first segment the value is the segment's end.
    Line r = reinterpolate_line(x, {5, 20, 40, 55, 70}, v, -200, 200);
    EXPECT_EQ(r[0], 7);
    EXPECT_EQ(r[1], 17);  // 7 + 30 * 10 / 30 over 10..40
    EXPECT_EQ(r[2], 37);
}

TEST(AxisEdit, SortAndEqualPoints) {
    Axis a{70, 10, 55, 25, 40};
    sort_axis(a);
    EXPECT_EQ(a, (Axis{10, 25, 40, 55, 70}));
    EXPECT_FALSE(axis_has_equal_points(a));
    EXPECT_TRUE(axis_has_equal_points(Axis{10, 25, 10, 55, 70}));
}

TEST(AxisEdit, BoostBoundsFollowVersionsAndUnit) {
    EXPECT_EQ(boost_bounds(125, 125, 0).lo, -170);
    EXPECT_EQ(boost_bounds(125, 125, 0).hi, 70);
    EXPECT_EQ(boost_bounds(125, 130, 0).lo, -120);
    EXPECT_EQ(boost_bounds(120, 129, 1).lo, -246);
    EXPECT_EQ(boost_bounds(119, 125, 1).hi, 170);
}

TEST(AxisEdit, MapsMoveAlongTheRightIndex) {
    data = ControllerData{};
    SetDefaultData();
    data.file_valve_version = data.file_display_version = 100;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            data.boost_map_a[i][j] = static_cast<int16_t>(10 * i + j);
            data.offset_map_b[i][j] = static_cast<uint8_t>(100 + 10 * i + j);
        }
    // rpm points 25 -> 30: every throttle row (fixed j) changes at i = 1.
    reinterpolate_maps(map_rpm_axis, {10, 25, 40, 55, 70}, {10, 30, 40, 55, 70});
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(data.boost_map_a[1][j], 13 + j) << j;  // 10 + 10 * 5 / 15 = 13.33
        EXPECT_EQ(data.boost_map_a[2][j], 20 + j);
        EXPECT_EQ(data.offset_map_b[1][j], 113 + j);
    }
    // throttle point 25 -> 50 duplicates nothing: along j for each i.
    reinterpolate_maps(map_throttle_axis, {0, 25, 50, 75, 100}, {0, 50, 60, 75, 100});
    EXPECT_EQ(data.boost_map_a[0][1], 2);
    EXPECT_EQ(data.boost_map_a[0][2], 2);  // 2 + 1 * 10 / 25 = 2.4
    EXPECT_EQ(data.offset_map_b[4][4], 144);
}

}  // namespace
}  // namespace pv
