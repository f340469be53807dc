#include <limits>

#include "mapedit_fixture.h"

namespace pv {
namespace {

using Trim = MapGrid;
using EqualDivision = MapGrid;

TEST_F(Trim, ConstantIsRoundedToWholeStoredStepsOnce) {
    show(map_rpm_axis, 0, 0, 120);
    ASSERT_TRUE(ConstantTrim({1, 1, 2, 1}, 250));  // 2.5 steps of 100 rpm: 2
    EXPECT_EQ(data.rpm_axis, (Axis{12, 27, 40, 55, 70}));
    StepTrim({5, 1, 5, 1}, +1);  // Page Up: 100 rpm
    EXPECT_EQ(data.rpm_axis[4], 71);

    data.pressure_unit = 1;
    show(map_boost_a, 2, -170, 170);
    ConstantTrim({1, 1, 1, 1}, 0.25);  // 2.5 tenths of a PSI: 2
    ConstantTrim({2, 1, 2, 1}, -0.25);
    StepTrim({3, 1, 3, 1}, -1);
    EXPECT_EQ(data.boost_map_a[0][0], 2);
    EXPECT_EQ(data.boost_map_a[1][0], -2);
    EXPECT_EQ(data.boost_map_a[2][0], -1);
    EXPECT_EQ(std::get<2>(hooks_.cells.back()), " -0.1");
}

TEST_F(Trim, MultiplierWorksOnStoredValuesAndClamps) {
    data.offset_map_a[0] = {150, 5, 3, 100, 100};
    show(map_offset_a, 1, 1, 199);
    ASSERT_TRUE(MultiplierTrim({1, 1, 1, 1}, 1.5));
    EXPECT_EQ(data.offset_map_a[0][0], 199);  // 225
    MultiplierTrim({2, 1, 3, 1}, 0.5);
    EXPECT_EQ(data.offset_map_a[0][1], 2);  // 2.5 to the even 2
    EXPECT_EQ(data.offset_map_a[0][2], 2);  // 1.5 to the even 2

    data.boost_map_a[0][0] = -10;
    data.boost_map_a[1][0] = 10;
    show(map_boost_a, 2, -120, 120);
    // Far beyond 32 bits: each lands on the bound of its own sign.
    MultiplierTrim({1, 1, 2, 1}, 1e12);
    EXPECT_EQ(data.boost_map_a[0][0], -120);
    EXPECT_EQ(data.boost_map_a[1][0], 120);
    EXPECT_FALSE(MultiplierTrim({1, 1, 2, 1}, std::numeric_limits<double>::quiet_NaN()));
}

TEST_F(Trim, InputBoxesAndInvalidText) {
    show(map_rpm_axis, 0, 0, 120);
    dialogs_.inputs = {" 250 ", "1.5x", std::nullopt};
    EXPECT_TRUE(constant_trim_command({1, 1, 1, 1}));
    EXPECT_EQ(data.rpm_axis[0], 12);
    state.doc_modified = 0;
    EXPECT_FALSE(multiplier_trim_command({1, 1, 5, 1}));
    EXPECT_EQ(data.rpm_axis[1], 25);
    EXPECT_EQ(state.doc_modified, 0);
    EXPECT_FALSE(constant_trim_command({1, 1, 1, 1}));  // cancelled
    ASSERT_EQ(dialogs_.shown.size(), 4u);
    EXPECT_EQ(dialogs_.shown[0].text, "Constant Trim|Input constant value.");
    EXPECT_EQ(dialogs_.shown[1].text, "Multiplier Trim|Input coefficient value.");
    EXPECT_EQ(dialogs_.shown[2].icon, Icon::Error);
    EXPECT_EQ(dialogs_.shown[2].text, "Invalid value.");
    EXPECT_EQ(dialogs_.initials, (std::vector<std::string>{"0", "1", "0"}));
    EXPECT_EQ(dialogs_.busy, (std::vector<uint8_t>{1, 1, 1}));
    EXPECT_EQ(state.ui_busy, 0);
}

TEST_F(EqualDivision, RowFollowsUnequalAxisSpacing) {
    data.rpm_axis = {10, 20, 40, 55, 70};
    data.boost_map_a[1][0] = 99;
    data.boost_map_a[4][0] = 60;
    show(map_boost_a, 2, -120, 120);
    EqualDivide({1, 1, 5, 1});
    const int expected[5] = {0, 10, 30, 45, 60};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(data.boost_map_a[i][0], expected[i]) << i;
    EXPECT_EQ(changed_count(), 5);
}

TEST_F(EqualDivision, HalfStepsRoundToEven) {
    data.throttle_axis = {10, 0, 0, 0, 12};
    show(map_throttle_axis, 0, 0, 100);  // weights are the point numbers 1..5
    EqualDivide({1, 1, 5, 1});
    EXPECT_EQ(data.throttle_axis, (Axis{10, 10, 11, 12, 12}));
}

TEST_F(EqualDivision, WholeMapFillsTopAndBottomRowsThenEveryColumn) {
    data.throttle_axis = {0, 10, 50, 75, 100};
    for (auto& line : data.boost_map_a) line.fill(7);
    data.boost_map_a[0][0] = 0;
    data.boost_map_a[4][0] = 60;
    data.boost_map_a[0][4] = 40;
    data.boost_map_a[4][4] = 100;
    show(map_boost_a, 4, -120, 120);
    EqualDivide({1, 1, 5, 5});
    const int down[5] = {0, 4, 20, 30, 40};  // 40 over the throttle weights 0..100
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            EXPECT_EQ(data.boost_map_a[i][j], 15 * i + down[j]) << i << "," << j;
}

TEST_F(EqualDivision, SingleColumnAfterTheQuestion) {
    for (auto& line : data.offset_map_a) line.fill(7);
    data.offset_map_a[2][0] = 10;
    data.offset_map_a[2][4] = 50;
    show(map_offset_a, 4, 1, 199);
    EXPECT_FALSE(equal_divide_key({3, 1, 3, 5}));
    EXPECT_EQ(data.offset_map_a[2][1], 7);
    dialogs_.answers = {Answer::Yes};
    EXPECT_TRUE(equal_divide_key({3, 1, 3, 5}));
    EXPECT_EQ(data.offset_map_a[2], (std::array<uint8_t, 5>{10, 20, 30, 40, 50}));
    EXPECT_EQ(data.offset_map_a[1][2], 7);
    EXPECT_EQ(data.offset_map_a[3][2], 7);
    ASSERT_EQ(dialogs_.shown.size(), 2u);
    EXPECT_EQ(dialogs_.shown[0].icon, Icon::Question);
    EXPECT_EQ(dialogs_.shown[0].text, "Divide equally?");
}

}  // namespace
}  // namespace pv
