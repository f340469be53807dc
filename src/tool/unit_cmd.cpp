// pvtool unit: talks to a controller unit through the same link code as the window program.
#include <cstdio>
#include <memory>
#include <ostream>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/link/detect.h"
#include "core/link/netunit.h"
#include "core/link/port_catalogue.h"
#include "core/link/transfers.h"
#include "core/logging/live.h"
#include "core/logging/monitor.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "platform/system_ports.h"
#include "tool/console_port.h"
#include "tool/diff_cmd.h"
#include "tool/tool.h"
#include "tool/unit_jobs.h"
#include "tool/unit_session.h"

namespace pvtool {

namespace {

constexpr const char* kUnitUsage =
    "usage: pvtool unit status   [--port DEVICE | --com N]\n"
    "       pvtool unit versions [--port DEVICE | --com N]\n"
    "       pvtool unit poll     [--port DEVICE | --com N] [--count N] [--file DATA.PVD]\n"
    "                            [--monitor]\n"
    "       pvtool unit diff FILE.PVD [--json] [--port DEVICE | --com N]\n"
    "       pvtool unit load-all|load-params|send-all|send-params|lock|reset ...\n"
    "       pvtool unit record OUT.PVL [--samples N] [--file DATA.PVD] ...\n"
    "       pvtool unit detect [--ports-root DIR]\n";

int unit_status(Io io) {
    pv::set_comm_state(3);
    bool ok = pv::read_block(103);
    if (!ok) pv::link_error(pv::error_text(4));
    pv::set_comm_state(0);
    if (!ok) return kFailed;
    static constexpr struct {
        int bit;
        const char* name;
    } named[] = {
        {pv::status_throttle_axis, "throttle_axis_in_use"},
        {pv::status_rev_axis, "rev_axis_in_use"},
        {pv::status_rev_is_rpm, "rev_is_rpm"},
        {pv::status_pressure_kpa, "pressure_kpa"},
        {pv::status_after_image, "after_image_on"},
        {pv::status_bar_peak, "bar_peak_on"},
        {pv::status_lock_set, "lock_set"},
        {pv::status_mode_b_active, "mode_b_active"},
        {pv::status_valve_swing, "valve_swing"},
        {pv::status_setup_second_run, "setup_second_run"},
        {pv::status_setup_complete, "setup_complete"},
        {pv::status_control_on, "control_on"},
    };
    char word[16];
    std::snprintf(word, sizeof word, "0x%04X", pv::data.status_word);
    io.out << "status_word\t" << word << '\n';
    for (const auto& n : named)
        io.out << n.name << '\t' << (pv::status_flag(n.bit) ? 1 : 0) << '\n';
    return kOk;
}

// As the about box shows a version: four blanks and value / 100 with two decimals.
std::string version_text(bool ok, uint8_t version) {
    if (!ok) return console_text(pv::text(pv::Catalog::Ver, 6));
    char buf[32];
    std::snprintf(buf, sizeof buf, "    %.2f", version / 100.0);
    return buf;
}

int unit_versions(Io io) {
    pv::set_comm_state(1);
    bool valve = pv::read_block(101);
    bool display = pv::read_block(102);
    io.out << "Valve Ver.\t" << version_text(valve, pv::unit.valve_version) << '\n';
    io.out << "Display Ver.\t" << version_text(display, pv::unit.display_version) << '\n';
    if (!valve) pv::link_error(pv::error_text(55));
    if (!display) pv::link_error(pv::error_text(57));
    pv::set_comm_state(0);
    return valve && display ? kOk : kFailed;
}

void print_values(const pv::LiveValues& v, std::ostream& out) {
    out << v.live_boost << '\t' << v.live_peak_boost << '\t' << int{v.live_rev} << '\t'
        << int{v.live_throttle} << '\t' << v.live_boost_correction << '\t'
        << int{v.live_offset_correction} << '\n';
}

// The six labels as the data monitor shows them after the poll; a label that has not had
// a value of its own yet still shows "*****".
void print_labels(const pv::MonitorLabels& labels, std::ostream& out) {
    for (int row = 0; row < pv::kMonitorRows; ++row) out << (row ? "\t" : "") << labels.text(row);
    out << '\n';
}

int unit_poll(long count, const std::string& file, bool monitor, Io io) {
    pv::set_comm_state(1);
    bool ok = false;
    if (!pv::read_block(118)) {
        pv::link_error(pv::error_text(34));
    } else if (pv::unit.unit_link_ready == 0) {
        say(io.err, pv::msg_text(11));
    } else if (!pv::read_block(103)) {
        pv::link_error(pv::error_text(4));
    } else {
        ok = load_correction_maps(file, io);
    }
    pv::set_comm_state(0);
    if (!ok) return kFailed;

    pv::open_port();
    pv::MonitorLabels labels;
    long failed = 0;
    for (long k = 0; k < count; ++k) {
        if (k > 0) pv::Delay(pv::state.link_interval_ms);
        const bool polled = pv::poll_live_data();
        if (!polled) ++failed;
        if (monitor) {
            // A failed poll leaves the window's labels as they were, and so the line.
            if (polled) labels.refresh(pv::live, true, pv::data.pressure_unit, pv::rev_is_rpm());
            print_labels(labels, io.out);
        } else if (polled) {
            print_values(pv::live, io.out);
        }
    }
    if (failed > 0) io.err << "failed polls: " << failed << " of " << count << '\n';
    return failed < count ? kOk : kFailed;
}

// Detect Unit from a terminal: the ports of the system (or of a copy of its /sys and /dev
// under DIR), what each answered, and the COM number chosen. Nothing is written to the unit.
int unit_detect(std::vector<std::string> args, Io io) {
    std::string root;
    take_option(args, "--ports-root", root);
    if (!args.empty()) {
        io.err << kUnitUsage;
        return kUsage;
    }
    pv::SystemPorts system(root);
    pv::PortCatalogue* previous = pv::port_catalogue();
    pv::set_port_catalogue(&system);
    pv::port_list().refresh();
    const std::vector<pv::ProbeResult> results = pv::detect_unit(
        [](const std::string& device) { return std::make_unique<pv::SerialPort>(device); });
    pv::set_port_catalogue(previous);
    say(io.out, pv::detect_report(results));
    for (const pv::ProbeResult& r : results)
        if (r.outcome == pv::Probe::found) return kOk;
    return kFailed;
}

}  // namespace

bool load_correction_maps(const std::string& file, Io io) {
    if (!file.empty()) {
        if (!pv::ReadDataFile(file)) {
            say(io.err, pv::msg_text(1));
            return false;
        }
    } else {
        for (int id : pv::kTableIds) {
            if (!pv::read_table(id)) {
                say(io.err, pv::comm_error_text(id, false));
                return false;
            }
        }
    }
    // The unit's map function decides which axes apply and its pressure unit how the
    // pressures read, as after loading the parameters.
    for (int id : {106, 109}) {
        if (!file.empty() && id == 109) continue;
        if (!pv::read_block(id)) {
            say(io.err, pv::comm_error_text(id, false));
            return false;
        }
    }
    return true;
}

int unit_main(const std::vector<std::string>& args_in, Io io) {
    return unit_command(args_in, io, nullptr);
}

int unit_command(const std::vector<std::string>& args_in, Io io, pv::Port* port) {
    std::vector<std::string> args = args_in;
    if (args.empty()) {
        io.err << kUnitUsage;
        return kUsage;
    }
    std::string command = args.front();
    args.erase(args.begin());
    if (is_unit_job(command))
        return port ? unit_job(command, args, io, *port) : unit_job_main(command, args, io);
    if (command == "record") return unit_record_main(args, io);
    if (command == "diff") return unit_diff_main(args, io);
    if (command == "detect") return unit_detect(args, io);

    std::string device, com, count_text, file;
    const bool monitor = take_flag(args, "--monitor");
    take_option(args, "--port", device);
    bool has_com = take_option(args, "--com", com);
    bool has_count = take_option(args, "--count", count_text);
    bool has_file = take_option(args, "--file", file);

    long com_number = pv::settings.com_port;
    long count = 10;
    bool usage_ok =
        args.empty() && (command == "status" || command == "versions" || command == "poll");
    if (has_com && !pv::parse_integer(com, 1, 255, com_number)) usage_ok = false;
    if (has_count && (command != "poll" || !pv::parse_integer(count_text, 1, 1000000, count)))
        usage_ok = false;
    if (has_file && (command != "poll" || file.empty())) usage_ok = false;
    if (monitor && command != "poll") usage_ok = false;
    if (!usage_ok) {
        io.err << kUnitUsage;
        return kUsage;
    }
    pv::settings.com_port = static_cast<uint8_t>(com_number);

    ConsolePort serial(device, io.err);
    pv::Port& line = port ? *port : serial;
    DecliningPrompter console(io.err);
    UnitSession session(line, console);
    if (command == "status") return unit_status(io);
    if (command == "versions") return unit_versions(io);
    return unit_poll(count, file, monitor, io);
}

}  // namespace pvtool
