// The port's keepers, the five attempts of an exchange and the live poll, against the
// in-process simulated unit.
#include "core/ui/texts.h"
#include "support/link_support.h"

namespace linktest {
namespace {

using pv::state;
using pvsim::Fault;

class PortState : public LinkTest {};

TEST_F(PortState, AbsentPortIsReportedOnEveryAttemptWithItsComName) {
    port->present = false;
    pv::settings.com_port = 7;
    pv::open_port();
    pv::open_port();
    EXPECT_FALSE(state.port_open);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].icon, pv::Icon::Error);
    EXPECT_EQ(prompter.shown[0].text, "Cannot open COM7.");
    EXPECT_EQ(hooks.normal_cursors, 2);

    pv::settings.com_port = 12;
    pv::settings.lang_id = pv::kLangJapanese;
    pv::open_port();
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[2].text, "COM12" + pv::msg_text(35));
    EXPECT_EQ(port->last_com, 12);
}

TEST_F(PortState, FailedConfigurationReleasesTheHandle) {
    port->refuse_configure = true;
    pv::settings.com_port = 3;
    pv::open_port();
    EXPECT_FALSE(state.port_open);
    EXPECT_FALSE(port->is_open());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Cannot configure COM3.");

    // The next command tries again from the start.
    port->refuse_configure = false;
    pv::open_port();
    EXPECT_TRUE(state.port_open);
    EXPECT_EQ(port->opens, 2);
}

TEST_F(PortState, CommStateTakesAndReleasesThePort) {
    pv::set_comm_state(2);
    EXPECT_TRUE(state.port_open);
    EXPECT_TRUE(state.transfer_active);
    EXPECT_EQ(state.comm_state, 2);

    state.link_on = 1;
    pv::set_comm_state(0);
    EXPECT_TRUE(state.port_open);
    EXPECT_FALSE(state.transfer_active);

    state.link_on = 0;
    state.monitor_open = 1;
    pv::set_comm_state(3);
    pv::set_comm_state(0);
    EXPECT_TRUE(state.port_open);

    state.monitor_open = 0;
    pv::set_comm_state(0);
    EXPECT_FALSE(state.port_open);
    EXPECT_EQ(port->closes, 1);
    EXPECT_EQ(hooks.repaints, 5);
}

TEST_F(PortState, ReplacingThePortClosesTheOldOne) {
    open();
    pv::set_port(nullptr);
    EXPECT_FALSE(state.port_open);
    EXPECT_FALSE(port->is_open());
}

class Attempts : public LinkTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(Attempts, FiveFaultyRepliesFailTheExchangeAndChangeNothing) {
    open();
    pv::data.status_word = 0x1234;
    pv::unit.status_flags[3] = 1;
    sim->scripted.assign(5, GetParam());
    EXPECT_FALSE(pv::read_block(103));
    EXPECT_EQ(sent().size(), 5u);
    EXPECT_EQ(pv::data.status_word, 0x1234);
    EXPECT_EQ(pv::unit.status_flags[3], 1);
    EXPECT_EQ(pv::unit.status_flags[14], 0);
}

TEST_P(Attempts, TheFifthAttemptStillCounts) {
    open();
    sim->scripted.assign(4, GetParam());
    EXPECT_TRUE(pv::read_block(103));
    EXPECT_EQ(sent().size(), 5u);
    EXPECT_EQ(pv::data.status_word, sim->status_word());
}

std::string fault_name(const ::testing::TestParamInfo<Fault>& param) {
    static const char* const names[] = {"none",       "drop",  "late",  "corrupt",
                                        "wrong_echo", "short", "silent"};
    return names[static_cast<int>(param.param)];
}

INSTANTIATE_TEST_SUITE_P(EachFault, Attempts,
                         ::testing::Values(Fault::drop, Fault::late, Fault::corrupt,
                                           Fault::wrong_echo, Fault::short_reply),
                         fault_name);

TEST_F(LinkTest, ALateReplyIsPurgedBeforeTheNextRequest) {
    open();
    sim->scripted = {Fault::late};
    pv::data.setboost_a = 200;
    // The late reply of the first try lands in the buffer; the second try must not take it.
    EXPECT_TRUE(pv::write_table(104));
    EXPECT_TRUE(pv::read_block(118));
    EXPECT_EQ(sent().size(), 3u);
}

TEST_F(LinkTest, AnUnpluggedAdapterFailsTheExchangeAtOnce) {
    open();
    port->unplugged = true;
    pv::data.axis_select_no = 3;
    uint32_t before = clock.tick_count();
    EXPECT_FALSE(pv::read_block(106));
    EXPECT_FALSE(pv::poll_live_data());
    EXPECT_EQ(pv::data.axis_select_no, 3);
    EXPECT_EQ(clock.tick_count(), before);
}

TEST_F(LinkTest, NoExchangeWithoutAnOpenPort) {
    EXPECT_FALSE(pv::read_block(103));
    EXPECT_FALSE(pv::poll_live_data());
    EXPECT_TRUE(sent().empty());
}

TEST_F(LinkTest, BlocksAreOnlyUsedTheWayTheTableAllows) {
    open();
    EXPECT_FALSE(pv::write_block(103));
    EXPECT_FALSE(pv::write_block(118));
    EXPECT_FALSE(pv::read_block(115));
    EXPECT_FALSE(pv::read_block(111));
    EXPECT_FALSE(pv::read_block(pv::map_boost_a, 6, 1));
    EXPECT_FALSE(pv::read_block(pv::map_rpm_axis, 1, 2));
    EXPECT_FALSE(pv::read_block(999));
    EXPECT_FALSE(pv::read_table(100));
    EXPECT_TRUE(sent().empty());
}

TEST_F(LinkTest, GaugeStepsOncePerExchangeWhileTheDialogShows) {
    open();
    pv::read_block(118);
    EXPECT_EQ(hooks.gauge_steps, 0);

    state.progress_open = 1;
    sim->scripted.assign(5, Fault::drop);
    EXPECT_FALSE(pv::read_block(118));
    EXPECT_EQ(hooks.gauge_steps, 1);
    EXPECT_TRUE(pv::read_table(pv::map_boost_a));
    EXPECT_EQ(hooks.gauge_steps, 5);
}

TEST_F(LinkTest, ReadStatusOpensThePortAndMarksAnUnknownStatus) {
    EXPECT_EQ(pv::read_status(), 0xD030);  // rpm, kPa, SWING, setup complete, control on
    EXPECT_TRUE(state.port_open);
    EXPECT_TRUE(pv::setup_complete());

    pv::data.status_word = 0x0042;
    pvsim::Options o;
    o.silent_after = 0;
    start_unit(o);
    EXPECT_EQ(pv::read_status(), pv::kStatusUnknown);
    EXPECT_EQ(pv::data.status_word, 0x0042);
}

class Poll : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        sim->fixed_live = pv::LiveSample{-1234, 2000, 45, 60};
        open();
    }
};

TEST_F(Poll, TakesTheMeasuredValuesFromTheLiveBlock) {
    ASSERT_TRUE(pv::poll_live_data());
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0],
              hex("E5 3A 10 00 00 80 F7 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 3F"));
    EXPECT_EQ(pv::live.live_boost, -1234);
    EXPECT_EQ(pv::live.live_peak_boost, 2000);
    EXPECT_EQ(pv::live.live_rev, 45);
    EXPECT_EQ(pv::live.live_throttle, 60);
}

TEST_F(Poll, ReReadsTheStatusEveryTenthPoll) {
    for (int k = 0; k < 9; ++k) ASSERT_TRUE(pv::poll_live_data());
    EXPECT_EQ(sent().size(), 9u);
    EXPECT_EQ(pv::unit.status_poll_count, 9);
    ASSERT_TRUE(pv::poll_live_data());
    ASSERT_EQ(sent().size(), 11u);
    EXPECT_EQ(sent()[10][5], 0x8A);  // block 103
    EXPECT_EQ(pv::unit.status_poll_count, 0);
    EXPECT_TRUE(pv::rev_is_rpm());
}

TEST_F(Poll, AFailedPollIsNotRepeatedAndChangesNothing) {
    ASSERT_TRUE(pv::poll_live_data());
    sim->fixed_live = pv::LiveSample{1, 1, 1, 1};
    for (Fault f :
         {Fault::drop, Fault::late, Fault::corrupt, Fault::wrong_echo, Fault::short_reply}) {
        sim->scripted = {f};
        EXPECT_FALSE(pv::poll_live_data());
    }
    EXPECT_EQ(sent().size(), 6u);
    EXPECT_EQ(pv::live.live_boost, -1234);
    EXPECT_EQ(pv::live.live_rev, 45);
    EXPECT_EQ(pv::unit.status_poll_count, 1);
}

TEST_F(Poll, CorrectionsComeFromTheMapSetTheUnitRuns) {
    pv::data.axis_select_no = 2;
    pv::data.boost_map_a[2][0] = 20;
    pv::data.boost_map_b[2][0] = -30;
    pv::data.offset_map_b[2][0] = 90;
    sim->fixed_live = pv::LiveSample{0, 0, 40, 0};  // on the third rpm point

    ASSERT_TRUE(pv::poll_live_data());
    EXPECT_EQ(pv::live.live_boost_correction, 20);
    EXPECT_EQ(pv::live.live_offset_correction, 100);

    pvsim::Options o;
    o.mode_b = true;
    start_unit(o);
    sim->fixed_live = pv::LiveSample{0, 0, 40, 0};
    pv::read_status();
    ASSERT_TRUE(pv::poll_live_data());
    EXPECT_EQ(pv::live.live_boost_correction, -30);
    EXPECT_EQ(pv::live.live_offset_correction, 90);
}

}  // namespace
}  // namespace linktest
