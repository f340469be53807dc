#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "desktop/scripts.h"

namespace desk {

std::string work_folder() {
    const char* w = std::getenv("PV_DESKTOP_WORK");
    return w ? w : ".";
}

void wait_main_window(Driver& d) {
    d.step("the main window comes up and has the keyboard");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
}

void exit_program(Driver& d, const std::string& save_answer) {
    d.step("File > Exit");
    d.wait_active(QStringLiteral("Pavex Dravlo"));
    d.menu("alt+f", "x");
    if (!save_answer.empty()) d.expect_message("", save_answer);
    if (!d.wait_app_returned()) d.fail("the program did not end within 10 s of File > Exit");
}

void look(Driver& d, const std::string& name) {
    if (!std::getenv("PV_DESKTOP_SHOTS_ALL")) return;
    // Whatever was just shown has painted once the program has answered.
    d.gui([] { return 0; });
    Driver::settle(200ms);
    const std::string file = take_screenshot(name);
    if (!file.empty()) std::fprintf(stderr, "  look: %s\n", file.c_str());
}

}  // namespace desk
