// The main window's commands of monitoring and logging.
#include "core/document/unit.h"
#include "app/shell/main.h"

namespace pv {

void Tmain::open_log_window(const std::string& /*path*/) {
    // The log window opens the file once it exists.
}

void Tmain::btnmntClick() {}
void Tmain::btnlogClick() {}
void Tmain::menuloglinkClick() {}
void Tmain::menuotherlogClick() {}

}  // namespace pv
