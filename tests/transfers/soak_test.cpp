// Load All / Send All cycles over a line that loses, damages and delays replies: each
// command either leaves the unit and the document equal or says which exchange failed.
#include <random>

#include "support/transfers_support.h"

namespace xfertest {
namespace {

using pv::data;
using pv::state;

bool numbered(const std::string& text) {
    return text.rfind("Communication error(", 0) == 0 || text.rfind("Internal error(", 0) == 0;
}

void scramble_document(std::mt19937& rng) {
    std::uniform_int_distribution<int> boost(-120, 120), offset(1, 199);
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            data.boost_map_a[i][j] = static_cast<int16_t>(boost(rng));
            data.boost_map_b[i][j] = static_cast<int16_t>(boost(rng));
            data.offset_map_a[i][j] = static_cast<uint8_t>(offset(rng));
            data.offset_map_b[i][j] = static_cast<uint8_t>(offset(rng));
        }
    }
    data.setboost_a = static_cast<uint16_t>(offset(rng));
    data.offset_b = static_cast<uint8_t>(offset(rng));
}

using Soak = TransferTest;

TEST_F(Soak, TwoThousandExchangesOverAFaultyLine) {
    pvsim::Options o;
    o.drop = 0.10;
    o.corrupt = 0.05;
    o.late = 0.05;
    o.seed = 20240611;
    start_unit(o);
    data.file_valve_version = data.file_display_version = 120;
    std::mt19937 rng(5);

    int completed = 0, failed = 0;
    auto check = [&](bool ok, const char* what) {
        for (const auto& s : prompter.shown) EXPECT_TRUE(numbered(s.text)) << what << s.text;
        if (ok) {
            ++completed;
            EXPECT_TRUE(same_unit_data(data, unit_memory(*sim))) << what;
        } else {
            ++failed;
            // The failed exchange names itself before anything else is said.
            ASSERT_FALSE(prompter.shown.empty()) << what << "failed without a message";
            EXPECT_EQ(prompter.shown.front().text.rfind("Communication error(", 0), 0u) << what;
        }
        EXPECT_FALSE(state.comm_state || state.transfer_active || state.ui_busy ||
                     state.progress_open || pv::unit.unit_command);
        EXPECT_TRUE(state.link_on || !port->is_open()) << what;
        prompter.shown.clear();
    };
    // Now and then the line goes dead for a whole exchange at a random point, so that the
    // failure paths get their share as well.
    std::uniform_int_distribution<int> burst_at(0, 40);
    auto maybe_burst = [&](int round) {
        if (round % 3 != 0) return;
        sim->scripted.assign(static_cast<size_t>(burst_at(rng)), pvsim::Fault::none);
        sim->scripted.insert(sim->scripted.end(), 5, pvsim::Fault::drop);
    };
    for (int round = 0; exchanges() < 2000; ++round) {
        maybe_burst(round);
        check(pv::load_all_data(), "load all: ");
        scramble_document(rng);
        maybe_burst(round + 1);
        bool sent = pv::send_all_data();
        check(sent, "send all: ");
        EXPECT_TRUE(!sent || same_unit_data(sim->in_use(), data));
        sim->scripted.clear();
    }
    EXPECT_GT(completed, 0);
    EXPECT_GT(failed, 0);

    pv::link_off();
    EXPECT_FALSE(port->is_open());
    EXPECT_EQ(port->opens, port->closes);
}

}  // namespace
}  // namespace xfertest
