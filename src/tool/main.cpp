#include <iostream>

#include "tool/tool.h"
#ifdef PV_TOOL_PRINT
#include "tool/print/pvd_print.h"
#endif

int main(int argc, char** argv) {
#ifdef PV_TOOL_PRINT
    pvtool::set_print_command(pvtool::pvd_print);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    return pvtool::run(std::move(args), {std::cout, std::cerr});
}
