#include "core/link/port_failure.h"

#include "core/ui/texts.h"

namespace pv {

std::string port_failure_reason(const PortFailure& f) {
    switch (f.fault) {
        case PortFault::none:
            return {};
        case PortFault::no_device:
            return msg_text(201);
        case PortFault::permission:
            return msg_text(202);
        case PortFault::busy: {
            std::string line = msg_text(206);
            if (!f.holder.empty() || f.holder_pid > 0) {
                line += " " + msg_text(207) + (f.holder.empty() ? "?" : f.holder);
                if (f.holder_pid > 0) line += " (PID " + std::to_string(f.holder_pid) + ")";
            }
            return line;
        }
        case PortFault::not_terminal:
            return msg_text(208);
        case PortFault::configure:
            return msg_text(209);
        case PortFault::other:
            return msg_text(210) + f.detail;
    }
    return {};
}

std::string port_failure_lines(const PortFailure& f, const std::string& name) {
    if (f.fault == PortFault::none) return {};
    std::string first = port_failure_reason(f);
    if (!f.device.empty() && f.device != name) first = f.device + ": " + first;
    std::string lines = first;
    if (f.fault == PortFault::permission) {
        if (f.member_not_yet_active) {
            lines += "\r\n" + msg_text(205);
        } else if (!f.group.empty()) {
            lines += "\r\n" + msg_text(203) + f.group;
            lines += "\r\n" + msg_text(204);
            lines += "\r\n    sudo usermod -aG " + f.group + " $USER";
        }
    }
    return lines;
}

}  // namespace pv
