// Load All Data, Load Parameter, Send All Data and Send Parameter against the simulated
// unit: their check chains, the exchanges they make and what they leave behind.
#include "support/transfers_support.h"

namespace xfertest {
namespace {

using pv::data;
using pv::state;

class LoadAll : public TransferTest {};

TEST_F(LoadAll, ReadsTheWholeUnitAndShowsItAsUnitData) {
    sim->poke(0xF7C0, 0xFF);  // boost_map_a[0][0] = -1
    sim->poke(0xF7C1, 0xFF);
    sim->poke(0xF7A1, 150);  // setboost_a
    state.doc_is_new = 1;
    EXPECT_TRUE(pv::load_all_data());
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(same_unit_data(data, unit_memory(*sim)));
    EXPECT_EQ(data.boost_map_a[0][0], -1);
    EXPECT_EQ(data.file_valve_version, 120);
    // Readiness, status, the lock check, then 30 exchanges under a gauge of 28.
    EXPECT_EQ(exchanges(), 33u);
    EXPECT_EQ(hooks.gauge_maximums, std::vector<int>{28});
    EXPECT_EQ(hooks.gauge_steps, 30);
    Texts tail(hooks.events.end() - 6, hooks.events.end());
    EXPECT_EQ(tail, (Texts{"progress Loading...", "progress yes", "make_map_window",
                           "save_unit_data", "caption Unit Data", "link down"}));
    EXPECT_FALSE(state.doc_is_new);
    EXPECT_TRUE(state.link_on);
    EXPECT_FALSE(state.comm_state || state.ui_busy || state.progress_open);
}

TEST_F(LoadAll, RefusalsShowTheirTextAndReleaseThePort) {
    pvsim::Options not_ready, first_pass, silent, locked;
    not_ready.ready = false;
    first_pass.setup = pvsim::Setup::first;
    silent.silent_after = 0;
    locked.locked = 4321;
    for (auto [options, shown] :
         {std::pair{not_ready, Texts{msg(11)}}, std::pair{first_pass, Texts{msg(10)}},
          std::pair{silent, Texts{error(34)}}, std::pair{locked, Texts{ask_lock(42)}}}) {
        start_unit(options);
        EXPECT_FALSE(pv::load_all_data());
        EXPECT_EQ(texts(), shown);
        EXPECT_FALSE(hooks.has("progress Loading..."));
        EXPECT_FALSE(port->is_open());
    }
}

TEST_F(LoadAll, FailedBlockShowsItsNumberThenTheInterruption) {
    line->break_block(107, false);
    EXPECT_FALSE(pv::load_all_data());
    EXPECT_EQ(texts(), (Texts{"Communication error(1071):Please check connection",
                              "Internal error(200):Program has been inturrupted."}));
    EXPECT_FALSE(hooks.has("make_map_window") || hooks.has("save_unit_data"));
    EXPECT_FALSE(state.link_on || state.port_open || state.transfer_active || state.ui_busy);
    // 15 table frames, 104, 105, 106, then 107 with its five tries as one step.
    EXPECT_EQ(hooks.gauge_steps, 19);
}

class SendAll : public TransferTest {
  protected:
    // A unit outside the 1.2x family, to which a document made by New may go.
    static pvsim::Options universal() {
        pvsim::Options o;
        o.valve_version = o.display_version = 100;
        return o;
    }
    void SetUp() override {
        TransferTest::SetUp();
        start_unit(universal());
    }
};

TEST_F(SendAll, NewDocumentSendsTheSetupItemsOnceThenTheShortSet) {
    state.doc_is_new = 1;
    data.boost_map_b[3][2] = -35;
    data.setboost_b = 90;
    EXPECT_TRUE(pv::send_all_data());
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(hooks.gauge_steps, 29);
    EXPECT_EQ(line->unit_commands(), std::vector<uint8_t>{pv::cmd_apply_initial});
    EXPECT_TRUE(same_unit_data(sim->in_use(), data));
    EXPECT_TRUE(hooks.has("processing") && hooks.has("make_map_window"));
    EXPECT_TRUE(state.link_on);

    hooks.gauge_steps = 0;
    data.boost_map_b[3][2] = 12;
    EXPECT_TRUE(pv::send_all_data());
    EXPECT_EQ(hooks.gauge_maximums, (std::vector<int>{29, 25}));
    EXPECT_EQ(hooks.gauge_steps, 25);
    EXPECT_EQ(line->unit_commands(), (std::vector<uint8_t>{pv::cmd_apply_initial, pv::cmd_apply}));
    EXPECT_EQ(sim->in_use().boost_map_b[3][2], 12);
    EXPECT_FALSE(state.send_allowed || state.setup_override || state.doc_is_new);
}

TEST_F(SendAll, RefusalsWriteNothingAndKeepTheDocument) {
    struct Case {
        uint8_t valve, display, file_version;
        bool psi;
        pvsim::Setup stage;
        Texts shown;
    };
    for (const Case& c : {
             Case{100,
                  100,
                  0,
                  true,
                  pvsim::Setup::complete,
                  {"Cannot write due to wrong  Pressure Unit."}},
             Case{125, 100, 120, false, pvsim::Setup::complete, {error(59)}},
             Case{120, 120, 0, false, pvsim::Setup::complete, {error(53)}},
             Case{100, 100, 129, false, pvsim::Setup::complete, {error(54)}},
             Case{100, 100, 0, false, pvsim::Setup::second, {msg(20)}},
             Case{100, 100, 0, false, pvsim::Setup::first, {msg(21)}},  // answered No
         }) {
        pvsim::Options o;
        o.valve_version = c.valve;
        o.display_version = c.display;
        o.psi = c.psi;
        o.setup = c.stage;
        start_unit(o);
        data.file_valve_version = data.file_display_version = c.file_version;
        EXPECT_FALSE(pv::send_all_data());
        EXPECT_EQ(texts(), c.shown) << int{c.valve} << "/" << int{c.display};
        EXPECT_EQ(writes(), 0u);
        EXPECT_EQ(data.pressure_unit, 0);
        EXPECT_FALSE(port->is_open());
    }
}

TEST_F(SendAll, DifferingItemsAreListedInOrder) {
    pvsim::Options o = universal();
    o.psi = true;
    start_unit(o);
    data.ext_bypass = 1;
    data.first_boost = 30;
    EXPECT_FALSE(pv::send_all_data());
    EXPECT_EQ(texts(), Texts{"Cannot write due to wrong  Pressure Unit, Exhaust Bypass Type, "
                             "Initial Boost Setting."});
    prompter.shown.clear();
    pv::settings.lang_id = pv::kLangJapanese;
    EXPECT_FALSE(pv::send_all_data());
    EXPECT_EQ(texts(), Texts{msg(13) + msg(18) + msg(14) + msg(18) + msg(17) + msg(19)});
    EXPECT_EQ(data.first_boost, 30);
}

TEST_F(SendAll, FailedSetupReadPutsTheDocumentsValuesBack) {
    data.pressure_unit = 1;  // the unit's 0 lands in the document before 114 fails
    line->break_block(114, false);
    EXPECT_FALSE(pv::send_all_data());
    EXPECT_EQ(texts(), Texts{error(26)});
    EXPECT_EQ(data.pressure_unit, 1);
    EXPECT_EQ(writes(), 0u);
}

TEST_F(SendAll, LockedUnitIsAskedAboutThenUnlocked) {
    pvsim::Options o = universal();
    o.locked = 77;
    start_unit(o);
    EXPECT_FALSE(pv::send_all_data());
    EXPECT_EQ(texts(), Texts{msg(22)});
    EXPECT_EQ(writes(), 0u);

    prompter.shown.clear();
    prompter.answers = {pv::Answer::Yes};
    prompter.inputs = {"77"};
    EXPECT_TRUE(pv::send_all_data());
    EXPECT_EQ(texts(), (Texts{msg(22), ask_lock(42), msg(43)}));
    EXPECT_EQ(line->unit_commands(), (std::vector<uint8_t>{pv::cmd_lock, pv::cmd_apply}));
}

TEST_F(SendAll, FailedSetupItemWriteIsReportedAsAFailure) {
    state.doc_is_new = 1;
    line->break_block(114, true);
    EXPECT_FALSE(pv::send_all_data());
    EXPECT_EQ(texts(), (Texts{error(27), error(46)}));
    EXPECT_EQ(line->unit_commands(), std::vector<uint8_t>{pv::cmd_apply_initial});
    EXPECT_FALSE(state.link_on);
}

using SendParameter = SendAll;

TEST_F(SendParameter, WritesTheParameterBlocksInOrderThenApplies) {
    EXPECT_FALSE(pv::send_parameter());  // no map window
    EXPECT_EQ(writes(), 0u);

    open_document();
    data.cyls = 6;
    EXPECT_TRUE(pv::send_parameter());
    EXPECT_TRUE(prompter.shown.empty());
    std::vector<uint32_t> got, expected;
    for (const Bytes& w : line->written)
        if (w[1] == pv::write_request) got.push_back(static_cast<uint32_t>(w[5] | w[6] << 8));
    for (int id : {104, 105, 106, 107, 108, 110, 112, 113, 121, 115})
        expected.push_back(pv::find_block(id)->base);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(line->unit_commands(), std::vector<uint8_t>{pv::cmd_apply});
    EXPECT_EQ(sim->in_use().cyls, 6);
    EXPECT_TRUE(hooks.has("processing"));
    EXPECT_FALSE(port->is_open());
}

TEST_F(SendParameter, FailedBlockSkipsTheRestButStillApplies) {
    open_document();
    line->break_block(106, true);
    EXPECT_FALSE(pv::send_parameter());
    EXPECT_EQ(texts(), (Texts{"Communication error(1062):Please check connection", error(43)}));
    EXPECT_EQ(writes(), 2u + 5u + 1u);  // 104, 105, five tries of 106, 115
}

class LoadParameter : public TransferTest {};

TEST_F(LoadParameter, SaveQuestionDecidesAndAFailedSaveStops) {
    EXPECT_FALSE(pv::load_parameter());  // no map window: nothing after the checks
    EXPECT_EQ(exchanges(), 2u);

    using R = pv::SaveResult;
    sim->poke(0xF7A5, 150);  // offset_a
    for (auto [answer, saved, loads, shown] :
         {std::tuple{pv::Answer::Yes, R::saved, true, Texts{msg(12)}},
          std::tuple{pv::Answer::Yes, R::failed, false, Texts{msg(12), msg(2)}},
          std::tuple{pv::Answer::Yes, R::cancelled, false, Texts{msg(12)}},
          std::tuple{pv::Answer::No, R::saved, true, Texts{msg(12)}},
          std::tuple{pv::Answer::Cancel, R::saved, false, Texts{msg(12)}}}) {
        open_document();
        state.doc_modified = 1;
        data.offset_a = 33;
        prompter.shown.clear();
        prompter.answers = {answer};
        hooks.save_result = saved;
        EXPECT_EQ(pv::load_parameter(), loads);
        EXPECT_EQ(texts(), shown);
        EXPECT_EQ(data.offset_a, loads ? 150 : 33);
        EXPECT_EQ(hooks.has("setup_grid"), loads);
        EXPECT_FALSE(port->is_open());
        hooks.events.clear();
    }
}

}  // namespace
}  // namespace xfertest
