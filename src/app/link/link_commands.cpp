// The main window's commands of the controller link: transfers, data lock, reset and the
// live link. Each is carried out by the link's sequences; the windows only bracket them.
#include <QAction>
#include <QSocketNotifier>
#include <QTimer>

#include "app/link/transfer_dialogs.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/mapedit/live_cursor.h"
#include "core/ui/hooks.h"

namespace pv {

void Tmain::install_transfer_views() {
    transfers_ = std::make_unique<TransferDialogs>(this);
}

void Tmain::menureadClick() {
    load_all_data();
}

void Tmain::menupreadClick() {
    load_parameter();
}

void Tmain::menuwriteClick() {
    send_all_data();
}

void Tmain::menupwriteClick() {
    send_parameter();
}

void Tmain::mproonClick() {
    data_lock_on();
}

void Tmain::mprooffClick() {
    data_lock_off();
}

void Tmain::mproresetClick() {
    all_reset();
}

void Tmain::btnlinkClick() {
    link_button();
    // The click has already flipped the button; it shows whether the link runs.
    btnlink->setChecked(state.link_on != 0);
}

void Tmain::btnlocusClick() {
    cursors.trace_on = !cursors.trace_on;
    btnlocus->setChecked(cursors.trace_on != 0);
    if (!cursors.trace_on) {
        clear_trace_marks();
        if (state.doc_open) document_views().repaint_map_grid();
    } else if (state.compare_loaded) {
        // The trace and the comparison view share the cells' backgrounds.
        menuotherClick();
    }
}

void Tmain::btnatselClick() {
    cursors.cursor_trace_on = !cursors.cursor_trace_on;
    btnatsel->setChecked(cursors.cursor_trace_on != 0);
}

void Tmain::linktimerTimer() {
    const int interval = static_cast<int>(state.link_interval_ms);
    if (linktimer->isActive() && linktimer->interval() != interval) linktimer->start(interval);
    link_timer_tick();
}

void Tmain::watch_port(int handle, uint32_t timeout_ms) {
    if (!reply_deadline_) {
        reply_deadline_ = new QTimer(this);
        reply_deadline_->setSingleShot(true);
        reply_deadline_->setTimerType(Qt::PreciseTimer);
        connect(reply_deadline_, &QTimer::timeout, this, [this] {
            link_poll_collect();
            // A timer a hair early finds the reply not yet overdue: look again shortly.
            if (exchange_in_flight() && !reply_deadline_->isActive()) reply_deadline_->start(2);
        });
    }
    if (handle < 0) {
        if (port_watch_) port_watch_->setEnabled(false);
        reply_deadline_->stop();
        return;
    }
    if (!port_watch_ || port_watch_->socket() != handle) {
        delete port_watch_;
        port_watch_ = new QSocketNotifier(handle, QSocketNotifier::Read, this);
        connect(port_watch_, &QSocketNotifier::activated, this, [] { link_poll_collect(); });
    }
    port_watch_->setEnabled(true);
    reply_deadline_->start(static_cast<int>(timeout_ms) + 1);
}

}  // namespace pv
