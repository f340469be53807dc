#include <iostream>

#include "tool/tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return pvtool::run(std::move(args), {std::cout, std::cerr});
}
