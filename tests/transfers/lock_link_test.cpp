// Data Lock ON and OFF, All Reset, the Link button and the link timer.
#include "support/transfers_support.h"

namespace xfertest {
namespace {

using pv::state;

class DataLock : public TransferTest {
  protected:
    void lock_unit(uint16_t number) {
        pvsim::Options o;
        o.locked = number;
        start_unit(o);
    }
};

TEST_F(DataLock, NewNumberIsCheckedLocallyBeforeItIsWritten) {
    prompter.inputs = {"0", "10000", "12a", "12", "13", "77", "77"};
    EXPECT_TRUE(pv::data_lock_on());
    EXPECT_EQ(texts(),
              (Texts{ask_lock(37), msg(41), ask_lock(37), msg(41), ask_lock(37), msg(41),
                     ask_lock(37), ask_lock(38), msg(40), ask_lock(37), ask_lock(38), msg(39)}));
    EXPECT_EQ(sim->lock_number(), 77);
    EXPECT_EQ(line->unit_commands(), std::vector<uint8_t>{pv::cmd_lock});
    EXPECT_EQ(pv::unit.unit_command, pv::cmd_none);
    EXPECT_FALSE(port->is_open());
}

TEST_F(DataLock, UnlockChecksTheEntryThenAsksTheUnit) {
    lock_unit(1234);
    EXPECT_FALSE(pv::data_lock_off());  // cancelled
    EXPECT_TRUE(sim->locked());

    prompter.shown.clear();
    prompter.inputs = {"12a", "0", "1111", "1234"};
    EXPECT_TRUE(pv::data_lock_off());
    EXPECT_EQ(texts(), (Texts{ask_lock(42), msg(44), ask_lock(42), msg(41), ask_lock(42), msg(43),
                              error(52), ask_lock(42), msg(43)}));
    EXPECT_FALSE(sim->locked());
    EXPECT_EQ(line->unit_commands(), (std::vector<uint8_t>{pv::cmd_lock, pv::cmd_lock}));
}

TEST_F(DataLock, NumberThatNeverReachedTheUnitIsNotCalledWrong) {
    lock_unit(1234);
    line->break_block(111, true);
    prompter.inputs = {"1234"};
    EXPECT_FALSE(pv::data_lock_off());
    EXPECT_EQ(texts(), (Texts{ask_lock(42), msg(43), error(21), ask_lock(42)}));
}

class AllReset : public TransferTest {};

TEST_F(AllReset, OnlyYesResetsAndTheDocumentKeepsItsPressureUnit) {
    pvsim::Options o;
    o.locked = 99;
    start_unit(o);
    EXPECT_FALSE(pv::all_reset());
    EXPECT_EQ(texts(), Texts{msg(27)});
    EXPECT_EQ(writes(), 0u);
    EXPECT_FALSE(port->is_open());

    sim->poke(0xF85E, 1);  // the unit runs in PSI until the reset
    open_document();
    pv::data.pressure_unit = 1;
    prompter.answers = {pv::Answer::Yes};
    EXPECT_TRUE(pv::all_reset());
    EXPECT_FALSE(sim->locked());
    EXPECT_EQ(line->unit_commands(), std::vector<uint8_t>{pv::cmd_reset});
    // Closing the map window may save the document, so it must hold its own unit then.
    EXPECT_EQ(hooks.pressure_unit_at_close, 1);
    EXPECT_FALSE(port->is_open());
}

class Link : public TransferTest {
  protected:
    void start_link() {
        open_document();
        ASSERT_TRUE(pv::link_button());
        hooks.events.clear();
        line->written.clear();
    }
    void tick(int times) {
        for (int k = 0; k < times; ++k) pv::link_timer_tick();
    }
};

TEST_F(Link, StartsWithTheTableShownAndStopsWithoutAnExchange) {
    open_document();
    pv::grid.current_map = pv::map_offset_a;
    sim->poke(0xF824, 150);
    EXPECT_TRUE(pv::link_button());
    EXPECT_EQ(pv::data.offset_map_a[0][0], 150);
    EXPECT_TRUE(hooks.has("fill_grid"));
    EXPECT_EQ(hooks.link_interval, 15u);
    EXPECT_TRUE(state.port_open);

    line->written.clear();
    EXPECT_FALSE(pv::link_button());
    EXPECT_EQ(exchanges(), 0u);
    EXPECT_EQ(hooks.link_interval, 0u);
    EXPECT_FALSE(port->is_open());
}

TEST_F(Link, TickPollsOnlyWhenNothingHoldsThePort) {
    start_link();
    for (uint8_t* holder : {&state.ui_busy, &state.transfer_active, &state.poll_busy}) {
        *holder = 1;
        tick(1);
        *holder = 0;
    }
    EXPECT_EQ(exchanges(), 0u);
    state.monitor_open = 1;
    tick(1);
    EXPECT_EQ(exchanges(), 1u);
    EXPECT_EQ(hooks.events, (Texts{"refresh_monitor", "update_live_cursor"}));
}

TEST_F(Link, SixtyFirstMissedPollSwitchesTheLinkOff) {
    start_link();
    state.monitor_open = 1;
    line->broken.insert({pv::read_request, pv::live_data_address});
    tick(60);
    EXPECT_TRUE(state.link_on);
    line->broken.clear();
    tick(1);
    EXPECT_EQ(state.poll_misses, 0);

    line->broken.insert({pv::read_request, pv::live_data_address});
    tick(60);
    EXPECT_TRUE(state.link_on);
    EXPECT_FALSE(hooks.has("close_monitor"));
    tick(1);
    EXPECT_FALSE(state.link_on);
    EXPECT_TRUE(hooks.has("close_monitor") && hooks.has("release_trace_buttons"));
    EXPECT_FALSE(port->is_open());
    EXPECT_EQ(exchanges(), 122u);  // one try per tick
}

// With a port the event loop can watch, a tick only sends the request and the reply is taken
// as it arrives, so the window is never held for the exchange's wire time.
class LinkInEventLoop : public Link {
  protected:
    void SetUp() override {
        Link::SetUp();
        port->watchable = true;
        sim->fixed_live = pv::LiveSample{-1234, 2000, 45, 60};
    }
    void collect(int times) {
        for (int k = 0; k < times; ++k) pv::link_poll_collect();
    }
    using Watch = std::pair<int, uint32_t>;
    static constexpr Watch kWatching{0, 112}, kIdle{-1, 0};
};

TEST_F(LinkInEventLoop, TheReplyIsTakenAsItArrivesAndAWaitingTickFollowsAtOnce) {
    start_link();
    state.monitor_open = 1;
    port->ready_bytes = 10;
    tick(1);
    EXPECT_EQ(exchanges(), 1u);
    EXPECT_TRUE(state.poll_busy);
    EXPECT_EQ(hooks.port_watches, std::vector<Watch>{kWatching});
    tick(1);  // the reply is still on the wire: nothing more goes out
    collect(2);
    EXPECT_EQ(exchanges(), 1u);
    EXPECT_NE(pv::live.live_boost, -1234);
    EXPECT_TRUE(hooks.events.empty());

    collect(1);  // the last four bytes
    EXPECT_EQ(pv::live.live_boost, -1234);
    EXPECT_EQ(pv::live.live_throttle, 60);
    EXPECT_EQ(hooks.events, (Texts{"refresh_monitor", "update_live_cursor"}));
    EXPECT_EQ(hooks.port_watches, (std::vector<Watch>{kWatching, kIdle, kWatching}));
    EXPECT_EQ(exchanges(), 2u) << "the tick that came meanwhile polls as soon as the line is free";
    EXPECT_TRUE(state.poll_busy);
}

// The timer rests while the reply is on the line; its ticks come back in their old step, and
// one that fell in the wait polls at once.
TEST_F(LinkInEventLoop, TheTimerRestsWhileTheReplyIsOnTheLine) {
    hooks.timer_rests = true;
    start_link();
    state.monitor_open = 1;
    tick(1);
    EXPECT_EQ(hooks.timer_holds, 1);
    clock.advance(5);
    collect(1);
    EXPECT_EQ(hooks.timer_resumes, std::vector<uint32_t>{10}) << "the next tick 15 ms after the last";
    EXPECT_EQ(exchanges(), 1u) << "a quick reply waits for the tick";

    tick(1);
    clock.advance(25);
    collect(1);
    EXPECT_EQ(hooks.timer_resumes, (std::vector<uint32_t>{10, 5}));
    EXPECT_EQ(exchanges(), 3u) << "the tick that fell in the wait polls as the line is free";
    EXPECT_EQ(hooks.timer_holds, 3);

    // A command takes the port: the poll is dropped with the tick it would have had.
    clock.advance(20);
    EXPECT_TRUE(pv::read_block(118));
    EXPECT_EQ(hooks.timer_resumes.back(), 10u);
    EXPECT_EQ(exchanges(), 4u);
    EXPECT_FALSE(state.poll_busy);

    // The timer stopped while the reply was on the line (the link going off) stays stopped.
    tick(1);
    hooks.set_link_timer(0);
    clock.advance(30);
    collect(1);
    EXPECT_EQ(exchanges(), 5u) << "no tick fell in a wait whose timer was stopped";
    EXPECT_FALSE(state.poll_busy);
}

TEST_F(LinkInEventLoop, MissesAndTheStatusReadFollowTheRulesOfAWaitingPoll) {
    start_link();
    line->broken.insert({pv::read_request, pv::live_data_address});
    tick(1);
    clock.advance(111);
    collect(1);
    EXPECT_TRUE(state.poll_busy) << "not yet overdue";
    clock.advance(1);
    collect(1);
    EXPECT_FALSE(state.poll_busy);
    EXPECT_EQ(state.poll_misses, 1);
    EXPECT_EQ(hooks.port_watches.back(), kIdle);
    line->broken.clear();

    // The tenth poll reads the status too, with the tries of any status read.
    pv::unit.status_poll_count = 9;
    pv::data.status_word = 0;
    line->break_block(103, false);
    line->written.clear();
    tick(1);
    collect(1);
    EXPECT_TRUE(state.poll_busy);
    EXPECT_EQ(exchanges(), 2u);
    line->broken.clear();
    clock.advance(112);
    collect(1);
    EXPECT_EQ(exchanges(), 3u) << "a failed try is sent again at once";
    EXPECT_TRUE(state.poll_busy);
    collect(1);
    EXPECT_FALSE(state.poll_busy);
    EXPECT_EQ(state.poll_misses, 0);
    EXPECT_EQ(pv::data.status_word, 0xD030);
    EXPECT_EQ(pv::unit.status_poll_count, 0);
}

TEST_F(LinkInEventLoop, AnythingElseOnThePortDropsThePollOnTheLine) {
    start_link();
    state.monitor_open = 1;
    tick(1);
    EXPECT_TRUE(pv::read_block(118));
    EXPECT_EQ(exchanges(), 2u) << "the command's own reply on the first try";
    EXPECT_FALSE(state.poll_busy);
    EXPECT_EQ(state.poll_misses, 0);
    EXPECT_TRUE(hooks.events.empty());
    EXPECT_EQ(hooks.port_watches.back(), kIdle);

    tick(1);
    EXPECT_TRUE(state.poll_busy);
    EXPECT_FALSE(pv::link_button());  // Link off while the reply is on its way
    EXPECT_FALSE(state.poll_busy);
    EXPECT_FALSE(port->is_open());
    collect(1);
    EXPECT_EQ(state.poll_misses, 0);
    EXPECT_EQ(hooks.port_watches.back(), kIdle);
}

}  // namespace
}  // namespace xfertest
