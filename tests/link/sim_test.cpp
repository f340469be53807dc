// The simulated unit: its memory, the unit commands and its options, seen through the link.
#include <sstream>

#include "support/link_support.h"

namespace linktest {
namespace {

using pv::data;

class SimUnitTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        open();
    }
    bool command(pv::UnitCommand c) {
        pv::CommandPurpose purpose(c);
        return pv::write_block(115);
    }
    bool read_everything() {
        for (int id : pv::kTableIds)
            if (!pv::read_table(id)) return false;
        for (int id : {104, 105, 106, 107, 108, 109, 110, 112, 113, 114, 119, 120, 121})
            if (!pv::read_block(id)) return false;
        return true;
    }
};

TEST_F(SimUnitTest, FreshUnitHoldsTheNewDefaults) {
    pv::ControllerData defaults = data;
    data = pv::ControllerData{};
    ASSERT_TRUE(read_everything());
    EXPECT_EQ(data.rpm_axis, defaults.rpm_axis);
    EXPECT_EQ(data.speed_axis, defaults.speed_axis);
    EXPECT_EQ(data.throttle_axis, defaults.throttle_axis);
    EXPECT_EQ(data.boost_map_a, defaults.boost_map_a);
    EXPECT_EQ(data.offset_map_b, defaults.offset_map_b);
    EXPECT_EQ(data.cyls, defaults.cyls);
    EXPECT_EQ(data.spdpulse, defaults.spdpulse);
    EXPECT_EQ(data.openth, defaults.openth);
    EXPECT_EQ(data.backlight_level, defaults.backlight_level);
    EXPECT_EQ(data.sampling_time, defaults.sampling_time);
    EXPECT_EQ(data.offset_a, defaults.offset_a);
    EXPECT_EQ(data.barmaxset, defaults.barmaxset);
    EXPECT_EQ(data.warning_boost, defaults.warning_boost);
    EXPECT_EQ(data.up_boost_offset, defaults.up_boost_offset);

    ASSERT_TRUE(pv::read_block(101));
    ASSERT_TRUE(pv::read_block(102));
    ASSERT_TRUE(pv::read_block(118));
    EXPECT_EQ(pv::unit.valve_version, 120);
    EXPECT_EQ(pv::unit.display_version, 120);
    EXPECT_EQ(pv::unit.unit_link_ready, 1);
}

TEST_F(SimUnitTest, OptionsShapeTheFreshUnit) {
    pvsim::Options o;
    o.valve_version = 125;
    o.display_version = 100;
    o.ready = false;
    o.setup = pvsim::Setup::second;
    o.locked = 1234;
    o.psi = true;
    o.speed = true;
    o.mode_b = true;
    start_unit(o);
    open();
    ASSERT_TRUE(pv::read_block(101) && pv::read_block(102) && pv::read_block(118) &&
                pv::read_block(103) && pv::read_block(109));
    EXPECT_EQ(pv::unit.valve_version, 125);
    EXPECT_EQ(pv::unit.display_version, 100);
    EXPECT_EQ(pv::unit.unit_link_ready, 0);
    EXPECT_EQ(data.pressure_unit, 1);
    // Lock, mode B, valve SWING, second setup pass; speed and PSI leave bits 4 and 5 clear.
    EXPECT_EQ(data.status_word, 0x2000 | 0x1000 | 0x0800 | 0x0100);

    o = {};
    o.setup = pvsim::Setup::first;
    start_unit(o);
    EXPECT_EQ(pv::read_status(), 0x1030);
}

TEST_F(SimUnitTest, LockSetsWhenUnlockedAndClearsOnlyWithItsNumber) {
    pv::unit.lock_number = 4321;
    ASSERT_TRUE(pv::write_block(111) && command(pv::cmd_lock));
    pv::read_status();
    EXPECT_TRUE(pv::lock_set());

    pv::unit.lock_number = 1111;
    ASSERT_TRUE(pv::write_block(111) && command(pv::cmd_lock));
    pv::read_status();
    EXPECT_TRUE(pv::lock_set());
    EXPECT_EQ(sim->lock_number(), 4321);

    pv::unit.lock_number = 4321;
    ASSERT_TRUE(pv::write_block(111) && command(pv::cmd_lock));
    pv::read_status();
    EXPECT_FALSE(pv::lock_set());
}

TEST_F(SimUnitTest, ResetNeedsTheRequestInBlock116) {
    pvsim::Options o;
    o.locked = 77;
    start_unit(o);
    open();
    data.setboost_a = 150;
    ASSERT_TRUE(pv::write_table(104) && command(pv::cmd_apply));
    ASSERT_TRUE(command(pv::cmd_reset));
    EXPECT_TRUE(sim->locked());
    EXPECT_EQ(sim->in_use().setboost_a, 150);

    ASSERT_TRUE(pv::write_block(116) && command(pv::cmd_reset));
    EXPECT_FALSE(sim->locked());
    EXPECT_EQ(sim->in_use().setboost_a, 0);
    ASSERT_TRUE(pv::read_table(104));
    EXPECT_EQ(data.setboost_a, 0);
}

TEST_F(SimUnitTest, ApplyTakesTheWrittenValuesIntoUse) {
    data.setboost_b = 120;
    data.pressure_unit = 1;
    ASSERT_TRUE(pv::write_table(104) && pv::write_block(109));
    EXPECT_EQ(sim->in_use().setboost_b, 0);

    // A plain apply leaves the unit's initial setup items as they were.
    ASSERT_TRUE(command(pv::cmd_apply));
    EXPECT_EQ(sim->in_use().setboost_b, 120);
    EXPECT_EQ(sim->in_use().pressure_unit, 0);
    ASSERT_TRUE(pv::read_block(109));
    EXPECT_EQ(data.pressure_unit, 0);

    data.pressure_unit = 1;
    ASSERT_TRUE(pv::write_block(109) && command(pv::cmd_apply_initial));
    EXPECT_EQ(sim->in_use().pressure_unit, 1);
    EXPECT_EQ(pv::read_status() & 0x0020, 0);  // no longer kPa
}

TEST_F(SimUnitTest, ThrottleSampleFillsBlock117) {
    sim->throttle_voltage = 4321;
    ASSERT_TRUE(command(pv::cmd_throttle_sample));
    ASSERT_TRUE(pv::read_block(117));
    EXPECT_EQ(pv::unit.throttle_voltage, 4321);
}

TEST_F(SimUnitTest, TheDriveStaysOnTheMapAndHoldsItsPeak) {
    int lowest = 255, highest = 0;
    for (int k = 0; k < 200; ++k) {
        clock.advance(50);
        ASSERT_TRUE(pv::poll_live_data());
        lowest = std::min<int>(lowest, pv::live.live_rev);
        highest = std::max<int>(highest, pv::live.live_rev);
        EXPECT_LE(pv::live.live_throttle, 100);
        EXPECT_GE(pv::live.live_peak_boost, pv::live.live_boost);
    }
    // rpm axis 10..70 (x100 rpm), swept a little beyond both ends.
    EXPECT_LE(lowest, 10);
    EXPECT_GE(highest, 70);
    EXPECT_GE(lowest, 5);
    EXPECT_LE(highest, 75);
}

TEST(SimFrames, OnlyValidFramesAreAnswered) {
    pvsim::SimUnit unit({}, [] { return 0u; });
    Bytes good = hex("E5 3A 10 00 00 8A F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 35");
    Bytes bad_sum = good;
    bad_sum[23] ^= 1;
    Bytes bad_length =
        hex("E5 3A 0F 00 00 8A F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 36");
    Bytes bad_command =
        hex("E5 3B 10 00 00 8A F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 34");
    Bytes empty_write =
        hex("E5 B5 00 00 00 8A F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 CA");
    for (const Bytes& b : {bad_sum, bad_length, bad_command, empty_write})
        EXPECT_TRUE(unit.handle(b.data(), b.size()).reply.empty());
    EXPECT_TRUE(unit.handle(good.data(), 23).reply.empty());
    EXPECT_EQ(unit.requests, 0);

    pvsim::Outcome out = unit.handle(good.data(), good.size());
    EXPECT_EQ(out.reply,
              hex("E5 3A 10 00 00 8A F7 D0 30 00 00 00 78 00 00 00 00 00 00 00 00 00 00 BD"));
}

TEST(SimFrames, FramerFindsTheFrameAfterLineNoise) {
    Bytes good = hex("E5 3A 10 00 00 8A F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 35");
    Bytes line = {0x00, 0xE5, 0x3A, 0x99};
    line.insert(line.end(), good.begin(), good.end());
    line.insert(line.end(), good.begin(), good.begin() + 10);
    pvsim::Framer framer;
    int frames = 0;
    framer.feed(line.data(), line.size(), [&](const uint8_t* f) {
        EXPECT_TRUE(std::equal(good.begin(), good.end(), f));
        ++frames;
    });
    EXPECT_EQ(frames, 1);
    framer.feed(good.data() + 10, 14, [&](const uint8_t*) { ++frames; });
    EXPECT_EQ(frames, 2);
    EXPECT_TRUE(framer.empty());
}

TEST(SimFrames, SilentAfterAndLogging) {
    pvsim::Options o;
    o.silent_after = 1;
    std::ostringstream log;
    pvsim::SimUnit unit(o, [] { return 0u; });
    unit.log = &log;
    Bytes good = hex("E5 3A 10 00 00 8A F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 35");
    EXPECT_FALSE(unit.handle(good.data(), good.size()).reply.empty());
    EXPECT_TRUE(unit.handle(good.data(), good.size()).reply.empty());
    EXPECT_EQ(log.str().substr(0, 26), "> E5 3A 10 00 00 8A F7 00 ");
    EXPECT_NE(log.str().find("\n< E5 3A 10 00 00 8A F7 D0 30"), std::string::npos);
    EXPECT_NE(log.str().find("silent"), std::string::npos);
}

TEST(SimOptions, ParsesValuesAndRefusesBadOnes) {
    pvsim::Options o;
    std::string error;
    ASSERT_TRUE(pvsim::parse_options(
        {"--versions", "121,125", "--setup", "second", "--drop", "0.25", "--silent-after", "3"}, o,
        error))
        << error;
    EXPECT_EQ(o.valve_version, 121);
    EXPECT_EQ(o.display_version, 125);
    EXPECT_EQ(o.setup, pvsim::Setup::second);
    EXPECT_DOUBLE_EQ(o.drop, 0.25);
    EXPECT_EQ(o.silent_after, 3);
    for (std::vector<std::string> bad : {std::vector<std::string>{"--versions", "120"},
                                         {"--versions", "120,300"},
                                         {"--late", "1.5"},
                                         {"--locked"},
                                         {"--frobnicate"}}) {
        pvsim::Options ignored;
        EXPECT_FALSE(pvsim::parse_options(bad, ignored, error)) << bad[0];
    }
}

}  // namespace
}  // namespace linktest
