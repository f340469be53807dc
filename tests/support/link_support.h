// Fixtures shared by the link tests: the in-process simulated unit behind the Port seam, a
// clock that moves only when the code waits, and ports that record or script the line.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/logging/live.h"
#include "core/ui/clock.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/program.h"

namespace linktest {

using Bytes = std::vector<uint8_t>;

// A port that plays back hand-made replies, one per read, and keeps what was written.
class ScriptPort : public pv::Port {
  public:
    std::deque<Bytes> replies;
    std::vector<Bytes> written;
    bool open(int) override { return true; }
    bool configure() override { return true; }
    void close() override {}
    bool purge() override { return true; }
    bool write(const uint8_t* b, size_t n) override {
        written.emplace_back(b, b + n);
        return true;
    }
    bool read(uint8_t* b, size_t n, size_t& got) override {
        got = 0;
        if (replies.empty()) return true;
        Bytes r = replies.front();
        replies.pop_front();
        got = std::min(n, r.size());
        std::copy(r.begin(), r.begin() + static_cast<long>(got), b);
        return true;
    }
};

// Passes everything to another port and keeps each write.
class RecordingPort : public pv::Port {
  public:
    explicit RecordingPort(pv::Port& inner) : inner_(inner) {}
    std::vector<Bytes> written;
    bool open(int n) override { return inner_.open(n); }
    bool configure() override { return inner_.configure(); }
    void close() override { inner_.close(); }
    bool purge() override { return inner_.purge(); }
    bool write(const uint8_t* b, size_t n) override {
        written.emplace_back(b, b + n);
        return inner_.write(b, n);
    }
    bool read(uint8_t* b, size_t n, size_t& got) override { return inner_.read(b, n, got); }

  private:
    pv::Port& inner_;
};

class CountingHooks : public pvtest::FakeWindows {
  public:
    int gauge_steps = 0;
    int repaints = 0;
    int normal_cursors = 0;
    std::vector<bool> busy;
    void gauge_step() override { ++gauge_steps; }
    void repaint_status_bar() override { ++repaints; }
    void set_windows_busy(bool b) override { busy.push_back(b); }
    void normal_cursor() override { ++normal_cursors; }
};

// A New document in a freshly started program, with the test's clock, prompter and hooks.
inline void install_core(pv::Clock& clock, pv::Prompter& prompter, pvtest::FakeWindows& windows) {
    pvtest::reset_program();
    pv::SetDefaultData();
    pv::set_clock(&clock);
    pv::set_prompter(&prompter);
    windows.install();
}

// Closes the link and puts every seam back to its default.
inline void release_core() {
    pvtest::reset_program();
}

class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        install_core(clock, prompter, hooks);
        start_unit({});
    }
    void TearDown() override { release_core(); }

    // A fresh simulated unit on the port; the link closes first.
    void start_unit(pvsim::Options options) {
        pv::set_port(nullptr);
        recorder.reset();
        port.reset();
        sim = std::make_unique<pvsim::SimUnit>(options, [this] { return clock.tick_count(); });
        port = std::make_unique<pvsim::SimPort>(*sim);
        recorder = std::make_unique<RecordingPort>(*port);
        pv::set_port(recorder.get());
    }
    void open() {
        pv::open_port();
        ASSERT_TRUE(pv::state.port_open);
    }
    std::vector<Bytes>& sent() { return recorder->written; }

    pv::ManualClock clock;
    pv::ScriptedPrompter prompter;
    CountingHooks hooks;
    std::unique_ptr<pvsim::SimUnit> sim;
    std::unique_ptr<pvsim::SimPort> port;
    std::unique_ptr<RecordingPort> recorder;
};

// "E5 3A 10 ..." to bytes.
inline Bytes hex(const char* text) {
    Bytes out;
    unsigned v = 0;
    int digits = 0;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                       : -1;
        if (d < 0) continue;
        v = v * 16 + static_cast<unsigned>(d);
        if (++digits == 2) {
            out.push_back(static_cast<uint8_t>(v));
            v = 0;
            digits = 0;
        }
    }
    return out;
}

// A reply as the unit would send it: the request's first seven bytes, the data, and a
// checksum that makes bytes 1 to 23 add up to 0 modulo 256.
inline Bytes reply_to(const Bytes& request, const Bytes& data) {
    Bytes r(request.begin(), request.begin() + 7);
    r.resize(24, 0);
    std::copy(data.begin(), data.end(), r.begin() + 7);
    unsigned sum = 0;
    for (int k = 1; k < 23; ++k) sum += r[static_cast<size_t>(k)];
    r[23] = static_cast<uint8_t>((256 - sum % 256) % 256);
    return r;
}

}  // namespace linktest
