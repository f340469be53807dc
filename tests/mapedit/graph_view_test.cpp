#include "core/mapedit/graph_view.h"

#include <cmath>

#include "mapedit_fixture.h"

namespace pv {
namespace {

using Graph = MapGrid;

int32_t (&fill_values(int32_t (&v)[5][5], int32_t x))[5][5] {
    for (auto& col : v)
        for (auto& cell : col) cell = x;
    return v;
}

int count(const std::vector<GraphLine>& lines, GraphColor c) {
    int n = 0;
    for (const GraphLine& l : lines) n += l.color == c;
    return n;
}

// A graph window state for the table shown, on a paint box of 1000 x 1000 pixels.
GraphState graph_for(int kind, uint8_t mode) {
    GraphState g;
    g.section_kind = kind;
    g.graph_mode = mode;
    RebuildGraph(g);
    graph_resize(g, 1000, 1000);
    return g;
}

TEST(GraphScale, ScaleAlwaysIncludesZero) {
    int32_t v[5][5];
    ValueScale s = value_scale(fill_values(v, 50), 5, 1, 800);  // flat and positive
    EXPECT_EQ(s.base, 49);
    EXPECT_EQ(s.range, 1);
    EXPECT_EQ(s.zero, 0);

    s = value_scale(fill_values(v, 0), 5, 5, 800);
    EXPECT_EQ(s.base, 0);
    EXPECT_EQ(s.range, 1);
    EXPECT_EQ(s.zero, 0);

    fill_values(v, 20);
    v[3][0] = 120;
    v[4][4] = -99;  // beyond the rows shown: ignored
    s = value_scale(v, 5, 1, 800);
    EXPECT_EQ(s.min, 20);
    EXPECT_EQ(s.base, 0);
    EXPECT_EQ(s.range, 120);
    EXPECT_EQ(s.zero, 0);

    v[4][4] = -50;
    v[3][0] = 150;
    s = value_scale(v, 5, 5, 800);
    EXPECT_EQ(s.base, -50);
    EXPECT_EQ(s.range, 200);
    EXPECT_EQ(s.zero, 200);  // 50 / 200 of the height
}

TEST(GraphScale, AllNegativePutsZeroAtTheTop) {
    int32_t v[5][5];
    fill_values(v, -40);
    v[2][0] = -10;
    ValueScale s = value_scale(v, 5, 1, 800);
    EXPECT_EQ(s.base, -40);
    EXPECT_EQ(s.range, 40);
    EXPECT_EQ(s.zero, 800);
    v[2][0] = 0;  // a maximum of 0 as well
    EXPECT_EQ(value_scale(v, 5, 1, 800).zero, 800);
    // Flat and negative: the value sits at the bottom, the zero line at the top.
    s = value_scale(fill_values(v, -7), 5, 5, 600, std::cos(26 * std::acos(-1.0) / 180));
    EXPECT_EQ(s.base, -7);
    EXPECT_EQ(s.range, 1);
    EXPECT_EQ(s.zero, 539);  // 600 x cos 26 = 539.27
}

TEST(GraphProjection, DefaultAnglesAndDegenerateDivisors) {
    Projection p = projection(30, 26);
    EXPECT_EQ(p.sx, 300);
    EXPECT_EQ(p.cx, 520);  // 519.6
    EXPECT_EQ(p.sy, 132);  // 300 sin 26 = 131.5
    EXPECT_EQ(p.cy, 228);  // 520 sin 26 = 227.95
    EXPECT_EQ(p.x0, 400);
    EXPECT_EQ(p.y0, 13);  // 100 - 86.7
    EXPECT_NEAR(p.tilt, 0.89879, 1e-5);
    EXPECT_DOUBLE_EQ(p.ratio_x, 300.0 / 228);
    EXPECT_DOUBLE_EQ(p.ratio_y, 132.0 / 520);

    p = projection(0, 0);
    EXPECT_EQ(p.cy, 0);
    EXPECT_EQ(p.sy, 0);
    EXPECT_DOUBLE_EQ(p.ratio_x, 1.0);
    EXPECT_DOUBLE_EQ(p.ratio_y, 0.0);
}

TEST(GraphGeometry, PixelsRoundHalfToEven) {
    EXPECT_EQ(to_pixel(100, 900, 0.5f, 0.5f), (Pixel{50, 450}));
    EXPECT_EQ(to_pixel(21, 23, 0.5f, 0.5f), (Pixel{10, 12}));  // 10.5 and 11.5
}

TEST(GraphGeometry, HitZonesFollowAxisSpacing) {
    auto zones = hit_zones({0, 10, 20, 60, 100}, 5, 1.0f);
    ASSERT_EQ(zones.size(), 5u);
    // Points at 100, 180, 260, 580, 900; borders halfway, 50 and 950 at the ends.
    const int borders[6] = {50, 140, 220, 420, 740, 950};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(zones[k].left, borders[k]);
        EXPECT_EQ(zones[k].right, borders[k + 1]);
    }
    EXPECT_EQ(hit_point(zones, 49), 0);
    EXPECT_EQ(hit_point(zones, 50), 1);
    EXPECT_EQ(hit_point(zones, 139), 1);
    EXPECT_EQ(hit_point(zones, 140), 2);
    EXPECT_EQ(hit_point(zones, 949), 5);
    EXPECT_EQ(hit_point(zones, 950), 0);

    zones = hit_zones({1, 2, 3, 4, 5}, 5, 0.5f);
    EXPECT_EQ(zones[0].left, 25);
    EXPECT_EQ(zones[1].left, 100);
    EXPECT_EQ(zones[4].right, 475);

    // An axis with equal ends spreads its points evenly rather than dividing by zero.
    auto u = section_positions({30, 30, 30, 30, 30}, 5);
    EXPECT_DOUBLE_EQ(u[1], 300);
    EXPECT_DOUBLE_EQ(u[4], 900);
}

TEST_F(Graph, RebuildForcesHorizontalSectionsOnOneRow) {
    show(map_rpm_axis, 0, 0, 120);
    GraphState g;
    g.section_kind = 0;
    GraphLists lists = RebuildGraph(g);
    EXPECT_EQ(g.section_kind, 1);
    EXPECT_FALSE(g.section_kind_enabled);
    EXPECT_EQ(g.graph_vertical, 0);
    ASSERT_EQ(lists.curves.size(), 1u);
    EXPECT_EQ(lists.curves[0], " RPM");
    ASSERT_EQ(lists.row.cells.size(), 6u);
    EXPECT_EQ(lists.row.headers[0], " Point");
    EXPECT_EQ(lists.row.headers[2], "    2");
    EXPECT_EQ(lists.row.cells[0], " RPM");
    EXPECT_EQ(lists.row.cells[2], " 2500");

    data.boost_map_a[1][3] = -12;  // rpm point 2, throttle point 4
    show(map_boost_a, 4, -120, 120);
    g.section_kind = 0;
    lists = RebuildGraph(g);
    EXPECT_TRUE(g.section_kind_enabled);
    EXPECT_EQ(g.graph_vertical, 1);
    ASSERT_EQ(lists.curves.size(), 5u);
    EXPECT_EQ(lists.curves[1], " 2500");
    EXPECT_EQ(g.curve_selected, (std::array<bool, 5>{true, true, true, true, true}));
    EXPECT_EQ(lists.row.headers[4], "   75");  // throttle of row 4
    g.current_curve = 1;
    ValueRow row = FillValueRow(g);
    EXPECT_EQ(row.cells[0], " 2500");
    EXPECT_EQ(row.cells[4], "  -12");
    EXPECT_EQ(value_row_point(g, 2, 4), 4);
    EXPECT_EQ(value_row_point(g, 3, 4), 0);

    g.section_kind = 1;
    lists = RebuildGraph(g);
    EXPECT_EQ(lists.curves[3], "   75");
    EXPECT_EQ(g.current_curve, 0);
    EXPECT_EQ(value_row_point(g, 4, 1), 4);
    EXPECT_EQ(value_row_point(g, 4, 2), 0);
}

TEST_F(Graph, FlatPositiveTableSpansValueMinusOneToValue) {
    data.throttle_axis.fill(50);
    show(map_throttle_axis, 0, 0, 100);
    GraphState g = graph_for(1, 0);
    GraphScene s = graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_FALSE(s.surface);
    EXPECT_EQ(s.font_size, 30);
    // Zero line along the bottom; the value axis; labels 50 at the top and 0 at the bottom.
    ASSERT_EQ(s.axes.size(), 2u);
    EXPECT_EQ(s.axes[0].a, (Pixel{100, 900}));
    EXPECT_EQ(s.axes[0].b, (Pixel{900, 900}));
    ASSERT_EQ(s.labels.size(), 2u);
    EXPECT_EQ(s.labels[0].text, "   50");
    EXPECT_EQ(s.labels[0].at, (Pixel{80, 100}));
    EXPECT_EQ(s.labels[1].text, "    0");
    ASSERT_EQ(s.curves.size(), 4u);
    for (const GraphLine& l : s.curves) EXPECT_EQ(l.a.y, 100);
    EXPECT_EQ(s.curves[0].a.x, 100);
    EXPECT_EQ(s.curves[3].b.x, 900);
}

TEST_F(Graph, NegativeValuesPlaceTheZeroLineAtTheTop) {
    for (auto& col : data.boost_map_a) col[0] = -40;
    data.boost_map_a[2][0] = -20;
    show(map_boost_a, 2, -120, 120);
    GraphState g = graph_for(1, 0);
    graph_resize(g, 500, 400);
    GraphScene s = graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_EQ(s.axes[0].a, (Pixel{50, 40}));  // virtual (100, 100)
    EXPECT_EQ(s.labels[0].text, "    0");
    EXPECT_EQ(s.labels[1].text, "  -40");
    // -20 lies halfway: virtual y 500.
    EXPECT_EQ(s.curves[1].b, (Pixel{250, 200}));
    EXPECT_EQ(s.curves[0].a.y, 360);
    EXPECT_EQ(s.font_size, 12);  // 0.4 x 30
}

TEST_F(Graph, SelectedCellsColourTheSegmentsTouchingThem) {
    show(map_boost_a, 4, -120, 120);
    GraphState g = graph_for(1, 1);  // horizontal sections: a curve per row
    // Three cells of row 3, columns 1..3: segments 1-2, 2-3 and 3-4 of curve 3.
    GraphScene s = graph_paint(g, {1, 3, 3, 3}, true);
    ASSERT_EQ(s.curves.size(), 20u);
    EXPECT_EQ(count(s.curves, GraphColor::red), 3);
    EXPECT_EQ(count(s.curves, GraphColor::teal), 4);
    EXPECT_EQ(count(s.curves, GraphColor::blue), 13);
    // Curves 2, 3, 4, 5, then the current curve 1 drawn last.
    EXPECT_EQ(s.curves[4].color, GraphColor::red);
    EXPECT_EQ(s.curves[6].color, GraphColor::red);
    EXPECT_EQ(s.curves[7].color, GraphColor::blue);
    EXPECT_EQ(s.curves[19].color, GraphColor::teal);
    EXPECT_TRUE(s.posts.empty());

    // Hidden curves are not drawn, except the current one.
    g.curve_selected = {true, false, false, false, false};
    g.current_curve = 2;
    s = graph_scene(g, {1, 3, 3, 3});
    EXPECT_EQ(s.curves.size(), 8u);
    EXPECT_EQ(count(s.curves, GraphColor::red), 3);
    EXPECT_EQ(s.curves[7].color, GraphColor::teal);

    // Vertical sections: the same cells touch three curves, one segment pair each.
    g.section_kind = 0;
    RebuildGraph(g);
    s = graph_scene(g, {1, 3, 3, 3});
    EXPECT_EQ(count(s.curves, GraphColor::red), 6);

    // One-row table viewed: red by column alone, else teal.
    show(map_rpm_axis, 0, 0, 120);
    g = graph_for(1, 0);
    s = graph_paint(g, {2, 1, 3, 1}, true);
    ASSERT_EQ(s.curves.size(), 4u);
    EXPECT_EQ(s.curves[0].color, GraphColor::red);
    EXPECT_EQ(s.curves[2].color, GraphColor::red);
    EXPECT_EQ(s.curves[3].color, GraphColor::teal);
}

TEST_F(Graph, SectionEditDrawsPostsAndInactivePaintLeavesEditing) {
    data.throttle_axis = {0, 20, 40, 80, 100};
    show(map_throttle_axis, 0, 0, 100);
    GraphState g = graph_for(1, 2);
    GraphScene s = graph_paint(g, {1, 1, 1, 1}, true);
    ASSERT_EQ(s.posts.size(), 5u);
    EXPECT_EQ(s.posts[3].a, (Pixel{700, 900}));
    EXPECT_EQ(s.posts[3].b, (Pixel{700, 260}));  // 80 of 100
    EXPECT_EQ(g.graph_mode, 2);
    s = graph_paint(g, {1, 1, 1, 1}, false);
    EXPECT_EQ(g.graph_mode, 1);
    EXPECT_TRUE(s.posts.empty());

    EXPECT_EQ(next_graph_mode(0, false), 1);
    EXPECT_EQ(next_graph_mode(1, false), 2);
    EXPECT_EQ(next_graph_mode(2, false), 0);
    EXPECT_EQ(next_graph_mode(0, true), 2);
    EXPECT_EQ(next_graph_mode(1, true), 2);
    EXPECT_EQ(next_graph_mode(2, true), 0);
}

TEST_F(Graph, SurfaceAtDefaultAngles) {
    data.rpm_axis = {10, 30, 40, 55, 70};  // second column a third of the way
    data.boost_map_a[4][0] = 100;          // far right front corner
    show(map_boost_a, 4, -120, 120);
    GraphState g = graph_for(0, 0);
    GraphScene s = graph_paint(g, {3, 3, 3, 3}, true);
    ASSERT_TRUE(s.surface);
    // Base plane at the zero level, which is the bottom plane: 1000 - 13 - 50 = 937.
    ASSERT_EQ(s.axes.size(), 5u);
    EXPECT_EQ(s.axes[0].a, (Pixel{400, 937}));
    EXPECT_EQ(s.axes[1].a, (Pixel{920, 805}));
    EXPECT_EQ(s.axes[2].a, (Pixel{620, 577}));
    EXPECT_EQ(s.axes[3].a, (Pixel{100, 709}));
    // The line across it at the first column, its name centred 5 units below the start.
    EXPECT_EQ(s.axes[4].a, (Pixel{400, 937}));
    EXPECT_EQ(s.axes[4].b, (Pixel{100, 709}));
    ASSERT_EQ(s.labels.size(), 1u);
    EXPECT_EQ(s.labels[0].text, " 1000");
    EXPECT_EQ(s.labels[0].at, (Pixel{400, 942}));
    EXPECT_EQ(s.labels[0].anchor, GraphLabel::Anchor::top_centre);

    ASSERT_EQ(s.curves.size(), 40u);
    // Node (2,1) at 3000 rpm: x 400 + 520 / 3, y 937 - R(132 / 3).
    EXPECT_EQ(s.curves[4].a, (Pixel{573, 893}));
    // Node (5,1) lifted by 600 x tilt: 805 - 539.27.
    EXPECT_EQ(s.curves[16].a, (Pixel{920, 266}));
    // Cell (3,3) selected: two column and two row segments touch it.
    EXPECT_EQ(count(s.curves, GraphColor::red), 4);
    EXPECT_EQ(s.curves[9].color, GraphColor::red);  // column 3, rows 2-3
    // Column 1 and the row segments leaving it are the current curve's.
    EXPECT_EQ(count(s.curves, GraphColor::teal), 9);
    EXPECT_EQ(s.curves[20].color, GraphColor::teal);
    EXPECT_EQ(s.curves[21].color, GraphColor::blue);

    ASSERT_EQ(s.posts.size(), 5u);
    EXPECT_EQ(s.posts[4].a, (Pixel{100, 709}));
    EXPECT_EQ(s.posts[4].a, s.posts[4].b);  // a value of 0 on the zero level

    // Horizontal sections: the name right-aligned 20 units left of the row's start.
    g.section_kind = 1;
    RebuildGraph(g);
    g.current_curve = 4;
    s = graph_scene(g, {3, 3, 3, 3});
    EXPECT_EQ(s.labels[0].text, "  100");
    EXPECT_EQ(s.labels[0].at, (Pixel{80, 709}));
    EXPECT_EQ(s.labels[0].anchor, GraphLabel::Anchor::right_middle);
    EXPECT_EQ(s.posts[4].b, s.curves[19].b);  // node (5,5)
}

TEST_F(Graph, FlatSurfacePostsReachTheTiltedHeight) {
    for (auto& col : data.offset_map_a) col.fill(100);
    show(map_offset_a, 5, 1, 199);
    GraphState g = graph_for(0, 0);
    GraphScene s = graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_EQ(s.posts[0].a, (Pixel{400, 937}));
    EXPECT_EQ(s.posts[0].b, (Pixel{400, 398}));  // 937 - 539.27
}

TEST_F(Graph, DraggingAnOffsetPointToMidPlot) {
    data.offset_map_a[0] = {150, 60, 30, 200, 10};  // column 1; 200 scales the plot 0..200
    show(map_offset_a, 4, 1, 199);
    GraphState g = graph_for(0, 2);
    graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_EQ(g.scale.base, 0);
    EXPECT_EQ(g.scale.range, 200);
    // Row 3 at throttle 50 lies at x 500.
    auto step = drag_step(g, 520, 500);
    ASSERT_TRUE(step);
    EXPECT_EQ(step->point, 3);
    EXPECT_EQ(step->cell.column, 1);
    EXPECT_EQ(step->cell.row, 3);
    EXPECT_EQ(step->text, "100.00");
    apply_drag(*step);
    EXPECT_EQ(data.offset_map_a[0][2], 100);
    EXPECT_EQ(std::get<2>(hooks_.cells.back()), "  100");
    EXPECT_FALSE(drag_step(g, 20, 500));  // left of every zone

    // Below the plot's 0, which is below the minimum: SetCell's clamp has the last word.
    step = drag_step(g, 880, 901);
    EXPECT_EQ(step->point, 5);
    EXPECT_EQ(step->text, "-0.25");
    apply_drag(*step);
    EXPECT_EQ(data.offset_map_a[0][4], 1);
}

TEST_F(Graph, DragRulesOutsideThePlotAndOnFlatTables) {
    for (auto& col : data.boost_map_a) col[0] = 0;
    data.boost_map_a[0][0] = 50;
    data.boost_map_a[1][0] = -50;
    show(map_boost_a, 2, -120, 120);
    GraphState g = graph_for(1, 2);
    graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_EQ(drag_value_text(g, 500), "0.00");
    EXPECT_EQ(drag_value_text(g, 99), "51.00");  // 50.125 is raised to max + 1
    EXPECT_EQ(drag_value_text(g, 0), "62.50");   // far above: as the pointer says
    EXPECT_EQ(drag_value_text(g, 901), "-51.00");

    // Flat: the plot spans 0 to the value, as the labels do.
    for (auto& col : data.boost_map_a) col[0] = 40;
    show(map_boost_a, 2, -120, 120);
    graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_EQ(drag_value_text(g, 500), "19.50");
    EXPECT_EQ(drag_value_text(g, 90), "41.00");
    for (auto& col : data.boost_map_a) col[0] = -40;
    show(map_boost_a, 2, -120, 120);
    graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_EQ(drag_value_text(g, 300), "-10.00");  // three quarters of the way up to 0

    // Coarse display steps: in display units, at most one stored step past the extremes.
    show(map_rpm_axis, 0, 0, 120);  // 10..70, plot 0..70
    g = graph_for(1, 2);
    graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_EQ(display_step(map_rpm_axis), 100);
    EXPECT_EQ(drag_value_text(g, 500), "3500.00");
    EXPECT_EQ(drag_value_text(g, 0), "7100.00");
    EXPECT_EQ(drag_value_text(g, 1000), "900.00");

    data.pressure_unit = 1;
    for (auto& col : data.boost_map_a) col[0] = 0;
    data.boost_map_a[4][0] = 123;
    show(map_boost_a, 2, -170, 170);
    g = graph_for(1, 2);
    graph_paint(g, {1, 1, 1, 1}, true);
    EXPECT_DOUBLE_EQ(display_step(map_boost_a), 0.1);
    EXPECT_EQ(drag_value_text(g, 0), "12.40");
    EXPECT_EQ(drag_value_text(g, 950), "-0.10");
    auto step = drag_step(g, 880, 0);
    apply_drag(*step);
    EXPECT_EQ(data.boost_map_a[4][0], 124);
}

TEST_F(Graph, ValueGridSelectionBecomesTheMapSelection) {
    show(map_boost_a, 5, -120, 120);
    GraphState g = graph_for(0, 1);
    g.current_curve = 3;
    Selection s = follow_selection(g, 2, 4);
    EXPECT_EQ(s.left, 4);
    EXPECT_EQ(s.right, 4);
    EXPECT_EQ(s.top, 2);
    EXPECT_EQ(s.bottom, 4);
    EXPECT_EQ(graph_cell(g, 5).row, 5);
    g.graph_vertical = 0;
    s = follow_selection(g, 1, 5);
    EXPECT_EQ(s.left, 1);
    EXPECT_EQ(s.right, 5);
    EXPECT_EQ(s.top, 4);
    EXPECT_EQ(s.bottom, 4);
}

}  // namespace
}  // namespace pv
