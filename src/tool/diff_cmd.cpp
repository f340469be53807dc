#include "tool/diff_cmd.h"

#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "core/document/data_diff.h"
#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/mapedit/table_pick.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "platform/codepage.h"
#include "platform/serial_port.h"
#include "tool/unit_session.h"

namespace pvtool {

namespace {

using json = nlohmann::ordered_json;

constexpr int kSame = 0;
constexpr int kDiffer = 1;
constexpr int kError = 2;

constexpr const char* kPvdDiffUsage = "usage: pvtool pvd diff A.PVD B.PVD [--json]\n";
constexpr const char* kUnitDiffUsage =
    "usage: pvtool unit diff FILE.PVD [--json] [--port DEVICE | --com N]\n";

std::string utf8(const std::string& text8) {
    return pv::codepage_to_utf8(text8, pv::settings.lang_id);
}

json stored(const pv::Difference& d, const std::string& value) {
    if (d.field == "save_stamp") {
        json a = json::array();
        std::istringstream in(value);
        for (long v; in >> v;) a.push_back(v);
        return a;
    }
    if (d.numeric) return json(std::stol(value));
    return utf8(value);
}

// Axes are one row of numbers in the dump (`"rpm_axis":[...]`), maps rows of rows: a point
// is placed the way the dump indexes it.
json position(const pv::Difference& d) {
    for (int id : pv::kTableIds)
        if (pv::is_axis(id) && pv::table_field_name(id) == d.field) return json::array({d.i});
    return json::array({d.i, d.j});
}

// Which side A is: another file, or the unit, which keeps no comment of its own.
enum class SideA { file, unit };
// Shown for a value that one side does not hold.
const std::string kNone = "-";

bool only_in_file(const pv::Difference& d, SideA a) {
    return a == SideA::unit && d.field == "comment";
}

int report(std::vector<pv::Difference> diffs, SideA side_a, bool as_json, Io io) {
    // Send All Data sends no comment, so a file's comment never differs from the unit.
    for (pv::Difference& d : diffs)
        if (only_in_file(d, side_a)) {
            d.counts = false;
            d.a_text = kNone;
        }
    bool differ = false;
    for (const pv::Difference& d : diffs) differ = differ || d.counts;
    if (as_json) {
        json list = json::array();
        for (const pv::Difference& d : diffs) {
            json o;
            o["field"] = d.field;
            if (d.is_cell) o["cell"] = position(d);
            o["name"] = utf8(d.name);
            o["a"] = only_in_file(d, side_a) ? json(nullptr) : stored(d, d.a_value);
            o["b"] = stored(d, d.b_value);
            o["a_text"] = utf8(d.a_text);
            o["b_text"] = utf8(d.b_text);
            o["counts"] = d.counts;
            list.push_back(o);
        }
        io.out << terminal_safe_json(list.dump(2)) << "\n";
    } else {
        for (const pv::Difference& d : diffs) {
            io.out << console_text(d.name) << "  " << terminal_safe(console_text(d.a_text))
                   << " -> " << terminal_safe(console_text(d.b_text));
            if (only_in_file(d, side_a))
                io.out << "  (the unit keeps no comment)";
            else if (!d.counts)
                io.out << "  (information only)";
            io.out << "\n";
        }
    }
    return differ ? kDiffer : kSame;
}

bool read_document(const std::string& path, pv::ControllerData& out, Io io) {
    if (!pv::ReadDataFile(path)) {
        say(io.err, pv::msg_text(1));
        io.err << "  " << path << "\n";
        return false;
    }
    out = pv::data;
    return true;
}

// What Load All Data reads, and nothing else: the readiness and status checks, then the
// tables and the parameter set. A locked unit is not unlocked; its data stays unread.
bool read_unit(Io io) {
    if (!pv::start_checks()) return false;
    if (!pv::setup_complete()) {
        say(io.err, pv::msg_text(10));
        return false;
    }
    if (pv::lock_set()) {
        io.err << "pvtool: the unit's data lock is set; unit diff reads nothing from a locked "
                  "unit (unlock it with `pvtool unit lock off`)\n";
        return false;
    }
    pv::SetDefaultData();
    return pv::load_all_job();
}

}  // namespace

int report_differences(std::vector<pv::Difference> diffs, bool as_json, Io io) {
    return report(std::move(diffs), SideA::file, as_json, io);
}

int pvd_diff(std::vector<std::string> args, Io io) {
    const bool as_json = take_flag(args, "--json");
    if (args.size() != 2) {
        io.err << kPvdDiffUsage;
        return kError;
    }
    pv::ControllerData a, b;
    if (!read_document(args[0], a, io) || !read_document(args[1], b, io)) return kError;
    return report(pv::diff_data(a, b), SideA::file, as_json, io);
}

int unit_diff(std::vector<std::string> args, Io io, pv::Port& port) {
    const bool as_json = take_flag(args, "--json");
    std::string device, com;
    take_option(args, "--port", device);
    if (take_option(args, "--com", com)) {
        long n = 0;
        if (!pv::parse_integer(com, 1, 255, n)) {
            io.err << kUnitDiffUsage;
            return kError;
        }
        pv::settings.com_port = static_cast<uint8_t>(n);
    }
    if (args.size() != 1) {
        io.err << kUnitDiffUsage;
        return kError;
    }
    pv::ControllerData file;
    if (!read_document(args[0], file, io)) return kError;

    pv::ControllerData in_unit;
    {
        DecliningPrompter prompter(io.err);
        UnitSession session(port, prompter);
        if (!read_unit(io)) return kError;
        in_unit = pv::data;
    }
    return report(pv::diff_data(in_unit, file), SideA::unit, as_json, io);
}

int unit_diff_main(std::vector<std::string> args, Io io) {
    std::string device;
    std::vector<std::string> probe = args;
    take_option(probe, "--port", device);
    pv::SerialPort serial(device);
    return unit_diff(std::move(args), io, serial);
}

}  // namespace pvtool
