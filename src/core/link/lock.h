// The unit's data lock (a number from 1 to 9999 that must be given again before any
// transfer) and All Reset.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace pv {

// Reads the status word and tells whether a lock is set. A failed read shows the
// communication error and counts as no lock.
bool check_lock();
// The same, but nullopt when the status could not be read.
std::optional<bool> read_lock_state();

enum class LockEntry { ok, not_integer, out_of_range };
// A lock number as typed into the input query: a decimal integer, blanks around it allowed.
LockEntry parse_lock_number(const std::string& text, uint16_t& number);

// Asks for the lock number until the unit reports itself unlocked or the user cancels.
// True when the unit is unlocked at the end.
bool unlock_dialog();
// Asks for a new number twice and writes it. The caller has set the lock purpose. True when
// the number reached the unit.
bool set_lock_dialog();

bool data_lock_on();   // Tmain.mproonClick
bool data_lock_off();  // Tmain.mprooffClick
bool all_reset();      // Tmain.mproresetClick

}  // namespace pv
