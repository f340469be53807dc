#include "core/mapedit/graph_view.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "core/document/unit.h"
#include "core/mapedit/grid_view.h"

namespace pv {

namespace {

int R(long double v) {
    return round_half_even(v);
}

double radians(int deg) {
    return deg * std::numbers::pi / 180.0;
}

bool within(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// Fractions 0..1 of each point along an axis, for the surface's edges.
std::array<double, 5> fractions(const std::array<int32_t, 5>& p, int n) {
    std::array<double, 5> f{};
    const double span = static_cast<double>(p[n - 1]) - p[0];
    for (int k = 0; k < n; ++k)
        f[k] = span != 0 ? (p[k] - static_cast<double>(p[0])) / span
                         : (n > 1 ? static_cast<double>(k) / (n - 1) : 0.0);
    return f;
}

std::array<int32_t, 5> row_axis() {
    std::array<int32_t, 5> p{};
    for (int r = 0; r < 5; ++r) p[r] = grid.grid_values[0][r];
    return p;
}

// Value of point k (from 1) of curve `curve`.
int32_t curve_value(const GraphState& g, int curve, int k) {
    return g.graph_vertical ? g.graph_values[curve][k - 1] : g.graph_values[k - 1][curve];
}

std::string fixed2(double v) {
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    if (r.ec != std::errc{}) return {};
    return std::string(buf, r.ptr);
}

}  // namespace

ValueScale value_scale(const int32_t (&values)[5][5], int cols, int rows, int height, double tilt) {
    ValueScale s;
    s.min = s.max = values[0][0];
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            s.min = std::min(s.min, values[c][r]);
            s.max = std::max(s.max, values[c][r]);
        }
    if (s.min == s.max) {
        s.range = 1;
        s.base = s.min > 0 ? s.min - 1 : s.min;
    } else if (s.max > 0) {
        s.base = std::min(s.min, 0);
        s.range = s.max - s.base;
    } else {
        s.base = s.min;
        s.range = -s.min;
    }
    if (s.max < 0)
        s.zero = height;
    else if (s.min < 0)
        s.zero = R((0.0L - s.min) / (static_cast<long double>(s.max) - s.min) * height);
    else
        s.zero = 0;
    s.zero = R(s.zero * static_cast<long double>(tilt));
    return s;
}

Projection projection(int leftright_deg, int updown_deg) {
    Projection p;
    const double lr = radians(leftright_deg);
    const double ud = radians(updown_deg);
    p.sx = R(600 * std::sin(lr));
    p.cx = R(600 * std::cos(lr));
    p.sy = R(p.sx * std::sin(ud));
    p.cy = R(p.cx * std::sin(ud));
    p.tilt = std::cos(ud);
    p.x0 = R(leftright_deg / 90.0L * 600) + 200;
    p.y0 = 100 - R(updown_deg / 90.0L * 300);
    p.ratio_x = p.cy != 0 ? static_cast<double>(p.sx) / p.cy : 1.0;
    p.ratio_y = p.cx != 0 ? static_cast<double>(p.sy) / p.cx : 1.0;
    return p;
}

Pixel to_pixel(double x, double y, float scale_x, float scale_y) {
    return {R(static_cast<long double>(x) * scale_x), R(static_cast<long double>(y) * scale_y)};
}

std::array<double, 5> section_positions(const std::array<int32_t, 5>& p, int n) {
    std::array<double, 5> u{};
    n = std::clamp(n, 1, 5);
    std::array<double, 5> f = fractions(p, n);
    for (int k = 0; k < n; ++k) u[k] = f[k] * 800 + 100;
    return u;
}

std::vector<HitZone> hit_zones(const std::array<int32_t, 5>& p, int n, float scale_x) {
    n = std::clamp(n, 1, 5);
    std::array<double, 5> u = section_positions(p, n);
    std::vector<HitZone> zones(n);
    for (int k = 0; k < n; ++k) {
        double left = k == 0 ? 50 : (u[k - 1] + u[k]) / 2;
        double right = k == n - 1 ? 950 : (u[k] + u[k + 1]) / 2;
        zones[k] = {to_pixel(left, 0, scale_x, 0).x, to_pixel(right, 0, scale_x, 0).x};
    }
    return zones;
}

int hit_point(const std::vector<HitZone>& zones, int x) {
    for (size_t k = 0; k < zones.size(); ++k)
        if (x >= zones[k].left && x < zones[k].right) return static_cast<int>(k) + 1;
    return 0;
}

bool graph_one_row() {
    return grid.grid_rows <= 1;
}

int graph_points(const GraphState& g) {
    return g.graph_vertical ? grid.grid_rows : grid.grid_cols;
}

std::array<int32_t, 5> graph_point_axis(const GraphState& g) {
    return g.graph_vertical ? row_axis() : grid.col_axis_values;
}

GridCell graph_cell(const GraphState& g, int k) {
    if (g.graph_vertical) return {g.current_curve + 1, k};
    return {k, g.current_curve + 1};
}

int value_row_point(const GraphState& g, int column, int row) {
    if (g.graph_vertical) return column == g.current_curve + 1 ? row : 0;
    return row == g.current_curve + 1 ? column : 0;
}

void graph_resize(GraphState& g, int width, int height) {
    g.graph_scale_x = static_cast<float>(width) / kGraphVirtual;
    g.graph_scale_y = static_cast<float>(height) / kGraphVirtual;
    g.zones = hit_zones(graph_point_axis(g), graph_points(g), g.graph_scale_x);
}

void graph_turn(GraphState& g, int leftright_deg, int updown_deg) {
    g.leftright = leftright_deg;
    g.updown = updown_deg;
    g.proj = projection(leftright_deg, updown_deg);
}

std::string curve_text(const GraphState& g, int curve) {
    return g.graph_vertical ? column_header_text(curve + 1) : row_header_text(curve + 1);
}

GraphLists RebuildGraph(GraphState& g) {
    if (graph_one_row()) g.section_kind = 1;
    g.section_kind_enabled = !graph_one_row();
    g.graph_vertical = g.section_kind == 0 ? 1 : 0;
    GraphLists lists;
    g.curve_count = g.graph_vertical ? grid.grid_cols : grid.grid_rows;
    for (int i = 0; i < g.curve_count; ++i) lists.curves.push_back(curve_text(g, i));
    g.curve_selected.fill(false);
    std::fill_n(g.curve_selected.begin(), g.curve_count, true);
    g.current_curve = 0;
    lists.row = FillValueRow(g);
    return lists;
}

ValueRow FillValueRow(GraphState& g) {
    ValueRow row;
    const int n = graph_points(g);
    row.headers.push_back(corner_text());
    row.cells.push_back(curve_text(g, g.current_curve));
    for (int k = 1; k <= n; ++k) {
        row.headers.push_back(g.graph_vertical ? row_header_text(k) : column_header_text(k));
        GridCell cell = graph_cell(g, k);
        row.cells.push_back(FormatCell(grid.grid_values[cell.column][cell.row - 1]));
    }
    g.zones = hit_zones(graph_point_axis(g), n, g.graph_scale_x);
    return row;
}

GraphScene graph_paint(GraphState& g, const Selection& map_sel, bool active) {
    if (!active && g.graph_mode != 0) g.graph_mode = 1;
    const bool surface = !graph_one_row() && g.graph_mode == 0;
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) g.graph_values[c][r] = grid.grid_values[c + 1][r];
    g.scale = value_scale(g.graph_values, grid.grid_cols, grid.grid_rows, surface ? 600 : 800,
                          surface ? g.proj.tilt : 1.0);
    return graph_scene(g, map_sel);
}

namespace {

void section_scene(const GraphState& g, const Selection& sel, GraphScene& s) {
    const float kx = g.graph_scale_x, ky = g.graph_scale_y;
    const ValueScale& vs = g.scale;
    const double zero_y = 900 - vs.zero;
    auto px = [&](double x, double y) { return to_pixel(x, y, kx, ky); };

    s.axes.push_back({px(100, zero_y), px(900, zero_y), GraphColor::black});
    s.axes.push_back({px(100, 100), px(100, 900), GraphColor::black});
    s.labels.push_back(
        {px(80, 100), GraphLabel::Anchor::right_middle, FormatCell(std::max(vs.max, 0))});
    s.labels.push_back(
        {px(80, 900), GraphLabel::Anchor::right_middle, FormatCell(std::min(vs.min, 0))});

    const bool one_row = graph_one_row();
    const int n = graph_points(g);
    const std::array<double, 5> u = section_positions(graph_point_axis(g), n);
    auto point = [&](int curve, int k) {
        double y = 900 - (curve_value(g, curve, k) - static_cast<double>(vs.base)) * 800 / vs.range;
        return px(u[k - 1], y);
    };
    auto colour = [&](int curve, int k) {
        if (one_row && g.graph_mode == 0)
            return within(k, sel.left, sel.right + 1) ? GraphColor::red : GraphColor::teal;
        bool touches =
            g.graph_vertical
                ? within(k, sel.top, sel.bottom + 1) && within(curve + 1, sel.left, sel.right)
                : within(k, sel.left, sel.right + 1) && within(curve + 1, sel.top, sel.bottom);
        if (touches) return GraphColor::red;
        return curve == g.current_curve ? GraphColor::teal : GraphColor::blue;
    };
    auto add_curve = [&](int curve) {
        Pixel prev = point(curve, 1);
        for (int k = 2; k <= n; ++k) {
            Pixel p = point(curve, k);
            s.curves.push_back({prev, p, colour(curve, k)});
            prev = p;
        }
    };

    if (g.graph_mode == 2)
        for (int k = 1; k <= n; ++k)
            s.posts.push_back({px(u[k - 1], zero_y), point(g.current_curve, k), GraphColor::grey});
    // The current curve goes last so that its colour shows where curves cross.
    for (int i = 0; i < g.curve_count; ++i) {
        if (i == g.current_curve) continue;
        if (one_row || (g.graph_mode != 0 && g.curve_selected[i])) add_curve(i);
    }
    if (g.current_curve < g.curve_count) add_curve(g.current_curve);
}

void surface_scene(const GraphState& g, const Selection& sel, GraphScene& s) {
    const Projection& p = g.proj;
    const ValueScale& vs = g.scale;
    const float kx = g.graph_scale_x, ky = g.graph_scale_y;
    const std::array<double, 5> fc = fractions(grid.col_axis_values, 5);
    const std::array<double, 5> fr = fractions(row_axis(), 5);
    const double bottom = 1000 - p.y0 - 50;
    const double zero_level = bottom - vs.zero;

    // Point at fractions (a, b) lifted `height` virtual units above `level`.
    auto at = [&](double a, double b, double level, double height) {
        double x = p.x0 + p.cx * a - R(p.sx * b);
        double y = level - R(p.sy * a) - p.cy * b - height;
        return to_pixel(x, y, kx, ky);
    };
    auto lift = [&](int32_t v) {
        return (v - static_cast<double>(vs.base)) * 600 / vs.range * p.tilt;
    };
    // Grid point (c, r), both from 0, at its value.
    auto node = [&](int c, int r) { return at(fc[c], fr[r], bottom, lift(g.graph_values[c][r])); };

    // Base plane at the zero level.
    Pixel corner[4] = {at(0, 0, zero_level, 0), at(1, 0, zero_level, 0), at(1, 1, zero_level, 0),
                       at(0, 1, zero_level, 0)};
    for (int i = 0; i < 4; ++i)
        s.axes.push_back({corner[i], corner[(i + 1) % 4], GraphColor::black});

    const int cur = g.current_curve;
    Pixel start, end;
    GraphLabel name;
    name.text = curve_text(g, cur);
    if (g.graph_vertical) {
        start = at(fc[cur], 0, zero_level, 0);
        end = at(fc[cur], 1, zero_level, 0);
        name.at = to_pixel(fc[cur] * p.cx + p.x0, zero_level - R(p.sy * fc[cur]) + 5, kx, ky);
        name.anchor = GraphLabel::Anchor::top_centre;
    } else {
        start = at(0, fr[cur], zero_level, 0);
        end = at(1, fr[cur], zero_level, 0);
        name.at = to_pixel(p.x0 - R(p.sx * fr[cur]) - 20, zero_level - p.cy * fr[cur], kx, ky);
        name.anchor = GraphLabel::Anchor::right_middle;
    }
    s.axes.push_back({start, end, GraphColor::black});
    s.labels.push_back(name);

    for (int k = 0; k < 5; ++k) {
        int c = g.graph_vertical ? cur : k;
        int r = g.graph_vertical ? k : cur;
        s.posts.push_back({at(fc[c], fr[r], zero_level, 0), node(c, r), GraphColor::grey});
    }

    auto selected = [&](int c, int r) {
        return within(c + 1, sel.left, sel.right) && within(r + 1, sel.top, sel.bottom);
    };
    // Segment from node (c0, r0) to (c1, r1), which are neighbours.
    auto colour = [&](int c0, int r0, int c1, int r1) {
        if (selected(c0, r0) || selected(c1, r1)) return GraphColor::red;
        // On the current curve, or a crossing segment with one end on it.
        bool on0 = g.graph_vertical ? c0 == cur : r0 == cur;
        bool on1 = g.graph_vertical ? c1 == cur : r1 == cur;
        return on0 || on1 ? GraphColor::teal : GraphColor::blue;
    };
    Pixel nodes[5][5];
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) nodes[c][r] = node(c, r);
    for (int c = 0; c < 5; ++c)
        for (int r = 1; r < 5; ++r)
            s.curves.push_back({nodes[c][r - 1], nodes[c][r], colour(c, r - 1, c, r)});
    for (int r = 0; r < 5; ++r)
        for (int c = 1; c < 5; ++c)
            s.curves.push_back({nodes[c - 1][r], nodes[c][r], colour(c - 1, r, c, r)});
}

}  // namespace

GraphScene graph_scene(const GraphState& g, const Selection& map_sel) {
    GraphScene s;
    s.surface = !graph_one_row() && g.graph_mode == 0;
    s.font_size = R(std::min(g.graph_scale_x, g.graph_scale_y) * 30.0L);
    if (s.surface)
        surface_scene(g, map_sel, s);
    else
        section_scene(g, map_sel, s);
    return s;
}

uint8_t next_graph_mode(uint8_t mode, bool one_row) {
    if (one_row) return mode == 2 ? 0 : 2;
    return static_cast<uint8_t>((mode + 1) % 3);
}

double display_step(int map_id) {
    switch (map_id) {
        case map_rpm_axis:
            return 100;
        case map_speed_axis:
            return 10;
        case map_throttle_axis:
            return 1;
        default:
            return parse_number(FormatCell(1)).value_or(1);
    }
}

std::string drag_value_text(const GraphState& g, int y) {
    const ValueScale& vs = g.scale;
    const double t = 900 - y / static_cast<double>(g.graph_scale_y);
    const double f = display_step(grid.current_map);
    const bool flat = vs.range == 1 && vs.base != 0;
    // In stored units. A flat table spans the plot from 0 to its value, as its labels say.
    double v = flat ? (vs.min > 0 ? t / 800 * vs.base : vs.min - t / 800 * vs.base)
                    : t / 800 * vs.range + vs.base;
    if (f == 1) {
        if (t > 800 && v < vs.max + 1.0) v = vs.max + 1.0;
        if (t < 0 && v > vs.min - 1.0) v = vs.min - 1.0;
    } else {
        // Outside the plot the value moves by one stored step beyond the extremes, so a
        // coarse display unit cannot make a drag jump.
        if (t > 800) v = vs.max + 1.0;
        if (t < 0) v = vs.min - 1.0;
    }
    return fixed2(v * f);
}

std::optional<DragStep> drag_step(const GraphState& g, int x, int y) {
    if (g.graph_scale_y <= 0) return std::nullopt;
    int k = hit_point(g.zones, x);
    if (k == 0) return std::nullopt;
    return DragStep{k, graph_cell(g, k), drag_value_text(g, y)};
}

void apply_drag(const DragStep& step) {
    SetCell(step.cell.column, step.cell.row, step.text);
}

Selection follow_selection(const GraphState& g, int first, int last) {
    int line = g.current_curve + 1;
    if (g.graph_vertical) return {line, first, line, last};
    return {first, line, last, line};
}

}  // namespace pv
