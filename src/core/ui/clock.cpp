#include "core/ui/clock.h"

#include <chrono>
#include <thread>

namespace pv {
namespace {

class SteadyClock : public Clock {
  public:
    uint32_t tick_count() override {
        auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
    void pause() override { std::this_thread::sleep_for(std::chrono::microseconds(500)); }
};

SteadyClock steady_clock;
Clock* current = &steady_clock;

}  // namespace

Clock& clock() {
    return *current;
}
void set_clock(Clock* c) {
    current = c ? c : &steady_clock;
}

}  // namespace pv
