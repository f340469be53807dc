// pvtool pvd diff and unit diff: what differs between two data files, or between the unit
// and a data file, shown as the program shows it.
#pragma once
#include <string>
#include <vector>

#include "core/document/data_diff.h"
#include "core/link/port.h"
#include "tool/tool.h"

namespace pvtool {

// Differences as `pvd diff` prints them, A and B being two files. 0 the same, 1 different.
int report_differences(std::vector<pv::Difference> diffs, bool as_json, Io io);
// A.PVD B.PVD [--json]. 0 the same data, 1 different, 2 an error.
int pvd_diff(std::vector<std::string> args, Io io);
// FILE.PVD [--json] [--port DEVICE | --com N], A being the unit.
int unit_diff_main(std::vector<std::string> args, Io io);
// The same on a given port.
int unit_diff(std::vector<std::string> args, Io io, pv::Port& port);

}  // namespace pvtool
