// The log chart's geometry and the view rules: cursor, scrolling, zoom, rows and Log Link.
#include "core/logging/log_view.h"

#include <gtest/gtest.h>

namespace {

using pv::ChartGeometry;
using pv::LogChannel;
using pv::LogHeader;
using pv::LogView;

LogHeader header(std::initializer_list<uint8_t> channels, int32_t last) {
    LogHeader h;
    h.n = static_cast<int>(channels.size());
    size_t k = 0;
    for (uint8_t c : channels) h.ch[k++] = c;
    h.version = 1150;
    h.interval = 100;
    h.rev_flag = 1;
    h.last_index = last;
    return h;
}

std::array<LogChannel, 7> all_drawn() {
    std::array<LogChannel, 7> c{};
    for (int k = 0; k < 7; ++k) c[static_cast<size_t>(k)] = {100, 0, 0x100 * k, 1};
    return c;
}

TEST(LogViewRules, CursorClicksStopAtTheLastSample) {
    LogView v;
    v.zoom = 4;
    pv::reset_view(v, 1600);
    EXPECT_EQ(v.columns, 401);
    pv::cursor_to_x(v, 10, 100);  // 2.5 samples: halves go to the even neighbour
    EXPECT_EQ(v.cursor, 2);
    pv::cursor_to_x(v, 14, 100);
    EXPECT_EQ(v.cursor, 4);
    pv::scroll_to(v, 90, 100);
    pv::cursor_to_x(v, 1000, 100);
    EXPECT_EQ(v.cursor, 10);
    EXPECT_EQ(pv::cursor_sample(v), 100);
    EXPECT_EQ(pv::cursor_x(v), 40);
}

TEST(LogViewRules, ScrollingPullsTheCursorBack) {
    LogView v;
    pv::reset_view(v, 100);
    pv::cursor_to_x(v, 50, 1000);
    pv::scroll_to(v, 400, 1000);
    EXPECT_EQ(v.cursor, 50);
    pv::scroll_to(v, 980, 1000);
    EXPECT_EQ(v.cursor, 20);
    EXPECT_EQ(pv::cursor_sample(v), 1000);
    pv::scroll_to(v, 1000, 1000);
    EXPECT_EQ(v.cursor, 0);
}

TEST(LogViewRules, ZoomDoublesBetweenOneAndSixtyFour) {
    LogView v;
    pv::reset_view(v, 1000);
    EXPECT_FALSE(pv::can_zoom_out(v));
    EXPECT_FALSE(pv::zoom_out(v, 1000));
    int steps = 0;
    while (pv::zoom_in(v, 1000)) ++steps;
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(v.zoom, 64);
    EXPECT_FALSE(pv::can_zoom_in(v));
    EXPECT_EQ(v.columns, 1000 / 64 + 1);
    EXPECT_TRUE(pv::zoom_out(v, 1000));
    EXPECT_EQ(v.zoom, 32);
    EXPECT_EQ(v.columns, 32);
}

TEST(LogChart, ValueToY) {
    EXPECT_EQ(pv::value_y(0, {100, 0, 0, 1}, 200), 200);
    EXPECT_EQ(pv::value_y(100, {100, 0, 0, 1}, 200), 0);
    EXPECT_EQ(pv::value_y(25, {100, -100, 0, 1}, 200), 75);
    EXPECT_EQ(pv::value_y(150, {100, 0, 0, 1}, 200), -100);  // beyond the scale
    EXPECT_EQ(pv::value_y(50, {7, 7, 0, 1}, 200), 0);        // empty scale: the top edge
    EXPECT_EQ(pv::value_y(50, {5, 7, 0, 1}, 200), 0);
    EXPECT_EQ(pv::value_y(1, {3, 0, 0, 1}, 10), 7);  // 10 - round(3.33)
}

TEST(LogChart, TracesAndMarkingBarsOverTheVisibleSamples) {
    // Channels: pressure, marking, throttle (not drawn).
    LogHeader h = header({1, 7, 4}, 4);
    auto channels = all_drawn();
    channels[3].draw = 0;
    LogView v;
    v.zoom = 2;
    v.columns = 10;
    std::vector<int16_t> samples = {0, 255, 9, 50, 255, 9, 100, 0, 9, 20, 255, 9, 40, 255, 9};
    ChartGeometry g = pv::chart_geometry(v, h, channels, samples, 100);
    ASSERT_EQ(g.traces.size(), 1u);
    EXPECT_EQ(g.traces[0].channel, 1);
    EXPECT_EQ(g.traces[0].color, 0);
    std::vector<std::pair<int, int>> pts;
    for (auto p : g.traces[0].points) pts.emplace_back(p.x, p.y);
    EXPECT_EQ(pts, (std::vector<std::pair<int, int>>{{0, 100}, {2, 50}, {4, 0}, {6, 80}, {8, 60}}));
    EXPECT_TRUE(g.marking_drawn);
    EXPECT_EQ(g.marking_color, 0x600);
    // Sample 0 has no bar place, sample 2 is clear, sample 4 is the last one.
    ASSERT_EQ(g.bars.size(), 2u);
    EXPECT_EQ(g.bars[0].x0, 1);
    EXPECT_EQ(g.bars[0].x1, 3);
    EXPECT_EQ(g.bars[1].x0, 5);
    EXPECT_EQ(g.bars[1].x1, 7);
}

TEST(LogChart, NothingAtTheLastSampleOrInAOneSampleFile) {
    auto channels = all_drawn();
    LogView v;
    v.columns = 10;
    std::vector<int16_t> one = {5};
    EXPECT_TRUE(pv::chart_geometry(v, header({1}, 0), channels, one, 100).traces.empty());
    v.first = 3;
    EXPECT_TRUE(pv::chart_geometry(v, header({1}, 3), channels, one, 100).traces.empty());
    v.first = 2;
    std::vector<int16_t> two = {5, 6};
    EXPECT_EQ(pv::chart_geometry(v, header({1}, 3), channels, two, 100).traces[0].points.size(),
              2u);
}

TEST(LogChart, ChannelNumbersOutsideTheTableAreNeverDrawn) {
    auto channels = all_drawn();
    LogView v;
    v.columns = 10;
    std::vector<int16_t> s = {1, 2, 3, 4, 5, 6};
    ChartGeometry g = pv::chart_geometry(v, header({0, 9, 2}, 1), channels, s, 100);
    ASSERT_EQ(g.traces.size(), 1u);
    EXPECT_EQ(g.traces[0].channel, 2);
    EXPECT_EQ(pv::drawn_channel_count(header({0, 9, 2}, 1), channels), 1);
}

TEST(LogRows, OnlyDrawnChannelsTakeRowsAndScrollAway) {
    pv::settings.lang_id = pv::kLangEnglish;
    LogHeader h = header({1, 3, 4, 7}, 10);
    auto channels = all_drawn();
    channels[2].draw = 0;  // rev hidden: throttle moves up
    auto names = pv::name_rows(h, channels, 0);
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[0].text, "Log Time");
    EXPECT_EQ(names[1].color, pv::kColorBlue);
    EXPECT_EQ(names[2].text, "File Ver.");
    EXPECT_EQ(names[3].row, 4);
    EXPECT_EQ(names[3].text, "Pressure");
    EXPECT_EQ(names[4].row, 5);
    EXPECT_EQ(names[4].text, "Throttle");
    EXPECT_EQ(names[4].color, 0x300);
    EXPECT_EQ(names[5].text, "Marking");

    auto scrolled = pv::name_rows(h, channels, 2);
    ASSERT_EQ(scrolled.size(), 4u);
    EXPECT_EQ(scrolled[3].row, 4);
    EXPECT_EQ(scrolled[3].text, "Marking");
}

TEST(LogRows, ValuesUnderTheCursor) {
    LogHeader h = header({1, 2, 3, 5, 7}, 1234);
    h.interval = 250;
    h.pressure_unit = 1;
    h.rev_flag = 0;
    LogView v;
    v.first = 10;
    v.cursor = 3;
    auto rows = pv::value_rows(v, h, all_drawn(), {-1234, 5, 60, -17, 255});
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0].text, " 308.50");
    EXPECT_EQ(rows[1].text, "   3.25");
    EXPECT_EQ(rows[2].text, "   1.15");
    EXPECT_EQ(rows[3].text, "  -12.3");
    EXPECT_EQ(rows[4].text, "    0.1");
    EXPECT_EQ(rows[5].text, "    120");
    EXPECT_EQ(rows[6].text, "    -17");
    EXPECT_EQ(rows[7].text, "     ON");
    rows = pv::value_rows(v, h, all_drawn(), {0, 0, 0, 0, 0});
    EXPECT_EQ(rows[7].text, "  -----");
}

TEST(LogLink, PushesChannelsOneToSixWithACursorMoveEach) {
    LogHeader h = header({7, 4, 3, 1, 6}, 5);
    pv::LiveValues target;
    target.marking = 42;
    int moves = 0;
    pv::push_live_values(h, {255, 80, 33, -500, 150}, target, [&] { ++moves; });
    EXPECT_EQ(moves, 4);
    EXPECT_EQ(target.live_throttle, 80);
    EXPECT_EQ(target.live_rev, 33);
    EXPECT_EQ(target.live_boost, -500);
    EXPECT_EQ(target.live_offset_correction, 150);
    EXPECT_EQ(target.marking, 42);
}

TEST(LogLink, WhichMapsALogCanDrive) {
    LogHeader rev_only = header({1, 3}, 5);
    LogHeader throttle_only = header({1, 4}, 5);
    EXPECT_FALSE(pv::log_can_drive_cursor(rev_only, pv::map_rpm_axis, 2));
    EXPECT_TRUE(pv::log_can_drive_cursor(rev_only, pv::map_boost_a, 2));
    EXPECT_TRUE(pv::log_can_drive_cursor(rev_only, pv::map_offset_b, 3));
    EXPECT_FALSE(pv::log_can_drive_cursor(rev_only, pv::map_boost_a, 4));
    EXPECT_TRUE(pv::log_can_drive_cursor(throttle_only, pv::map_boost_a, 4));
    EXPECT_TRUE(pv::log_can_drive_cursor(throttle_only, pv::map_boost_b, 1));
    EXPECT_FALSE(pv::log_can_drive_cursor(throttle_only, pv::map_boost_a, 0));
}

}  // namespace

namespace {

TEST(LogLink, ChannelPresenceFollowsTheLastLoadedLog) {
    LogHeader h;
    h.n = 2;
    h.ch = {1, 4};
    pv::set_channel_present(h);
    EXPECT_TRUE(pv::log_link_cursor_allowed(pv::map_boost_a, 1));
    EXPECT_FALSE(pv::log_link_cursor_allowed(pv::map_boost_a, 2));
    h.ch = {3, 7};
    pv::set_channel_present(h);
    EXPECT_TRUE(pv::log_link_cursor_allowed(pv::map_offset_a, 3));
    EXPECT_FALSE(pv::log_link_cursor_allowed(pv::map_offset_a, 5));
    pv::set_channel_present(LogHeader{});
    EXPECT_FALSE(pv::log_link_cursor_allowed(pv::map_offset_a, 3));
}

}  // namespace
