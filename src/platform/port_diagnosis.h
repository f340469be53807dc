// What the system tells about a serial device that would not open: the group that owns it
// and who holds it.
#pragma once
#include <string>

#include "core/link/port.h"

namespace pv {

// The failure of an open() on `device` that set `error` (an errno value), with the group or
// the holder filled in where the system tells.
PortFailure diagnose_open_failure(const std::string& device, int error);

// The process that has `device` open (or names it in a lock file) other than `except_pid`:
// its program name and process id. False when none can be seen; another user's processes
// are only visible to root.
// The process id a lock file's bytes name (text, or a binary int of exactly its size); 0 for
// none.
int lock_file_pid(const std::string& content);

bool find_holder(const std::string& device, std::string& program, int& pid, int except_pid = 0);

}  // namespace pv
