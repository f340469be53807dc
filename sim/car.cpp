#include "sim/car.h"

#include <algorithm>
#include <cmath>

#include "core/logging/live.h"

namespace pvsim {

namespace {

// A light four-cylinder car with a mid-sized turbo; round numbers, nothing measured.
constexpr double kMass = 1350;   // kg
constexpr double kWheel = 0.31;  // m, rolling radius
constexpr double kFinal = 4.1;   // final drive
constexpr double kRatio[6] = {0, 3.4, 2.1, 1.45, 1.1, 0.87};
constexpr double kIdle = 850;     // rpm
constexpr double kCutRpm = 7200;  // the fuel cut of the rev limiter
constexpr double kSpring = 35;    // kPa the waste gate's spring holds by itself
constexpr double kPsiKpa = 6.894757;
constexpr double kPi = 3.14159265358979323846;

double smoothstep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

// Engine torque in N m for an engine speed, a manifold pressure (kPa gauge) and a throttle.
double engine_torque(double rpm, double manifold, double pedal) {
    double base = 225 - 75 * std::pow((rpm - 4200) / 3500, 2);
    double friction = 20 + 0.010 * rpm + 0.6 * std::max(0.0, -manifold);
    if (rpm >= kCutRpm) return -friction;
    double fill = std::max(0.0, (101.3 + manifold) / 101.3);
    // With the pedal released the injectors cut: only the engine braking is left.
    if (pedal < 1 && rpm > 1200) return -friction;
    return std::max(0.0, base) * fill - friction;
}

}  // namespace

bool parse_drive(const std::string& name, Drive& out) {
    static constexpr struct {
        const char* name;
        Drive drive;
    } names[] = {{"sweep", Drive::sweep},
                 {"idle", Drive::idle},
                 {"street", Drive::street},
                 {"pulls", Drive::pulls},
                 {"track", Drive::track}};
    for (const auto& n : names) {
        if (name == n.name) {
            out = n.drive;
            return true;
        }
    }
    return false;
}

Car::Car(Drive drive, uint32_t seed) : drive_(drive), choices_(seed), noise_(seed ^ 0x9E3779B9u) {
    plan_cycle();
    now_ = plan_[0];
}

double Car::draw(double lo, double hi) {
    return lo + (hi - lo) * (static_cast<double>(choices_()) / 4294967296.0);
}

double Car::turbo_ceiling_kpa(double rpm) {
    double c = 195 * smoothstep((rpm - 1400) / (4300 - 1400));
    if (rpm > 6200) c -= 0.035 * (rpm - 6200);
    return std::max(0.0, c);
}

double Car::spool_lag_s(double rpm) {
    return 0.25 + 1.5 * std::pow(std::clamp((5500 - rpm) / 3500, 0.0, 1.0), 1.5);
}

double Car::target_kpa(const UnitSide& unit, uint8_t rev, uint8_t throttle,
                       double* offset_percent) {
    const pv::ControllerData& d = unit.data;
    // The correction is the monitor's own: the same interpolation over the same data.
    pv::LiveValues v;
    v.live_rev = rev;
    v.live_throttle = throttle;
    pv::compute_corrections(v, d, unit.mode_b);
    double value = (unit.mode_b ? d.setboost_b : d.setboost_a) + v.live_boost_correction;
    if (offset_percent) {
        double map = d.axis_select_no == 0 ? 100.0 : v.live_offset_correction;
        double mode = unit.mode_b ? d.offset_b : d.offset_a;
        *offset_percent = std::clamp(map * mode / 100, 20.0, 200.0);
    }
    return d.pressure_unit ? value / 10 * kPsiKpa : value;
}

double Car::rpm_in(int gear) const {
    return v_ * 60 * kRatio[gear] * kFinal / (2 * kPi * kWheel);
}

int Car::cruise_gear(double kmh) const {
    // The highest gear that keeps the engine above 1800 rpm.
    for (int g = 5; g > 1; --g)
        if (kmh / 3.6 * 60 * kRatio[g] * kFinal / (2 * kPi * kWheel) >= 1800) return g;
    return 1;
}

uint8_t Car::rev_byte(bool speed_units) const {
    double count = speed_units ? kmh() / 2 : rpm_ / 100;
    return static_cast<uint8_t>(std::clamp(std::lround(count), 0L, 255L));
}

void Car::plan_cycle() {
    plan_size_ = 0;
    plan_at_ = 0;
    // The fields are drawn in the order they are written: a seed gives one drive.
    auto add = [this](Manoeuvre m) { plan_[plan_size_++] = m; };
    const bool rolling = kmh() >= 30;
    switch (drive_) {
        case Drive::sweep:
        case Drive::idle:
            add({.act = Act::wait, .seconds = draw(4, 9)});
            add({.act = Act::blip, .pedal = draw(20, 45), .seconds = draw(0.6, 1.4)});
            add({.act = Act::wait, .seconds = draw(3, 6)});
            break;
        case Drive::street: {
            add({.act = Act::wait, .seconds = draw(4, 8)});
            const double town = draw(45, 60);
            add({.act = Act::pull_away,
                 .kmh = town,
                 .pedal = draw(25, 40),
                 .shift_rpm = draw(2600, 3200)});
            add({.act = Act::cruise, .kmh = town, .seconds = draw(8, 15)});
            add({.act = Act::pull,
                 .top_gear = draw(0, 1) < 0.5 ? 3 : 4,
                 .shift_rpm = draw(6200, 6800)});
            add({.act = Act::coast, .seconds = draw(2, 4)});
            const double slower = draw(50, 70);
            add({.act = Act::brake, .kmh = slower, .decel = draw(2.5, 4)});
            add({.act = Act::cruise, .kmh = slower, .seconds = draw(6, 12)});
            add({.act = Act::coast, .seconds = 3});
            add({.act = Act::brake, .kmh = 0, .decel = draw(2, 3.5)});
            break;
        }
        case Drive::pulls:
            if (!rolling) add({.act = Act::pull_away, .kmh = 40, .pedal = 35, .shift_rpm = 2800});
            add({.act = Act::cruise, .kmh = draw(38, 45), .seconds = draw(3, 5)});
            add({.act = Act::pull, .top_gear = 4, .shift_rpm = draw(6300, 6800)});
            add({.act = Act::coast, .seconds = draw(1.5, 2.5)});
            add({.act = Act::brake, .kmh = draw(38, 45), .decel = draw(4, 6)});
            break;
        case Drive::track: {
            if (!rolling) add({.act = Act::pull_away, .kmh = 70, .pedal = 70, .shift_rpm = 6000});
            add({.act = Act::pull,
                 .kmh = draw(170, 210),
                 .top_gear = 5,
                 .shift_rpm = draw(6500, 6900)});
            const double corner = draw(70, 110);
            add({.act = Act::brake, .kmh = corner, .decel = draw(7, 9)});
            add({.act = Act::cruise, .kmh = corner, .seconds = draw(2.5, 5)});
            break;
        }
    }
}

void Car::next_manoeuvre() {
    if (++plan_at_ >= plan_size_) plan_cycle();
    now_ = plan_[plan_at_];
    act_time_ = 0;
    cruise_i_ = 0;
}

void Car::start_shift(int to_gear) {
    shift_to_ = to_gear;
    shift_left_ = to_gear == 0 ? 0.2 : 0.35;
}

void Car::drive_step(double dt) {
    const bool shifting = shift_to_ >= 0;
    const double kmh_now = kmh();
    bool done = false;
    brake_ = 0;
    switch (now_.act) {
        case Act::wait:
        case Act::blip:
            if (gear_ != 0 && !shifting) start_shift(0);
            want_pedal_ = now_.act == Act::blip ? now_.pedal : 0;
            brake_ = v_ > 0 ? 3 : 0;
            done = act_time_ >= now_.seconds;
            break;
        case Act::pull_away:
            if (gear_ == 0 && !shifting) {
                gear_ = 1;
                slipping_ = true;
            }
            want_pedal_ = now_.pedal;
            if (!shifting && !slipping_ && gear_ < 5 && rpm_ >= now_.shift_rpm)
                start_shift(gear_ + 1);
            done = kmh_now >= now_.kmh;
            break;
        case Act::cruise: {
            if (!shifting) {
                if (gear_ == 0) {
                    gear_ = 1;
                    slipping_ = true;
                } else if (rpm_ > 3000 && gear_ < 5) {
                    start_shift(gear_ + 1);
                } else if (rpm_ < 1500 && gear_ > 1) {
                    start_shift(std::min(gear_ - 1, cruise_gear(kmh_now)));
                }
            }
            double err = now_.kmh - kmh_now;
            cruise_i_ = std::clamp(cruise_i_ + err * dt * 0.8, -10.0, 30.0);
            want_pedal_ = std::clamp(8 + 3 * err + cruise_i_, 0.0, 60.0);
            done = act_time_ >= now_.seconds;
            break;
        }
        case Act::pull:
            if (act_time_ == 0) {
                // Kick down to the lowest gear that leaves room to rev.
                int g = now_.top_gear;
                for (int k = 2; k <= now_.top_gear; ++k) {
                    if (rpm_in(k) <= 5200) {
                        g = k;
                        break;
                    }
                }
                if (g != gear_) start_shift(g);
            }
            want_pedal_ = 100;
            if (!shifting && gear_ > 0 && gear_ < now_.top_gear && rpm_ >= now_.shift_rpm)
                start_shift(gear_ + 1);
            done = !shifting && act_time_ > 0 &&
                   ((gear_ == now_.top_gear && rpm_ >= now_.shift_rpm) ||
                    (now_.kmh > 0 && kmh_now >= now_.kmh));
            break;
        case Act::coast:
        case Act::brake: {
            want_pedal_ = 0;
            if (now_.act == Act::brake) brake_ = now_.decel;
            // Down through the gears on the way, as the engine speed falls.
            const double low = drive_ == Drive::track ? 2500 : 1500;
            if (!shifting && gear_ > 0) {
                if (kmh_now < 15)
                    start_shift(0);
                else if (rpm_ < low && gear_ > 2)
                    start_shift(gear_ - 1);
            }
            if (now_.act == Act::coast)
                done = act_time_ >= now_.seconds;
            else
                done = now_.kmh > 0 ? kmh_now <= now_.kmh : v_ <= 0;
            break;
        }
    }
    if (shift_to_ >= 0) want_pedal_ = 0;  // the foot comes off for the change
    act_time_ += dt;
    if (done) next_manoeuvre();
}

void Car::engine_step(double dt) {
    // The pedal moves fast but not at once.
    double rate = (want_pedal_ > pedal_ ? 500 : 1500) * dt;
    pedal_ += std::clamp(want_pedal_ - pedal_, -rate, rate);

    const double u = static_cast<double>(noise_()) / 2147483648.0 - 1;
    idle_wobble_ = std::clamp(0.97 * idle_wobble_ + 4 * u, -30.0, 30.0);

    double force = 0;
    if (shift_to_ >= 0) {
        shift_left_ -= dt;
        double to = shift_to_ > 0 ? rpm_in(shift_to_) : kIdle;
        rpm_ += (to - rpm_) * (1 - std::exp(-dt / 0.08));
        if (shift_left_ <= 0) {
            gear_ = shift_to_;
            shift_to_ = -1;
            slipping_ = gear_ > 0 && rpm_in(gear_) < 1000;
        }
    } else if (gear_ == 0) {
        double to = kIdle + idle_wobble_ + pedal_ * 58;
        rpm_ += (to - rpm_) * (1 - std::exp(-dt / (to > rpm_ ? 0.25 : 0.4)));
    } else {
        double wheel = rpm_in(gear_);
        if (slipping_) {
            double hold = 1000 + pedal_ * 14;
            rpm_ += (std::max(wheel, hold) - rpm_) * (1 - std::exp(-dt / 0.15));
            if (wheel >= hold - 1) slipping_ = false;
        } else {
            rpm_ = wheel;
        }
        double torque = engine_torque(rpm_, boost_, pedal_);
        force = torque * kRatio[gear_] * kFinal * 0.9 / kWheel;
    }
    double resist = 0.5 * 1.2 * 0.62 * v_ * v_ + (v_ > 0 ? kMass * 9.81 * 0.013 : 0);
    double mass = kMass * (1 + 0.04 * kRatio[gear_] * kRatio[gear_]);
    v_ += (force - resist) / mass * dt - brake_ * dt;
    v_ = std::max(0.0, v_);
}

void Car::turbo_step(const UnitSide& unit, double dt) {
    const uint8_t rev = rev_byte(unit.speed_units);
    const uint8_t throttle = static_cast<uint8_t>(std::clamp(std::lround(pedal_), 0L, 100L));
    double offset = 100;
    double target = kSpring;
    if (unit.control_on) target = std::max(kSpring, target_kpa(unit, rev, throttle, &offset));

    // The valve's condition: a poppet waste gate acts faster and overshoots more than a
    // swing actuator, and a control still learning overshoots twice as far.
    const bool poppet = unit.data.ext_bypass == 1;
    const double gain = offset / 100 * (poppet ? 1.3 : 1.0);
    const double lag = spool_lag_s(rpm_) / gain;

    const double closed = -60 - 12 * std::clamp((rpm_ - kIdle) / 5000, 0.0, 1.0);
    const double manifold = closed * std::pow(1 - std::min(1.0, pedal_ / 75), 1.6);
    const double load = std::pow(std::clamp((pedal_ - 35) / 65, 0.0, 1.0), 1.3);
    const double ceiling = turbo_ceiling_kpa(rpm_);
    const double wanted = std::min(ceiling * load, target);

    if (wanted <= 20 || boost_ < 0.4 * wanted) armed_ = true;
    if (armed_ && wanted > 20 && boost_ >= 0.8 * wanted) {
        double over = 0.09 * (offset / 100) * (offset / 100) * (poppet ? 1.6 : 1.0) *
                      (unit.learning ? 2.0 : 1.0) * std::clamp(0.5 / lag, 0.5, 1.5);
        bump_ = over * wanted;
        armed_ = false;
    }
    bump_ *= std::exp(-dt / 0.6);

    const double goal = std::min(manifold + wanted + bump_, manifold + ceiling * load);
    // A closed throttle empties the manifold at once; a part-open one lets it down slower.
    const double tau = goal > boost_ ? lag : pedal_ < 30 ? 0.05 : 0.15;
    boost_ += (goal - boost_) * (1 - std::exp(-dt / tau));
    boost_ = std::min(boost_, ceiling);
}

void Car::run_to(uint32_t ms, const UnitSide& unit) {
    const double dt = kStepMs / 1000.0;
    // A car nobody has looked at for long takes up its drive a minute before now, so that
    // the first poll after an idle hour is not held up by an hour of driving.
    constexpr uint32_t kCatchUpMs = 60000;
    if (ms - t_ms_ > kCatchUpMs && ms - t_ms_ < 0x80000000u) t_ms_ = ms - kCatchUpMs;
    while (ms - t_ms_ >= kStepMs && ms - t_ms_ < 0x80000000u) {
        drive_step(dt);
        engine_step(dt);
        turbo_step(unit, dt);
        t_ms_ += kStepMs;
    }
}

pv::LiveSample Car::sample(const UnitSide& unit) const {
    pv::LiveSample s;
    const double kpa = boost_;
    const double counts = unit.data.pressure_unit ? kpa / kPsiKpa * 100 : kpa * 10;
    s.boost = static_cast<int16_t>(std::clamp(std::lround(counts), -32768L, 32767L));
    s.peak_boost = s.boost;
    s.rev = rev_byte(unit.speed_units);
    s.throttle = static_cast<uint8_t>(std::clamp(std::lround(pedal_), 0L, 100L));
    return s;
}

}  // namespace pvsim
