// The four data transfers between the document and the unit: Load All Data, Load Parameter,
// Send All Data and Send Parameter, with their check chains, and the two parameter sequences
// that the monitor and the log recorder use as well. Each command runs to its end here; the
// window parts (progress and processing dialogs, the map window) go through the front-end
// hooks, so a window handler is one call.
#pragma once
#include <cstdint>
#include <string>

namespace pv {

// Text of a failed exchange: the block number followed by 1 for a read or 2 for a write. The
// library's own text where it has one for that number, else "Communication error(" number
// "):Please check connection".
std::string comm_error_text(int block_id, bool write);
void show_comm_error(int block_id, bool write);

// Commands that end early must not keep the port from others while neither the live link
// nor the monitor needs it.
void release_port_if_idle();

// Block 118 and the unit's readiness; each failure shows its message.
bool unit_ready_check();
// Port, readiness and status word (block 103): the checks every transfer starts with.
bool start_checks();

// The parameter blocks and the versions, read into the document.
bool load_parameter_set();
// The parameter blocks, the initial setup items when they are due and the closing unit
// command. False without doing anything unless send_allowed is set.
bool send_parameter_set();
// The work inside the progress dialog.
bool load_all_job();
bool send_all_job();
// Runs the progress dialog of `kind` (1 load, 2 send) around its job; progress_open while
// it shows.
bool run_net_dialog(uint8_t kind);
// The progress dialog's label: "Loading..." or "Sending...".
std::string net_label_text(uint8_t kind);

// Tnetdlg runs its job on the first tick of tmnet, this long after it shows.
inline constexpr uint32_t kNetDialogStartMs = 100;
// TWritingdlg ends on its timer and then waits a little longer while closing, so that the
// unit has taken the new data into use before anything talks to it again.
inline constexpr uint32_t kProcessingShowMs = 1000;
inline constexpr uint32_t kProcessingCloseWaitMs = 2000;

enum class SetupComparison { same, differ, failed };
// Reads the unit's initial setup items (blocks 109, 114, 119, 120) and compares them with
// the document's. The document keeps its own values whatever the outcome; a difference or
// a failed read has been shown when this returns.
SetupComparison compare_initial_setup();
// Firmware versions of the unit against each other and against the document's. Clears
// send_allowed (and shows why) when the data does not fit the unit.
void version_check();

// The commands. Each returns true when it did what was asked.
bool load_all_data();   // Tmain.menureadClick
bool load_parameter();  // Tmain.menupreadClick
bool send_all_data();   // Tmain.menuwriteClick
bool send_parameter();  // Tmain.menupwriteClick

}  // namespace pv
