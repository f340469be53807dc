// The controller unit's serial line on a termios device.
#pragma once
#include <string>

#include "core/link/port.h"

namespace pv {

// Device of COM n: the environment variable PVEDIT_PORT when set (it stands for every
// number), else "PORTS"/"COM"+n of the settings file, else /dev/ttyS(n-1).
std::string com_device_path(int com_number);

class SerialPort : public Port {
  public:
    // With a device path, every COM number opens that device (pvtool --port, Detect Unit).
    explicit SerialPort(std::string fixed_device = {});
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    bool open(int com_number) override;
    bool configure() override;
    void close() override;
    bool purge() override;
    bool write(const uint8_t* bytes, size_t count) override;
    bool read(uint8_t* bytes, size_t count, size_t& got) override;
    int watch_handle() const override { return fd_; }
    bool read_ready(uint8_t* bytes, size_t count, size_t& got) override;

    PortFailure failure() const override { return failure_; }
    // A port given its device names the device in its messages.
    std::string name(int com_number) const override;

    bool is_open() const { return fd_ >= 0; }
    const std::string& device() const { return device_; }

  private:
    std::string fixed_device_;
    std::string device_;
    PortFailure failure_;
    int fd_ = -1;
};

}  // namespace pv
