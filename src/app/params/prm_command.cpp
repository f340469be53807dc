// Setting > Parameter Setting: the parameter dialog with the unit's values when linked, and
// the new set sent back to the unit after OK.
#include "app/common/modal.h"
#include "app/mapedit/map.h"
#include "app/params/prm.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/hooks.h"

namespace pv {

// The monitor shows the new status word this long after the unit took the set.
inline constexpr uint32_t kMonitorStatusWaitMs = 100;

void Tmain::install_parameter_printout(bool on) {
    if (on)
        set_parameter_printout([this](Tprmdlg& dialog) { print_parameter_sheet(dialog); });
    else
        set_parameter_printout({});
}

void Tmain::menuparamClick() {
    UiBusy busy;
    Busy check(3);
    // The dialog shows what the unit holds, not what the document last had.
    if (state.link_on) load_parameter_set();

    Tprmdlg dialog(this);
    if (run_modal(dialog) != QDialog::Accepted) return;

    if (map_) map_->rebuild_after_parameters();
    state.doc_modified = 1;
    RefreshCommands();
    if (state.link_on) send_parameter();
    if (state.monitor_open) {
        Delay(kMonitorStatusWaitMs);
        read_status();
        live_views().refresh_monitor();
    }
}

}  // namespace pv
