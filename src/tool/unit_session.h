// The port, prompter and hooks of one unit command, put back on every path so that the next
// command (or test) starts from a closed link and the default seams.
#pragma once
#include "core/document/datafile.h"
#include "core/link/link_timer.h"
#include "core/link/netunit.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"

namespace pvtool {

class UnitSession {
  public:
    UnitSession(pv::Port& port, pv::Prompter& prompter, const pv::FrontEnd* views = nullptr)
        : previous_prompter_(&pv::prompter()), previous_views_(pv::installed_front_end()) {
        pv::set_prompter(&prompter);
        if (views) pv::install_front_end(*views);
        pv::install_link(&port);
    }
    ~UnitSession() {
        if (pv::state.link_on) pv::link_off();
        pv::close_port();
        pv::set_port(nullptr);
        pv::set_status_reader({});
        pv::install_front_end(previous_views_);
        pv::set_prompter(previous_prompter_);
    }
    UnitSession(const UnitSession&) = delete;
    UnitSession& operator=(const UnitSession&) = delete;

  private:
    pv::Prompter* previous_prompter_;
    pv::FrontEnd previous_views_;
};

}  // namespace pvtool
