// The main window's commands of the controller link: transfers, data lock, reset and the
// live link. Each is carried out by the link's sequences; the windows only bracket them.
#include <QAction>
#include <QTimer>

#include "document/unit.h"
#include "link/netunit.h"
#include "shell/main.h"

namespace pv {

void Tmain::link_off() {
    if (!state.link_on) return;
    state.link_on = 0;
    linktimer->stop();
    if (!state.monitor_open && !state.transfer_active) close_port();
    btnlink->setChecked(false);
    repaint_status_bar();
    RefreshCommands();
}

void Tmain::menureadClick() {}
void Tmain::menupreadClick() {}
void Tmain::menuwriteClick() {}
void Tmain::menupwriteClick() {}
void Tmain::mproonClick() {}
void Tmain::mprooffClick() {}
void Tmain::mproresetClick() {}

void Tmain::btnlinkClick() {
    // Until the live link can start, the button does not stay down.
    if (!state.link_on) btnlink->setChecked(false);
}

void Tmain::btnlocusClick() {}
void Tmain::btnatselClick() {}
void Tmain::linktimerTimer() {}

}  // namespace pv
