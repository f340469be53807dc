#include "core/link/link_timer.h"

#include "core/document/unit.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

void link_on_start() {
    if (state.log_link) {
        log_views().log_link_off();
        state.log_link = 0;
    }
    open_port();
    if (!state.port_open) return;
    shell_views().set_link_button(true);
    shell_views().repaint_status_bar();
    state.poll_misses = 0;
    live_views().clear_cursor_hold();
    state.link_on = 1;
    state.link_ready = 1;
    shell_views().refresh_commands();
    if (state.doc_open) document_views().fill_table_list();
    shell_views().set_link_timer(state.link_interval_ms);
}

void link_off() {
    shell_views().set_link_timer(0);
    state.link_on = 0;
    if (state.monitor_open) live_views().close_monitor();
    shell_views().set_link_button(false);
    if (state.doc_open) document_views().repaint_map_grid();
    state.comm_state = 0;
    shell_views().repaint_status_bar();
    live_views().release_trace_buttons();
    shell_views().refresh_commands();
    if (state.doc_open) document_views().fill_table_list();
    close_port();
}

void start_polling() {
    open_port();
    if (!state.port_open) return;
    shell_views().repaint_status_bar();
    state.poll_misses = 0;
    shell_views().set_link_timer(state.link_interval_ms);
}

bool link_button() {
    if (!state.doc_open) return false;
    if (state.link_on) {
        link_off();
        return false;
    }
    Busy busy(3);
    if (!unit_ready_check()) {
        link_off();
    } else {
        if (check_lock() &&
            prompter().ask(Icon::Warning, Buttons::YesNo, msg_text(28)) == Answer::Yes)
            unlock_dialog();
        if (check_lock()) {
            link_off();
        } else {
            busy.to(1);
            if (read_table(grid.current_map)) {
                ClearChanged();
                document_views().fill_grid();
                link_on_start();
            } else {
                link_off();
            }
        }
    }
    return state.link_on != 0;
}

void link_timer_tick() {
    if (!state.link_on && !state.monitor_open) return;
    // A poll never waits behind a command or another poll: the tick is simply skipped.
    if (state.ui_busy || state.poll_busy || state.transfer_active) return;
    state.poll_busy = 1;
    if (poll_live_data()) {
        state.poll_misses = 0;
        if (state.monitor_open) live_views().refresh_monitor();
        if (state.doc_open) live_views().update_live_cursor();
    } else if (state.poll_misses < UINT16_MAX) {
        ++state.poll_misses;
    }
    if (state.poll_misses > kPollMissLimit) link_off();
    state.poll_busy = 0;
}

}  // namespace pv
