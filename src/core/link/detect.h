// Detect Unit: the readiness read on each port that has something behind it, one after the
// other, until one answers as a unit. Only read requests go out: nothing is written to the
// unit's memory and no unit command is sent.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/link/port.h"

namespace pv {

enum class Probe { found, silent, other, unopened, in_use };

struct ProbeResult {
    int com_number = 0;
    std::string device;
    Probe outcome = Probe::silent;
    PortFailure failure;  // for unopened
};

// A port of its own for one device, so that the port in use is left alone.
using PortMaker = std::function<std::unique_ptr<Port>(const std::string& device)>;

// Tries the COM numbers of the port list in order (or the one device PVEDIT_PORT names) and
// stops at the first that answers; the port the link holds is not touched. On success
// settings.com_port is that number.
std::vector<ProbeResult> detect_unit(const PortMaker& make_port);
// What was tried and what each answered, then the choice, as "\r\n"-separated lines.
std::string detect_report(const std::vector<ProbeResult>& results);

}  // namespace pv
