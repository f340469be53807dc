#include "core/link/link_timer.h"

#include <algorithm>

#include "core/document/unit.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/hooks.h"
#include "core/ui/clock.h"
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

namespace {

// A poll whose exchanges wait in the event loop: the live data, then, when due, the status.
enum class PollStep { none, live, status };
PollStep step = PollStep::none;
int status_attempts = 0;
// A tick came while the poll was on the wire: the next poll starts as soon as this one ends,
// as a tick held up by a waiting poll would.
bool tick_waiting = false;
std::function<void()> gave_up_listener;
// The timer is held while a poll waits on the line, since this time.
bool ticks_held = false;
uint32_t held_since = 0;

void hold_ticks() {
    held_since = clock().tick_count();
    ticks_held = shell_views().hold_link_timer();
}

// The poll on the line is over. A tick that would have come meanwhile is noted, as the tick
// itself would have been (unless the poll was dropped, which forgets it), and the timer goes
// on in its old step.
void release_ticks(bool note_tick) {
    if (!ticks_held) return;
    ticks_held = false;
    const uint32_t interval = std::max<uint32_t>(state.link_interval_ms, 1);
    const uint32_t passed = clock().tick_count() - held_since;
    const bool resumed = shell_views().resume_link_timer(interval - passed % interval);
    if (resumed && note_tick && passed >= interval) tick_waiting = true;
}

// The link ends by itself: the unit no longer answers.
void give_up() {
    link_off();
    if (gave_up_listener) gave_up_listener();
}

void show_live_values() {
    if (state.monitor_open) live_views().refresh_monitor();
    if (state.doc_open) live_views().update_live_cursor();
}

void poll_succeeded() {
    state.poll_misses = 0;
    show_live_values();
}

void poll_failed() {
    if (state.poll_misses < UINT16_MAX) ++state.poll_misses;
}

void end_poll() {
    step = PollStep::none;
    if (state.poll_misses > kPollMissLimit) give_up();
    state.poll_busy = 0;
}

// Another exchange took the port first: the poll is simply gone, as a skipped tick is.
void poll_dropped() {
    step = PollStep::none;
    release_ticks(false);
    tick_waiting = false;
    state.poll_busy = 0;
}

bool begin_status_read() {
    for (; status_attempts < kAttempts; ++status_attempts)
        if (begin_exchange(status_request(), poll_dropped)) return true;
    return false;
}

// A poll that waited in the event loop is over. The next one, when a tick came meanwhile,
// goes out before the windows take this one's values, so that the line is busy again while
// they repaint.
void end_waiting_poll(bool ok) {
    step = PollStep::none;
    release_ticks(true);
    if (ok)
        state.poll_misses = 0;
    else
        poll_failed();
    state.poll_busy = 0;
    const bool giving_up = state.poll_misses > kPollMissLimit;
    if (tick_waiting && !giving_up) {
        tick_waiting = false;
        link_timer_tick();
    }
    if (ok) show_live_values();
    if (giving_up) give_up();
}

// The live values are in; the status read, when due, may still be on its way.
void complete_live_poll(bool status_read) {
    if (status_read) step = PollStep::status;
    if (status_read && begin_status_read()) return;
    finish_live_values();
    end_waiting_poll(true);
}

}  // namespace

void set_link_gave_up_listener(std::function<void()> listener) {
    gave_up_listener = std::move(listener);
}

void link_timer_tick() {
    if (!state.link_on && !state.monitor_open) return;
    // A poll never waits behind a command or another poll: the tick is simply skipped.
    if (state.ui_busy || state.poll_busy || state.transfer_active) {
        if (step != PollStep::none) tick_waiting = true;
        return;
    }
    state.poll_busy = 1;
    if (state.port_open && port().watch_handle() >= 0) {
        if (begin_exchange(live_data_request(), poll_dropped)) {
            step = PollStep::live;
            hold_ticks();
            return;
        }
        poll_failed();
    } else if (poll_live_data()) {
        poll_succeeded();
    } else {
        poll_failed();
    }
    end_poll();
}

void link_poll_collect() {
    if (step == PollStep::none) return;
    LinkFrame reply;
    const Gathered got = collect_exchange(reply);
    if (got == Gathered::waiting) return;
    if (step == PollStep::live) {
        if (got == Gathered::failed) {
            end_waiting_poll(false);
        } else {
            store_live_sample(reply);
            status_attempts = 0;
            complete_live_poll(status_read_due());
        }
    } else if (got == Gathered::valid) {
        store_status(reply);
        complete_live_poll(false);
    } else {
        ++status_attempts;
        if (begin_status_read()) return;  // the next try is on its way
        complete_live_poll(false);
    }
}

}  // namespace pv
