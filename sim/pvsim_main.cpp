// pvsim: a simulated controller unit on a pseudo-terminal. The first line on stdout is the
// path to open (the --link path when given); the unit answers until the program is ended.
#include <csignal>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/ui/about.h"
#include "sim/pty_server.h"
#include "sim/sim_unit.h"

namespace {
pvsim::PtyServer* serving = nullptr;
extern "C" void on_signal(int) {
    if (serving) serving->stop();
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            std::cout << pvsim::usage_text;
            return 0;
        }
        if (a == "--version") {
            std::cout << "pvsim " << pv::program_version_text() << '\n';
            return 0;
        }
    }
    pvsim::Options options = pvsim::program_defaults();
    std::string error;
    if (!pvsim::parse_options(args, options, error)) {
        std::cerr << "pvsim: " << error << '\n' << pvsim::usage_text;
        return 2;
    }

    std::ofstream log;
    if (!options.log_path.empty()) {
        log.open(options.log_path, std::ios::out | std::ios::trunc);
        if (!log) {
            std::cerr << "pvsim: cannot write " << options.log_path << '\n';
            return 1;
        }
    }

    pvsim::SimUnit unit(options);
    if (log.is_open()) unit.log = &log;
    pvsim::PtyServer server(unit);
    if (!server.open()) {
        std::cerr << "pvsim: cannot create a pseudo-terminal\n";
        return 1;
    }
    pvsim::PtyLink link;
    if (!options.link_path.empty() && !link.make(options.link_path, server.path(), error)) {
        std::cerr << "pvsim: " << error << '\n';
        return 1;
    }
    serving = &server;
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);

    std::cout << (options.link_path.empty() ? server.path() : options.link_path) << std::endl;
    bool ok = server.serve();
    serving = nullptr;
    return ok ? 0 : 1;
}
