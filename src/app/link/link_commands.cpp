// The main window's commands of the controller link: transfers, data lock, reset and the
// live link. Each is carried out by the link's sequences; the windows only bracket them.
#include <QAction>

#include "app/link/transfer_dialogs.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/lock.h"
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
    link_timer_tick();
}

}  // namespace pv
