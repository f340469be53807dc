#include <gtest/gtest.h>

#include "core/params/throttle_sample.h"
#include "support/link_support.h"

namespace {

using linktest::LinkTest;
using pvsim::Fault;

class ThrottleSample : public LinkTest {};

TEST_F(ThrottleSample, SamplesAfterTheCommandAndAPause) {
    sim->throttle_voltage = 4500;
    uint32_t before = clock.tick_count();
    EXPECT_EQ(pv::sample_throttle_voltage(), 4500);
    EXPECT_GT(clock.tick_count() - before, pv::kThrottleSampleWaitMs);
    ASSERT_EQ(sent().size(), 2u);
    // Block 115 (0xF878, address low byte first) carrying the sample command, then block 117.
    EXPECT_EQ(sent()[0][5], 0x78);
    EXPECT_EQ(sent()[0][6], 0xF8);
    EXPECT_EQ(sent()[0][7], 0xCC);
    EXPECT_EQ(sent()[1][5], 0x6C);
    EXPECT_EQ(sent()[1][6], 0xF8);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(pv::state.comm_state, 0);
    EXPECT_EQ(pv::state.port_open, 0);  // neither the link nor the monitor holds it
    EXPECT_EQ(pv::unit.unit_command, pv::cmd_none);
}

TEST_F(ThrottleSample, FailedReadShowsItsErrorAndGivesZero) {
    sim->throttle_voltage = 4500;
    sim->scripted = {Fault::none, Fault::drop, Fault::drop, Fault::drop, Fault::drop, Fault::drop};
    EXPECT_EQ(pv::sample_throttle_voltage(), 0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].icon, pv::Icon::Error);
    EXPECT_EQ(prompter.shown[0].text, "Communication error(1171):Please check connection");
    EXPECT_EQ(pv::state.comm_state, 0);
}

TEST_F(ThrottleSample, UnitThatIgnoresTheCommandGivesZeroSilently) {
    sim->scripted.assign(5, Fault::drop);
    EXPECT_EQ(pv::sample_throttle_voltage(), 0);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(sent().size(), 5u);  // no read after a refused command
}

TEST_F(ThrottleSample, LiveLinkKeepsThePort) {
    sim->throttle_voltage = 700;
    open();
    pv::state.link_on = 1;
    EXPECT_EQ(pv::sample_throttle_voltage(), 700);
    EXPECT_EQ(pv::state.port_open, 1);
    pv::state.link_on = 0;
}

}  // namespace
