#include <exception>
#include <iostream>

#include "core/files/temporaries.h"
#include "tool/tool.h"
#ifdef PV_TOOL_PRINT
#include "tool/print/pvd_print.h"
#endif

int main(int argc, char** argv) {
    // A command stopped by Ctrl+C, SIGTERM or SIGHUP leaves no half-written file behind.
    pv::remove_temporaries_on_termination();
#ifdef PV_TOOL_PRINT
    pvtool::set_print_command(pvtool::pvd_print);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    // Scripts tell outcomes apart by 0, 1 and 2 only; nothing may end the program otherwise.
    try {
        return pvtool::run(std::move(args), {std::cout, std::cerr});
    } catch (const std::exception& e) {
        std::cerr << "pvtool: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "pvtool: internal error\n";
    }
    return pvtool::kFailed;
}
