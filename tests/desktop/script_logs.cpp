// Log files: the data log and the comparison log.
#include "desktop/scripts.h"

namespace desk {

void script_logs(Driver& d) {
    wait_main_window(d);
    exit_program(d);
}

}  // namespace desk
