// pvtool history: the restore points of the unit that the window program and pvtool keep,
// newest first, numbered as the Unit History window lists them.
#include <nlohmann/json.hpp>
#include <ostream>

#include "core/history/restore_points.h"
#include "core/ui/texts.h"
#include "tool/diff_cmd.h"
#include "tool/tool.h"

namespace pvtool {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* kHistoryUsage =
    "usage: pvtool history list [--json]\n"
    "       pvtool history show N [--json]   what point N changed against the one before\n";

// Newest first: the window's order, number 1 the latest.
std::vector<pv::RestorePoint> newest_first() {
    auto p = pv::list_restore_points(pv::history_folder());
    return {p.rbegin(), p.rend()};
}

int list(bool as_json, Io io) {
    const auto points = newest_first();
    json out = json::array();
    for (size_t k = 0; k < points.size(); ++k) {
        pv::ControllerData d, before;
        const bool readable = pv::read_restore_point(points[k], d);
        const bool has_before =
            readable && k + 1 < points.size() && pv::read_restore_point(points[k + 1], before);
        const pv::PointChanges c = has_before ? pv::count_changes(before, d) : pv::PointChanges{};
        if (as_json) {
            json o;
            o["number"] = k + 1;
            o["when"] = points[k].when;
            o["cause"] = points[k].cause;
            o["file"] = points[k].path;
            o["changed_cells"] = has_before ? json(c.cells) : json(nullptr);
            o["changed_parameters"] = has_before ? json(c.parameters) : json(nullptr);
            out.push_back(o);
        } else {
            io.out << k + 1 << "  " << points[k].when << "  " << points[k].cause;
            if (has_before)
                io.out << "  " << c.cells << " cells, " << c.parameters << " parameters changed";
            io.out << "\n    " << terminal_safe(points[k].path) << "\n";
        }
    }
    if (as_json) io.out << terminal_safe_json(out.dump(2)) << "\n";
    return kOk;
}

int show(const std::string& number, bool as_json, Io io) {
    const auto points = newest_first();
    long n = 0;
    if (!pv::parse_integer(number, 1, 1'000'000, n) || static_cast<size_t>(n) > points.size()) {
        io.err << "pvtool: no restore point " << number << " (" << points.size() << " kept in "
               << pv::history_folder() << ")\n";
        return kFailed;
    }
    const size_t k = static_cast<size_t>(n - 1);
    pv::ControllerData d, before;
    if (!pv::read_restore_point(points[k], d)) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }
    if (k + 1 >= points.size()) {
        io.out << "the oldest restore point: nothing before it to compare with\n";
        return kOk;
    }
    if (!pv::read_restore_point(points[k + 1], before)) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }
    report_differences(pv::diff_data(before, d), as_json, io);
    return kOk;
}

}  // namespace

int history_main(std::vector<std::string> args, Io io) {
    const bool as_json = take_flag(args, "--json");
    if (args.size() == 1 && args[0] == "list") return list(as_json, io);
    if (args.size() == 2 && args[0] == "show") return show(args[1], as_json, io);
    io.err << kHistoryUsage;
    return kUsage;
}

}  // namespace pvtool
