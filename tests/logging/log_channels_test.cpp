#include "core/logging/log_channels.h"

#include <gtest/gtest.h>

#include "core/document/unit.h"
#include "core/ui/keys.h"
#include "support/program.h"

namespace pv {
namespace {

TEST(LogChannelCounts, EditTextsByChannelAndFileFlags) {
    LogScale kpa_speed{0, 0}, psi_rpm{1, 1};
    EXPECT_EQ(format_edit_count(ch_pressure, 2577, kpa_speed), "257.7");
    EXPECT_EQ(format_edit_count(ch_peak_hold, -832, kpa_speed), "-83.2");
    EXPECT_EQ(format_edit_count(ch_pressure, 150, psi_rpm), "  1.5");
    EXPECT_EQ(format_edit_count(ch_rev, 70, psi_rpm), " 7000");
    EXPECT_EQ(format_edit_count(ch_rev, 150, kpa_speed), "  300");
    // Speed never reads above what 250 counts stand for.
    EXPECT_EQ(format_edit_count(ch_rev, 300, kpa_speed), "  500");
    EXPECT_EQ(format_edit_count(ch_boost_correction, -240, kpa_speed), "-240");
    EXPECT_EQ(format_edit_count(ch_marking, 255, kpa_speed), "");
    EXPECT_EQ(format_edit_count(9, 12, kpa_speed), "12");
}

TEST(LogChannelCounts, ParsingRoundsHalvesToEvenAndRefusesNonNumbers) {
    LogScale kpa_speed{0, 0}, psi_rpm{1, 1};
    EXPECT_EQ(parse_edit_count(ch_rev, "301", kpa_speed), 150);
    EXPECT_EQ(parse_edit_count(ch_rev, "303", kpa_speed), 152);
    EXPECT_EQ(parse_edit_count(ch_rev, " 3550", psi_rpm), 36);
    EXPECT_EQ(parse_edit_count(ch_pressure, "-83.25", kpa_speed), -832);
    EXPECT_EQ(parse_edit_count(ch_pressure, " 0.125", psi_rpm), 12);
    EXPECT_EQ(parse_edit_count(ch_pressure, "0.375", psi_rpm), 38);
    EXPECT_EQ(parse_edit_count(ch_throttle, " 42 ", kpa_speed), 42);
    EXPECT_EQ(parse_edit_count(ch_throttle, "4.5", kpa_speed), std::nullopt);
    EXPECT_EQ(parse_edit_count(ch_pressure, "abc", kpa_speed), std::nullopt);
    EXPECT_EQ(parse_edit_count(ch_throttle, "", kpa_speed), std::nullopt);
    EXPECT_EQ(parse_edit_count(ch_throttle, "99999999999", kpa_speed), std::nullopt);
}

TEST(LogChannelCounts, StepsStopAtTheBoundsAndEnterLeavesTheValue) {
    EntryBounds b{-3, 5};
    EXPECT_EQ(step_value(vk_up, 4, b), 5);
    EXPECT_EQ(step_value(vk_prior, 5, b), 5);
    EXPECT_EQ(step_value(vk_down, -2, b), -3);
    EXPECT_EQ(step_value(vk_next, -3, b), -3);
    EXPECT_EQ(step_value(vk_return, 2, b), 2);
    // A stored value already past a bound only steps back towards the range.
    EXPECT_EQ(step_value(vk_up, 9, b), 9);
    EXPECT_EQ(step_value(vk_down, 9, b), 8);
}

TEST(LogChannelCounts, EntryBoundsStayWithinTheChannelLimits) {
    ChannelLimits rev{250, 0};
    EXPECT_EQ(entry_bounds(EditField::max, {200, 40, 0, 1}, rev).lower, 41);
    EXPECT_EQ(entry_bounds(EditField::max, {200, 40, 0, 1}, rev).upper, 250);
    EXPECT_EQ(entry_bounds(EditField::min, {200, 40, 0, 1}, rev).upper, 199);
    EXPECT_EQ(entry_bounds(EditField::min, {200, 40, 0, 1}, rev).lower, 0);
    // A scale never set (0..0) must not open a range below the bottom limit.
    EntryBounds empty = entry_bounds(EditField::min, {0, 0, 0, 0}, rev);
    EXPECT_EQ(empty.lower, 0);
    EXPECT_EQ(empty.upper, 0);
    // Stored extremes neither overflow nor invert the range.
    EntryBounds wild = entry_bounds(EditField::max, {0, INT32_MAX, 0, 0}, rev);
    EXPECT_EQ(wild.lower, 250);
    EXPECT_EQ(wild.upper, 250);
    wild = entry_bounds(EditField::min, {INT32_MIN, 0, 0, 0}, rev);
    EXPECT_LE(wild.lower, wild.upper);
}

// The rules that differ between the sides, stated once per side.
struct SideCase {
    const char* name;
    const LogSide* side;
    int32_t rev_top_speed_file_unit_rpm;        // the unit reports engine speed, the file speed
    ChannelLimits correction_kpa_file_doc_psi;  // the file in kPa, the document in PSI
    int32_t correction_top_file_unit_2;         // a file whose pressure unit word is 2
};

void PrintTo(const SideCase& c, std::ostream* os) {
    *os << c.name;
}

class LogSideRules : public ::testing::TestWithParam<SideCase> {
  protected:
    void SetUp() override {
        pvtest::reset_program();
        for (int c = 1; c <= kLogChannels; ++c) {
            // Distinct, in-range records so that a write to the wrong channel shows.
            LogChannel rec{100 + c, 10 + c, 0x10 * c, static_cast<uint8_t>(c % 2)};
            settings.log_channels[c - 1] = rec;
            rec.color += 1;
            settings.other_log_channels[c - 1] = rec;
        }
        settings.log_back_color = 0x111111;
        settings.other_log_back_color = 0x222222;
        stored_log_ = settings.log_channels;
        stored_other_ = settings.other_log_channels;
    }
    const LogSide& side() const { return *GetParam().side; }
    ChannelSettingsWork open(std::vector<int> channels, LogScale file = {0, 0},
                             UnitScale unit = {false, 0}) {
        return ChannelSettingsWork(side(), channels, file, unit);
    }
    const std::array<LogChannel, 7>& other_sides_settings() const {
        return &side() == &data_log_side ? settings.other_log_channels : settings.log_channels;
    }

    std::array<LogChannel, 7> stored_log_, stored_other_;
};

TEST_P(LogSideRules, LimitsFollowTheSidesRule) {
    const SideCase& c = GetParam();
    LimitRule rule = side().limits;
    EXPECT_EQ(channel_limits(rule, ch_rev, {0, 0}, {false, 0}).top, 250);
    EXPECT_EQ(channel_limits(rule, ch_rev, {1, 0}, {false, 0}).top, 120);
    EXPECT_EQ(channel_limits(rule, ch_rev, {0, 0}, {true, 0}).top, c.rev_top_speed_file_unit_rpm);
    ChannelLimits psi = channel_limits(rule, ch_boost_correction, {0, 1}, {false, 0});
    EXPECT_EQ(psi.top, 170);
    EXPECT_EQ(psi.bottom, -240);
    ChannelLimits doc_psi = channel_limits(rule, ch_boost_correction, {0, 0}, {false, 1});
    EXPECT_EQ(doc_psi.top, c.correction_kpa_file_doc_psi.top);
    EXPECT_EQ(doc_psi.bottom, c.correction_kpa_file_doc_psi.bottom);
    EXPECT_EQ(channel_limits(rule, ch_boost_correction, {0, 2}, {false, 0}).top,
              c.correction_top_file_unit_2);
    EXPECT_EQ(channel_limits(rule, ch_pressure, {0, 0}, {false, 0}).bottom, -832);
    EXPECT_EQ(channel_limits(rule, ch_offset_correction, {0, 0}, {false, 0}).bottom, 1);
}

TEST_P(LogSideRules, RowsFollowTheFileAndTakeTheSidesSettings) {
    auto work = open({3, 1, 7}, {1, 0});
    ASSERT_EQ(work.rows().size(), 3u);
    EXPECT_EQ(work.rows()[0].name, "RPM");
    EXPECT_EQ(work.rows()[1].name, "Pressure");
    EXPECT_EQ(work.rows()[2].name, "Marking");
    EXPECT_EQ(work.rows()[0].rec.color, side().channel_settings()[2].color);
    EXPECT_EQ(work.current_row(), 1);
    EXPECT_EQ(work.background(), side().background());
    EXPECT_EQ(open({3}, {0, 0}).rows()[0].name, "Speed");
}

TEST_P(LogSideRules, TypedRevMaximumInSpeedIsHalvedAndClamped) {
    auto work = open({1, 3});
    work.select(2);
    EXPECT_EQ(work.key(EditField::max, vk_return, "300"), "  300");
    EXPECT_EQ(work.rows()[1].rec.max, 150);
    EXPECT_EQ(work.leave(EditField::max, "600"), "  500");
    EXPECT_EQ(work.rows()[1].rec.max, 250);
}

TEST_P(LogSideRules, KeysStopAtTheLimitsAndKeepMaxAboveMin) {
    auto work = open({4, 6});
    work.select(1);  // throttle 0..100, stored 14..104
    EXPECT_EQ(work.leave(EditField::max, "99"), "99");
    EXPECT_EQ(work.key(EditField::max, vk_up, "99"), "100");
    EXPECT_EQ(work.key(EditField::max, vk_prior, "100"), "100");
    EXPECT_EQ(work.leave(EditField::max, "3"), "15");  // min is 14
    EXPECT_EQ(work.key(EditField::max, vk_down, "15"), "15");
    EXPECT_EQ(work.leave(EditField::min, "500"), "14");  // max is 15
    EXPECT_EQ(work.key(EditField::min, vk_up, "14"), "14");

    work.select(2);  // offset correction, bottom limit 1, stored min 16
    EXPECT_EQ(work.leave(EditField::min, "2"), "2");
    EXPECT_EQ(work.key(EditField::min, vk_down, "2"), "1");
    EXPECT_EQ(work.key(EditField::min, vk_next, "1"), "1");
    EXPECT_EQ(work.key(EditField::min, vk_left, "7"), std::nullopt);  // the edit's own key
    // A text that is no number leaves the value where it was.
    EXPECT_EQ(work.key(EditField::min, vk_up, "x"), "2");
}

// The step keys step by counts from the exact value although the text shows a tenth; leaving
// the edit reads its text back.
TEST_P(LogSideRules, PsiPressureStepsByCountsAndLeavingReadsTheTextBack) {
    side().channel_settings()[0] = {1234, 0, 0, 1};
    auto work = open({1}, {0, 1});
    std::string shown = work.view(1).max_text;
    EXPECT_EQ(shown, " 12.3");
    shown = *work.key(EditField::max, vk_up, shown);
    shown = *work.key(EditField::max, vk_up, shown);
    EXPECT_EQ(work.rows()[0].rec.max, 1236);
    EXPECT_EQ(shown, " 12.4");
    EXPECT_EQ(work.leave(EditField::max, shown), " 12.4");
    EXPECT_EQ(work.rows()[0].rec.max, 1240);
    work.leave(EditField::max, "12.5");
    EXPECT_EQ(work.rows()[0].rec.max, 1250);
}

TEST_P(LogSideRules, UntouchedStoredValueBeyondTheLimitIsClampedOnLeaving) {
    side().channel_settings()[3] = {5000, 0, 0, 1};
    auto work = open({4});
    EXPECT_EQ(work.leave(EditField::max, work.view(1).max_text), "100");
}

TEST_P(LogSideRules, MarkingRowHasEmptyDisabledEdits) {
    auto work = open({1, 7});
    work.select(2);
    auto v = work.view(1);
    EXPECT_EQ(v.max_text, "");
    EXPECT_EQ(v.min_text, "");
    EXPECT_FALSE(v.edits_enabled);
    EXPECT_TRUE(v.color_enabled);
    EXPECT_EQ(work.key(EditField::max, vk_up, ""), "");
    EXPECT_EQ(work.rows()[1].rec.max, side().channel_settings()[6].max);
}

TEST_P(LogSideRules, SeveralSelectedRowsDisableColourAndEditsAndShareDisplay) {
    auto work = open({1, 2, 3, 4});
    auto v = work.view(2);
    EXPECT_FALSE(v.color_enabled);
    EXPECT_FALSE(v.edits_enabled);
    work.set_draw({2, 4}, true);
    work.set_draw({1, 2}, false);
    EXPECT_EQ(work.rows()[0].rec.draw, 0);
    EXPECT_EQ(work.rows()[1].rec.draw, 0);
    EXPECT_EQ(work.rows()[2].rec.draw, 1);  // channel 3, odd: stored drawn, untouched
    EXPECT_EQ(work.rows()[3].rec.draw, 1);
    EXPECT_EQ(work.look(1, true), ChannelSettingsWork::RowLook::hidden_selected);
    EXPECT_EQ(work.look(2, false), ChannelSettingsWork::RowLook::hidden);
    EXPECT_EQ(work.look(3, true), ChannelSettingsWork::RowLook::normal);
}

TEST_P(LogSideRules, OnlyCommitWritesAndOnlyTheFilesChannelsOfThisSide) {
    auto before = side().channel_settings();
    int32_t back = side().background();
    {
        auto work = open({5, 3, 9});
        work.set_color(0xABCDEF);
        work.set_background(0x00FF00);
        work.set_draw({1, 2, 3}, true);
    }
    EXPECT_EQ(side().channel_settings()[4].color, before[4].color);  // cancelled
    EXPECT_EQ(side().background(), back);

    auto work = open({5, 3, 9});
    work.set_color(0xABCDEF);
    work.set_background(0x00FF00);
    work.select(2);
    work.leave(EditField::max, "200");
    work.commit();
    const auto& now = side().channel_settings();
    EXPECT_EQ(now[4].color, 0xABCDEF);
    EXPECT_EQ(now[2].max, 100);  // speed: 200 km/h
    EXPECT_EQ(side().background(), 0x00FF00);
    for (int c : {1, 2, 4, 6, 7}) {
        EXPECT_EQ(now[c - 1].max, before[c - 1].max) << c;
        EXPECT_EQ(now[c - 1].color, before[c - 1].color) << c;
    }
    bool data_side = &side() == &data_log_side;
    EXPECT_EQ(other_sides_settings()[4].color, (data_side ? stored_other_ : stored_log_)[4].color);
}

TEST_P(LogSideRules, NumberThatIsNoChannelShowsButIsNeverStored) {
    auto work = open({9, 1});
    EXPECT_EQ(work.rows()[0].name, "");
    EXPECT_FALSE(work.view(1).edits_enabled);
    work.set_color(0x123456);
    work.commit();
    for (const auto& rec : side().channel_settings()) EXPECT_NE(rec.color, 0x123456);
}

INSTANTIATE_TEST_SUITE_P(
    BothSides, LogSideRules,
    ::testing::Values(SideCase{"Log", &data_log_side, 120, {170, -240}, 120},
                      SideCase{"Comparison", &comparison_log_side, 250, {120, -170}, 170}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace pv
