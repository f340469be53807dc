#include "core/ui/clock.h"

#include <chrono>
#include <ctime>
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

std::array<uint16_t, 6> local_stamp() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {static_cast<uint16_t>(tm.tm_year + 1900), static_cast<uint16_t>(tm.tm_mon + 1),
            static_cast<uint16_t>(tm.tm_mday),        static_cast<uint16_t>(tm.tm_hour),
            static_cast<uint16_t>(tm.tm_min),         static_cast<uint16_t>(tm.tm_sec)};
}

}  // namespace pv
