// The main window's commands of monitoring and logging.
#include "document/unit.h"
#include "shell/main.h"

namespace pv {

void Tmain::open_log_window(const std::string& /*path*/) {
    // The log window opens the file once it exists.
}

void Tmain::btnmntClick() {}
void Tmain::btnlogClick() {}
void Tmain::menuloglinkClick() {}
void Tmain::menuotherlogClick() {}

}  // namespace pv
