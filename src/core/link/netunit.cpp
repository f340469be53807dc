#include "core/link/netunit.h"

#include "core/document/datafile.h"
#include "core/link/port_failure.h"
#include "core/logging/live.h"
#include "core/ui/clock.h"
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
// The device and the reason follow on lines of their own.
std::string port_message(uint32_t msg) {
    const std::string name = com_name();
    std::string text = japanese() ? name + msg_text(msg) : msg_text(msg) + name + ".";
    std::string why = port_failure_lines(port().failure(), name);
    if (!why.empty()) text += "\r\n" + why;
    return text;
}

// The port would not open and the user has been told why. Until the command is over (its
// transfer ends, the port is released, or the next command's transfer starts), further tries
// inside the transfer stay silent and so do the communication errors that follow from the
// closed port: one failure, one message.
bool open_failure_told = false;

// The exchange that waits in the event loop, while its reply comes in.
struct InFlight {
    bool active = false;
    LinkFrame request;
    LinkFrame reply;
    size_t got = 0;
    uint32_t sent_at = 0;
    void (*dropped)() = nullptr;
};
InFlight flight;

void end_flight() {
    flight.active = false;
    shell_views().watch_port(-1, 0);
}

// Drops the exchange in flight; with `let_arrive`, first waits for the rest of its reply so
// that no late byte of it is left on the line.
void drop_flight(bool let_arrive) {
    if (!flight.active) return;
    if (let_arrive && flight.got < kFrameSize) {
        size_t got = 0;
        port().read(flight.reply.bytes.data() + flight.got, kFrameSize - flight.got, got);
    }
    auto dropped = flight.dropped;
    end_flight();
    if (dropped) dropped();
}

// One try: clear both directions, send the request, collect 24 bytes.
bool exchange_once(const LinkFrame& request, LinkFrame& reply) {
    drop_flight(true);
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
    return port().name(settings.com_port);
}

void open_port() {
    if (state.port_open) return;
    // Outside a transfer every call is a command's first try; inside one, a failure already
    // told is not tried and told again.
    if (open_failure_told && state.transfer_active) return;
    open_failure_told = false;
    Port& p = port();
    if (!p.open(settings.com_port)) {
        shell_views().normal_cursor();
        prompter().message(Icon::Error, port_message(35));
        open_failure_told = true;
        return;
    }
    if (!p.configure()) {
        // The reason is read before closing: closing forgets it.
        std::string text = port_message(36);
        // A half-configured handle is of no use to anyone; let the next command start afresh.
        p.close();
        prompter().message(Icon::Error, text);
        open_failure_told = true;
        return;
    }
    state.port_open = 1;
    p.purge();
}

bool port_failure_told() {
    return open_failure_told && !state.port_open;
}

void link_error(const std::string& text) {
    if (!port_failure_told()) prompter().message(Icon::Error, text);
}

void close_port() {
    open_failure_told = false;
    drop_flight(false);
    if (!state.port_open) return;
    port().close();
    state.port_open = 0;
    state.comm_state = 0;
}

void set_comm_state(uint8_t kind) {
    state.comm_state = kind;
    if (kind != 0) {
        if (!state.transfer_active) open_failure_told = false;
        state.transfer_active = 1;
        open_port();
    } else {
        state.transfer_active = 0;
        open_failure_told = false;
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

namespace {
ControllerData* reads_to = &data;
}  // namespace

ControllerData& read_target() {
    return *reads_to;
}

ReadInto::ReadInto(ControllerData& target) : previous_(reads_to) {
    reads_to = &target;
}

ReadInto::~ReadInto() {
    reads_to = previous_;
}

bool read_block(int block_id, int col, int row) {
    bool last = state.last_frame_flag != 0;
    state.last_frame_flag = 0;
    const BlockDef* b = find_block(block_id);
    if (!b || !b->readable() || !position_valid(*b, col, row)) return false;

    LinkFrame request = make_read_request(settings.spl_header, frame_address(*b, col, row));
    LinkFrame reply;
    if (!transact(request, &reply)) return false;
    decode_frame_data(*b, col, row, last, reply.data(), *reads_to, unit);
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
    return read_block(103) ? read_target().status_word : kStatusUnknown;
}

LinkFrame live_data_request() {
    return make_read_request(settings.spl_header, live_data_address);
}

LinkFrame status_request() {
    return make_read_request(settings.spl_header, frame_address(*find_block(103), 1, 1));
}

void store_live_sample(const LinkFrame& reply) {
    LiveSample s = decode_live_data(reply.data());
    live.live_boost = s.boost;
    live.live_rev = s.rev;
    live.live_throttle = s.throttle;
    live.live_peak_boost = s.peak_boost;
}

// Every tenth poll re-reads the status; a count that something else carried past 9 re-reads
// once it reaches 50 rather than on every poll.
bool status_read_due() {
    if (unit.status_poll_count == 9 || unit.status_poll_count >= 50) {
        unit.status_poll_count = 0;
        return true;
    }
    ++unit.status_poll_count;
    return false;
}

void store_status(const LinkFrame& reply) {
    decode_frame_data(*find_block(103), 1, 1, false, reply.data(), data, unit);
}

void finish_live_values() {
    compute_corrections(live, data, mode_b_active());
}

bool poll_live_data() {
    LinkFrame reply;
    if (!exchange_once(live_data_request(), reply)) return false;
    store_live_sample(reply);
    if (status_read_due()) read_status();
    finish_live_values();
    return true;
}

bool begin_exchange(const LinkFrame& request, void (*dropped)()) {
    drop_flight(true);
    if (!state.port_open) return false;
    Port& p = port();
    if (p.watch_handle() < 0) return false;
    p.purge();
    if (!p.write(request.bytes.data(), kFrameSize)) return false;
    flight = InFlight{true, request, {}, 0, clock().tick_count(), dropped};
    shell_views().watch_port(p.watch_handle(), read_timeout_ms(kFrameSize));
    return true;
}

Gathered collect_exchange(LinkFrame& reply) {
    if (!flight.active) return Gathered::failed;
    size_t got = 0;
    const bool line_ok =
        port().read_ready(flight.reply.bytes.data() + flight.got, kFrameSize - flight.got, got);
    flight.got += got;
    Gathered result = Gathered::waiting;
    if (!line_ok)
        result = Gathered::failed;
    else if (flight.got == kFrameSize)
        result = reply_valid(flight.request, flight.reply.bytes.data(), flight.got)
                     ? Gathered::valid
                     : Gathered::failed;
    else if (clock().tick_count() - flight.sent_at >= read_timeout_ms(kFrameSize))
        result = Gathered::failed;
    if (result == Gathered::waiting) return result;
    reply = flight.reply;
    end_flight();
    return result;
}

bool exchange_in_flight() {
    return flight.active;
}

}  // namespace pv
