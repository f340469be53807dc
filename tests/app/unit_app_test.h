// A program started as AppTest starts it, talking to the simulated unit in this process over a
// line the test can break or watch.
#pragma once
#include <memory>

#include "app_fixture.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/transfers_support.h"

namespace pv::test {

class UnitAppTest : public AppTest {
  protected:
    // A fresh unit with `options` on a fresh line, installed as the program's port.
    void use_unit(pvsim::Options options = {}) {
        install_link(nullptr);
        sim = std::make_unique<pvsim::SimUnit>(options, [this] { return clock_.tick_count(); });
        sim_port = std::make_unique<pvsim::SimPort>(*sim);
        line = std::make_unique<xfertest::BreakingPort>(*sim_port);
        install_link(line.get());
    }

    std::unique_ptr<pvsim::SimUnit> sim;
    std::unique_ptr<pvsim::SimPort> sim_port;
    std::unique_ptr<xfertest::BreakingPort> line;
};

}  // namespace pv::test
