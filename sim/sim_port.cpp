#include "sim/sim_port.h"

#include <algorithm>

#include "core/ui/clock.h"

namespace pvsim {

bool SimPort::open(int com_number) {
    last_com = com_number;
    if (!present || open_) return false;
    open_ = true;
    ++opens;
    return true;
}

bool SimPort::configure() {
    return open_ && !refuse_configure;
}

void SimPort::close() {
    if (!open_) return;
    open_ = false;
    ++closes;
    rx_.clear();
    late_.clear();
    framer_.clear();
}

bool SimPort::purge() {
    if (!open_ || unplugged) return false;
    rx_.clear();
    late_.clear();
    return true;
}

void SimPort::wait_ms(uint32_t ms) {
    pv::Clock& c = pv::clock();
    uint32_t start = c.tick_count();
    while (c.tick_count() - start < ms) c.pause();
}

bool SimPort::write(const uint8_t* bytes, size_t count) {
    if (!open_ || unplugged) return false;
    framer_.feed(bytes, count, [&](const uint8_t* frame) {
        Outcome out = unit_.handle(frame, pv::kFrameSize);
        if (out.fault == Fault::late)
            late_.insert(late_.end(), out.reply.begin(), out.reply.end());
        else
            rx_.insert(rx_.end(), out.reply.begin(), out.reply.end());
    });
    if (unit_.options().baud_timing) wait_ms((wire_time_us(count) + 999) / 1000);
    return true;
}

bool SimPort::read(uint8_t* bytes, size_t count, size_t& got) {
    got = 0;
    if (!open_ || unplugged) return false;
    bool timed_out = rx_.size() < count;
    if (timed_out)
        wait_ms(pv::read_timeout_ms(count));
    else if (unit_.options().baud_timing)
        wait_ms((wire_time_us(count) + 999) / 1000);
    got = std::min(count, rx_.size());
    std::copy(rx_.begin(), rx_.begin() + static_cast<long>(got), bytes);
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<long>(got));
    if (timed_out) {
        rx_.insert(rx_.end(), late_.begin(), late_.end());
        late_.clear();
    }
    return true;
}

bool SimPort::read_ready(uint8_t* bytes, size_t count, size_t& got) {
    got = 0;
    if (!open_ || unplugged) return false;
    got = std::min(count, rx_.size());
    if (ready_bytes > 0) got = std::min(got, ready_bytes);
    std::copy(rx_.begin(), rx_.begin() + static_cast<long>(got), bytes);
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<long>(got));
    return true;
}

}  // namespace pvsim
