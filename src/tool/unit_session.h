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
    UnitSession(pv::Port& port, pv::Prompter& prompter, pv::FrontEndHooks* hooks = nullptr)
        : previous_prompter_(&pv::prompter()), previous_hooks_(&pv::hooks()) {
        pv::set_prompter(&prompter);
        if (hooks) pv::set_hooks(hooks);
        pv::install_link(&port);
    }
    ~UnitSession() {
        if (pv::state.link_on) pv::link_off();
        pv::close_port();
        pv::set_port(nullptr);
        pv::set_status_reader({});
        pv::set_hooks(previous_hooks_);
        pv::set_prompter(previous_prompter_);
    }
    UnitSession(const UnitSession&) = delete;
    UnitSession& operator=(const UnitSession&) = delete;

  private:
    pv::Prompter* previous_prompter_;
    pv::FrontEndHooks* previous_hooks_;
};

}  // namespace pvtool
