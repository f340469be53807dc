// The simulated unit behind the Port seam, in the same process: what tests install instead
// of the termios port. Time passes only through the Clock seam, so with a ManualClock a
// silent unit costs no real waiting.
#pragma once
#include <cstdint>
#include <vector>

#include "core/link/port.h"
#include "sim/sim_unit.h"

namespace pvsim {

class SimPort : public pv::Port {
  public:
    explicit SimPort(SimUnit& unit) : unit_(unit) {}

    bool open(int com_number) override;
    bool configure() override;
    void close() override;
    bool purge() override;
    bool write(const uint8_t* bytes, size_t count) override;
    bool read(uint8_t* bytes, size_t count, size_t& got) override;
    // With `watchable`, the link's polls wait in the event loop; a test then hands them the
    // reply with read_ready, at most `ready_bytes` of it each time when that is set.
    int watch_handle() const override { return watchable && open_ ? 0 : -1; }
    bool read_ready(uint8_t* bytes, size_t count, size_t& got) override;

    // Knobs for tests.
    bool present = true;            // false: open fails, as for an absent device
    bool refuse_configure = false;  // configure fails
    bool unplugged = false;         // the adapter is gone: every call on the line fails
    bool watchable = false;
    size_t ready_bytes = 0;

    // What the link did with the port.
    int opens = 0;
    int closes = 0;
    int last_com = 0;
    bool is_open() const { return open_; }

  private:
    void wait_ms(uint32_t ms);

    SimUnit& unit_;
    Framer framer_;
    bool open_ = false;
    std::vector<uint8_t> rx_;    // bytes waiting to be read
    std::vector<uint8_t> late_;  // a reply that lands once the reader has given up
};

}  // namespace pvsim
