// The serial port of a pvtool command. Given a device with --port, its messages name that
// device instead of "COM1".
#pragma once
#include <ostream>

#include "platform/serial_port.h"

namespace pvtool {

class ConsolePort : public pv::Port {
  public:
    ConsolePort(const std::string& device, std::ostream&) : serial_(device) {}

    bool open(int com_number) override { return serial_.open(com_number); }
    bool configure() override { return serial_.configure(); }
    void close() override { serial_.close(); }
    bool purge() override { return serial_.purge(); }
    bool write(const uint8_t* bytes, size_t count) override { return serial_.write(bytes, count); }
    bool read(uint8_t* bytes, size_t count, size_t& got) override {
        return serial_.read(bytes, count, got);
    }
    pv::PortFailure failure() const override { return serial_.failure(); }
    std::string name(int com_number) const override { return serial_.name(com_number); }

  private:
    pv::SerialPort serial_;
};

}  // namespace pvtool
