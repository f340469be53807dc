// How the program's modal dialogs are run. The program executes them; tests put in a runner
// that fires the dialogs' timers at once instead of waiting for them.
#pragma once
#include <functional>

class QDialog;

namespace pv {

using ModalRunner = std::function<int(QDialog&)>;
int run_modal(QDialog& dialog);
// An empty runner restores QDialog::exec.
void set_modal_runner(ModalRunner runner);

}  // namespace pv
