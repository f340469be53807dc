// What every test starts from: the program as it is right after start-up, and a stand-in
// for the windows that the core sequences talk to.
#pragma once
#include "core/ui/hooks.h"

namespace pvtest {

// Every state struct back to its start value (settings, document, grid, unit, flags, live
// values) and every seam (clock, prompter, port, status reader, window interfaces) back to
// its default. The document is empty: SetDefaultData makes the New one.
void reset_program();

// Every window at once, each call doing nothing; a test's fake overrides what it watches.
struct FakeWindows : pv::ShellViews,
                     pv::DocumentViews,
                     pv::DocumentFlow,
                     pv::TransferProgress,
                     pv::LiveViews,
                     pv::LogViews {
    pv::FrontEnd front_end() { return {this, this, this, this, this, this}; }
    void install() { pv::install_front_end(front_end()); }
};

}  // namespace pvtest
