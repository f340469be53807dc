// Reply validation and decoding against hostile bytes from the line, plus the simulated
// unit's reading of hostile requests.
//
// Input: byte 0 picks a block (or the live-data block), byte 1 the frame position, the last
// frame flag and the header; the rest is what the line delivers, one 24-byte slice per attempt.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/logging/live.h"
#include "core/ui/clock.h"
#include "sim/sim_unit.h"

namespace {

class LinePort : public pv::Port {
  public:
    const uint8_t* bytes = nullptr;
    size_t left = 0;
    bool open(int) override { return true; }
    bool configure() override { return true; }
    void close() override {}
    bool purge() override { return true; }
    bool write(const uint8_t*, size_t) override { return true; }
    bool read(uint8_t* out, size_t n, size_t& got) override {
        got = left < n ? left : n;
        std::memcpy(out, bytes, got);
        bytes += got;
        left -= got;
        return true;
    }
    // Watched, the line hands over what has arrived in pieces: each piece's length is the
    // next byte (its low five bits), the piece follows it.
    bool watched = false;
    int watch_handle() const override { return watched ? 0 : -1; }
    bool read_ready(uint8_t* out, size_t n, size_t& got) override {
        got = 0;
        if (left == 0) return true;
        size_t piece = *bytes++ & 0x1F;
        --left;
        if (piece > left) piece = left;
        if (piece > n) piece = n;
        std::memcpy(out, bytes, piece);
        bytes += piece;
        left -= piece;
        got = piece;
        return true;
    }
};

// Everything the link can write into the model, as bytes.
std::vector<uint8_t> snapshot() {
    std::vector<uint8_t> out;
    for (const pv::BlockDef& b : pv::block_table) {
        int col = 1, row = 1;
        for (int k = 1; k <= pv::table_frame_count(b); ++k) {
            uint8_t buf[16];
            size_t n = pv::encode_frame_data(b, col, row, k == pv::table_frame_count(b), pv::data,
                                             pv::unit, buf);
            out.insert(out.end(), buf, buf + n);
            pv::advance_frame(b, col, row);
        }
    }
    out.insert(out.end(), pv::unit.status_flags.begin(), pv::unit.status_flags.end());
    return out;
}

void check(bool ok) {
    if (!ok) __builtin_trap();
}

pv::ManualClock manual_clock;
LinePort line;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* in, size_t size) {
    if (size < 2) return 0;
    static bool ready = [] {
        pv::set_clock(&manual_clock);
        pv::set_port(&line);
        return true;
    }();
    (void)ready;

    pv::data = pv::ControllerData{};
    pv::SetDefaultData();
    pv::unit = pv::UnitState{};
    pv::settings.spl_header = (in[1] & 0x80) ? 0xA0 : 0xE5;
    pv::state.port_open = 1;
    line.bytes = in + 2;
    line.left = size - 2;

    size_t pick = in[0] % (pv::block_table.size() + 1);
    line.watched = false;
    if (pick == pv::block_table.size() && (in[1] & 0x20)) {
        // A poll whose reply is gathered as it arrives, until it is in or overdue.
        line.watched = true;
        const pv::LinkFrame request = pv::live_data_request();
        check(pv::begin_exchange(request, nullptr));
        pv::LinkFrame reply;
        pv::Gathered got = pv::Gathered::waiting;
        for (int k = 0; k < 64 && got == pv::Gathered::waiting; ++k) {
            got = pv::collect_exchange(reply);
            manual_clock.advance(2);
        }
        if (got == pv::Gathered::waiting) {
            manual_clock.advance(pv::read_timeout_ms(pv::kFrameSize));
            check(pv::collect_exchange(reply) != pv::Gathered::waiting);
        }
        check(!pv::exchange_in_flight());
        if (got == pv::Gathered::valid)
            check(pv::reply_valid(request, reply.bytes.data(), pv::kFrameSize));
    } else if (pick == pv::block_table.size()) {
        pv::LiveValues before = pv::live;
        pv::data.axis_select_no = static_cast<uint8_t>(in[1] % 7);
        if (!pv::poll_live_data()) {
            const pv::LiveValues& now = pv::live;
            check(now.live_boost == before.live_boost && now.live_rev == before.live_rev &&
                  now.live_throttle == before.live_throttle &&
                  now.live_peak_boost == before.live_peak_boost &&
                  now.live_boost_correction == before.live_boost_correction &&
                  now.live_offset_correction == before.live_offset_correction);
        }
    } else {
        const pv::BlockDef& b = pv::block_table[pick];
        int col = 1 + (in[1] & 0x07) % b.width;
        int row = 1 + ((in[1] >> 3) & 0x07) % b.height;
        pv::state.last_frame_flag = (in[1] & 0x40) ? 1 : 0;
        std::vector<uint8_t> before = snapshot();
        bool ok = pv::read_block(b.id, col, row);
        check(pv::state.last_frame_flag == 0);
        if (!ok) check(snapshot() == before);
        if (ok) check(pv::data.pressure_unit <= 1);
        if (ok && b.id == 103) {
            for (int bit = 0; bit < 16; ++bit)
                check(pv::unit.status_flags[bit] == ((pv::data.status_word >> bit) & 1));
        }
    }
    pv::state.port_open = 0;

    // The same bytes as the axes, maps and operating point of the corrections.
    if (size >= 2 + 15 + 50 + 2) {
        pv::ControllerData d;
        const uint8_t* p = in + 2;
        std::memcpy(d.rpm_axis.data(), p, 5);
        std::memcpy(d.speed_axis.data(), p + 5, 5);
        std::memcpy(d.throttle_axis.data(), p + 10, 5);
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 5; ++j) {
                const uint8_t* c = p + 15 + 2 * (5 * i + j);
                d.boost_map_a[i][j] = static_cast<int16_t>((c[0] << 8) | c[1]);
                d.offset_map_a[i][j] = c[0];
            }
        d.axis_select_no = static_cast<uint8_t>(in[1] % 6);
        pv::LiveValues v;
        v.live_rev = p[65];
        v.live_throttle = p[66];
        pv::compute_corrections(v, d, false);
        if (d.axis_select_no == 0) check(v.live_boost_correction == 0);
    }

    // The simulated unit reads requests off the same kind of line.
    static pvsim::SimUnit sim({}, [] { return 0u; });
    static pvsim::Framer framer;
    framer.feed(in, size, [](const uint8_t* frame) {
        pvsim::Outcome out = sim.handle(frame, pv::kFrameSize);
        check(out.reply.size() == pv::kFrameSize);
    });
    framer.clear();
    return 0;
}
