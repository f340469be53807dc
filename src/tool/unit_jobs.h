// pvtool unit load-all / load-params / send-all / send-params / lock / reset: the transfer,
// lock and reset commands of the window program, run from a terminal.
#pragma once
#include <string>
#include <vector>

#include "core/link/port.h"
#include "tool/tool.h"

namespace pvtool {

bool is_unit_job(const std::string& command);
// `args` are the words after the command, --port / --com included.
int unit_job_main(const std::string& command, std::vector<std::string> args, Io io);
// The same on a given port; --port and --com only choose the COM number shown in messages.
int unit_job(const std::string& command, std::vector<std::string> args, Io io, pv::Port& port);

}  // namespace pvtool
