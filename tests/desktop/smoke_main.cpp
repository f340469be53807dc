// The desktop smoke test program. Run inside session.sh:
//   desktop_smoke SCRIPT [PVEDIT ARGUMENT]...   the program itself (run_pvedit, as pvedit's
//                                                main starts it), driven by the script
//   desktop_smoke --real PVEDIT FILE.PVD        the real pvedit binary as a child process
//   desktop_smoke --shot FILE.png               a picture of the whole screen
// Exit status 0 when everything went as a user expects; 3 when a step failed; a crash of the
// program ends this process with its signal.
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "app/shell/app.h"
#include "core/settings/settings_file.h"
#include "desktop/driver.h"
#include "desktop/scripts.h"
#include "platform/program_folder.h"

namespace desk {
int run_real_binary(int argc, char** argv);
}

namespace {

const desk::Script kScripts[] = {
    {"document", desk::script_document, "[OPTION]\nCOM=2\n"},
    {"live", desk::script_live},
    // The overlay turned on in the map window stays on for the next start.
    {"logs", desk::script_logs, "OVERLAY=1\n"},
    {"keyboard", desk::script_keyboard},
    // The review stays on for the next start.
    {"history", desk::script_history, "REVIEWSEND=1\n"},
};

const desk::Script* g_script = nullptr;
desk::Driver* g_driver = nullptr;
std::atomic<bool> g_script_done{false};
std::thread g_thread;

// Starts the script as soon as the program has made its application object: everything
// from the splash on is the program's own start.
void start_driver() {
    if (!g_script || g_thread.joinable()) return;
    g_thread = std::thread([] {
        g_script->run(*g_driver);
        g_script_done = true;
    });
}
Q_COREAPP_STARTUP_FUNCTION(start_driver)

int take_shot(const char* file) {
    int argc = 1;
    char name[] = "desktop_smoke";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 1;
    return screen->grabWindow(0).save(QString::fromLocal8Bit(file)) ? 0 : 1;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--shot") == 0) return take_shot(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "--real") == 0) return desk::run_real_binary(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: desktop_smoke SCRIPT [ARGUMENT]... | --real PVEDIT FILE\n");
        return 2;
    }
    for (const desk::Script& s : kScripts)
        if (std::strcmp(s.name, argv[1]) == 0) g_script = &s;
    if (!g_script) {
        std::fprintf(stderr, "desktop_smoke: no script %s\n", argv[1]);
        return 2;
    }
    desk::Driver driver(g_script->name);
    g_driver = &driver;

    // The program sees its own name and the script's arguments, as from a desktop entry.
    std::vector<char*> args = {argv[0]};
    for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    int program_argc = static_cast<int>(args.size()) - 1;
    const int rc = pv::run_pvedit(program_argc, args.data());

    driver.app_returned();
    for (int i = 0; i < 100 && !g_script_done; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!g_script_done) driver.fail("the program ended before the script did");
    g_thread.join();

    driver.step("after the program");
    if (rc != 0) driver.fail("the program's exit status is " + std::to_string(rc));
    // Named after the program file, beside it: prog/desktop_smoke.INI here.
    const std::string ini_path = pv::settings_file_of(pv::program_file_path(argv[0]));
    const std::string ini = read_file(ini_path);
    for (const char* part : {"[FORM]\n", g_script->settings_hold})
        if (ini.find(part) == std::string::npos)
            driver.fail("the settings file " + ini_path + " does not hold \"" + part + "\"");
    std::fprintf(stderr, "[%s] passed\n", g_script->name);
    return 0;
}
