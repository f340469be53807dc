// The serial port of a pvtool command. The program's own message only says "COM1"; on a
// console the user typed a device, so the device and the reason go to stderr beside it.
#pragma once
#include <ostream>

#include "platform/serial_port.h"

namespace pvtool {

class ConsolePort : public pv::Port {
  public:
    ConsolePort(const std::string& device, std::ostream& err) : serial_(device), err_(err) {}

    bool open(int com_number) override { return report(serial_.open(com_number)); }
    bool configure() override { return report(serial_.configure()); }
    void close() override { serial_.close(); }
    bool purge() override { return serial_.purge(); }
    bool write(const uint8_t* bytes, size_t count) override { return serial_.write(bytes, count); }
    bool read(uint8_t* bytes, size_t count, size_t& got) override {
        return serial_.read(bytes, count, got);
    }

  private:
    bool report(bool ok) {
        if (!ok && !serial_.failure().empty()) err_ << "pvtool: " << serial_.failure() << '\n';
        return ok;
    }
    pv::SerialPort serial_;
    std::ostream& err_;
};

}  // namespace pvtool
