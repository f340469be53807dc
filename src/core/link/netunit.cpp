#include "core/link/netunit.h"

#include "core/document/datafile.h"
#include "core/logging/live.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

class AbsentPort : public Port {
  public:
    bool open(int) override { return false; }
    bool configure() override { return false; }
    void close() override {}
    bool purge() override { return false; }
    bool write(const uint8_t*, size_t) override { return false; }
    bool read(uint8_t*, size_t, size_t& got) override {
        got = 0;
        return false;
    }
};

AbsentPort absent;
Port* current = &absent;

// "Cannot open COM3." in English; the Japanese order puts the name first and drops the stop.
std::string port_message(uint32_t msg) {
    if (japanese()) return com_name() + msg_text(msg);
    return msg_text(msg) + com_name() + ".";
}

// One try: clear both directions, send the request, collect 24 bytes.
bool exchange_once(const LinkFrame& request, LinkFrame& reply) {
    if (!state.port_open) return false;
    Port& p = port();
    p.purge();
    if (!p.write(request.bytes.data(), kFrameSize)) return false;
    size_t got = 0;
    if (!p.read(reply.bytes.data(), kFrameSize, got)) return false;
    return reply_valid(request, reply.bytes.data(), got);
}

bool position_valid(const BlockDef& b, int col, int row) {
    return col >= 1 && col <= b.width && row >= 1 && row <= b.height;
}

}  // namespace

Port& port() {
    return *current;
}

void set_port(Port* p) {
    if (state.port_open) close_port();
    current = p ? p : &absent;
}

void install_link(Port* p) {
    set_port(p);
    set_status_reader([] { return read_status(); });
}

std::string com_name() {
    return "COM" + std::to_string(settings.com_port);
}

void open_port() {
    if (state.port_open) return;
    Port& p = port();
    if (!p.open(settings.com_port)) {
        shell_views().normal_cursor();
        prompter().message(Icon::Error, port_message(35));
        return;
    }
    if (!p.configure()) {
        // A half-configured handle is of no use to anyone; let the next command start afresh.
        p.close();
        prompter().message(Icon::Error, port_message(36));
        return;
    }
    state.port_open = 1;
    p.purge();
}

void close_port() {
    if (!state.port_open) return;
    port().close();
    state.port_open = 0;
    state.comm_state = 0;
}

void set_comm_state(uint8_t kind) {
    state.comm_state = kind;
    if (kind != 0) {
        state.transfer_active = 1;
        open_port();
    } else {
        state.transfer_active = 0;
        if (!state.link_on && !state.monitor_open && state.port_open) close_port();
    }
    shell_views().repaint_status_bar();
}

void set_busy(uint8_t kind) {
    shell_views().set_windows_busy(kind != 0);
    set_comm_state(kind);
}

bool transact(const LinkFrame& request, LinkFrame* reply) {
    LinkFrame received;
    bool ok = false;
    for (int attempt = 0; attempt < kAttempts && !ok; ++attempt)
        ok = exchange_once(request, received);
    if (state.progress_open) transfer_progress().gauge_step();
    if (ok && reply) *reply = received;
    return ok;
}

bool read_block(int block_id, int col, int row) {
    bool last = state.last_frame_flag != 0;
    state.last_frame_flag = 0;
    const BlockDef* b = find_block(block_id);
    if (!b || !b->readable() || !position_valid(*b, col, row)) return false;

    LinkFrame request = make_read_request(settings.spl_header, frame_address(*b, col, row));
    LinkFrame reply;
    if (!transact(request, &reply)) return false;
    decode_frame_data(*b, col, row, last, reply.data(), data, unit);
    return true;
}

bool write_block(int block_id, int col, int row) {
    bool last = state.last_frame_flag != 0;
    state.last_frame_flag = 0;
    const BlockDef* b = find_block(block_id);
    if (!b || !b->writable() || !position_valid(*b, col, row)) return false;

    uint8_t values[kFrameDataSize];
    size_t length = encode_frame_data(*b, col, row, last, data, unit, values);
    if (length == 0) return false;
    return transact(
        make_write_request(settings.spl_header, frame_address(*b, col, row), values, length));
}

namespace {
template <typename Exchange>
bool table_pass(int block_id, Exchange exchange) {
    const BlockDef* b = find_block(block_id);
    if (!b) return false;
    int frames = table_frame_count(*b);
    int col = 1, row = 1;
    for (int k = 1; k <= frames; ++k) {
        if (k == frames) state.last_frame_flag = 1;
        if (!exchange(block_id, col, row)) return false;
        advance_frame(*b, col, row);
    }
    return true;
}
}  // namespace

bool read_table(int block_id) {
    return table_pass(block_id, read_block);
}
bool write_table(int block_id) {
    return table_pass(block_id, write_block);
}

uint16_t read_status() {
    if (!state.port_open) open_port();
    return read_block(103) ? data.status_word : kStatusUnknown;
}

bool poll_live_data() {
    LinkFrame reply;
    if (!exchange_once(make_read_request(settings.spl_header, live_data_address), reply))
        return false;

    LiveSample s = decode_live_data(reply.data());
    live.live_boost = s.boost;
    live.live_rev = s.rev;
    live.live_throttle = s.throttle;
    live.live_peak_boost = s.peak_boost;

    // Every tenth poll re-reads the status; a count that something else carried past 9
    // re-reads once it reaches 50 rather than on every poll.
    if (unit.status_poll_count == 9 || unit.status_poll_count >= 50) {
        read_status();
        unit.status_poll_count = 0;
    } else {
        ++unit.status_poll_count;
    }

    compute_corrections(live, data, mode_b_active());
    return true;
}

}  // namespace pv
