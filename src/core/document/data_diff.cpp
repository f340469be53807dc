#include "core/document/data_diff.h"

#include <functional>

#include "core/mapedit/grid_view.h"
#include "core/mapedit/table_pick.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

std::string prm(uint32_t n) {
    return text(Catalog::Prm, n);
}

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool psi(const ControllerData& d) {
    return d.pressure_unit == 1;
}

// A pressure as the dialog's fields show it: kPa as an integer, PSI as tenths.
std::string pressure(const ControllerData& d, int32_t raw) {
    return (psi(d) ? FormatFixed(raw, 1) : std::to_string(raw)) + " " + prm(psi(d) ? 97 : 96);
}

std::string on_off(bool on) {
    return trim(prm(on ? 62 : 61).substr(1));
}

std::string with_unit(int32_t v, const std::string& unit) {
    return std::to_string(v) + " " + unit;
}

struct Param {
    const char* field;
    uint32_t label;
    const char* label_suffix;
    std::function<int32_t(const ControllerData&)> value;
    std::function<std::string(const ControllerData&)> shown;
};

const std::vector<Param>& params() {
    using D = const ControllerData&;
    static const std::vector<Param> list = {
        {"pressure_unit", 12, "", [](D d) { return d.pressure_unit; },
         [](D d) { return d.pressure_unit <= 1 ? prm(81u + d.pressure_unit) : "?"; }},
        {"ext_bypass", 14, "", [](D d) { return d.ext_bypass; },
         [](D d) { return prm(d.ext_bypass == 1 ? 84 : 83); }},
        {"cyls", 16, "", [](D d) { return d.cyls; }, [](D d) { return std::to_string(d.cyls); }},
        {"spdpulse", 18, "", [](D d) { return d.spdpulse; },
         [](D d) { return std::to_string(d.spdpulse); }},
        {"closeth", 20, " CLOSE", [](D d) { return d.closeth; },
         [](D d) { return with_unit(d.closeth, "[mV]"); }},
        {"openth", 20, " OPEN", [](D d) { return d.openth; },
         [](D d) { return with_unit(d.openth, "[mV]"); }},
        {"barselect", 23, "", [](D d) { return d.barselect; },
         [](D d) { return d.barselect <= 4 ? trim(prm(85u + d.barselect)) : "?"; }},
        {"axis_select_no", 25, "", [](D d) { return d.axis_select_no; },
         [](D d) { return d.axis_select_no <= 5 ? trim(prm(90u + d.axis_select_no)) : "?"; }},
        {"rev_sampling", 27, "", [](D d) { return d.rev_sampling; },
         [](D d) { return on_off(d.rev_sampling == 1); }},
        {"after_on", 31, "", [](D d) { return d.after_on; },
         [](D d) { return on_off(d.after_on == 1); }},
        {"backlight_level", 35, "", [](D d) { return d.backlight_level; },
         [](D d) { return with_unit(d.backlight_level, prm(104)); }},
        // The dialog's list numbers its entries from 1.
        {"sampling_time", 38, "", [](D d) { return d.sampling_time; },
         [](D d) { return std::to_string(d.sampling_time + 1); }},
        {"first_boost", 42, "", [](D d) { return d.first_boost; },
         [](D d) { return pressure(d, d.first_boost); }},
        {"normal_boost", 40, "", [](D d) { return d.normal_boost; },
         [](D d) { return pressure(d, d.normal_boost); }},
        {"up_boost_offset", 43, "", [](D d) { return d.up_boost_offset; },
         [](D d) { return with_unit(d.up_boost_offset, prm(104)); }},
        {"setboost_a", 45, "", [](D d) { return d.setboost_a; },
         [](D d) { return pressure(d, d.setboost_a); }},
        {"offset_a", 46, "", [](D d) { return d.offset_a; },
         [](D d) { return with_unit(d.offset_a, prm(104)); }},
        {"setboost_b", 47, "", [](D d) { return d.setboost_b; },
         [](D d) { return pressure(d, d.setboost_b); }},
        {"offset_b", 48, "", [](D d) { return d.offset_b; },
         [](D d) { return with_unit(d.offset_b, prm(104)); }},
        {"sbc_boost", 49, "", [](D d) { return d.sbc_boost; },
         [](D d) { return pressure(d, d.sbc_boost); }},
        {"sbc_time", 51, "", [](D d) { return d.sbc_time; },
         [](D d) { return with_unit(d.sbc_time, "[sec]"); }},
        {"drop_boost", 53, "", [](D d) { return d.drop_boost; },
         [](D d) { return d.drop_boost == 0 ? on_off(false) : pressure(d, d.drop_boost); }},
        {"warning_boost", 56, "", [](D d) { return d.warning_boost; },
         [](D d) {
             return d.warning_boost >= (psi(d) ? 361 : 251) ? on_off(false)
                                                            : pressure(d, d.warning_boost);
         }},
        {"barmaxset", 59, "", [](D d) { return d.barmaxset; },
         [](D d) {
             switch (d.barselect) {
                 case 2:
                     return with_unit(d.barmaxset * 10, prm(100));
                 case 3:
                     return with_unit(d.barmaxset * 100, prm(102));
                 case 4:
                     return with_unit(d.barmaxset, prm(104));
                 default:
                     return pressure(d, d.barmaxset);
             }
         }},
    };
    return list;
}

std::string stamp_values(const ControllerData& d) {
    std::string s;
    for (size_t k = 0; k < d.save_stamp.size(); ++k)
        s += (k ? " " : "") + std::to_string(d.save_stamp[k]);
    return s;
}

std::string stamp_text(const ControllerData& d) {
    if (d.save_stamp[0] == 0) return "-";
    return d.save_date_text + " " + d.save_time_text;
}

// Puts the program's data and grid back however the comparison ends.
class KeepDocument {
  public:
    KeepDocument() : data_(data), grid_(grid) {}
    ~KeepDocument() {
        data = data_;
        grid = grid_;
    }

  private:
    ControllerData data_;
    GridArea grid_;
};

// The grid cell that shows element (i, j) of the table chosen, if the axis mode shows it.
bool shown_at(int i, int j, int& column, int& row) {
    for (int c = 1; c <= grid.grid_cols; ++c)
        for (int r = 1; r <= grid.grid_rows; ++r) {
            MapCell m = map_cell_of(c, r);
            if (m.i == i && (is_axis(grid.current_map) || m.j == j)) {
                column = c;
                row = r;
                return true;
            }
        }
    return false;
}

}  // namespace

bool TableGrid::shows(int i, int j) const {
    for (const auto& row : cells)
        for (const Cell& c : row)
            if (c.i == i && (is_axis(map_id) || c.j == j)) return true;
    return false;
}

TableGrid table_grid(const ControllerData& a_in, const ControllerData& b_in, int map_id) {
    // Either side may be the program's data, which the layout borrows.
    const ControllerData a = a_in, b = b_in;
    KeepDocument keep;
    TableGrid t;
    t.map_id = map_id;
    data = b;
    choose_table(map_id);
    t.caption = text(Catalog::Map, static_cast<uint32_t>(table_caption_of(map_id)));
    t.corner = trim(corner_text());
    t.axis_text = trim(status_axis_text());
    for (int c = 1; c <= grid.grid_cols; ++c) t.column_heads.push_back(trim(column_header_text(c)));
    for (int r = 1; r <= grid.grid_rows; ++r) {
        t.row_heads.push_back(trim(row_header_text(r)));
        std::vector<TableGrid::Cell>& row = t.cells.emplace_back();
        for (int c = 1; c <= grid.grid_cols; ++c) {
            const MapCell m = map_cell_of(c, r);
            TableGrid::Cell cell;
            cell.i = m.i;
            cell.j = is_axis(map_id) ? 0 : m.j;
            const int32_t va = table_element(a, map_id, m.i, cell.j);
            const int32_t vb = table_element(b, map_id, m.i, cell.j);
            cell.b_text = trim(FormatCell(vb));
            cell.changed = va != vb;
            row.push_back(cell);
        }
    }
    // A's texts in a's units, as diff_data gives them.
    data = a;
    for (auto& row : t.cells)
        for (TableGrid::Cell& cell : row)
            cell.a_text = trim(FormatCell(table_element(a, map_id, cell.i, cell.j)));
    return t;
}

std::string parameter_text(const ControllerData& d, const std::string& field) {
    for (const Param& p : params())
        if (field == p.field) return p.shown(d);
    return {};
}

std::vector<Difference> diff_data(const ControllerData& a_in, const ControllerData& b_in) {
    // Either side may be the program's data, which the cells' texts borrow.
    const ControllerData a = a_in, b = b_in;
    KeepDocument keep;
    std::vector<Difference> out;

    for (const Param& p : params()) {
        if (p.value(a) == p.value(b)) continue;
        Difference d;
        d.field = p.field;
        d.name = prm(p.label) + p.label_suffix;
        d.a_value = std::to_string(p.value(a));
        d.b_value = std::to_string(p.value(b));
        d.a_text = p.shown(a);
        d.b_text = p.shown(b);
        out.push_back(d);
    }

    for (int id : kTableIds) {
        const int points_j = is_axis(id) ? 1 : 5;
        // The cells' names and texts as the grid shows them for `a`; B's texts in B's units.
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < points_j; ++j) {
                const int32_t va = table_element(a, id, i, j), vb = table_element(b, id, i, j);
                if (va == vb) continue;
                Difference d;
                d.field = table_field_name(id);
                d.is_cell = true;
                d.i = i;
                d.j = j;
                d.a_value = std::to_string(va);
                d.b_value = std::to_string(vb);
                data = a;
                choose_table(id);
                const std::string table =
                    text(Catalog::Map, static_cast<uint32_t>(table_caption_of(id)));
                int column = 0, row = 0;
                if (shown_at(i, j, column, row))
                    d.name = table + " [" + trim(row_header_text(row)) + ", " +
                             trim(column_header_text(column)) + "]";
                else
                    d.name = table + " (" + std::to_string(i) + ", " + std::to_string(j) + ")";
                d.a_text = trim(FormatCell(va));
                data = b;
                grid.current_map = id;
                d.b_text = trim(FormatCell(vb));
                out.push_back(d);
            }
    }

    if (a.comment != b.comment) {
        Difference d;
        d.field = "comment";
        d.name = prm(11);
        d.a_value = d.a_text = a.comment;
        d.b_value = d.b_text = b.comment;
        d.numeric = false;
        out.push_back(d);
    }

    auto label = [&](const char* field, const std::string& name, const std::string& va,
                     const std::string& vb, const std::string& ta, const std::string& tb,
                     bool numeric) {
        if (va == vb) return;
        Difference d;
        d.field = field;
        d.name = name;
        d.a_value = va;
        d.b_value = vb;
        d.a_text = ta;
        d.b_text = tb;
        d.numeric = numeric;
        d.counts = false;
        out.push_back(d);
    };
    label("save_stamp", "Saved", stamp_values(a), stamp_values(b), stamp_text(a), stamp_text(b),
          false);
    label("file_version", "Data File Ver", std::to_string(a.file_version),
          std::to_string(b.file_version), file_version_text(a.file_version),
          file_version_text(b.file_version), true);
    auto version = [](uint8_t v) { return FormatFixed(v, 2); };
    label("file_valve_version", text(Catalog::Ver, 4), std::to_string(a.file_valve_version),
          std::to_string(b.file_valve_version), version(a.file_valve_version),
          version(b.file_valve_version), true);
    label("file_display_version", text(Catalog::Ver, 5), std::to_string(a.file_display_version),
          std::to_string(b.file_display_version), version(a.file_display_version),
          version(b.file_display_version), true);
    auto hex = [](uint16_t w) {
        static const char* digits = "0123456789ABCDEF";
        std::string s = "0x";
        for (int shift = 12; shift >= 0; shift -= 4) s += digits[(w >> shift) & 15];
        return s;
    };
    label("status_word", "Status", std::to_string(a.status_word), std::to_string(b.status_word),
          hex(a.status_word), hex(b.status_word), true);
    return out;
}

}  // namespace pv
