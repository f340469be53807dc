#include <string>

#include "mapedit_fixture.h"

namespace pv {
namespace {

using Clipboard = MapGrid;
using Undo = MapGrid;

TEST_F(Clipboard, CopiedCellsAreShownTextsAndPasteBack) {
    show(map_rpm_axis, 0, 0, 120);
    std::string text = copy_text({1, 1, 2, 1});
    EXPECT_EQ(text, " 1000\t 2500\r\n");
    PasteCells({4, 1, 4, 1}, text);
    EXPECT_EQ(data.rpm_axis, (Axis{10, 25, 40, 10, 25}));
    EXPECT_EQ(state.doc_modified, 1);

    data.pressure_unit = 1;
    data.boost_map_a[1][2] = -25;
    data.boost_map_a[2][3] = 170;
    show(map_boost_a, 4, -170, 170);
    EXPECT_EQ(copy_text({2, 3, 3, 4}), " -2.5\t  0.0\r\n  0.0\t 17.0\r\n");
}

TEST_F(Clipboard, PasteRoundsNegativeTiesToEvenAndMarksOnlyTheCellsWritten) {
    show(map_boost_a, 4, -120, 120);
    PasteCells({2, 3, 5, 5}, "12\t-3.5\r\n");
    EXPECT_EQ(data.boost_map_a[1][2], 12);
    EXPECT_EQ(data.boost_map_a[2][2], -4);
    EXPECT_EQ(changed_count(), 2);
}

TEST_F(Clipboard, PasteIsClippedAtTheRightAndBottomEdges) {
    show(map_offset_a, 4, 1, 199);
    const std::string block = "1\t2\t3\r\n4\t5\t6\r\n7\t8\t9\r\n";
    PasteCells({5, 1, 5, 1}, block);
    EXPECT_EQ(data.offset_map_a[4], (std::array<uint8_t, 5>{1, 4, 7, 100, 100}));
    PasteCells({1, 4, 1, 4}, block);
    EXPECT_EQ(data.offset_map_a[2][4], 6);
    EXPECT_EQ(hooks_.cells.size(), 3u + 6u);
    for (auto& [c, r, t] : hooks_.cells) EXPECT_TRUE(c == 5 || r >= 4) << c << "," << r;
}

TEST_F(Clipboard, LoneLineFeedsEndLinesLikeCarriageReturns) {
    show(map_boost_b, 4, -120, 120);
    PasteCells({1, 1, 1, 1}, "1\t2\n3\t4\n5\r\n6\r7\n");
    EXPECT_EQ(cell(2, 1), 2);
    EXPECT_EQ(cell(1, 2), 3);
    EXPECT_EQ(cell(2, 2), 4);
    EXPECT_EQ(cell(1, 4), 6);  // the LF of a CR LF ends no second line
    EXPECT_EQ(cell(1, 5), 7);
}

TEST_F(Clipboard, PasteTokenRules) {
    data.boost_map_a[1][0] = 33;
    show(map_boost_a, 4, -120, 120);
    // Blanks and letters are skipped; an empty token keeps the value but marks the cell; a
    // last value without a line end is not taken; "-" alone is no number.
    PasteCells({1, 1, 1, 1}, "  1x5\t\t9");
    EXPECT_EQ(cell(1, 1), 15);
    EXPECT_EQ(cell(2, 1), 33);
    EXPECT_EQ(grid.changed_cells[1][0], 1);
    EXPECT_EQ(grid.changed_cells[2][0], 0);
    PasteCells({1, 2, 1, 2}, "-\t-7\r\n");
    EXPECT_EQ(cell(1, 2), 0);
    EXPECT_EQ(cell(2, 2), -7);
}

TEST_F(Clipboard, RowsAfterAVeryLongLineArePasted) {
    show(map_offset_a, 4, 1, 199);
    std::string wide;
    for (int k = 0; k < 2000; ++k) wide += "  120\t";
    PasteCells({1, 1, 1, 1}, wide + "\r\n42\r\n");
    EXPECT_EQ(cell(5, 1), 120);
    EXPECT_EQ(cell(1, 2), 42);
}

TEST_F(Clipboard, CutCopiesThenClearsToTheNearestBound) {
    data.offset_map_a[0][0] = 150;
    show(map_offset_a, 2, 1, 199);
    EXPECT_EQ(CutCells({1, 1, 2, 1}), "  150\t  100\r\n");
    EXPECT_EQ(data.offset_map_a[0][0], 1);
    EXPECT_EQ(data.offset_map_a[1][0], 1);
    EXPECT_EQ(data.offset_map_a[2][0], 100);
}

TEST_F(Undo, TwoEditsOfOneCellGoBackToTheValueWhenTheTableWasChosen) {
    show(map_speed_axis, 0, 0, 50);
    FillSelection({2, 1, 2, 1}, "90");
    FillSelection({2, 1, 2, 1}, "120");
    UndoSelection({1, 1, 5, 1});
    EXPECT_EQ(data.speed_axis[1], 5);
    EXPECT_EQ(changed_count(), 0);
    EXPECT_FALSE(hooks_.undo_enabled);
    EXPECT_EQ(state.doc_modified, 1);  // Undo itself leaves the flag alone
}

TEST_F(Undo, CellsOutsideTheSelectionKeepTheirMarksAndUndo) {
    show(map_rpm_axis, 0, 0, 120);
    FillSelection({2, 1, 2, 1}, "3000");
    FillSelection({4, 1, 4, 1}, "6000");
    UndoSelection({2, 1, 2, 1});
    EXPECT_EQ(data.rpm_axis, (Axis{10, 25, 40, 60, 70}));
    EXPECT_EQ(grid.changed_cells[1][0], 0);
    EXPECT_EQ(grid.changed_cells[3][0], 1);
    EXPECT_TRUE(hooks_.undo_enabled);
}

}  // namespace
}  // namespace pv
