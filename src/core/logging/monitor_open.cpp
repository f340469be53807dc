#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/logging/monitor.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

bool refuse(const std::string& text) {
    link_error(text);
    release_port_if_idle();
    return false;
}

}  // namespace

bool monitor_open_sequence(const std::function<void(bool linked)>& show) {
    open_port();
    if (!read_block(118)) return refuse(error_text(34));
    if (unit.unit_link_ready == 0) return refuse(msg_text(11));
    state.monitor_log_mode = 0;
    if (!read_block(103)) return refuse(error_text(4));
    if (!setup_complete()) return refuse(msg_text(26));

    if (state.link_on) {
        show(true);
        return true;
    }
    set_comm_state(3);
    bool shown = false;
    bool locked = check_lock();
    if (locked && prompter().ask(Icon::Warning, Buttons::YesNo, msg_text(28)) == Answer::Yes)
        locked = !unlock_dialog();
    if (!locked) {
        set_comm_state(1);
        if (!load_parameter_set()) {
            prompter().message(Icon::Error, error_text(42));
        } else {
            show(false);
            shown = state.monitor_open != 0;
            if (shown) start_polling();
        }
    }
    set_comm_state(0);
    if (!shown) release_port_if_idle();
    return shown;
}

}  // namespace pv
