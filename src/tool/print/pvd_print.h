// pvtool pvd print: the map page of one table of a data file, written as a PDF file with the
// page function the Print command uses.
#pragma once
#include <string>
#include <vector>

#include "tool/tool.h"

namespace pvtool {

// FILE.PVD OUT.pdf [--table NAME]
int pvd_print(const std::vector<std::string>& args, Io io);

}  // namespace pvtool
