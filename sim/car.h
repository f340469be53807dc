// The simulated car behind the unit: a driver who follows a drive cycle, an engine and a
// gearbox that tie engine speed to road speed, and a turbo whose boost the unit regulates
// towards the target it computes from its own data. An illustration of how a tune shows in
// the live values, not a model of any real car.
#pragma once
#include <cstdint>
#include <random>
#include <string>

#include "core/document/unit.h"
#include "core/link/frames.h"

namespace pvsim {

// What the live values do: the regular sweep over the map that the tests pin (sweep), or a
// car driven by one of the drive cycles.
enum class Drive { sweep, idle, street, pulls, track };
bool parse_drive(const std::string& name, Drive& out);

// What the car learns from the unit at each step.
struct UnitSide {
    const pv::ControllerData& data;  // the data in force
    bool mode_b = false;
    bool speed_units = false;  // the rev byte counts 2 km/h, not 100 rpm
    bool control_on = true;    // the learning has finished: the valve regulates
    bool learning = false;     // the learning's second pass: the control is not yet settled
};

class Car {
  public:
    static constexpr uint32_t kStepMs = 10;

    Car(Drive drive, uint32_t seed);

    // Runs the drive on to `ms` after its start in fixed steps, so that the state at a time
    // depends only on the seed and the unit's data, not on how often it is looked at.
    void run_to(uint32_t ms, const UnitSide& unit);

    // The measured values as the unit reports them (the peak is the unit's business).
    pv::LiveSample sample(const UnitSide& unit) const;

    double rpm() const { return rpm_; }
    double kmh() const { return v_ * 3.6; }
    int gear() const { return gear_; }
    double throttle() const { return pedal_; }
    double boost_kpa() const { return boost_; }

  private:
    // The boost the unit aims at for an operating point, in kPa: the mode's set boost plus
    // the boost correction map there, as the data monitor computes the correction.
    static double target_kpa(const UnitSide& unit, uint8_t rev, uint8_t throttle,
                             double* offset_percent = nullptr);
    // The most the turbo can make at an engine speed with the throttle wide open, in kPa.
    static double turbo_ceiling_kpa(double rpm);
    // The time the turbo takes to come up to pressure at an engine speed, in seconds.
    static double spool_lag_s(double rpm);

    enum class Act { wait, blip, pull_away, cruise, pull, coast, brake };
    struct Manoeuvre {
        Act act = Act::wait;
        double kmh = 0;        // speed to reach or hold
        double pedal = 0;      // throttle opening, %
        double seconds = 0;    // how long (wait, blip, cruise, coast)
        int top_gear = 5;      // the last gear of a pull
        double shift_rpm = 0;  // where the driver changes up
        double decel = 0;      // m/s^2 under the brakes
    };

    void next_manoeuvre();
    void plan_cycle();
    void drive_step(double dt);
    void engine_step(double dt);
    void turbo_step(const UnitSide& unit, double dt);
    void start_shift(int to_gear);
    double rpm_in(int gear) const;
    int cruise_gear(double kmh) const;
    uint8_t rev_byte(bool speed_units) const;
    double draw(double lo, double hi);

    Drive drive_;
    std::mt19937 choices_;  // the driver's decisions, one draw per decision
    std::mt19937 noise_;    // the small unsteadiness of every step
    uint32_t t_ms_ = 0;

    Manoeuvre plan_[12];
    int plan_size_ = 0;
    int plan_at_ = 0;
    Manoeuvre now_;
    double act_time_ = 0;  // seconds into the manoeuvre
    double cruise_i_ = 0;  // the driver's memory of a speed error

    double v_ = 0;       // m/s
    int gear_ = 0;       // 0 neutral
    int shift_to_ = -1;  // the gear being engaged, -1 while none
    double shift_left_ = 0;
    bool slipping_ = false;  // the clutch takes up the drive from rest
    double rpm_ = 850;
    double pedal_ = 0;       // the throttle as the sensor reads it, %
    double want_pedal_ = 0;  // where the driver's foot is going
    double brake_ = 0;       // m/s^2
    double idle_wobble_ = 0;

    double boost_ = -60;  // manifold pressure, kPa above the atmosphere
    double bump_ = 0;     // the overshoot still to come, kPa
    bool armed_ = true;   // the next rise to the target may overshoot
};

}  // namespace pvsim
