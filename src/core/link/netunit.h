// The controller link: who holds the serial port, the busy switch around a transfer, and the
// exchanges with the unit. Everything runs on the user-interface thread, synchronously except
// the live link's polls; no operation shows a message except open_port, which reports a port
// that cannot be opened.
#pragma once
#include <cstdint>
#include <string>

#include "core/link/frames.h"
#include "core/link/port.h"

namespace pv {

inline constexpr int kAttempts = 5;  // tries of one exchange before a command gives up

// Installs the port in use and lets the data file writer ask the unit for its status word.
void install_link(Port* p);

// "COM" and the port number, the name every port message shows (a console command given a
// device names the device).
std::string com_name();

// Opens and configures the port unless it is open already. Failure shows "Cannot open COMn."
// or "Cannot configure COMn." and leaves port_open clear; the command goes on and its first
// exchange fails.
void open_port();
// True while a command's port would not open and that has been shown: the command's
// communication errors, which only repeat it, are left out.
bool port_failure_told();
// An error box of a communication command, unless the port's failure to open was shown.
void link_error(const std::string& text);
// Closes the port when it is open and clears port_open and comm_state.
void close_port();
// Records the transfer kind for the status bar (0 none, 1 load, 2 send, 3 check, other lock).
// A non-zero kind takes the port; 0 releases it unless the live link or the monitor holds it.
void set_comm_state(uint8_t kind);
// The busy switch: the windows part through the front-end hooks, then set_comm_state.
void set_busy(uint8_t kind);

// set_busy(kind) for the length of a scope; the kind may change on the way (a check becoming
// a load) and the scope always ends with set_busy(0), so no way out leaves the program busy.
class Busy {
  public:
    explicit Busy(uint8_t kind) { set_busy(kind); }
    ~Busy() { set_busy(0); }
    void to(uint8_t kind) { set_busy(kind); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
};

// One request with up to kAttempts tries, no pause between them. True when a valid reply
// came; `reply` then holds it. Advances the progress gauge once when the dialog is showing.
bool transact(const LinkFrame& request, LinkFrame* reply = nullptr);

// The frame of a block that starts at cell (col, row); data blocks use (1, 1). A read decodes
// the reply into the document and unit state; a failed exchange changes nothing. Blocks the
// table marks write-only cannot be read and read-only ones cannot be written.
bool read_block(int block_id, int col = 1, int row = 1);
bool write_block(int block_id, int col = 1, int row = 1);

// Where reads land: the document, or for the length of a ReadInto scope another set of data,
// so that a look at the unit never shows in the document's windows.
ControllerData& read_target();
class ReadInto {
  public:
    explicit ReadInto(ControllerData& target);
    ~ReadInto();
    ReadInto(const ReadInto&) = delete;
    ReadInto& operator=(const ReadInto&) = delete;

  private:
    ControllerData* previous_;
};
// Every frame of a block in address order, stopping at the first failure. For the seven
// axis and map blocks and block 104.
bool read_table(int block_id);
bool write_table(int block_id);

// The unit's status word (block 103), opening the port first if needed; 0x6603 when the
// unit does not deliver it.
uint16_t read_status();

// One unrepeated read of the live-data block. On success fills the live values, re-reads the
// status word every tenth time and works out the two corrections.
bool poll_live_data();

// poll_live_data in its steps, for a poll whose exchanges wait in the event loop.
LinkFrame live_data_request();
LinkFrame status_request();
// Stores the measured values of a valid reply to live_data_request().
void store_live_sample(const LinkFrame& reply);
// Counts a successful poll; true when the status word is to be read again now.
bool status_read_due();
// Decodes a valid reply to status_request() into the status word and its flags.
void store_status(const LinkFrame& reply);
// The two corrections from the live values and the map set the unit runs.
void finish_live_values();

// An exchange that does not wait on the wire: begin_exchange sends the request and returns,
// and collect_exchange gathers the reply as its bytes arrive (the watch_port hook says when
// to call it). Only one is in flight. Every other exchange first lets it finish and drops
// it, so a command never takes a poll's late reply for its own; `dropped` is then called.
// Needs a port with a watch handle.
enum class Gathered { waiting, valid, failed };
bool begin_exchange(const LinkFrame& request, void (*dropped)());
// Takes what has arrived: valid once the whole reply is in, failed when it is invalid, the
// line failed or read_timeout_ms passed since the request went out.
Gathered collect_exchange(LinkFrame& reply);
bool exchange_in_flight();

// The status flags of the last status word read.
inline bool status_flag(int bit) {
    return unit.status_flags[static_cast<size_t>(bit)] != 0;
}
inline bool rev_is_rpm() {
    return status_flag(status_rev_is_rpm);
}
inline bool lock_set() {
    return status_flag(status_lock_set);
}
inline bool mode_b_active() {
    return status_flag(status_mode_b_active);
}
inline bool setup_second_run() {
    return status_flag(status_setup_second_run);
}
inline bool setup_complete() {
    return status_flag(status_setup_complete);
}

// The purpose of the next write of block 115: which unit command it carries. Back to
// cmd_none when the scope ends, on every path.
class CommandPurpose {
  public:
    explicit CommandPurpose(UnitCommand command) { unit.unit_command = command; }
    ~CommandPurpose() { unit.unit_command = cmd_none; }
    CommandPurpose(const CommandPurpose&) = delete;
    CommandPurpose& operator=(const CommandPurpose&) = delete;
};

}  // namespace pv
