// The lines under "Cannot open COMn." that name the device and say why it would not open.
#pragma once
#include <string>

#include "core/link/port.h"

namespace pv {

// "\r\n"-separated lines in the current language, empty when the port gave no reason. The
// device leads the first line unless the message already names it (`name` is the device).
std::string port_failure_lines(const PortFailure& failure, const std::string& name);

// The one-line reason, without the device: for the lists of Detect Unit.
std::string port_failure_reason(const PortFailure& failure);

}  // namespace pv
