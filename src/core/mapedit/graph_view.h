// What the graph window draws of the table shown in the map grid, and how its edits reach
// the table, worked out without a window.
//
// The graph draws in a virtual space of 1000 x 1000 units scaled to the paint box. The
// table is seen as sections (curves over the grid's rows or columns) or, for the two-axis
// maps, as a wire-frame surface turned by two angles. The window owns a GraphState, asks
// for a GraphScene at each paint and draws its layers in order; presses and drags are
// turned into cells and texts here and written through SetCell.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/mapedit/edit_ops.h"

namespace pv {

inline constexpr int kGraphVirtual = 1000;

// The value scale of one paint. Every value of the table maps into base .. base + range,
// which always includes 0; `zero` is the height of the zero line above the plot's bottom
// in virtual units.
struct ValueScale {
    int32_t min = 0;
    int32_t max = 0;
    int32_t base = 0;
    int32_t range = 1;
    int32_t zero = 0;
};
// `values`[c][r] for columns 0..cols-1 and rows 0..rows-1; `height` the plot height (800
// for the sections, 600 for the surface, whose zero height is then tilted).
ValueScale value_scale(const int32_t (&values)[5][5], int cols, int rows, int height,
                       double tilt = 1.0);

// The surface's projection from the two button positions, in degrees.
struct Projection {
    int sx = 0;
    int cx = 0;
    int sy = 0;
    int cy = 0;
    double tilt = 1.0;
    int x0 = 0;
    int y0 = 0;
    double ratio_x = 1.0;  // sx / cy
    double ratio_y = 1.0;  // sy / cx
};
Projection projection(int leftright_deg, int updown_deg);

struct Pixel {
    int x = 0;
    int y = 0;
    bool operator==(const Pixel&) const = default;
};
Pixel to_pixel(double x, double y, float scale_x, float scale_y);

// Positions along the section's x axis (virtual units) of points with axis values `p`:
// 100 for the first, 900 for the last, the others by their values. An axis whose ends are
// equal spreads its points evenly instead of dividing by zero.
std::array<double, 5> section_positions(const std::array<int32_t, 5>& p, int n);

// The pixel columns [left, right) in which a press picks point k of the current curve.
struct HitZone {
    int left = 0;
    int right = 0;
};
std::vector<HitZone> hit_zones(const std::array<int32_t, 5>& p, int n, float scale_x);
// Point (from 1) whose zone holds pixel column `x`; 0 when none does.
int hit_point(const std::vector<HitZone>& zones, int x);

// What the paint box draws, in pixels, layer by layer.
enum class GraphColor : uint8_t { black, grey, red, teal, blue };
struct GraphLine {
    Pixel a;
    Pixel b;
    GraphColor color = GraphColor::black;
};
struct GraphLabel {
    enum class Anchor : uint8_t {
        right_middle,  // right edge at the point, vertically centred on it
        top_centre,    // centred on the point, its top at the point
    };
    Pixel at;
    Anchor anchor = Anchor::right_middle;
    std::string text;  // 8-bit text
};
struct GraphScene {
    std::vector<GraphLine> axes;    // section axes and zero line, or the surface's base plane
    std::vector<GraphLine> posts;   // grey lines from the zero level to the current curve
    std::vector<GraphLine> curves;  // section curves or surface mesh
    std::vector<GraphLabel> labels;
    bool surface = false;
    int font_size = 0;  // points, from the scale
};

// The graph window's own state, as it survives between events.
struct GraphState {
    // Tables with 5 rows: 0 surface, 1 section view, 2 section edit. One-row tables: 0
    // view, 2 edit (1 behaves as a view).
    uint8_t graph_mode = 0;
    uint8_t graph_vertical = 1;  // the curves are the grid's columns
    int section_kind = 0;        // lbgraph1 index: 0 vertical, 1 horizontal
    bool section_kind_enabled = true;
    int curve_count = 0;
    int current_curve = 0;  // lbgraph2 item index
    std::array<bool, 5> curve_selected{};
    int graph_edit_col = 1;
    int updown = 26;     // btnupdown, degrees
    int leftright = 30;  // btnleftright, degrees
    Projection proj = projection(30, 26);
    float graph_scale_x = 1.0f;
    float graph_scale_y = 1.0f;
    int32_t graph_values[5][5]{};  // [column-1][row-1], taken at each paint
    ValueScale scale;
    std::vector<HitZone> zones;
};

// The table shown has a single row: horizontal sections only, no surface.
bool graph_one_row();
// Points on a curve: the grid's rows for vertical sections, its columns for horizontal ones.
int graph_points(const GraphState& g);
// The axis values of those points: row header values or col_axis_values.
std::array<int32_t, 5> graph_point_axis(const GraphState& g);
// Map grid cell (column, row) of point k (from 1) of the current curve.
struct GridCell {
    int column;
    int row;
};
GridCell graph_cell(const GraphState& g, int k);
// The point of the current curve that map cell (column, row) is, 0 when it lies off it.
int value_row_point(const GraphState& g, int column, int row);

// Paint box resized: scales and hit zones.
void graph_resize(GraphState& g, int width, int height);
// An up-down button moved.
void graph_turn(GraphState& g, int leftright_deg, int updown_deg);

// The lists and the value grid as RebuildGraph and FillValueRow leave them.
struct ValueRow {
    std::vector<std::string> headers;  // [0] corner, [k] header of point k
    std::vector<std::string> cells;    // [0] current curve's name, [k] text of point k
};
struct GraphLists {
    std::vector<std::string> curves;  // lbgraph2 items
    ValueRow row;
};
// Rebuilds for the section kind chosen (or forced, for a one-row table): curves, all
// selected, the first one current, then the value row.
GraphLists RebuildGraph(GraphState& g);
// The value row of the current curve, with the hit zones again.
ValueRow FillValueRow(GraphState& g);
// The current curve's name as the lists show it.
std::string curve_text(const GraphState& g, int curve);

// Copies the table's values and computes the scale; a paint while the window is inactive
// drops the editing mode back to viewing. Returns the layers to draw.
GraphScene graph_paint(GraphState& g, const Selection& map_sel, bool active);
// The same layers for the values and scale already taken (no state changes).
GraphScene graph_scene(const GraphState& g, const Selection& map_sel);

// Right button pressed while the window is active: the next mode.
uint8_t next_graph_mode(uint8_t mode, bool one_row);

// The number shown for one stored step of the table.
double display_step(int map_id);
// The text that SetCell receives when the pointer is at pixel row `y` while a point is
// dragged, from the scale of the last paint.
std::string drag_value_text(const GraphState& g, int y);
// One left press or drag move at pixel (x, y) in section edit: the point picked, or none
// when the pointer lies outside every zone.
struct DragStep {
    int point = 0;  // value grid column
    GridCell cell{1, 1};
    std::string text;
};
std::optional<DragStep> drag_step(const GraphState& g, int x, int y);
// Writes a drag step into the table.
void apply_drag(const DragStep& step);

// The map selection that follows a selection of value-grid columns first..last.
Selection follow_selection(const GraphState& g, int first, int last);

}  // namespace pv
