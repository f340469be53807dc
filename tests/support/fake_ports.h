// A fake /sys and /dev tree in a temporary folder that the port catalogue reads: adapters
// plugged in and pulled out by making and removing their sysfs folder, device node and
// by-id link, as the kernel and udev would.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>

namespace pvtest {

class FakePorts {
  public:
    explicit FakePorts(const std::string& name)
        : root_(std::filesystem::temp_directory_path() / ("pvports_" + name)) {
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "sys/class/tty");
        std::filesystem::create_directories(root_ / "dev/serial/by-id");
    }
    ~FakePorts() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    std::string root() const { return root_.string(); }
    std::string dev(const std::string& tty) const { return (root_ / "dev" / tty).string(); }
    std::string by_id(const std::string& link) const {
        return (root_ / "dev/serial/by-id" / link).string();
    }

    // A USB serial adapter on `tty` (ttyUSB0, ttyACM0); returns its by-id path. An empty
    // serial number gives the by-id name without one.
    std::string plug(const std::string& tty, const std::string& maker, const std::string& model,
                     const std::string& serial, int bus_port) {
        namespace fs = std::filesystem;
        const fs::path usb = root_ / "sys/devices/usb1" / ("1-" + std::to_string(bus_port));
        const fs::path port = usb / "1-1:1.0" / tty;
        fs::create_directories(port);
        write(usb / "idVendor", "0403");
        write(usb / "idProduct", "6001");
        write(usb / "manufacturer", maker);
        write(usb / "product", model);
        if (!serial.empty()) write(usb / "serial", serial);
        fs::create_directories(root_ / "sys/class/tty" / tty);
        fs::create_symlink(port, root_ / "sys/class/tty" / tty / "device");
        write(root_ / "dev" / tty, "");
        std::string link =
            "usb-" + maker + "_" + model + (serial.empty() ? "" : "_" + serial) + "-if00-port0";
        for (char& c : link)
            if (c == ' ') c = '_';
        fs::create_symlink("../../" + tty, root_ / "dev/serial/by-id" / link);
        return by_id(link);
    }
    // An on-board port; `hardware` false stands for the phantom ports the kernel lists.
    void onboard(const std::string& tty, bool hardware) {
        namespace fs = std::filesystem;
        fs::create_directories(root_ / "sys/devices/platform/serial8250" / tty);
        fs::create_directories(root_ / "sys/class/tty" / tty);
        fs::create_symlink(root_ / "sys/devices/platform/serial8250" / tty,
                           root_ / "sys/class/tty" / tty / "device");
        write(root_ / "sys/class/tty" / tty / "type", hardware ? "4" : "0");
        write(root_ / "dev" / tty, "");
    }
    // Pulls the adapter on `tty` out: its folder, node and by-id link go.
    void unplug(const std::string& tty) {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (const auto& link : fs::directory_iterator(root_ / "dev/serial/by-id", ec))
            if (fs::read_symlink(link.path(), ec).filename() == tty) fs::remove(link.path(), ec);
        fs::remove_all(root_ / "sys/class/tty" / tty, ec);
        fs::remove(root_ / "dev" / tty, ec);
    }

  private:
    static void write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file) << text << '\n';
    }
    std::filesystem::path root_;
};

}  // namespace pvtest
