#include <gtest/gtest.h>

#include "core/document/unit.h"
#include "core/ui/clock.h"
#include "core/ui/hooks.h"
#include "support/program.h"

namespace pv {
namespace {

struct RecordingHooks : pvtest::FakeWindows {
    std::vector<std::tuple<int, int, std::string>> cells;
    int undo_on = 0, undo_off = 0, save_on = 0;
    void cell_written(int c, int r, const std::string& t) override { cells.emplace_back(c, r, t); }
    void set_undo_enabled(bool e) override { (e ? undo_on : undo_off)++; }
    void set_save_enabled(bool e) override { save_on += e; }
};

class Conversions : public ::testing::Test {
  protected:
    void SetUp() override {
        pvtest::reset_program();
        SetDefaultData();
        hooks_.install();
    }
    void TearDown() override { pvtest::reset_program(); }

    // Shows a table the way the map window does: its id and clamp bounds.
    void show(int map_id, int32_t lo, int32_t hi) {
        grid.current_map = map_id;
        grid.value_min = lo;
        grid.value_max = hi;
    }

    RecordingHooks hooks_;
};

TEST_F(Conversions, NewDocumentHasTheComputedDefaults) {
    EXPECT_EQ(data.rpm_axis, (Axis{10, 25, 40, 55, 70}));
    EXPECT_EQ(data.speed_axis, (Axis{2, 5, 8, 11, 14}));
    EXPECT_EQ(data.throttle_axis, (Axis{0, 25, 50, 75, 100}));
    EXPECT_EQ(data.offset_map_b[4][4], 100);
    EXPECT_EQ(data.boost_map_a[2][3], 0);
    EXPECT_EQ(data.openth, 5000);
    EXPECT_EQ(data.warning_boost, 250);
    EXPECT_EQ(data.sampling_time, 3);
    EXPECT_EQ(data.cyls, 4);
    EXPECT_EQ(data.up_boost_offset, 100);
    EXPECT_EQ(state.last_log_file, "Data Log");
    EXPECT_EQ(state.last_other_log_file, "Comparison Log");
    EXPECT_EQ(state.link_interval_ms, 15u);
}

TEST_F(Conversions, RoundingTiesGoToEvenForEveryTableKind) {
    show(map_rpm_axis, 0, 120);
    EXPECT_EQ(ParseCell("7050"), 70);  // 70.5
    EXPECT_EQ(ParseCell("7150"), 72);  // 71.5
    EXPECT_EQ(ParseCell("7049"), 70);
    show(map_speed_axis, 0, 50);
    EXPECT_EQ(ParseCell("25"), 2);  // 2.5
    EXPECT_EQ(ParseCell("35"), 4);  // 3.5
    show(map_boost_a, -120, 120);
    EXPECT_EQ(ParseCell("2.5"), 2);
    EXPECT_EQ(ParseCell("-2.5"), -2);
    EXPECT_EQ(ParseCell("-3.5"), -4);
    data.pressure_unit = 1;
    EXPECT_EQ(ParseCell("-3.25"), -32);
    EXPECT_EQ(ParseCell("-3.35"), -34);  // -33.5 as well as the double allows
    EXPECT_EQ(ParseCell("1.05"), 10);    // 10.5
    show(map_offset_b, 1, 199);
    EXPECT_EQ(ParseCell("99.5"), 100);
    EXPECT_EQ(ParseCell("100.5"), 100);
}

TEST_F(Conversions, ParseAcceptsOnlyDecimalNumbers) {
    show(map_throttle_axis, 0, 100);
    EXPECT_EQ(ParseCell("   42"), 42);  // grid texts are right-aligned in five characters
    EXPECT_EQ(ParseCell("+7 "), 7);
    EXPECT_EQ(ParseCell(".5e2"), 50);
    EXPECT_EQ(ParseCell("1e400"), INT32_MAX);
    EXPECT_EQ(ParseCell("-1e400"), INT32_MIN);
    EXPECT_EQ(ParseCell("1e-400"), 0);
    EXPECT_EQ(ParseCell("99999999999999999999"), INT32_MAX);
    for (const char* bad :
         {"", "   ", "abc", "1,5", "0x10", "inf", "nan", "1e", "--1", "1 2", ".", "5%", "e5"})
        EXPECT_FALSE(ParseCell(bad)) << '"' << bad << '"';
}

TEST_F(Conversions, FormatCellShowsDisplayUnits) {
    show(map_rpm_axis, 0, 120);
    EXPECT_EQ(FormatCell(70), " 7000");
    EXPECT_EQ(FormatCell(120), "12000");
    show(map_speed_axis, 0, 50);
    EXPECT_EQ(FormatCell(14), "  140");
    show(map_boost_b, -170, 170);
    EXPECT_EQ(FormatCell(-120), " -120");
    data.pressure_unit = 1;
    EXPECT_EQ(FormatCell(-32), " -3.2");
    EXPECT_EQ(FormatCell(170), " 17.0");
    EXPECT_EQ(FormatCell(-246), "-24.6");
    show(map_offset_a, 1, 199);
    EXPECT_EQ(FormatCell(1), "    1");
}

TEST_F(Conversions, SetCellClampsStoresAndReportsTheCell) {
    show(map_rpm_axis, 0, 120);
    SetCell(5, 1, "7050");
    EXPECT_EQ(data.rpm_axis[4], 70);
    SetCell(3, 1, "12345");
    EXPECT_EQ(data.rpm_axis[2], 120);
    EXPECT_EQ(grid.grid_values[3][0], 120);
    ASSERT_EQ(hooks_.cells.size(), 2u);
    EXPECT_EQ(hooks_.cells[1], std::make_tuple(3, 1, std::string("12000")));
    EXPECT_EQ(grid.changed_cells[2][0], 1);

    show(map_offset_a, 1, 199);
    SetCell(1, 1, "0");
    EXPECT_EQ(data.offset_map_a[0][0], 1);
    SetCell(2, 1, "250");
    EXPECT_EQ(data.offset_map_a[1][0], 199);

    data.pressure_unit = 1;
    show(map_boost_a, -170, 170);
    SetCell(1, 1, "-3.25");
    EXPECT_EQ(data.boost_map_a[0][0], -32);
    EXPECT_EQ(std::get<2>(hooks_.cells.back()), " -3.2");
    SetCell(1, 1, "-99");
    EXPECT_EQ(data.boost_map_a[0][0], -170);
}

TEST_F(Conversions, UnparsableTextRestoresTheStoredValue) {
    show(map_boost_a, -120, 120);
    SetCell(2, 1, "15");
    SetCell(2, 1, "abc");
    EXPECT_EQ(data.boost_map_a[1][0], 15);
    EXPECT_EQ(std::get<2>(hooks_.cells.back()), "   15");
    EXPECT_EQ(state.doc_modified, 0);  // the edit operation marks the document, not SetCell
}

TEST_F(Conversions, AxisModeDecidesWhichElementACellHolds) {
    show(map_boost_a, -120, 120);
    data.axis_select_no = 1;  // throttle only: the columns run along j
    SetCell(3, 1, "11");
    EXPECT_EQ(data.boost_map_a[0][2], 11);
    data.axis_select_no = 2;
    SetCell(3, 1, "22");
    EXPECT_EQ(data.boost_map_a[2][0], 22);
    data.axis_select_no = 5;
    SetCell(2, 4, "33");
    EXPECT_EQ(data.boost_map_a[1][3], 33);
    EXPECT_EQ(data.boost_map_a[0][2], 11);  // untouched by the other modes

    EXPECT_EQ(MapShape(map_offset_a, false).rows, 5);
    data.axis_select_no = 3;
    EXPECT_EQ(MapShape(map_offset_a, false).rows, 1);
    EXPECT_EQ(MapShape(map_offset_a, true).rows, 5);
    EXPECT_EQ(MapShape(map_throttle_axis, true).rows, 1);
    EXPECT_EQ(MapShape(101, true).cols, 1);
}

TEST_F(Conversions, CellsOutsideTheGridAreIgnored) {
    show(map_boost_a, -120, 120);
    SetCell(0, 1, "5");
    SetCell(6, 1, "5");
    SetCell(1, 6, "5");
    EXPECT_TRUE(hooks_.cells.empty());
}

TEST_F(Conversions, ModifiedAndChangedFlagsDriveUndoAndSave) {
    MarkModified();
    EXPECT_EQ(state.doc_modified, 1);
    EXPECT_EQ(hooks_.undo_on, 1);
    EXPECT_EQ(hooks_.save_on, 0);  // an unnamed document saves through Save As only
    state.doc_named = 1;
    MarkModified();
    EXPECT_EQ(hooks_.save_on, 1);
    grid.changed_cells[4][4] = 1;
    ClearChanged();
    EXPECT_EQ(grid.changed_cells[4][4], 0);
    EXPECT_EQ(hooks_.undo_off, 1);
}

TEST_F(Conversions, SmallHelpers) {
    EXPECT_EQ(Power(10, 0), 1);
    EXPECT_EQ(Power(10, 3), 1000);
    EXPECT_EQ(FormatFixed(12345, 2), "123.45");
    EXPECT_EQ(FormatFixed(-5, 1), "-0.5");
    EXPECT_EQ(FormatFixed(42, 0), "42");
    EXPECT_EQ(file_version_text(1150), "1.15");
    EXPECT_EQ(file_version_text(1151), "1.151");
    set_save_stamp({2008, 3, 7, 9, 5, 3});
    EXPECT_EQ(data.save_date_text, "2008/3/7");
    EXPECT_EQ(data.save_time_text, "9:05:03");
    data.pressure_unit = 0;
    EXPECT_EQ(PressureUnitText(), "kPa");
    data.pressure_unit = 1;
    EXPECT_EQ(PressureUnitText(), "PSI");
    EXPECT_EQ(round_half_even(0.5), 0);
    EXPECT_EQ(round_half_even(1.5), 2);
    EXPECT_EQ(round_half_even(-0.5), 0);
    EXPECT_EQ(round_half_even(-1.5), -2);
}

TEST_F(Conversions, DelayWaitsLongerThanAskedOnTheClock) {
    ManualClock c;
    set_clock(&c);
    uint32_t start = c.tick_count();
    Delay(50);
    EXPECT_EQ(c.tick_count() - start, 51u);
    set_clock(nullptr);
}

}  // namespace
}  // namespace pv
