// Recording against the in-process simulated unit: the interval and limit rules, the three
// ways a recording ends, and the refused starts.
#include "core/logging/recorder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/ui/texts.h"
#include "support/link_support.h"
#include "support/log_images.h"

namespace {

TEST(RecorderRules, IntervalFromTheTimingTest) {
    EXPECT_EQ(pv::interval_from_timing(1000), 100);   // 100 ms per sample
    EXPECT_EQ(pv::interval_from_timing(1010), 1300);  // 101 ms: (25 + 1) x 50
    EXPECT_EQ(pv::interval_from_timing(264), 100);
    EXPECT_EQ(pv::interval_from_timing(1999), 2550);       // 200 ms: (50 + 1) x 50
    EXPECT_EQ(pv::interval_from_timing(5), std::nullopt);  // rounds to 0 (half to even)
    EXPECT_EQ(pv::interval_from_timing(15), 100);
    EXPECT_EQ(pv::interval_from_timing(0), std::nullopt);
    EXPECT_EQ(pv::interval_from_timing(-1), std::nullopt);
}

TEST(RecorderRules, SampleLimitFromTheFreeSpace) {
    EXPECT_EQ(pv::sample_limit_for(120 + 14 * 22, 7), 22);
    EXPECT_EQ(pv::sample_limit_for(127, 7), 0);  // 0.5 rounds to even
    EXPECT_EQ(pv::sample_limit_for(100, 7), -1);
    EXPECT_EQ(pv::sample_limit_for(int64_t{1} << 40, 7), 600000);
}

class Hooks : public linktest::CountingHooks {
  public:
    std::vector<uint32_t> link_timer;
    void set_link_timer(uint32_t ms) override { link_timer.push_back(ms); }
};

class Host : public pv::RecordingHost {
  public:
    explicit Host(pv::ManualClock& c) : clock(c) {}
    pv::ManualClock& clock;
    int64_t free = int64_t{1} << 30;
    long escape_after = -1;  // ticks before the user presses Escape
    std::function<void(long)> before_tick;
    long ticks = 0;
    uint32_t interval = 0;
    std::string shown, finished;
    int refreshes = 0;

    void show_recording_file(const std::string& p) override { shown = p; }
    void run_recording_window(uint32_t ms, const std::function<bool()>& tick) override {
        interval = ms;
        EXPECT_EQ(pv::recording.logging_active, 1);
        EXPECT_EQ(pv::state.monitor_log_mode, 1);
        while (ticks < 100000) {
            if (escape_after >= 0 && ticks >= escape_after) return;
            if (before_tick) before_tick(ticks);
            clock.advance(ms);
            ++ticks;
            if (!tick()) return;
        }
        ADD_FAILURE() << "the recording did not end";
    }
    void refresh_monitor() override { ++refreshes; }
    void recording_finished(const std::string& p) override { finished = p; }
    int64_t free_bytes(const std::string&) override { return free; }
};

class Recording : public ::testing::Test {
  protected:
    void SetUp() override {
        linktest::install_core(clock, prompter, hooks);
        pv::settings.data_folder = scratch.dir();
        pvsim::Options o;
        o.baud_timing = true;  // about 26 ms per poll, so the timing test measures something
        start_unit(o);
    }
    void TearDown() override { linktest::release_core(); }

    void start_unit(const pvsim::Options& o) {
        pv::set_port(nullptr);
        port.reset();
        sim = std::make_unique<pvsim::SimUnit>(o, [this] { return clock.tick_count(); });
        port = std::make_unique<pvsim::SimPort>(*sim);
        pv::set_port(port.get());
    }
    void link_on() {
        pv::open_port();
        pv::state.link_on = 1;
    }
    std::string file() const { return scratch.path("TMPLOG.PVL"); }
    pv::LogHeader header() {
        pv::LogHeader h;
        EXPECT_EQ(pv::read_log_header(file(), h), pv::LogRead::ok);
        return h;
    }
    int64_t file_words() { return static_cast<int64_t>(std::filesystem::file_size(file()) / 2); }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : prompter.shown) t.push_back(s.text);
        return t;
    }

    logtest::Scratch scratch;
    pv::ManualClock clock;
    pv::ScriptedPrompter prompter;
    Hooks hooks;
    std::unique_ptr<pvsim::SimUnit> sim;
    std::unique_ptr<pvsim::SimPort> port;
    Host host{clock};
};

TEST_F(Recording, EndsByEscapeKeepingEverySample) {
    link_on();
    host.escape_after = 5;
    EXPECT_TRUE(pv::start_recording(host));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(host.shown, file());
    EXPECT_EQ(host.finished, file());
    EXPECT_EQ(host.interval, 100u);
    EXPECT_EQ(host.refreshes, 5);
    EXPECT_EQ(file_words(), 19 + 7 * 5);
    pv::LogHeader h = header();
    EXPECT_EQ(h.version, 1150);
    EXPECT_EQ(h.interval, 100);
    EXPECT_EQ(h.rev_flag, pv::rev_is_rpm() ? 1 : 0);
    EXPECT_EQ(h.last_index, 4);

    // The samples are the unit's values: throttle within 0..100, marking clear.
    pv::LogReader r;
    ASSERT_EQ(r.open(file()), pv::LogRead::ok);
    std::vector<int16_t> w;
    ASSERT_EQ(r.read_samples(0, 5, w), 5);
    for (int k = 0; k < 5; ++k) {
        EXPECT_LE(w[static_cast<size_t>(k * 7 + 3)], 100);
        EXPECT_EQ(w[static_cast<size_t>(k * 7 + 6)], 0);
    }
    // The live link polls again afterwards, and nothing is left busy.
    ASSERT_FALSE(hooks.link_timer.empty());
    EXPECT_EQ(hooks.link_timer.front(), 0u);
    EXPECT_EQ(hooks.link_timer.back(), 15u);
    EXPECT_EQ(pv::recording.logging_active, 0);
    EXPECT_EQ(pv::state.monitor_log_mode, 0);
    EXPECT_EQ(hooks.busy.back(), false);
    EXPECT_TRUE(pv::state.port_open);
}

TEST_F(Recording, MarkingIsWrittenWhileHeld) {
    link_on();
    host.escape_after = 3;
    host.before_tick = [](long k) { pv::live.marking = k == 1 ? 255 : 0; };
    ASSERT_TRUE(pv::start_recording(host));
    pv::LogReader r;
    ASSERT_EQ(r.open(file()), pv::LogRead::ok);
    std::vector<int16_t> w;
    ASSERT_EQ(r.read_samples(0, 3, w), 3);
    EXPECT_EQ(w[6], 0);
    EXPECT_EQ(w[13], 255);
    EXPECT_EQ(w[20], 0);
}

TEST_F(Recording, EndsAtTheSampleLimit) {
    link_on();
    host.free = 120 + 14 * 22;  // limit 22 words: three samples of seven
    EXPECT_TRUE(pv::start_recording(host));
    EXPECT_EQ(host.ticks, 4);
    EXPECT_EQ(file_words(), 19 + 7 * 3);
}

TEST_F(Recording, LittleSpaceEndsAtOnceWithTheHeaderOnly) {
    link_on();
    host.free = 100;
    EXPECT_TRUE(pv::start_recording(host));
    EXPECT_EQ(host.ticks, 1);
    EXPECT_EQ(file_words(), 19);
    EXPECT_EQ(header().last_index, 0);
}

TEST_F(Recording, ASilentUnitEndsItAfterSixMissedPolls) {
    link_on();
    host.before_tick = [this](long k) {
        if (k == 3)
            for (int m = 0; m < 6; ++m) sim->scripted.push_back(pvsim::Fault::silent);
    };
    EXPECT_TRUE(pv::start_recording(host));
    EXPECT_EQ(host.ticks, 9);
    EXPECT_EQ(file_words(), 19 + 7 * 3);
}

TEST_F(Recording, RefusedWithoutTheLiveLink) {
    EXPECT_FALSE(pv::start_recording(host));
    EXPECT_EQ(texts(), std::vector<std::string>{pv::error_text(45)});
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_FALSE(pv::state.port_open);
    EXPECT_EQ(hooks.busy.back(), false);
}

TEST_F(Recording, RefusedStartKeepsTheLinkPolling) {
    pvsim::Options o;
    o.setup = pvsim::Setup::second;
    start_unit(o);
    link_on();
    EXPECT_FALSE(pv::start_recording(host));
    EXPECT_EQ(texts(), std::vector<std::string>{pv::msg_text(26) + "\r\n" + pv::msg_text(34)});
    EXPECT_EQ(hooks.link_timer.back(), 15u);
    EXPECT_TRUE(host.finished.empty());
}

TEST_F(Recording, TimingTestTooFastToMeasure) {
    start_unit({});  // replies take no time at all
    link_on();
    EXPECT_FALSE(pv::start_recording(host));
    EXPECT_EQ(texts(), (std::vector<std::string>{pv::error_text(48), pv::error_text(49)}));
    EXPECT_EQ(host.finished, file());  // the window shows the file all the same
    EXPECT_EQ(hooks.link_timer.back(), 15u);
    EXPECT_EQ(pv::recording.logging_active, 0);
}

TEST_F(Recording, SilentUnitRefusesAtTheReadinessCheck) {
    pvsim::Options o;
    o.baud_timing = true;
    o.silent_after = 0;
    start_unit(o);
    link_on();
    EXPECT_FALSE(pv::start_recording(host));
    EXPECT_EQ(texts(), std::vector<std::string>{pv::error_text(34)});
    EXPECT_EQ(hooks.link_timer.back(), 15u);
}

}  // namespace

namespace {

TEST_F(Recording, ReplayedDriveFollowsTheFileLooping) {
    // Channels 1, 3, 4 and 7 at 200 ms; speed units.
    auto p = scratch.path("drive.PVL");
    logtest::write_words(p, {4,   1,  3,  4, 7,      200, 200, 0,   0,  // header of an older file
                             500, 20, 30, 0, 0xFF38, 40,  90,  255, 7, 50, 10, 0});
    pvsim::Options o;
    std::string error;
    ASSERT_TRUE(pvsim::load_replay(p, o, error)) << error;
    EXPECT_TRUE(o.speed);
    EXPECT_EQ(o.replay_interval_ms, 200u);
    start_unit(o);
    pv::open_port();
    struct Expect {
        uint32_t advance;
        int16_t boost;
        uint8_t rev, throttle;
    } steps[] = {{0, 500, 20, 30},
                 {200, -200, 40, 90},
                 {199, -200, 40, 90},
                 {1, 7, 50, 10},
                 {200, 500, 20, 30}};
    for (const auto& s : steps) {
        clock.advance(s.advance);
        uint32_t before = clock.tick_count();
        ASSERT_TRUE(pv::poll_live_data());
        EXPECT_EQ(pv::live.live_boost, s.boost) << before;
        EXPECT_EQ(pv::live.live_peak_boost, s.boost);  // the file has no peak channel
        EXPECT_EQ(pv::live.live_rev, s.rev);
        EXPECT_EQ(pv::live.live_throttle, s.throttle);
        // The poll itself takes no time on the unpaced unit.
        ASSERT_EQ(clock.tick_count(), before);
    }
    EXPECT_FALSE(pvsim::load_replay(scratch.path("none.PVL"), o, error));
}

}  // namespace
