// pvtool pvl: the log file's header as JSON, the log window's text export, a CSV export for
// spreadsheets, and the time a drive spent in each cell of a boost map.
#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>
#include <ostream>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/logging/log_export.h"
#include "core/logging/log_file.h"
#include "core/logging/map_cells.h"
#include "core/mapedit/grid_view.h"
#include "core/ui/texts.h"
#include "tool/tool.h"

namespace pvtool {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* kPvlUsage =
    "usage: pvtool pvl info FILE.PVL\n"
    "       pvtool pvl export FILE.PVL OUT.TXT\n"
    "       pvtool pvl export --csv FILE.PVL OUT.csv\n"
    "       pvtool pvl cells LOG.PVL DOC.PVD [--set A|B] [--marked | --throttle-above N]\n"
    "                        [--json]\n";

bool open_log(const std::string& path, pv::LogHeader& h, Io io) {
    switch (pv::read_log_header(path, h)) {
        case pv::LogRead::ok:
            return true;
        case pv::LogRead::missing:
            // The Japanese fragment reads on from the name.
            say(io.err, path + pv::msg_text(33));
            return false;
        case pv::LogRead::bad_channels:
        case pv::LogRead::unreadable:
            say(io.err, pv::msg_text(1));
            return false;
    }
    return false;
}

int cmd_export_csv(const std::string& log_path, const std::string& out, Io io) {
    pv::LogHeader h;
    if (!open_log(log_path, h, io)) return kFailed;
    if (!pv::export_log_csv(log_path, out, console_text)) {
        say(io.err, pv::msg_text(2));
        return kFailed;
    }
    return kOk;
}

std::string fixed(double v, int decimals) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return {buf, r.ptr};
}

std::string refusal_text(pv::CellsCheck why, const std::string& log_path) {
    switch (why) {
        case pv::CellsCheck::axis_off:
            return "the data file's map function is OFF: its maps have no axes to place the "
                   "samples on";
        case pv::CellsCheck::no_rev:
            return log_path + " has no RPM or speed channel, which the map's axes need";
        case pv::CellsCheck::no_throttle:
            return log_path + " has no throttle channel, which the map's axes need";
        case pv::CellsCheck::rev_is_speed:
            return log_path + " recorded vehicle speed, but the map's axis is engine speed";
        case pv::CellsCheck::rev_is_rpm:
            return log_path + " recorded engine speed, but the map's axis is vehicle speed";
        case pv::CellsCheck::no_marking:
            return log_path + " has no marking channel, which --marked needs";
        default:
            return {};
    }
}

// One figure per cell, for the three grids.
using CellFigure = std::string (*)(const pv::CellTally&, const pv::LogHeader&);

std::string seconds_text(const pv::CellTally& c, const pv::LogHeader& h) {
    return fixed(pv::cell_seconds(c, h), pv::time_decimals(h.interval));
}
std::string mean_text(const pv::CellTally& c, const pv::LogHeader& h) {
    return c.samples == 0 ? "-" : fixed(pv::cell_mean_pressure(c, h), 1);
}
std::string peak_text(const pv::CellTally& c, const pv::LogHeader& h) {
    return c.samples == 0 ? "-" : fixed(pv::cell_peak_pressure(c, h), 1);
}

// A grid laid out as the map window's: the corner and column headers on top, each row
// behind its row header.
void print_grid(std::ostream& os, const std::string& title, const pv::MapCells& m,
                const pv::LogHeader& h, CellFigure figure) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> top{console_text(pv::corner_text())};
    for (int c = 1; c <= m.cols; ++c) top.push_back(console_text(pv::column_header_text(c)));
    rows.push_back(top);
    for (int r = 1; r <= m.rows; ++r) {
        std::vector<std::string> line{console_text(pv::row_header_text(r))};
        for (int c = 1; c <= m.cols; ++c) line.push_back(figure(m.cells[c - 1][r - 1], h));
        rows.push_back(line);
    }
    size_t head = 0, cell = 0;
    for (const auto& line : rows) {
        head = std::max(head, line[0].size());
        for (size_t k = 1; k < line.size(); ++k) cell = std::max(cell, line[k].size());
    }
    os << title << '\n';
    for (const auto& line : rows) {
        std::string text = line[0] + std::string(head - line[0].size(), ' ');
        for (size_t k = 1; k < line.size(); ++k)
            text += std::string(cell + 2 - line[k].size(), ' ') + line[k];
        while (!text.empty() && text.back() == ' ') text.pop_back();
        os << text << '\n';
    }
}

json cells_json(const pv::MapCells& m, const pv::LogHeader& h) {
    json j;
    j["map"] = m.map_id == pv::map_boost_b ? "boost_map_b" : "boost_map_a";
    j["axis_select_no"] = pv::data.axis_select_no;
    j["interval_ms"] = h.interval;
    j["pressure_unit"] = pv::channel_unit(pv::ch_pressure, h);
    j["samples"] = m.samples;
    json columns = json::array(), rows = json::array();
    for (int c = 1; c <= m.cols; ++c) columns.push_back(pv::grid.col_axis_values[c - 1]);
    if (m.rows > 1)
        for (int r = 1; r <= m.rows; ++r) rows.push_back(pv::grid.grid_values[0][r - 1]);
    j["columns"] = columns;
    j["rows"] = rows;
    json cells = json::array();
    for (int r = 1; r <= m.rows; ++r) {
        for (int c = 1; c <= m.cols; ++c) {
            const pv::CellTally& t = m.cells[c - 1][r - 1];
            const pv::MapCell at = pv::map_cell_of(c, r);
            json cell;
            cell["column"] = c;
            cell["row"] = r;
            cell["cell"] = {at.i, at.j};  // the element of the map, as pvd dump indexes it
            cell["samples"] = t.samples;
            cell["seconds"] = pv::cell_seconds(t, h);
            const bool figures = t.samples > 0 && m.has_pressure;
            cell["mean"] = figures ? json(pv::cell_mean_pressure(t, h)) : json(nullptr);
            cell["peak"] = figures ? json(pv::cell_peak_pressure(t, h)) : json(nullptr);
            cells.push_back(cell);
        }
    }
    j["cells"] = cells;
    return j;
}

int cmd_cells(std::vector<std::string> args, Io io) {
    const bool as_json = take_flag(args, "--json");
    std::string set = "A";
    take_option(args, "--set", set);
    pv::CellsFilter filter;
    if (take_flag(args, "--marked")) filter.kind = pv::CellsFilter::Kind::marked;
    std::string above;
    bool above_ok = true;
    if (take_option(args, "--throttle-above", above)) {
        long n = 0;
        above_ok = filter.kind == pv::CellsFilter::Kind::all && pv::parse_integer(above, 0, 100, n);
        filter = {pv::CellsFilter::Kind::throttle_above, static_cast<int>(n)};
    }
    if (args.size() != 2 || !above_ok || (set != "A" && set != "B" && set != "a" && set != "b")) {
        io.err << kPvlUsage;
        return kUsage;
    }
    const std::string& log_path = args[0];
    if (!pv::ReadDataFile(args[1])) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }
    if (pv::data.axis_select_no < 1 || pv::data.axis_select_no > 5) {
        io.err << "pvtool: " << refusal_text(pv::CellsCheck::axis_off, log_path) << '\n';
        return kUsage;
    }
    pv::LogHeader header;
    if (!open_log(log_path, header, io)) return kFailed;
    pv::LogReader log;
    if (log.open(log_path) != pv::LogRead::ok) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }
    const pv::LogHeader& h = log.header();
    if (auto why = pv::check_cells_log(h, pv::data.axis_select_no, filter);
        why != pv::CellsCheck::ok) {
        io.err << "pvtool: " << refusal_text(why, log_path) << '\n';
        return kUsage;
    }
    pv::MapCells cells;
    const int map_id = (set == "B" || set == "b") ? pv::map_boost_b : pv::map_boost_a;
    if (!pv::tally_map_cells(log, map_id, cells, filter)) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }
    if (as_json) {
        io.out << cells_json(cells, h).dump(2) << '\n';
        return kOk;
    }
    const std::string unit_text = pv::channel_unit(pv::ch_pressure, h);
    print_grid(io.out, console_text(pv::text(pv::Catalog::Log, 20)) + " [s]", cells, h,
               seconds_text);
    if (cells.has_pressure) {
        io.out << '\n';
        print_grid(io.out, "Mean pressure [" + unit_text + "]", cells, h, mean_text);
        io.out << '\n';
        print_grid(io.out, "Peak pressure [" + unit_text + "]", cells, h, peak_text);
    }
    return kOk;
}

}  // namespace

int pvl_main(const std::vector<std::string>& args, Io io) {
    if (args.size() == 2 && args[0] == "info") {
        pv::LogHeader h;
        if (!open_log(args[1], h, io)) return kFailed;
        nlohmann::ordered_json j;
        j["channels"] = nlohmann::json::array();
        for (int k = 0; k < h.n; ++k) j["channels"].push_back(int{h.ch[static_cast<size_t>(k)]});
        j["version"] = h.version;
        j["stamp"] = h.stamped ? nlohmann::json(h.stamp) : nlohmann::json(nullptr);
        j["interval"] = h.interval;
        j["rev_flag"] = h.rev_flag;
        j["pressure_unit"] = h.pressure_unit;
        j["last_index"] = h.last_index;
        io.out << j.dump() << '\n';
        return kOk;
    }
    if (!args.empty() && args[0] == "cells")
        return cmd_cells(std::vector<std::string>(args.begin() + 1, args.end()), io);
    if (!args.empty() && args[0] == "export") {
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (take_flag(rest, "--csv")) {
            if (rest.size() == 2) return cmd_export_csv(rest[0], rest[1], io);
            io.err << kPvlUsage;
            return kUsage;
        }
    }
    if (args.size() == 3 && args[0] == "export") {
        pv::LogHeader h;
        if (!open_log(args[1], h, io)) return kFailed;
        if (!pv::export_log_text(args[1], args[2])) {
            say(io.err, pv::msg_text(2));
            return kFailed;
        }
        return kOk;
    }
    io.err << kPvlUsage;
    return kUsage;
}

}  // namespace pvtool
