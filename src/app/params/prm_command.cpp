// The parameter dialog's place in the parameter command.
#include "app/shell/main.h"

namespace pv {

// True when the user confirmed the dialog. Until the dialog exists nothing changes.
bool Tmain::run_parameter_dialog() {
    return false;
}

}  // namespace pv
