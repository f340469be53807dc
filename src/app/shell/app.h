// The program's start: single instance, splash, main window, message loop.
#pragma once

namespace pv {

// Runs pvedit. 0 also when another instance runs (silently) or the splash picture is
// missing (after its message).
int run_pvedit(int argc, char** argv);
// The pictures built into the program (icons, logo); needed once before any window.
void init_app_resources();

}  // namespace pv
