// The serial ports the system has, and which COM number stands for which of them. The
// platform lists the ports (a catalogue over sysfs and /dev/serial/by-id); tests give a
// catalogue over a fake tree. The COM numbers live in the settings ("PORTS"/"COM"+n): an
// adapter is kept under its stable by-id name, so it keeps its number across re-plugs.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace pv {

enum class PortKind { usb, acm, onboard, pseudo, named };

struct PortEntry {
    std::string id;           // stable name: the by-id link when there is one, else the device
    std::string device;       // the device node it leads to
    std::string description;  // maker and model ("FTDI FT232R USB UART"), may be empty
    PortKind kind = PortKind::named;
    bool present = true;  // a name from the settings file may lead nowhere
};

class PortCatalogue {
  public:
    virtual ~PortCatalogue() = default;
    // Every port there is now, in a stable order.
    virtual std::vector<PortEntry> scan() = 0;
    // Folders whose changes mean that a port came or went; empty when nothing says so.
    virtual std::vector<std::string> watched_folders() const { return {}; }
};

inline constexpr int kComCount = 15;

// What the program knows of the ports: the last scan, and who is told of changes.
class PortList {
  public:
    // Scans again; new adapters get the lowest COM number with nothing behind it, and the
    // listener hears which ports came and went since the last scan.
    void refresh();
    const std::vector<PortEntry>& entries() const { return entries_; }
    // The port COM n stands for, when it is in the last scan.
    const PortEntry* entry_of(int com_number) const;
    // "COM3  FTDI FT232R USB UART (/dev/ttyUSB0)", or what stands behind the number instead.
    std::string caption(int com_number) const;

    std::function<void(const std::vector<PortEntry>& appeared,
                       const std::vector<PortEntry>& removed)>
        on_change;

  private:
    std::vector<PortEntry> entries_;
};

PortList& port_list();
// The catalogue in use (nullptr: none, the list stays empty). The caller keeps ownership.
void set_port_catalogue(PortCatalogue* catalogue);
PortCatalogue* port_catalogue();

// The settings' name for COM n, or the on-board port's device; PVEDIT_PORT stands for every
// number.
std::string com_port_name(int com_number);

// Gives each adapter of `ports` that has no COM number the lowest free one (no settings
// entry, no on-board port at /dev/ttyS(n-1)). True when a number was given.
bool assign_com_numbers(const std::vector<PortEntry>& ports,
                        std::array<std::string, 16>& port_paths);

}  // namespace pv
