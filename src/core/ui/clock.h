// The time seam: a millisecond tick count and a short pause. The program runs on the
// steady clock; tests install a clock that advances only when asked, so that waits and
// time-outs are deterministic and instant.
#pragma once
#include <array>
#include <cstdint>

namespace pv {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps like the system tick count.
    virtual uint32_t tick_count() = 0;
    // Lets a little time pass inside a wait loop (the real clock sleeps about 1 ms).
    virtual void pause() = 0;
};

Clock& clock();

// The local date and time now, as the data file's save stamp and the log header hold it:
// year, month, day, hour, minute, second.
std::array<uint16_t, 6> local_stamp();
// Installs a clock (nullptr restores the steady clock). The caller keeps ownership.
void set_clock(Clock* c);

// A clock for tests: time moves only through advance() and pause().
class ManualClock : public Clock {
  public:
    uint32_t tick_count() override { return now_; }
    void pause() override { now_ += 1; }
    void advance(uint32_t ms) { now_ += ms; }

  private:
    uint32_t now_ = 1000;
};

}  // namespace pv
