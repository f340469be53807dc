// Fixtures of the transfer, lock and link tests: the simulated unit behind a port that can
// break chosen blocks, and hooks that stand in for the windows and note what was asked.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/texts.h"
#include "support/link_support.h"

namespace xfertest {

using Texts = std::vector<std::string>;
using Bytes = linktest::Bytes;

class WindowHooks : public pvtest::FakeWindows {
  public:
    Texts events;
    std::vector<int> gauge_maximums;
    int gauge_steps = 0;
    SaveResult save_result = SaveResult::saved;
    uint32_t link_interval = 0;
    std::vector<std::pair<int, uint32_t>> port_watches;  // (handle, time-out) of watch_port
    bool timer_rests = false, timer_held = false;
    int timer_holds = 0;
    std::vector<uint32_t> timer_resumes;  // the next tick's time of each resume
    int pressure_unit_at_close = -1;

    bool has(const std::string& e) const {
        return std::find(events.begin(), events.end(), e) != events.end();
    }
    bool run_progress_dialog(uint8_t kind, const std::function<bool()>& job) override {
        note("progress " + pv::net_label_text(kind));
        bool ok = job();
        return note(ok ? "progress yes" : "progress no", ok);
    }
    void set_gauge_maximum(int maximum) override { gauge_maximums.push_back(maximum); }
    void gauge_step() override { ++gauge_steps; }
    void show_processing_dialog() override { note("processing"); }
    bool close_map_window() override {
        pressure_unit_at_close = pv::data.pressure_unit;
        pv::state.doc_open = 0;
        return note("close_map_window");
    }
    void make_map_window() override {
        note("make_map_window");
        pv::state.doc_open = 1;
    }
    void set_map_caption(const std::string& text) override { note("caption " + text); }
    void save_unit_data() override { note("save_unit_data"); }
    SaveResult save_modified_document() override { return save_result; }
    void setup_grid() override { note("setup_grid"); }
    void fill_grid() override { note("fill_grid"); }
    void set_link_button(bool down) override { note(down ? "link down" : "link up"); }
    void set_link_timer(uint32_t interval) override {
        link_interval = interval;
        timer_held = false;
    }
    // As the window's timer when `timer_rests`: held while a poll waits on the line.
    bool hold_link_timer() override {
        if (!timer_rests || link_interval == 0) return false;
        ++timer_holds;
        return timer_held = true;
    }
    bool resume_link_timer(uint32_t next_tick_ms) override {
        if (!timer_held) return false;
        timer_held = false;
        timer_resumes.push_back(next_tick_ms);
        return true;
    }
    void watch_port(int handle, uint32_t timeout_ms) override {
        port_watches.emplace_back(handle, timeout_ms);
    }
    void close_monitor() override {
        note("close_monitor");
        pv::state.monitor_open = 0;
    }
    void refresh_monitor() override { note("refresh_monitor"); }
    void update_live_cursor() override { note("update_live_cursor"); }
    void release_trace_buttons() override { note("release_trace_buttons"); }

  private:
    bool note(const std::string& e, bool result = true) {
        events.push_back(e);
        return result;
    }
};

// Swallows every request for (command, address): its reply never comes.
class BreakingPort : public pv::Port {
  public:
    explicit BreakingPort(pv::Port& inner) : inner_(inner) {}
    std::vector<Bytes> written;
    std::set<std::pair<uint8_t, uint32_t>> broken;

    void break_block(int block_id, bool write) {
        broken.insert(
            {write ? pv::write_request : pv::read_request, pv::find_block(block_id)->base});
    }
    size_t count(uint8_t command) const {
        return static_cast<size_t>(std::count_if(written.begin(), written.end(),
                                                 [&](const Bytes& w) { return w[1] == command; }));
    }
    // The unit command of every write to block 115.
    std::vector<uint8_t> unit_commands() const {
        std::vector<uint8_t> out;
        for (const Bytes& w : written)
            if (w[1] == pv::write_request && w[5] == 0x78 && w[6] == 0xF8) out.push_back(w[7]);
        return out;
    }
    bool open(int n) override { return inner_.open(n); }
    bool configure() override { return inner_.configure(); }
    void close() override { inner_.close(); }
    bool purge() override {
        swallowed_ = false;
        return inner_.purge();
    }
    bool write(const uint8_t* b, size_t n) override {
        written.emplace_back(b, b + n);
        swallowed_ = broken.count({b[1], static_cast<uint32_t>(b[5] | (b[6] << 8))}) > 0;
        return swallowed_ || inner_.write(b, n);
    }
    bool read(uint8_t* b, size_t n, size_t& got) override {
        got = 0;
        return swallowed_ || inner_.read(b, n, got);
    }
    int watch_handle() const override { return inner_.watch_handle(); }
    bool read_ready(uint8_t* b, size_t n, size_t& got) override {
        got = 0;
        return swallowed_ || inner_.read_ready(b, n, got);
    }

  private:
    pv::Port& inner_;
    bool swallowed_ = false;
};

// Calls `visit(block, col, row, last)` for every frame of every block the unit stores.
inline void each_stored_frame(const std::function<void(const pv::BlockDef&, int, int, bool)>& v) {
    for (const pv::BlockDef& b : pv::block_table) {
        if (b.use != pv::BlockUse::read_write) continue;
        int col = 1, row = 1, frames = pv::table_frame_count(b);
        for (int k = 1; k <= frames; ++k, pv::advance_frame(b, col, row))
            v(b, col, row, k == frames);
    }
}

// Whether two documents agree on every field that travels to the unit.
inline bool same_unit_data(const pv::ControllerData& a, const pv::ControllerData& b) {
    bool same = true;
    pv::UnitState u;
    each_stored_frame([&](const pv::BlockDef& blk, int col, int row, bool last) {
        uint8_t x[16] = {}, y[16] = {};
        size_t n = pv::encode_frame_data(blk, col, row, last, a, u, x);
        pv::encode_frame_data(blk, col, row, last, b, u, y);
        same = same && std::equal(x, x + n, y);
    });
    return same;
}

// The unit's memory read back as a document.
inline pv::ControllerData unit_memory(const pvsim::SimUnit& sim) {
    pv::ControllerData d;
    pv::UnitState u;
    each_stored_frame([&](const pv::BlockDef& blk, int col, int row, bool last) {
        uint8_t bytes[16];
        uint32_t at = pv::frame_address(blk, col, row);
        for (uint32_t i = 0; i < 16; ++i) bytes[i] = sim.peek(at + i);
        pv::decode_frame_data(blk, col, row, last, bytes, d, u);
    });
    return d;
}

class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        linktest::install_core(clock, prompter, hooks);
        start_unit({});
    }
    void TearDown() override { linktest::release_core(); }
    void start_unit(pvsim::Options options) {
        pv::set_port(nullptr);
        sim = std::make_unique<pvsim::SimUnit>(options, [this] { return clock.tick_count(); });
        port = std::make_unique<pvsim::SimPort>(*sim);
        line = std::make_unique<BreakingPort>(*port);
        pv::set_port(line.get());
        prompter.shown.clear();
    }
    void open_document() { pv::state.doc_open = pv::state.doc_named = 1; }
    Texts texts() const {
        Texts out;
        for (const auto& s : prompter.shown) out.push_back(s.text);
        return out;
    }
    size_t exchanges() const { return line->written.size(); }
    size_t writes() const { return line->count(pv::write_request); }
    // The data lock input query as the scripted prompter notes it.
    static std::string ask_lock(uint32_t msg) {
        return pv::text(pv::Catalog::Menu, 45) + "|" + pv::msg_text(msg);
    }

    pv::ManualClock clock;
    pv::ScriptedPrompter prompter;
    WindowHooks hooks;
    std::unique_ptr<pvsim::SimUnit> sim;
    std::unique_ptr<pvsim::SimPort> port;
    std::unique_ptr<BreakingPort> line;
};

inline std::string error(uint32_t n) {
    return pv::error_text(n);
}
inline std::string msg(uint32_t n) {
    return pv::msg_text(n);
}

}  // namespace xfertest
