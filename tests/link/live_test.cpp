// The boost and offset corrections the program works out from the active maps.
#include "core/logging/live.h"

#include <gtest/gtest.h>

namespace {

using pv::ControllerData;
using pv::LiveValues;

ControllerData axes() {
    ControllerData d;
    d.rpm_axis = {10, 25, 40, 55, 70};
    d.speed_axis = {2, 5, 8, 11, 14};
    d.throttle_axis = {0, 25, 50, 75, 100};
    return d;
}

int16_t boost(const ControllerData& d, uint8_t rev, uint8_t throttle, bool mode_b = false) {
    LiveValues v;
    v.live_rev = rev;
    v.live_throttle = throttle;
    pv::compute_corrections(v, d, mode_b);
    return v.live_boost_correction;
}

TEST(Corrections, ModeOffGivesZeroForBoth) {
    ControllerData d = axes();
    for (auto& row : d.boost_map_a) row.fill(40);
    for (auto& row : d.offset_map_a) row.fill(150);
    d.axis_select_no = 0;
    LiveValues v;
    v.live_rev = 30;
    v.live_throttle = 60;
    pv::compute_corrections(v, d, false);
    EXPECT_EQ(v.live_boost_correction, 0);
    EXPECT_EQ(v.live_offset_correction, 0);

    d.axis_select_no = 6;  // not a mode the unit knows
    pv::compute_corrections(v, d, false);
    EXPECT_EQ(v.live_boost_correction, 0);
}

TEST(Corrections, RpmAxisInteriorAndEnds) {
    ControllerData d = axes();
    d.axis_select_no = 2;
    d.boost_map_a[0][0] = -5;
    d.boost_map_a[1][0] = 10;
    d.boost_map_a[2][0] = 40;
    d.boost_map_a[4][0] = 60;
    d.boost_map_a[1][3] = 999;  // another throttle row: never used in this mode

    EXPECT_EQ(boost(d, 30, 80), 20);  // 33 % of the way from 10 to 40: 10 + round(9.9)
    EXPECT_EQ(boost(d, 40, 0), 40);   // on an interior point: the point below at 100 %
    EXPECT_EQ(boost(d, 10, 0), -5);   // first point
    EXPECT_EQ(boost(d, 0, 0), -5);    // below the axis
    EXPECT_EQ(boost(d, 70, 0), 60);   // last point
    EXPECT_EQ(boost(d, 255, 0), 60);  // beyond it
}

TEST(Corrections, ThrottleOnlyUsesTheFirstRevPoint) {
    ControllerData d = axes();
    d.axis_select_no = 1;
    d.boost_map_a[0][2] = 100;
    d.boost_map_a[0][3] = 0;
    d.boost_map_a[0][4] = 7;
    d.boost_map_a[1][2] = -999;
    EXPECT_EQ(boost(d, 40, 60), 60);  // 40 % from 100 to 0
    EXPECT_EQ(boost(d, 200, 60), 60);
    EXPECT_EQ(boost(d, 40, 100), 7);
}

TEST(Corrections, RpmAndThrottleInterpolateBothWays) {
    ControllerData d = axes();
    d.axis_select_no = 4;
    d.boost_map_a[1][2] = 0;
    d.boost_map_a[2][2] = 100;
    d.boost_map_a[1][3] = 50;
    d.boost_map_a[2][3] = -50;
    // rev 30: point 2, 33 %; throttle 60: point 3, 40 %.
    // u = 0 + round(33) = 33; v = 50 + round(-33) = 17; 33 + round(-6.4) = 27.
    EXPECT_EQ(boost(d, 30, 60), 27);
    // Mode B reads set B only.
    EXPECT_EQ(boost(d, 30, 60, true), 0);
    d.boost_map_b = d.boost_map_a;
    EXPECT_EQ(boost(d, 30, 60, true), 27);
}

TEST(Corrections, SpeedAxisComparesKilometresPerHourTens) {
    ControllerData d = axes();
    d.axis_select_no = 3;
    d.boost_map_a[1][0] = 10;
    d.boost_map_a[2][0] = 40;
    // rev 33 is 66 km/h: round(6.6) = 7 on the axis 2, 5, 8: point 2 at 67 %.
    EXPECT_EQ(boost(d, 33, 0), 30);  // 10 + round(20.1)

    d.axis_select_no = 5;
    d.boost_map_a[1][1] = 10;
    d.boost_map_a[2][1] = 20;
    // Throttle 25 sits on point 2: point 1 at 100 %, so the second throttle row decides.
    EXPECT_EQ(boost(d, 33, 25), 17);  // 10 + round(6.7)
}

TEST(Corrections, HalvesRoundToTheEvenNeighbour) {
    ControllerData d = axes();
    d.axis_select_no = 2;
    d.rpm_axis = {10, 50, 90, 130, 170};
    d.boost_map_a[0][0] = 0;
    d.boost_map_a[1][0] = 100;
    EXPECT_EQ(boost(d, 11, 0), 2);  // fraction 2.5 -> 2
    EXPECT_EQ(boost(d, 13, 0), 8);  // fraction 7.5 -> 8

    d.rpm_axis = {0, 100, 200, 210, 220};
    d.boost_map_a[1][0] = 50;
    EXPECT_EQ(boost(d, 1, 0), 0);  // 0.5 -> 0
    EXPECT_EQ(boost(d, 3, 0), 2);  // 1.5 -> 2
    d.boost_map_a[1][0] = -50;
    EXPECT_EQ(boost(d, 1, 0), 0);
    EXPECT_EQ(boost(d, 3, 0), -2);
}

TEST(Corrections, OffsetCorrectionIsAByteFromTheOffsetMap) {
    ControllerData d = axes();
    d.axis_select_no = 2;
    for (auto& row : d.offset_map_a) row.fill(100);
    for (auto& row : d.offset_map_b) row.fill(100);
    d.offset_map_a[1][0] = 199;
    d.offset_map_b[1][0] = 1;
    LiveValues v;
    v.live_rev = 20;  // 67 % of the way from 10 to 25
    pv::compute_corrections(v, d, false);
    EXPECT_EQ(v.live_offset_correction, 166);  // 100 + round(66.33)
    pv::compute_corrections(v, d, true);
    EXPECT_EQ(v.live_offset_correction, 34);  // 100 + round(-66.33)
}

TEST(Corrections, AxesOutOfOrderNeverDivideByZero) {
    ControllerData d = axes();
    d.axis_select_no = 2;
    for (int i = 0; i < 5; ++i) d.boost_map_a[i][0] = static_cast<int16_t>(100 * (i + 1));

    d.rpm_axis = {10, 20, 20, 20, 30};
    EXPECT_EQ(boost(d, 20, 0), 200);  // last point below 20 is the first: 100 % of the way
    EXPECT_EQ(boost(d, 25, 0), 450);  // from the fourth point, half way to the fifth

    d.rpm_axis = {20, 20, 20, 20, 20};
    EXPECT_EQ(boost(d, 20, 0), 100);
    EXPECT_EQ(boost(d, 21, 0), 500);

    d.rpm_axis = {10, 50, 30, 60, 70};
    EXPECT_EQ(boost(d, 40, 0), 333);  // third point, 33 % towards the fourth
}

}  // namespace
