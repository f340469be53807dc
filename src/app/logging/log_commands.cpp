// The main window's commands of monitoring and logging.
#include "app/logging/mnt.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/logging/monitor.h"
#include "core/ui/hooks.h"

namespace pv {

void Tmain::open_log_window(const std::string& /*path*/) {
    // The log window opens the file once it exists.
}

void Tmain::btnmntClick() {
    if (Tmntdlg* open = Tmntdlg::current()) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    monitor_open_sequence([this](bool linked) {
        // Its result does not matter here: the monitor only reads the document.
        if (linked) document_views().commit_axis_edit();
        auto* m = new Tmntdlg(this);
        views_.add(m);
        connect(m, &Tmntdlg::closed, this, [this, m] { views_.remove(m); });
        m->show();
        // With the link on the window took only its frame size, which in Manual mode left
        // the fonts at their design size; the stored font size applies in every case.
        if (!linked || settings.monitor_size != 1) m->activate_font_item();
        m->activate_frame_item();
    });
}
void Tmain::btnlogClick() {}
void Tmain::menuloglinkClick() {}
void Tmain::menuotherlogClick() {}

}  // namespace pv
