// The serial line to the controller unit, as the link sees it. The window program and pvtool
// install the termios port, tests the in-process simulated unit. Every call is synchronous;
// a port with a watch handle also lets the link's polls wait in the event loop.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace pv {

// Give-up times of one call, as the Windows driver was told them: a 24-byte write waits at
// most 68 ms, a 24-byte read 112 ms.
constexpr uint32_t write_timeout_ms(size_t bytes) {
    return 2 * static_cast<uint32_t>(bytes) + 20;
}
constexpr uint32_t read_timeout_ms(size_t bytes) {
    return 3 * static_cast<uint32_t>(bytes) + 40;
}

// Why a port would not open or configure, as far as the system tells.
enum class PortFault { none, no_device, permission, busy, not_terminal, configure, other };

struct PortFailure {
    PortFault fault = PortFault::none;
    std::string device;  // the device the COM number stood for
    std::string detail;  // the system's own words, for `other`
    // permission: the group that owns the device, and whether the group database lists the
    // user in it although this session does not have it yet (added, but not logged in again)
    std::string group;
    bool member_not_yet_active = false;
    // busy: the program that holds the device and its process id, 0 when not known
    std::string holder;
    int holder_pid = 0;
};

class Port {
  public:
    virtual ~Port() = default;
    // Opens COM `com_number` for exclusive use. False when it does not exist or is taken.
    virtual bool open(int com_number) = 0;
    // 19200 baud, 8 data bits, no parity, 1 stop bit, raw bytes. False leaves the port open;
    // the caller closes it.
    virtual bool configure() = 0;
    virtual void close() = 0;
    // Drops whatever is waiting in either direction.
    virtual bool purge() = 0;
    // Sends all bytes within write_timeout_ms(count); false on a time-out or a failed line.
    virtual bool write(const uint8_t* bytes, size_t count) = 0;
    // Collects up to `count` bytes, giving up after read_timeout_ms(count) in total. A time-out
    // is not a failure: `got` tells how many arrived. False when the line itself failed (the
    // adapter went away).
    virtual bool read(uint8_t* bytes, size_t count, size_t& got) = 0;

    // Why the last open or configure failed; fault none when the port cannot tell.
    virtual PortFailure failure() const { return {}; }
    // The name the port's messages use: "COM" and the number, or the device a console
    // command was given.
    virtual std::string name(int com_number) const { return "COM" + std::to_string(com_number); }

    // For callers that wait in an event loop rather than in read(): a handle that turns
    // readable when bytes arrive, or -1 when the port has none (its exchanges then run
    // synchronously).
    virtual int watch_handle() const { return -1; }
    // Takes up to `count` bytes that have already arrived, without waiting. False when the
    // line itself failed.
    virtual bool read_ready(uint8_t* /*bytes*/, size_t /*count*/, size_t& got) {
        got = 0;
        return false;
    }
};

// The port in use. Until one is installed, a port that never opens.
Port& port();
// Installs a port (nullptr restores the absent one). The caller keeps ownership; the link
// must be closed (close_port) before the port object goes away.
void set_port(Port* p);

}  // namespace pv
