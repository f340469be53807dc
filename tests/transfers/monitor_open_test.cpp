// The Data Monitor button's checks with the unit, in their order, up to the window.
#include "core/logging/monitor.h"
#include "support/transfers_support.h"

namespace xfertest {
namespace {

using pv::state;

class MonitorOpen : public TransferTest {
  protected:
    // Stands in for the window: it exists from here on, as FormCreate says.
    bool open() {
        shows.clear();
        return pv::monitor_open_sequence([this](bool linked) {
            shows.push_back(linked);
            state.monitor_open = 1;
        });
    }
    std::vector<bool> shows;
};

TEST_F(MonitorOpen, RefusalsInOrderLeaveNoWindowAndNoPort) {
    line->break_block(118, false);
    EXPECT_FALSE(open());
    EXPECT_EQ(texts(), Texts{error(34)});

    pvsim::Options o;
    o.ready = false;
    start_unit(o);
    EXPECT_FALSE(open());
    EXPECT_EQ(texts(), Texts{msg(11)});

    start_unit({});
    line->break_block(103, false);
    EXPECT_FALSE(open());
    EXPECT_EQ(texts(), Texts{error(4)});

    o = {};
    o.setup = pvsim::Setup::second;
    start_unit(o);
    EXPECT_FALSE(open());
    EXPECT_EQ(texts(), Texts{msg(26)});

    EXPECT_TRUE(shows.empty());
    EXPECT_FALSE(state.monitor_open);
    EXPECT_FALSE(port->is_open());
    EXPECT_EQ(prompter.shown[0].icon, pv::Icon::Error);
}

TEST_F(MonitorOpen, WithTheLinkOnTheWindowJustOpens) {
    state.link_on = 1;
    state.monitor_log_mode = 1;
    EXPECT_TRUE(open());
    EXPECT_EQ(shows, std::vector<bool>{true});
    EXPECT_EQ(state.monitor_log_mode, 0);
    EXPECT_EQ(exchanges(), 2u);  // blocks 118 and 103, no parameter load
    EXPECT_TRUE(texts().empty());
}

TEST_F(MonitorOpen, WithoutTheLinkTheParametersLoadAndPollingStarts) {
    pvsim::Options o;
    o.psi = true;
    start_unit(o);
    EXPECT_TRUE(open());
    EXPECT_EQ(shows, std::vector<bool>{false});
    EXPECT_EQ(pv::data.pressure_unit, 1);  // the unit's parameter set
    EXPECT_EQ(hooks.link_interval, 15u);
    EXPECT_EQ(state.comm_state, 0);
    EXPECT_TRUE(port->is_open());  // the monitor keeps it
    EXPECT_TRUE(texts().empty());
}

TEST_F(MonitorOpen, ALockedUnitAsksAndStaysSilentWhenKept) {
    pvsim::Options o;
    o.locked = 4321;
    start_unit(o);
    prompter.answers = {pv::Answer::No};
    EXPECT_FALSE(open());
    EXPECT_EQ(texts(), Texts{msg(28)});
    EXPECT_TRUE(shows.empty());
    EXPECT_FALSE(port->is_open());

    prompter.shown.clear();
    prompter.answers = {pv::Answer::Yes};
    prompter.inputs = {"4321"};
    EXPECT_TRUE(open());
    EXPECT_EQ(texts(), (Texts{msg(28), ask_lock(42), msg(43)}));
    EXPECT_FALSE(sim->locked());
}

TEST_F(MonitorOpen, AFailedParameterLoadNamesTheBlockThenTheLoad) {
    line->break_block(106, false);
    EXPECT_FALSE(open());
    EXPECT_EQ(texts(), (Texts{pv::comm_error_text(106, false), error(42)}));
    EXPECT_EQ(state.comm_state, 0);
    EXPECT_FALSE(port->is_open());
    EXPECT_EQ(hooks.link_interval, 0u);
}

}  // namespace
}  // namespace xfertest
