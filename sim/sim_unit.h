// The simulated controller unit: a 64 KiB memory holding every block at its address, the
// effects of each unit command, a data lock, a drive that moves the live values, and fault
// injection on the replies. Used in-process by tests (SimPort) and over a pseudo-terminal by
// the pvsim program (PtyServer).
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "core/document/unit.h"
#include "core/link/frames.h"
#include "sim/car.h"

namespace pvsim {

enum class Setup { first, second, complete };

// What happens to the reply of one valid request.
enum class Fault {
    none,
    drop,         // the request never reached the unit: nothing is done, nothing comes back
    late,         // the reply comes after the reader has given up
    corrupt,      // one bit of the reply is flipped
    wrong_echo,   // a good frame, but for another address
    short_reply,  // the reply breaks off before its 24th byte
    silent,       // the unit has stopped answering (silent_after)
};

// These defaults make the bare unit the tests pin their exchanges against; the pvsim program
// starts from program_defaults() instead.
struct Options {
    uint8_t valve_version = 120;
    uint8_t display_version = 120;
    // The unit as it leaves its first setup (map function OFF, flat maps) instead of one set
    // up for a car (RPM x Throttle maps with plausible axes and corrections).
    bool factory = true;
    Setup setup = Setup::complete;
    bool ready = true;               // block 118
    std::optional<uint16_t> locked;  // lock number held at start
    bool mode_b = false;
    bool speed = false;  // rev in 2 km/h units instead of 100 rpm
    bool psi = false;
    bool baud_timing = false;  // pace replies at 19200-baud wire time
    double drop = 0, late = 0, corrupt = 0, wrong_echo = 0, short_reply = 0;
    long silent_after = -1;  // stop answering after this many replies
    long hangup_after = -1;  // pty only: close the line instead of this reply
    // The live values: the regular sweep over the map these tests pin, or a simulated car
    // (pvsim drives the street cycle unless told otherwise).
    Drive drive = Drive::sweep;
    uint32_t seed = 1;  // the drive's choices and the fault draws
    std::string log_path;
    // A recorded drive (--replay): the live values follow its samples at its interval, looping.
    std::vector<pv::LiveSample> replay;
    uint32_t replay_interval_ms = 100;
    std::string link_path;  // pvsim only: a symbolic link to the pseudo-terminal
};

// Reads the drive of a log file into `o.replay`, and the file's rev and pressure units into
// the unit's options. False with a one-line reason when the file cannot be used.
bool load_replay(const std::string& path, Options& o, std::string& error);

// The unit pvsim serves without options: set up for a car, and a universal unit (firmware
// 1.15) that also takes the data of a New document (versions 0).
Options program_defaults();

// Reads pvsim's command line over the options given. False with a one-line reason on a bad option
// or value.
bool parse_options(const std::vector<std::string>& args, Options& options, std::string& error);
extern const char* const usage_text;

struct Outcome {
    std::vector<uint8_t> reply;  // the bytes that go back on the line (maybe damaged)
    Fault fault = Fault::none;
};

// Time on one 19200-baud line for `bytes` bytes of 10 bits, in microseconds.
constexpr uint32_t wire_time_us(size_t bytes) {
    return static_cast<uint32_t>(bytes * 10 * 1000000 / 19200);
}

class SimUnit {
  public:
    // `now` gives milliseconds for the simulated drive; by default the core's Clock seam.
    explicit SimUnit(Options options = {}, std::function<uint32_t()> now = {});

    // One complete 24-byte request off the line. Invalid frames get no reply.
    Outcome handle(const uint8_t* frame, size_t size);

    // Back to the data of `factory` (All Reset gives the factory data), without a lock.
    void reset_fresh(bool factory = true);

    uint8_t peek(uint32_t address) const;
    uint16_t peek16(uint32_t address) const;
    void poke(uint32_t address, uint8_t value);

    const Options& options() const { return options_; }
    bool locked() const { return locked_; }
    uint16_t lock_number() const { return lock_number_; }
    Setup setup() const { return setup_; }
    bool mode_b() const { return mode_b_; }
    uint16_t status_word() const;
    // The parameters and maps in force (taken into use by the apply commands).
    const pv::ControllerData& in_use() const { return in_use_; }
    // The simulated car behind the live values (not moving with --drive sweep or --replay).
    const Car& car() const { return car_; }

    // Deterministic faults for tests: consumed one per valid request before any random draw.
    std::deque<Fault> scripted;
    // Pins the measured live values instead of the simulated drive.
    std::optional<pv::LiveSample> fixed_live;
    // The throttle sensor voltage that cmd_throttle_sample reports; else derived from the
    // drive's throttle.
    std::optional<uint16_t> throttle_voltage;
    // Every request and reply as a hex line.
    std::ostream* log = nullptr;

    long requests = 0;  // valid requests received
    long replies = 0;   // replies sent, damaged ones included
    uint8_t last_command = 0;

  private:
    void write_fresh_memory();
    void refresh_dynamic(uint32_t address);
    void run_command(uint8_t command);
    void take_into_use(bool initial_items);
    pv::ControllerData memory_model() const;
    void store_model(const pv::ControllerData& d, int block_id);
    pv::LiveSample drive();
    pv::LiveSample sweep();
    UnitSide unit_side() const;
    void run_car();
    Fault choose_fault();
    void log_line(char tag, const uint8_t* bytes, size_t n, const char* note = nullptr);

    Options options_;
    std::function<uint32_t()> now_;
    std::mt19937 rng_;
    std::array<uint8_t, 0x10000> memory_{};
    pv::ControllerData in_use_;
    bool locked_ = false;
    uint16_t lock_number_ = 0;
    Setup setup_ = Setup::complete;
    bool mode_b_ = false;
    uint32_t start_ms_ = 0;
    int16_t peak_ = 0;
    uint32_t peak_ms_ = 0;
    uint8_t drive_throttle_ = 0;
    Car car_;
};

// Cuts a byte stream into request frames: a window that does not hold a valid frame loses
// its first byte, so the unit finds the next frame after line noise.
class Framer {
  public:
    // Feeds bytes; calls `on_frame` for each valid frame, in order.
    void feed(const uint8_t* bytes, size_t n, const std::function<void(const uint8_t*)>& on_frame);
    void clear() { buffer_.clear(); }
    bool empty() const { return buffer_.empty(); }
    size_t discarded = 0;

  private:
    std::vector<uint8_t> buffer_;
};

// The New defaults of a unit fresh from setup.
pv::ControllerData fresh_data(bool psi);
// A unit set up for a four-cylinder car: map function RPM x Throttle, boost corrections that
// rise with engine speed and throttle, offsets around 100 %; the initial-setup items as New
// leaves them.
pv::ControllerData tuned_data(bool psi);

std::string hex_line(const uint8_t* bytes, size_t n);

}  // namespace pvsim
