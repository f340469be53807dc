#include "core/document/unit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/ui/clock.h"
#include "core/ui/hooks.h"
#include "core/ui/texts.h"

namespace pv {

ControllerData data;
UnitState unit;
AppState state;
Settings settings;
GridArea grid;

bool is_axis(int map_id) {
    return map_id == map_rpm_axis || map_id == map_speed_axis || map_id == map_throttle_axis;
}
bool is_boost_map(int map_id) {
    return map_id == map_boost_a || map_id == map_boost_b;
}
bool is_offset_map(int map_id) {
    return map_id == map_offset_a || map_id == map_offset_b;
}
bool is_map(int map_id) {
    return is_boost_map(map_id) || is_offset_map(map_id);
}

void InitState() {
    state = AppState{};
    unit = UnitState{};
    state.link_interval_ms = 15;
    state.last_log_file = text(Catalog::Log, 19);
    state.last_other_log_file = text(Catalog::Log, 29);
}

void SetDefaultData() {
    for (int k = 0; k < 5; ++k) {
        data.rpm_axis[k] = static_cast<uint8_t>(15 * (k + 1) - 5);
        data.speed_axis[k] = static_cast<uint8_t>(3 * (k + 1) - 1);
        data.throttle_axis[k] = static_cast<uint8_t>(25 * k);
    }
    for (auto* m : {&data.boost_map_a, &data.boost_map_b})
        for (auto& row : *m) row.fill(0);
    for (auto* m : {&data.offset_map_a, &data.offset_map_b})
        for (auto& row : *m) row.fill(100);

    data.cyls = 4;
    data.spdpulse = 4;
    data.closeth = 0;
    data.openth = 5000;
    data.barselect = 0;
    data.axis_select_no = 0;
    data.pressure_unit = 0;
    data.backlight_level = 100;
    data.rev_sampling = 0;
    data.after_on = 0;
    data.ext_bypass = 0;
    data.sampling_time = 3;
    data.offset_a = 100;
    data.offset_b = 100;
    data.sbc_time = 0;
    data.sbc_boost = 0;
    data.barmaxset = 250;
    data.setboost_a = 0;
    data.setboost_b = 0;
    data.warning_boost = 250;
    data.drop_boost = 0;
    data.up_boost_offset = 100;
    data.normal_boost = 0;
    data.first_boost = 0;
    data.warning_on = 1;

    data.comment.clear();
    unit.valve_version = 0;
    unit.display_version = 0;
    data.file_valve_version = 0;
    data.file_display_version = 0;
}

Shape MapShape(int map_id, bool for_file) {
    bool table = is_axis(map_id) || is_map(map_id);
    bool two_axis = data.axis_select_no == 4 || data.axis_select_no == 5;
    return {table ? 5 : 1, is_map(map_id) && (for_file || two_axis) ? 5 : 1};
}

MapCell map_cell_of(int column, int row) {
    if (is_map(grid.current_map) && data.axis_select_no == 1) return {0, column - 1};
    return {column - 1, row - 1};
}

int32_t table_element(const ControllerData& d, int map_id, int i, int j) {
    switch (map_id) {
        case map_rpm_axis:
            return d.rpm_axis[i];
        case map_speed_axis:
            return d.speed_axis[i];
        case map_throttle_axis:
            return d.throttle_axis[i];
        case map_boost_a:
            return d.boost_map_a[i][j];
        case map_offset_a:
            return d.offset_map_a[i][j];
        case map_boost_b:
            return d.boost_map_b[i][j];
        case map_offset_b:
            return d.offset_map_b[i][j];
        default:
            return 0;
    }
}

void set_table_element(ControllerData& d, int map_id, int i, int j, int32_t value) {
    auto byte = static_cast<uint8_t>(value);
    auto word = static_cast<int16_t>(value);
    switch (map_id) {
        case map_rpm_axis:
            d.rpm_axis[i] = byte;
            break;
        case map_speed_axis:
            d.speed_axis[i] = byte;
            break;
        case map_throttle_axis:
            d.throttle_axis[i] = byte;
            break;
        case map_boost_a:
            d.boost_map_a[i][j] = word;
            break;
        case map_offset_a:
            d.offset_map_a[i][j] = byte;
            break;
        case map_boost_b:
            d.boost_map_b[i][j] = word;
            break;
        case map_offset_b:
            d.offset_map_b[i][j] = byte;
            break;
        default:
            break;
    }
}

namespace {

bool psi() {
    return data.pressure_unit == 1;
}

std::string pad_left(std::string s, size_t width) {
    if (s.size() < width) s.insert(0, width - s.size(), ' ');
    return s;
}

// Locale-independent fixed notation: the program may run under a locale whose decimal
// separator is a comma, but grid texts, the clipboard and files always use a point.
std::string fixed_text(double v, int decimals) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

size_t skip_digits(const std::string& s, size_t p) {
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
    return p;
}

// Whether a decimal text too large or too small for a double is large: its decimal
// magnitude from the digits before and after the point and the exponent.
bool is_huge(const std::string& s, size_t mantissa_begin, size_t point, size_t exp_begin) {
    long exp = 0;
    for (size_t p = exp_begin; p < s.size(); ++p)
        if (s[p] >= '0' && s[p] <= '9') exp = std::min(exp * 10 + (s[p] - '0'), 100000L);
    if (exp_begin < s.size() && s.find('-', exp_begin) != std::string::npos) exp = -exp;
    size_t first = s.find_first_not_of('0', mantissa_begin);
    long magnitude = first < point ? static_cast<long>(point - first)
                                   : -static_cast<long>(s.find_first_not_of("0.", point) - point);
    return magnitude + exp > 0;
}

}  // namespace

std::optional<double> parse_number(const std::string& text) {
    size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return std::nullopt;
    std::string s = text.substr(b, text.find_last_not_of(" \t") + 1 - b);
    bool negative = s[0] == '-';
    size_t mantissa = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    size_t point = skip_digits(s, mantissa);
    size_t digits = point - mantissa;
    size_t p = point;
    if (p < s.size() && s[p] == '.') {
        p = skip_digits(s, p + 1);
        digits += p - point - 1;
    }
    if (digits == 0) return std::nullopt;
    size_t exp_begin = p;
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        size_t q = p + 1;
        if (q < s.size() && (s[q] == '+' || s[q] == '-')) ++q;
        p = skip_digits(s, q);
        if (p == q) return std::nullopt;
    }
    if (p != s.size()) return std::nullopt;

    double v = 0;
    auto r = std::from_chars(s.data() + mantissa, s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        v = is_huge(s, mantissa, point, exp_begin) ? 1e300 : 0.0;
    else if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        return std::nullopt;
    return negative ? -v : v;
}

bool parse_integer(const std::string& text, long lo, long hi, long& out) {
    long v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || v < lo ||
        v > hi)
        return false;
    out = v;
    return true;
}

int32_t round_half_even(long double v) {
    constexpr long double lo = std::numeric_limits<int32_t>::min();
    constexpr long double hi = std::numeric_limits<int32_t>::max();
    if (std::isnan(v)) return 0;
    long double f = std::floor(v);
    long double diff = v - f;
    long double r = diff < 0.5L ? f : diff > 0.5L ? f + 1 : (std::fmod(f, 2.0L) == 0 ? f : f + 1);
    if (r <= lo) return std::numeric_limits<int32_t>::min();
    if (r >= hi) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

std::string FormatCell(int32_t value) {
    switch (grid.current_map) {
        case map_rpm_axis:
            return pad_left(std::to_string(int64_t{value} * 100), 5);
        case map_speed_axis:
            return pad_left(std::to_string(int64_t{value} * 10), 5);
        case map_boost_a:
        case map_boost_b:
            if (psi()) return pad_left(fixed_text(value / 10.0, 1), 5);
            return pad_left(std::to_string(value), 5);
        default:
            return pad_left(std::to_string(value), 5);
    }
}

std::optional<int32_t> ParseCell(const std::string& text) {
    auto v = parse_number(text);
    if (!v) return std::nullopt;
    switch (grid.current_map) {
        case map_rpm_axis:
            *v /= 100;
            break;
        case map_speed_axis:
            *v /= 10;
            break;
        case map_boost_a:
        case map_boost_b:
            if (psi()) *v *= 10;
            break;
        default:
            break;
    }
    return round_half_even(*v);
}

void SetCell(int column, int row, const std::string& text) {
    if (column < 1 || column > 5 || row < 1 || row > 5) return;
    if (auto parsed = ParseCell(text)) {
        int32_t v = Clamp(*parsed, grid.value_min, grid.value_max);
        MapCell cell = map_cell_of(column, row);
        set_table_element(grid.current_map, cell.i, is_axis(grid.current_map) ? 0 : cell.j, v);
        grid.grid_values[column][row - 1] = v;
    }
    grid.changed_cells[column - 1][row - 1] = 1;
    document_views().cell_written(column, row, FormatCell(grid.grid_values[column][row - 1]));
}

void MarkModified() {
    state.doc_modified = 1;
    state.edit_pending = 1;
    shell_views().set_undo_enabled(true);
    if (state.doc_named) shell_views().set_save_enabled(true);
}

void ClearChanged() {
    std::memset(grid.changed_cells, 0, sizeof grid.changed_cells);
    state.edit_pending = 0;
    shell_views().set_undo_enabled(false);
}

int64_t Power(int64_t base, unsigned n) {
    int64_t r = 1;
    while (n-- > 0) r *= base;
    return r;
}

std::string FormatFixed(int64_t number, int decimals) {
    if (decimals <= 0) return std::to_string(number);
    return fixed_text(static_cast<double>(number) / static_cast<double>(Power(10, decimals)),
                      decimals);
}

std::string PressureUnitText() {
    if (data.pressure_unit == 0) return text(Catalog::Prm, 81);
    if (data.pressure_unit == 1) return text(Catalog::Prm, 82);
    return {};
}

void set_save_stamp(const std::array<uint16_t, 6>& s) {
    data.save_stamp = s;
    auto two = [](uint16_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    data.save_date_text =
        std::to_string(s[0]) + "/" + std::to_string(s[1]) + "/" + std::to_string(s[2]);
    data.save_time_text = std::to_string(s[3]) + ":" + two(s[4]) + ":" + two(s[5]);
}

std::string file_version_text(int16_t version) {
    return fixed_text(version / 1000.0, version % 10 != 0 ? 3 : 2);
}

void Delay(uint32_t ms) {
    Clock& c = clock();
    uint32_t start = c.tick_count();
    while (c.tick_count() - start <= ms) c.pause();
}

}  // namespace pv
