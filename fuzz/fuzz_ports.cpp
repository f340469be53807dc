// Hostile sysfs attributes and lock files: a serial adapter whose maker, model and on-board
// port type hold any bytes, and a lock file of any content, must never crash the port list or
// the search for who holds a port.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/port_diagnosis.h"
#include "platform/system_ports.h"

namespace fs = std::filesystem;

namespace {

// A tree with one USB adapter and one on-board port; their attribute files change per input.
const fs::path& tree() {
    static const fs::path root = [] {
        const fs::path r = fs::temp_directory_path() / ("fuzz_ports_" + std::to_string(getpid()));
        const fs::path usb = r / "sys/devices/usb1/1-1";
        fs::create_directories(usb / "1-1:1.0/ttyUSB0");
        fs::create_directories(r / "sys/class/tty/ttyUSB0");
        fs::create_symlink(usb / "1-1:1.0/ttyUSB0", r / "sys/class/tty/ttyUSB0/device");
        fs::create_directories(r / "sys/devices/platform/serial8250/ttyS0");
        fs::create_directories(r / "sys/class/tty/ttyS0");
        fs::create_symlink(r / "sys/devices/platform/serial8250/ttyS0",
                           r / "sys/class/tty/ttyS0/device");
        fs::create_directories(r / "dev/serial/by-id");
        std::ofstream(r / "dev/ttyUSB0");
        std::ofstream(r / "dev/ttyS0");
        std::ofstream(usb / "idVendor") << "0403";
        fs::create_symlink("../../ttyUSB0", r / "dev/serial/by-id/usb-x-if00-port0");
        return r;
    }();
    return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string data(reinterpret_cast<const char*>(bytes), size);
    const int pid = pv::lock_file_pid(data);
    if (data.size() != sizeof(int) && pid < 0) std::abort();

    // The bytes shared out among the maker, the model and the on-board port's type.
    const fs::path& r = tree();
    const size_t third = size / 3;
    std::ofstream(r / "sys/devices/usb1/1-1/manufacturer", std::ios::binary)
        << data.substr(0, third);
    std::ofstream(r / "sys/devices/usb1/1-1/product", std::ios::binary)
        << data.substr(third, third);
    std::ofstream(r / "sys/class/tty/ttyS0/type", std::ios::binary) << data.substr(2 * third);
    for (const pv::PortEntry& e : pv::SystemPorts(r.string()).scan())
        if (e.device.empty()) std::abort();
    return 0;
}
