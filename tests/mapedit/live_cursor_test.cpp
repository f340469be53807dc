// The live cursor's position between the cells, the trace marks and their ageing, the
// selection of Cursor Trace and the cells an update repaints. Expected values are worked
// out by hand from the axis values and cell sizes.
#include "core/mapedit/live_cursor.h"

#include <set>
#include <utility>

#include "core/link/frames.h"
#include "mapedit_fixture.h"

namespace pv {
namespace {

class LiveCursor : public MapGrid {
  protected:
    void SetUp() override {
        MapGrid::SetUp();
        cursors = CursorState{};
        data.rpm_axis = {10, 25, 40, 55, 70};
        data.throttle_axis = {0, 25, 50, 75, 100};
        data.speed_axis = {2, 5, 8, 11, 14};
        settings.trace_length = 3;
        settings.auto_select = 2;
    }
    // Boost Correction Map A in `mode`: 5 x 1 in modes 1 to 3, 5 x 5 in modes 4 and 5.
    void show_map(int mode) { show(map_boost_a, mode, -100, 250); }

    CursorUpdate move(uint8_t rev, uint8_t throttle, bool editing = false) {
        return UpdateLiveCursor(rev, throttle, {33, 14, editing});
    }
    static std::set<std::pair<int, int>> cells(const CursorUpdate& u) {
        std::set<std::pair<int, int>> s;
        for (int k = 0; k < u.repaint_count; ++k) s.insert({u.repaint[k].column, u.repaint[k].row});
        return s;
    }
    int marked() const {
        int n = 0;
        for (auto& col : cursors.trace_marks)
            for (uint8_t m : col) n += m != 0;
        return n;
    }
    const CursorRecord& c = cursors.live_cursor;
};

TEST_F(LiveCursor, ColumnPositionBetweenTheHeaderValues) {
    show_map(2);  // headers 1000, 2500, 4000, 5500, 7000 rpm
    // 3000 rpm: between 2500 and 4000, nearer 2500 (3000 < 2500 + 750). Offset
    // 500 / 1500 x 33 + 16.5 = 27.5 exactly, a tie that goes to the even 28.
    move(30, 0);
    EXPECT_EQ(c.bracket_col, 2);
    EXPECT_EQ(c.near_col, 2);
    EXPECT_EQ(c.x_offset, 28);

    // 3500 rpm: nearer 4000; 1000 / 1500 x 33 - 16.5 = 5.5, to the even 6.
    move(35, 0);
    EXPECT_EQ(c.bracket_col, 2);
    EXPECT_EQ(c.near_col, 3);
    EXPECT_EQ(c.x_offset, 6);

    // 3200 rpm: 700 / 1500 x 33 + 16.5 = 31.9.
    move(32, 0);
    EXPECT_EQ(c.near_col, 2);
    EXPECT_EQ(c.x_offset, 32);

    // On a header value: the middle of that cell, R(16.5) = 16.
    move(25, 0);
    EXPECT_EQ(c.bracket_col, 2);
    EXPECT_EQ(c.near_col, 2);
    EXPECT_EQ(c.x_offset, 16);
}

TEST_F(LiveCursor, OutsideTheAxisTheLineStaysInTheEndCell) {
    show_map(2);
    move(5, 0);  // 500 rpm, below the first point
    EXPECT_EQ(c.bracket_col, 1);
    EXPECT_EQ(c.near_col, 1);
    EXPECT_EQ(c.x_offset, 16);
    for (uint8_t rev : {uint8_t{70}, uint8_t{255}}) {  // on and beyond the last point
        move(rev, 0);
        EXPECT_EQ(c.bracket_col, 4);
        EXPECT_EQ(c.near_col, 5);
        EXPECT_EQ(c.x_offset, 16);
    }
}

TEST_F(LiveCursor, LineMayStartLeftOfTheNearCell) {
    show_map(1);  // throttle 0, 25, 50, 75, 100
    // 12 %: the halfway mark is 0 + R(12.5) = 12, so 12 is nearer 25;
    // 12 / 25 x 33 - 16.5 = -0.66 rounds to -1.
    move(0, 12);
    EXPECT_EQ(c.bracket_col, 1);
    EXPECT_EQ(c.near_col, 2);
    EXPECT_EQ(c.x_offset, -1);
}

TEST_F(LiveCursor, SpeedModesCompareKilometresPerHour) {
    show_map(3);  // headers 20, 50, 80, 110, 140 km/h
    move(30, 0);  // 60 km/h: 10 / 30 x 33 + 16.5 = 27.5 -> 28
    EXPECT_EQ(c.bracket_col, 2);
    EXPECT_EQ(c.near_col, 2);
    EXPECT_EQ(c.x_offset, 28);
}

TEST_F(LiveCursor, OneRowGridKeepsRowOneAndTheOldYOffset) {
    show_map(2);
    cursors.live_cursor.y_offset = 9;
    move(30, 80);
    EXPECT_EQ(c.bracket_row, 1);
    EXPECT_EQ(c.near_row, 1);
    EXPECT_EQ(c.y_offset, 9);
}

TEST_F(LiveCursor, RowsFollowTheThrottleInTwoAxisModes) {
    show_map(4);
    // 60 %: between 50 and 75, halfway at 50 + R(12.5) = 62; 10 / 25 x 14 + 7 = 12.6.
    move(30, 60);
    EXPECT_EQ(c.bracket_col, 2);
    EXPECT_EQ(c.bracket_row, 3);
    EXPECT_EQ(c.near_row, 3);
    EXPECT_EQ(c.y_offset, 13);
    move(30, 100);
    EXPECT_EQ(c.bracket_row, 4);
    EXPECT_EQ(c.near_row, 5);
    EXPECT_EQ(c.y_offset, 7);
}

TEST_F(LiveCursor, AxisTablesPutTheCursorAtTheStart) {
    show(map_rpm_axis, 2, 0, 120);
    move(60, 0);
    EXPECT_EQ(c.bracket_col, 1);  // no operating point on an axis table: value 0
    EXPECT_EQ(c.near_col, 1);
}

TEST_F(LiveCursor, MomentMarksLastFourteenUpdatesInAll) {
    show_map(2);
    cursors.trace_on = 1;
    settings.trace_length = 5;  // lifetime 15, aged at once to 14
    move(30, 0);                // block on columns 2 and 3
    EXPECT_EQ(cursors.trace_marks[1][0], 14);
    EXPECT_EQ(cursors.trace_marks[2][0], 14);
    EXPECT_EQ(marked(), 2);
    for (int k = 1; k <= 13; ++k) {
        CursorUpdate u = move(5, 0);  // the cursor has moved on to columns 1 and 2
        EXPECT_NE(cursors.trace_marks[2][0], 0) << k;
        if (k > 1) {
            EXPECT_EQ(cells(u).count({3, 1}), 0u) << k;  // 1: erasing the old block
        }
    }
    CursorUpdate u = move(5, 0);
    EXPECT_EQ(cursors.trace_marks[2][0], 0);
    EXPECT_EQ(cells(u).count({3, 1}), 1u);     // repainted without the trace colour
    EXPECT_EQ(cursors.trace_marks[0][0], 14);  // the cells under the cursor stay marked
}

TEST_F(LiveCursor, TraceOnMarksNeverFadeAndLengthsGiveTheirLifetimes) {
    show_map(4);
    cursors.trace_on = 1;
    settings.trace_length = 1;
    move(30, 60);
    for (int k = 0; k < 300; ++k) move(5, 0);
    EXPECT_EQ(cursors.trace_marks[1][2], 255);
    EXPECT_EQ(cursors.trace_marks[2][3], 255);
    EXPECT_EQ(marked(), 8);  // two 2 x 2 blocks
    clear_trace_marks();
    EXPECT_EQ(marked(), 0);

    const std::pair<uint8_t, uint8_t> lives[] = {{2, 99}, {3, 49}, {4, 29}, {5, 14}, {0, 0}};
    for (auto [length, left] : lives) {
        settings.trace_length = length;
        move(30, 60);
        EXPECT_EQ(cursors.trace_marks[1][2], left) << int{length};
    }
}

TEST_F(LiveCursor, NoTraceWhileTheButtonIsUp) {
    show_map(4);
    move(30, 60);
    EXPECT_EQ(marked(), 0);
}

TEST_F(LiveCursor, CursorTraceSelections) {
    show_map(4);
    cursors.cursor_trace_on = 1;
    settings.auto_select = 2;
    CursorUpdate u = move(30, 60);  // block (2, 3) .. (3, 4), near (2, 3)
    ASSERT_TRUE(u.select);
    EXPECT_EQ(u.selection.left, 2);
    EXPECT_EQ(u.selection.top, 3);
    EXPECT_EQ(u.selection.right, 3);
    EXPECT_EQ(u.selection.bottom, 4);

    settings.auto_select = 1;
    u = move(30, 60);
    EXPECT_EQ(u.selection.left, 2);
    EXPECT_EQ(u.selection.right, 2);
    EXPECT_EQ(u.selection.top, 3);
    EXPECT_EQ(u.selection.bottom, 3);

    // Any other choice: 3 x 3 around the near cell, pushed inside at the far edges.
    settings.auto_select = 3;
    u = move(30, 60);
    EXPECT_EQ(u.selection.left, 1);
    EXPECT_EQ(u.selection.top, 2);
    EXPECT_EQ(u.selection.right, 3);
    EXPECT_EQ(u.selection.bottom, 4);
    u = move(255, 100);  // near (5, 5)
    EXPECT_EQ(u.selection.left, 4);
    EXPECT_EQ(u.selection.right, 5);
    EXPECT_EQ(u.selection.top, 4);
    EXPECT_EQ(u.selection.bottom, 5);

    cursors.cursor_trace_on = 0;
    EXPECT_FALSE(move(30, 60).select);
}

TEST_F(LiveCursor, CursorTraceInOneRowGridStaysOnRowOne) {
    show_map(2);
    cursors.cursor_trace_on = 1;
    settings.auto_select = 2;
    CursorUpdate u = move(30, 0);
    EXPECT_EQ(u.selection.top, 1);
    EXPECT_EQ(u.selection.bottom, 1);
    EXPECT_EQ(u.selection.left, 2);
    EXPECT_EQ(u.selection.right, 3);
    settings.auto_select = 3;
    u = move(30, 0);
    EXPECT_EQ(u.selection.top, 1);
    EXPECT_EQ(u.selection.bottom, 1);
}

TEST_F(LiveCursor, RepaintCoversTheOldAndNewBlockOnly) {
    show_map(4);
    using Cells = std::set<std::pair<int, int>>;
    EXPECT_EQ(cells(move(30, 60)), (Cells{{2, 3}, {3, 3}, {2, 4}, {3, 4}}));
    // Same block: only it again.
    EXPECT_EQ(cells(move(31, 61)), (Cells{{2, 3}, {3, 3}, {2, 4}, {3, 4}}));
    EXPECT_EQ(cells(move(45, 60)),
              (Cells{{2, 3}, {3, 3}, {2, 4}, {3, 4}, {4, 3}, {4, 4}}));  // moved one right

    // While a cell is edited nothing repaints; the next update still erases the old block.
    EXPECT_EQ(move(5, 0, true).repaint_count, 0);
    EXPECT_EQ(c.bracket_col, 1);
    EXPECT_EQ(cells(move(5, 0)),
              (Cells{{3, 3}, {4, 3}, {3, 4}, {4, 4}, {1, 1}, {2, 1}, {1, 2}, {2, 2}}));
}

TEST_F(LiveCursor, RepaintInOneRowGridIsTwoCellsPerBlock) {
    show_map(2);
    using Cells = std::set<std::pair<int, int>>;
    move(30, 0);
    EXPECT_EQ(cells(move(45, 0)), (Cells{{2, 1}, {3, 1}, {4, 1}}));
}

TEST_F(LiveCursor, ComparisonCursorKeepsItsOwnRecordAndNoTrace) {
    show_map(4);
    cursors.trace_on = 1;
    UpdateCompareCursor(30, 60, {33, 14, false});
    EXPECT_EQ(cursors.compare_cursor.bracket_col, 2);
    EXPECT_EQ(cursors.compare_cursor.bracket_row, 3);
    EXPECT_EQ(c.bracket_col, 0);
    EXPECT_EQ(marked(), 0);
}

TEST_F(LiveCursor, LinesOfTheFiveRowBlock) {
    show_map(4);
    move(30, 60);  // block (2, 3)..(3, 4), near (2, 3), x 28, y 13
    const CellRect r{100, 50, 133, 64};
    auto lines = [&](int col, int row) { return cursor_lines(c, col, row, r, false); };

    CursorLines ul = lines(2, 3);  // near column and row, left and top edges
    ASSERT_EQ(ul.count, 4);
    EXPECT_EQ((std::array{ul.lines[0].x1, ul.lines[0].y1, ul.lines[0].x2, ul.lines[0].y2}),
              (std::array{129, 51, 129, 63}));
    EXPECT_EQ((std::array{ul.lines[1].x1, ul.lines[1].y1, ul.lines[1].x2, ul.lines[1].y2}),
              (std::array{101, 64, 132, 64}));
    EXPECT_EQ(ul.lines[2].x1, 101);  // left edge
    EXPECT_EQ(ul.lines[3].y1, 51);   // top edge

    CursorLines lr = lines(3, 4);  // only the right and bottom edges
    ASSERT_EQ(lr.count, 2);
    EXPECT_EQ(lr.lines[0].x1, 132);
    EXPECT_EQ(lr.lines[1].y1, 63);

    EXPECT_EQ(lines(4, 3).count, 0);  // outside the block
    EXPECT_EQ(lines(2, 5).count, 0);
}

TEST_F(LiveCursor, LinesOfTheOneRowPairOutlineBothCells) {
    show_map(2);
    move(35, 0);  // block 2..3, near 3, x 6
    const CellRect r{100, 20, 133, 34};
    CursorLines left = cursor_lines(c, 2, 1, r, true);
    ASSERT_EQ(left.count, 3);
    EXPECT_EQ((std::array{left.lines[0].x1, left.lines[0].x2}), (std::array{133, 101}));
    CursorLines right = cursor_lines(c, 3, 1, r, true);
    ASSERT_EQ(right.count, 4);
    EXPECT_EQ((std::array{right.lines[0].x1, right.lines[0].y1, right.lines[0].y2}),
              (std::array{106, 21, 33}));
    EXPECT_EQ(right.lines[2].x1, 132);
}

TEST_F(LiveCursor, PenColours) {
    unit.status_flags[status_mode_b_active] = 0;
    EXPECT_EQ(live_cursor_pen(1), CursorPen::red);
    EXPECT_EQ(live_cursor_pen(2), CursorPen::blue);
    unit.status_flags[status_mode_b_active] = 1;
    EXPECT_EQ(live_cursor_pen(1), CursorPen::blue);
    EXPECT_EQ(live_cursor_pen(2), CursorPen::red);
    cursors.cursor_hold = 1;
    EXPECT_EQ(live_cursor_pen(2), CursorPen::magenta);
    state.log_link = 1;
    EXPECT_EQ(live_cursor_pen(2), CursorPen::green);
}

}  // namespace
}  // namespace pv
