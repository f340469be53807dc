#include "support/program.h"

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/logging/live.h"
#include "core/ui/clock.h"
#include "core/ui/prompter.h"

namespace pvtest {

void reset_program() {
    pv::close_port();
    pv::set_port(nullptr);
    pv::set_status_reader({});
    pv::install_front_end({});
    pv::set_prompter(nullptr);
    pv::set_clock(nullptr);
    pv::settings = pv::Settings{};
    pv::data = pv::ControllerData{};
    pv::grid = pv::GridArea{};
    pv::InitState();
    pv::live = pv::LiveValues{};
    pv::other_live = pv::LiveValues{};
}

}  // namespace pvtest
