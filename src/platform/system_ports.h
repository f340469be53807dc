// The system's serial ports, from sysfs and /dev/serial/by-id: USB and ACM adapters with
// their maker and model, on-board ports only where hardware answers, and the by-id links
// that lead elsewhere (a simulated unit's pseudo-terminal).
#pragma once
#include <string>
#include <vector>

#include "core/link/port_catalogue.h"

namespace pv {

class SystemPorts : public PortCatalogue {
  public:
    // `root` stands before /sys and /dev: empty for the system, a folder for a fake tree.
    explicit SystemPorts(std::string root = {}) : root_(std::move(root)) {}
    std::vector<PortEntry> scan() override;
    // The folders whose changes mean a port came or went.
    std::vector<std::string> watched_folders() const override;

  private:
    std::string root_;
};

}  // namespace pv
