#include "platform/system_ports.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/files/file_io.h"

namespace fs = std::filesystem;

namespace pv {

namespace {

// The first line of a small attribute file; nothing of a FIFO or a device put in its place.
std::string read_line(const fs::path& file) {
    const auto text = read_regular_file(file.string(), 4096);
    std::string line = text ? text->substr(0, text->find('\n')) : std::string();
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

bool starts_with(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// Maker and model of the USB device above a tty's device folder.
std::string usb_description(const fs::path& device_dir) {
    std::error_code ec;
    fs::path dir = fs::canonical(device_dir, ec);
    if (ec) return {};
    for (int up = 0; up < 6 && !dir.empty() && dir != dir.root_path();
         ++up, dir = dir.parent_path()) {
        if (!fs::exists(dir / "idVendor", ec)) continue;
        std::string maker = read_line(dir / "manufacturer");
        std::string model = read_line(dir / "product");
        if (model.empty()) model = read_line(dir / "idVendor") + ":" + read_line(dir / "idProduct");
        if (maker.empty() || starts_with(model, maker.c_str())) return model;
        return maker + " " + model;
    }
    return {};
}

}  // namespace

std::vector<std::string> SystemPorts::watched_folders() const {
    return {root_ + "/dev", root_ + "/dev/serial", root_ + "/dev/serial/by-id"};
}

std::vector<PortEntry> SystemPorts::scan() {
    std::vector<PortEntry> ports;
    std::error_code ec;
    const fs::path dev = root_ + "/dev";
    for (const auto& tty : fs::directory_iterator(root_ + "/sys/class/tty", ec)) {
        const std::string name = tty.path().filename().string();
        const fs::path device_dir = tty.path() / "device";
        if (!fs::exists(device_dir, ec)) continue;  // virtual terminals and the like
        PortEntry e;
        e.device = (dev / name).string();
        e.id = e.device;
        if (starts_with(name, "ttyUSB")) {
            e.kind = PortKind::usb;
        } else if (starts_with(name, "ttyACM")) {
            e.kind = PortKind::acm;
        } else {
            // serial8250 registers ports that have no chip behind them; their type reads 0.
            const std::string type = read_line(tty.path() / "type");
            if (!type.empty() && type == "0") continue;
            e.kind = PortKind::onboard;
        }
        if (e.kind != PortKind::onboard) e.description = usb_description(device_dir);
        e.present = fs::exists(e.device, ec);
        ports.push_back(e);
    }

    for (const auto& link : fs::directory_iterator(dev / "serial" / "by-id", ec)) {
        fs::path target = fs::canonical(link.path(), ec);
        if (ec) continue;  // a link left by a unit or adapter that is gone
        auto it = std::find_if(ports.begin(), ports.end(), [&](const PortEntry& p) {
            std::error_code e2;
            return fs::equivalent(p.device, target, e2);
        });
        if (it != ports.end()) {
            it->id = link.path().string();
            continue;
        }
        PortEntry e;
        e.id = link.path().string();
        e.device = target.string();
        e.kind = PortKind::pseudo;
        ports.push_back(e);
    }
    // By the stable names, so that the adapters take their numbers in the same order whatever
    // order the kernel found them in.
    std::sort(ports.begin(), ports.end(),
              [](const PortEntry& a, const PortEntry& b) { return a.id < b.id; });
    return ports;
}

}  // namespace pv
