#include "sim/sim_unit.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/document/unit.h"
#include "core/logging/live.h"
#include "core/logging/log_file.h"
#include "core/ui/clock.h"

namespace pvsim {

using pv::BlockDef;
using pv::ControllerData;

const char* const usage_text =
    "usage: pvsim [OPTION]...\n"
    "Serves a simulated controller unit on a pseudo-terminal. The first line on stdout is the\n"
    "path to open (the --link path when given); the unit answers until pvsim is ended.\n"
    "\n"
    "The unit by default: valve and display firmware 1.15 (a universal unit, which also takes\n"
    "the data of a New document), setup complete, ready, not locked, mode A, engine speed in\n"
    "rpm, pressures in kPa, set up for a car: map function RPM x Throttle, RPM axis 2000 to\n"
    "6000 rpm, throttle axis 10 to 100 %, boost corrections rising with speed and throttle.\n"
    "\n"
    "The unit:\n"
    "  --versions V,D      valve and display firmware x 100 (default 115,115; 120 to 129 is\n"
    "                      the 12x group, which refuses a New document's data)\n"
    "  --factory           the data of a unit fresh from its first setup: map function OFF,\n"
    "                      flat maps (All Reset always returns to this)\n"
    "  --setup S           complete, first or second: how far the initial setup has got\n"
    "                      (default complete)\n"
    "  --not-ready         the unit reports that it is not ready for the link\n"
    "  --locked N          a data lock with number N (0..65535) is set at start\n"
    "  --mode-b            mode B is active\n"
    "  --speed             the horizontal axis is vehicle speed instead of engine speed\n"
    "  --psi               pressures in PSI x 10 instead of kPa\n"
    "The line:\n"
    "  --link PATH         make PATH a symbolic link to the pseudo-terminal, removed when\n"
    "                      pvsim ends (a stale link from a killed pvsim is replaced)\n"
    "  --baud-timing       pace the replies at the time 19200 baud takes (default: at once)\n"
    "  --drop P            probability 0..1 that a request is lost (default 0 for each fault)\n"
    "  --late P            ... that the reply comes after the reader has given up\n"
    "  --corrupt P         ... that one bit of the reply is flipped\n"
    "  --wrong-echo P      ... that the reply is for another address\n"
    "  --short P           ... that the reply breaks off early\n"
    "  --silent-after N    stop answering after N replies (default: never)\n"
    "  --hangup-after N    close the line instead of reply N+1 (default: never)\n"
    "  --seed S            seed of the drive's choices and of the fault draws (default 1):\n"
    "                      the same seed drives the same way again\n"
    "  --log FILE          write every request and reply to FILE as hex lines\n"
    "The drive:\n"
    "  --drive D           idle, street, pulls, track or sweep (default street): what the\n"
    "                      simulated car does, over and over\n"
    "      idle            parked, engine idling, now and then a blip of the throttle\n"
    "      street          pull away from the lights, cruise at part throttle, one\n"
    "                      full-throttle pull through the gears, lift off, brake, stop\n"
    "      pulls           full-throttle pulls from 40 km/h in second to the top of fourth\n"
    "      track           flat out up to fifth, hard braking, corners at part throttle\n"
    "      sweep           no car: engine speed and throttle swept to and fro across the\n"
    "                      map in fixed waves\n"
    "  --replay FILE.PVL   the live values follow a recorded drive, sample by sample at the\n"
    "                      file's interval, looping (instead of --drive)\n"
    "\n"
    "The car is an illustration, not a model of any real car: a light four-cylinder with a\n"
    "turbo, five gears and a driver. Engine speed follows road speed through the gear in use\n"
    "and drops at each change up. The unit aims at the mode's set boost plus the boost\n"
    "correction map at the operating point (the correction the data monitor shows), so a map\n"
    "sent to the unit changes the boost where it changed; the offset map, the mode's offset\n"
    "and the valve (swing or poppet, learning finished or not) set how fast the boost comes\n"
    "and how far it overshoots. The turbo comes up to pressure faster as the engine speed\n"
    "rises, never makes more than it can at that speed, and a closed throttle leaves\n"
    "vacuum. The peak value holds the highest boost for 3 seconds. Without a finished\n"
    "setup the valve does not regulate and the boost stays at the waste gate's spring.\n"
    "Fuel, temperatures, wheel spin and knock are not modelled.\n"
    "\n"
    "  --help              this text\n"
    "  --version           the program's version\n";

namespace {

bool parse_probability(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !(v >= 0.0 && v <= 1.0)) return false;
    out = v;
    return true;
}

}  // namespace

Options program_defaults() {
    Options o;
    o.valve_version = 115;
    o.display_version = 115;
    o.factory = false;
    o.drive = Drive::street;
    return o;
}

bool parse_options(const std::vector<std::string>& args, Options& o, std::string& error) {
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        auto value = [&](std::string& v) {
            if (k + 1 >= args.size()) return false;
            v = args[++k];
            return true;
        };
        std::string v;
        long n = 0;
        auto bad = [&] {
            error = "bad value for " + a;
            return false;
        };
        if (a == "--versions") {
            if (!value(v)) return bad();
            auto comma = v.find(',');
            long valve = 0, display = 0;
            if (comma == std::string::npos ||
                !pv::parse_integer(v.substr(0, comma), 0, 255, valve) ||
                !pv::parse_integer(v.substr(comma + 1), 0, 255, display))
                return bad();
            o.valve_version = static_cast<uint8_t>(valve);
            o.display_version = static_cast<uint8_t>(display);
        } else if (a == "--setup") {
            if (!value(v)) return bad();
            if (v == "complete")
                o.setup = Setup::complete;
            else if (v == "first")
                o.setup = Setup::first;
            else if (v == "second")
                o.setup = Setup::second;
            else
                return bad();
        } else if (a == "--factory") {
            o.factory = true;
        } else if (a == "--not-ready") {
            o.ready = false;
        } else if (a == "--locked") {
            if (!value(v) || !pv::parse_integer(v, 0, 65535, n)) return bad();
            o.locked = static_cast<uint16_t>(n);
        } else if (a == "--mode-b") {
            o.mode_b = true;
        } else if (a == "--speed") {
            o.speed = true;
        } else if (a == "--psi") {
            o.psi = true;
        } else if (a == "--baud-timing") {
            o.baud_timing = true;
        } else if (a == "--drop" || a == "--late" || a == "--corrupt" || a == "--wrong-echo" ||
                   a == "--short") {
            double p = 0;
            if (!value(v) || !parse_probability(v, p)) return bad();
            (a == "--drop"      ? o.drop
             : a == "--late"    ? o.late
             : a == "--corrupt" ? o.corrupt
             : a == "--short"   ? o.short_reply
                                : o.wrong_echo) = p;
        } else if (a == "--silent-after" || a == "--hangup-after") {
            if (!value(v) || !pv::parse_integer(v, 0, 1L << 30, n)) return bad();
            (a == "--silent-after" ? o.silent_after : o.hangup_after) = n;
        } else if (a == "--seed") {
            if (!value(v) || !pv::parse_integer(v, 0, 0xFFFFFFFFL, n)) return bad();
            o.seed = static_cast<uint32_t>(n);
        } else if (a == "--drive") {
            if (!value(v) || !parse_drive(v, o.drive)) return bad();
        } else if (a == "--replay") {
            if (!value(v) || v.empty()) return bad();
            if (!load_replay(v, o, error)) return false;
        } else if (a == "--log") {
            if (!value(v) || v.empty()) return bad();
            o.log_path = v;
        } else if (a == "--link") {
            if (!value(v) || v.empty()) return bad();
            o.link_path = v;
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    return true;
}

bool load_replay(const std::string& path, Options& o, std::string& error) {
    pv::LogReader reader;
    if (reader.open(path) != pv::LogRead::ok) {
        error = "cannot read the log file " + path;
        return false;
    }
    const pv::LogHeader& h = reader.header();
    std::vector<int16_t> words;
    int64_t count = reader.read_samples(0, int64_t{h.last_index} + 1, words);
    if (count <= 0) {
        error = "no samples in " + path;
        return false;
    }
    int boost = h.position_of(pv::ch_pressure), peak = h.position_of(pv::ch_peak_hold);
    int rev = h.position_of(pv::ch_rev), throttle = h.position_of(pv::ch_throttle);
    auto at = [&](int64_t k, int pos) -> int16_t {
        return pos < 0 ? int16_t{0} : words[static_cast<size_t>(k * h.n + pos)];
    };
    o.replay.clear();
    for (int64_t k = 0; k < count; ++k) {
        pv::LiveSample s;
        s.boost = at(k, boost);
        s.peak_boost = peak < 0 ? s.boost : at(k, peak);
        s.rev = static_cast<uint8_t>(at(k, rev));
        s.throttle = static_cast<uint8_t>(at(k, throttle));
        o.replay.push_back(s);
    }
    o.replay_interval_ms = static_cast<uint32_t>(h.interval);
    // The counts only mean what they meant in the car with the same units.
    o.speed = h.rev_flag != 1;
    o.psi = h.pressure_unit >= 1;
    return true;
}

std::string hex_line(const uint8_t* bytes, size_t n) {
    std::string s;
    char buf[4];
    for (size_t k = 0; k < n; ++k) {
        std::snprintf(buf, sizeof buf, k ? " %02X" : "%02X", bytes[k]);
        s += buf;
    }
    return s;
}

ControllerData fresh_data(bool psi) {
    ControllerData d;
    for (int k = 0; k < 5; ++k) {
        d.rpm_axis[k] = static_cast<uint8_t>(15 * (k + 1) - 5);
        d.speed_axis[k] = static_cast<uint8_t>(3 * (k + 1) - 1);
        d.throttle_axis[k] = static_cast<uint8_t>(25 * k);
    }
    for (auto* m : {&d.boost_map_a, &d.boost_map_b})
        for (auto& row : *m) row.fill(0);
    for (auto* m : {&d.offset_map_a, &d.offset_map_b})
        for (auto& row : *m) row.fill(100);
    d.cyls = 4;
    d.spdpulse = 4;
    d.closeth = 0;
    d.openth = 5000;
    d.barselect = 0;
    d.axis_select_no = 0;
    d.pressure_unit = psi ? 1 : 0;
    d.backlight_level = 100;
    d.rev_sampling = 0;
    d.after_on = 0;
    d.ext_bypass = 0;
    d.sampling_time = 3;
    d.offset_a = 100;
    d.offset_b = 100;
    d.sbc_time = 0;
    d.sbc_boost = 0;
    d.barmaxset = 250;
    d.setboost_a = 0;
    d.setboost_b = 0;
    d.warning_boost = 250;
    d.drop_boost = 0;
    d.up_boost_offset = 100;
    d.normal_boost = 0;
    d.first_boost = 0;
    return d;
}

ControllerData tuned_data(bool psi) {
    ControllerData d = fresh_data(psi);
    // Pressures are written in kPa and converted for a PSI unit (PSI x 10).
    auto p = [psi](int kpa) { return psi ? (kpa * 145 + 50) / 100 : kpa; };
    static constexpr uint8_t rpm[5] = {20, 30, 40, 50, 60};        // x 100 rpm
    static constexpr uint8_t speed[5] = {4, 6, 8, 10, 12};         // x 10 km/h
    static constexpr uint8_t throttle[5] = {10, 30, 50, 75, 100};  // %
    for (int k = 0; k < 5; ++k) {
        d.rpm_axis[k] = rpm[k];
        d.speed_axis[k] = speed[k];
        d.throttle_axis[k] = throttle[k];
    }
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            // i: engine speed point, j: throttle point.
            d.boost_map_a[i][j] = static_cast<int16_t>(p(6 * (j - 2) + 4 * (i - 1)));
            d.boost_map_b[i][j] = static_cast<int16_t>(p(3 * (j - 2) + 2 * (i - 1)));
            d.offset_map_a[i][j] = static_cast<uint8_t>(90 + 3 * i + 2 * j);
            d.offset_map_b[i][j] = static_cast<uint8_t>(95 + 2 * i + j);
        }
    }
    d.axis_select_no = 4;
    d.setboost_a = static_cast<uint16_t>(p(100));
    d.setboost_b = static_cast<uint16_t>(p(70));
    d.warning_boost = static_cast<uint16_t>(p(150));
    // The initial-setup items (maximum and initial boost, initial offset) keep the values a
    // New document carries, so that a New document may be sent to this unit.
    d.barmaxset = static_cast<uint16_t>(p(200));
    d.closeth = 450;
    d.openth = 4300;
    return d;
}

SimUnit::SimUnit(Options options, std::function<uint32_t()> now)
    : options_(std::move(options)),
      now_(std::move(now)),
      rng_(options_.seed),
      car_(options_.drive, options_.seed) {
    if (!now_) now_ = [] { return pv::clock().tick_count(); };
    reset_fresh(options_.factory);
    if (options_.locked) {
        locked_ = true;
        lock_number_ = *options_.locked;
        poke(0xF862, static_cast<uint8_t>(lock_number_ >> 8));
        poke(0xF863, static_cast<uint8_t>(lock_number_));
    }
}

void SimUnit::reset_fresh(bool factory) {
    memory_.fill(0);
    in_use_ = factory ? fresh_data(options_.psi) : tuned_data(options_.psi);
    locked_ = false;
    lock_number_ = 0;
    setup_ = options_.setup;
    mode_b_ = options_.mode_b;
    start_ms_ = now_();
    peak_ = INT16_MIN;  // the first sample sets the peak
    peak_ms_ = start_ms_;
    car_ = Car(options_.drive, options_.seed);
    write_fresh_memory();
}

uint8_t SimUnit::peek(uint32_t address) const {
    return address < memory_.size() ? memory_[address] : 0;
}

uint16_t SimUnit::peek16(uint32_t address) const {
    return static_cast<uint16_t>((peek(address) << 8) | peek(address + 1));
}

void SimUnit::poke(uint32_t address, uint8_t value) {
    if (address < memory_.size()) memory_[address] = value;
}

void SimUnit::store_model(const ControllerData& d, int block_id) {
    const BlockDef* b = pv::find_block(block_id);
    if (!b) return;
    pv::UnitState u;
    int col = 1, row = 1;
    int frames = pv::table_frame_count(*b);
    for (int k = 1; k <= frames; ++k) {
        uint8_t bytes[pv::kFrameDataSize];
        size_t n = pv::encode_frame_data(*b, col, row, k == frames, d, u, bytes);
        uint32_t address = pv::frame_address(*b, col, row);
        for (size_t i = 0; i < n; ++i) poke(address + static_cast<uint32_t>(i), bytes[i]);
        pv::advance_frame(*b, col, row);
    }
}

void SimUnit::write_fresh_memory() {
    for (const BlockDef& b : pv::block_table)
        if (b.use == pv::BlockUse::read_write) store_model(in_use_, b.id);
    poke(0xF78E, 0);
    poke(0xF78F, options_.valve_version);
    poke(0xD100, 0);
    poke(0xD101, options_.display_version);
    poke(0xF87C, options_.ready ? 1 : 0);
    refresh_dynamic(0xF78A);
}

ControllerData SimUnit::memory_model() const {
    ControllerData d = in_use_;
    pv::UnitState u;
    for (const BlockDef& b : pv::block_table) {
        if (b.use != pv::BlockUse::read_write) continue;
        int col = 1, row = 1;
        int frames = pv::table_frame_count(b);
        for (int k = 1; k <= frames; ++k) {
            uint8_t bytes[pv::kFrameDataSize] = {};
            uint32_t address = pv::frame_address(b, col, row);
            for (size_t i = 0; i < pv::kFrameDataSize; ++i)
                bytes[i] = peek(address + static_cast<uint32_t>(i));
            pv::decode_frame_data(b, col, row, k == frames, bytes, d, u);
            pv::advance_frame(b, col, row);
        }
    }
    return d;
}

uint16_t SimUnit::status_word() const {
    const ControllerData& d = in_use_;
    int mode = d.axis_select_no;
    bool speed_axis = options_.speed || mode == 3 || mode == 5;
    uint16_t w = 0;
    auto set = [&](int bit, bool on) {
        if (on) w = static_cast<uint16_t>(w | (1u << bit));
    };
    set(pv::status_throttle_axis, mode == 1 || mode == 4 || mode == 5);
    set(pv::status_rev_axis, mode >= 2 && mode <= 5);
    set(pv::status_rev_is_rpm, !speed_axis);
    set(pv::status_pressure_kpa, d.pressure_unit == 0);
    set(pv::status_after_image, d.after_on != 0);
    set(pv::status_bar_peak, d.rev_sampling != 0);
    set(pv::status_lock_set, locked_);
    set(pv::status_mode_b_active, mode_b_);
    set(pv::status_valve_swing, d.ext_bypass == 0);
    set(pv::status_setup_second_run, setup_ == Setup::second);
    set(pv::status_setup_complete, setup_ == Setup::complete);
    set(pv::status_control_on, setup_ == Setup::complete);
    return w;
}

namespace {
// 0 -> 1 -> 0 over one period.
double triangle(uint32_t t, uint32_t period) {
    double x = static_cast<double>(t % period) / period;
    return x < 0.5 ? 2 * x : 2 - 2 * x;
}
}  // namespace

UnitSide SimUnit::unit_side() const {
    UnitSide u{in_use_};
    u.mode_b = mode_b_;
    u.speed_units = (status_word() & (1u << pv::status_rev_is_rpm)) == 0;
    u.control_on = setup_ == Setup::complete;
    u.learning = setup_ == Setup::second;
    return u;
}

void SimUnit::run_car() {
    if (options_.drive != Drive::sweep && options_.replay.empty())
        car_.run_to(now_() - start_ms_, unit_side());
}

pv::LiveSample SimUnit::drive() {
    if (fixed_live) return *fixed_live;
    pv::LiveSample s;
    if (!options_.replay.empty()) {
        uint32_t step = (now_() - start_ms_) / std::max<uint32_t>(options_.replay_interval_ms, 1);
        s = options_.replay[step % options_.replay.size()];
        drive_throttle_ = s.throttle;
        return s;
    }
    if (options_.drive == Drive::sweep) {
        s = sweep();
    } else {
        run_car();
        s = car_.sample(unit_side());
    }
    drive_throttle_ = s.throttle;
    // The peak holds the highest boost for three seconds, then takes the boost of the moment.
    if (s.boost > peak_ || now_() - peak_ms_ > 3000) {
        peak_ = s.boost;
        peak_ms_ = now_();
    }
    s.peak_boost = peak_;
    return s;
}

pv::LiveSample SimUnit::sweep() {
    const ControllerData& d = in_use_;
    uint32_t t = now_() - start_ms_;
    bool speed_units = (status_word() & (1u << pv::status_rev_is_rpm)) == 0;

    // Sweep a little beyond both ends of the axis in use, in the units of the rev byte.
    const pv::Axis& axis = speed_units ? d.speed_axis : d.rpm_axis;
    int scale = speed_units ? 5 : 1;  // 10 km/h axis points in 2 km/h counts
    int lo = *std::min_element(axis.begin(), axis.end()) * scale;
    int hi = *std::max_element(axis.begin(), axis.end()) * scale;
    lo = std::max(0, lo - 5 * scale);
    hi = std::min(255, hi + 5 * scale);
    double rev_x = triangle(t, 8000);
    double throttle_x = triangle(t, 2900);

    pv::LiveValues v;
    v.live_rev = static_cast<uint8_t>(std::lround(lo + (hi - lo) * rev_x));
    v.live_throttle = static_cast<uint8_t>(std::lround(100 * throttle_x));
    pv::compute_corrections(v, d, mode_b_);

    // Boost builds with throttle and engine speed towards the set boost plus the correction.
    int set_boost = mode_b_ ? d.setboost_b : d.setboost_a;
    double target = (set_boost + v.live_boost_correction) * 10.0 * v.live_offset_correction / 100;
    double vacuum = d.pressure_unit ? -870 : -600;
    double spool = throttle_x * (speed_units ? 1.0 : std::min(1.0, v.live_rev / 40.0));
    double boost = std::clamp(vacuum + (target - vacuum) * spool, -32768.0, 32767.0);

    pv::LiveSample s;
    s.boost = static_cast<int16_t>(std::lround(boost));
    s.rev = v.live_rev;
    s.throttle = v.live_throttle;
    return s;
}

void SimUnit::refresh_dynamic(uint32_t address) {
    uint16_t w = status_word();
    poke(0xF78A, static_cast<uint8_t>(w >> 8));
    poke(0xF78B, static_cast<uint8_t>(w));
    // Only a read that covers the live block moves the drive on.
    if (address + pv::kFrameDataSize <= pv::live_data_address || address > 0xF787) return;
    pv::LiveSample s = drive();
    poke(0xF780, static_cast<uint8_t>(static_cast<uint16_t>(s.boost) >> 8));
    poke(0xF781, static_cast<uint8_t>(s.boost));
    poke(0xF784, s.rev);
    poke(0xF785, s.throttle);
    poke(0xF786, static_cast<uint8_t>(static_cast<uint16_t>(s.peak_boost) >> 8));
    poke(0xF787, static_cast<uint8_t>(s.peak_boost));
}

void SimUnit::take_into_use(bool initial_items) {
    ControllerData written = memory_model();
    if (!initial_items) {
        // Without the initial-setup command the unit keeps its own setup items.
        written.pressure_unit = in_use_.pressure_unit;
        written.ext_bypass = in_use_.ext_bypass;
        written.normal_boost = in_use_.normal_boost;
        written.up_boost_offset = in_use_.up_boost_offset;
        written.first_boost = in_use_.first_boost;
        for (int id : {109, 114, 119, 120}) store_model(in_use_, id);
    }
    in_use_ = written;
}

void SimUnit::run_command(uint8_t command) {
    last_command = command;
    switch (command) {
        case pv::cmd_apply:
            run_car();  // the drive so far ran on the data it had
            take_into_use(false);
            break;
        case pv::cmd_apply_initial:
            run_car();
            take_into_use(true);
            break;
        case pv::cmd_lock: {
            uint16_t number = peek16(0xF862);
            if (!locked_) {
                locked_ = true;
                lock_number_ = number;
            } else if (number == lock_number_) {
                locked_ = false;
            }
            break;
        }
        case pv::cmd_reset:
            if (peek(0xF86E) == pv::all_reset_request) reset_fresh();
            break;
        case pv::cmd_throttle_sample: {
            uint16_t mv = throttle_voltage ? *throttle_voltage
                                           : static_cast<uint16_t>(500 + 40 * drive_throttle_);
            poke(0xF86C, static_cast<uint8_t>(mv >> 8));
            poke(0xF86D, static_cast<uint8_t>(mv));
            break;
        }
        default:
            break;
    }
    poke(0xF878, pv::cmd_none);
    poke(0xF86E, 0);
}

Fault SimUnit::choose_fault() {
    if (options_.silent_after >= 0 && replies >= options_.silent_after) return Fault::silent;
    if (!scripted.empty()) {
        Fault f = scripted.front();
        scripted.pop_front();
        return f;
    }
    std::uniform_real_distribution<double> u(0.0, 1.0);
    // Always draw all five so that one seed gives one sequence whatever the probabilities.
    double d = u(rng_), l = u(rng_), c = u(rng_), w = u(rng_), s = u(rng_);
    if (d < options_.drop) return Fault::drop;
    if (l < options_.late) return Fault::late;
    if (c < options_.corrupt) return Fault::corrupt;
    if (w < options_.wrong_echo) return Fault::wrong_echo;
    if (s < options_.short_reply) return Fault::short_reply;
    return Fault::none;
}

void SimUnit::log_line(char tag, const uint8_t* bytes, size_t n, const char* note) {
    if (!log) return;
    *log << tag;
    if (n > 0) *log << ' ' << hex_line(bytes, n);
    if (note) *log << (n > 0 ? "  (" : " (") << note << ')';
    *log << '\n';
    log->flush();
}

Outcome SimUnit::handle(const uint8_t* frame, size_t size) {
    Outcome out;
    if (!pv::request_valid(frame, size)) {
        log_line('?', frame, size, "not a frame");
        out.fault = Fault::drop;
        return out;
    }
    ++requests;
    log_line('>', frame, size);
    out.fault = choose_fault();
    if (out.fault == Fault::drop || out.fault == Fault::silent) {
        log_line('<', nullptr, 0, out.fault == Fault::drop ? "dropped" : "silent");
        return out;
    }

    pv::LinkFrame request;
    std::copy(frame, frame + pv::kFrameSize, request.bytes.begin());
    uint32_t address = request.address();
    if (request.command() == pv::write_request) {
        bool command_written = false;
        for (uint32_t k = 0; k < request.length(); ++k) {
            poke(address + k, request.data()[k]);
            command_written |= address + k == 0xF878;
        }
        if (command_written) run_command(peek(0xF878));
    }

    // A wrong echo answers as if another address had been asked for.
    if (out.fault == Fault::wrong_echo) request.set_address(address ^ 0x10);
    pv::LinkFrame reply = request;
    if (reply.command() == pv::read_request) {
        uint32_t from = reply.address();
        refresh_dynamic(from);
        for (uint32_t k = 0; k < pv::kFrameDataSize; ++k) reply.data()[k] = peek(from + k);
    }
    reply.seal();
    out.reply.assign(reply.bytes.begin(), reply.bytes.end());

    const char* note = nullptr;
    if (out.fault == Fault::corrupt) {
        std::uniform_int_distribution<size_t> at(0, pv::kFrameSize - 1);
        std::uniform_int_distribution<int> bit(0, 7);
        out.reply[at(rng_)] ^= static_cast<uint8_t>(1u << bit(rng_));
        note = "corrupt";
    } else if (out.fault == Fault::short_reply) {
        std::uniform_int_distribution<size_t> keep(0, pv::kFrameSize - 1);
        out.reply.resize(keep(rng_));
        note = "short";
    } else if (out.fault == Fault::late) {
        note = "late";
    } else if (out.fault == Fault::wrong_echo) {
        note = "wrong echo";
    }
    ++replies;
    log_line('<', out.reply.data(), out.reply.size(), note);
    return out;
}

void Framer::feed(const uint8_t* bytes, size_t n,
                  const std::function<void(const uint8_t*)>& on_frame) {
    buffer_.insert(buffer_.end(), bytes, bytes + n);
    size_t at = 0;
    while (buffer_.size() - at >= pv::kFrameSize) {
        if (pv::request_valid(buffer_.data() + at, pv::kFrameSize)) {
            on_frame(buffer_.data() + at);
            at += pv::kFrameSize;
        } else {
            ++at;
            ++discarded;
        }
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(at));
}

}  // namespace pvsim
