// Reading and saving the program's own files (data files, the settings file, log copies)
// without trusting what sits at the path: only regular files are read, and a save replaces
// the file's contents but keeps what the user set on it.
#pragma once
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

// The first `max_bytes` bytes of a regular file. A folder, a FIFO, a device or a file that
// cannot be opened gives nothing at once, without waiting for a writer. `truncated` (when
// given) tells whether the file held more than was read.
std::optional<std::string> read_regular_file(const std::string& path, size_t max_bytes,
                                             bool* truncated = nullptr);

// A regular file opened for reading ("rb"), or null at once for anything else (a folder, a
// FIFO, a device) or a file that cannot be opened: never waits for a writer.
std::FILE* open_regular_file(const std::string& path);

// True when `path` names a regular file (through symbolic links).
bool is_regular_file(const std::string& path);

// Replaces the contents of `path` with `bytes`, all or nothing:
// - a symbolic link is followed and its final target written, the link stays;
// - the new contents go to a temporary file beside the target (created exclusively, with a
//   short hidden name), flushed to disk and renamed over the target, so a failed save leaves
//   the old file intact; the temporary gets the target's mode and, where permitted, owner;
// - a file with other hard links is written in place so that every name sees the save;
// - a read-only file, a folder, a FIFO or a device is refused.
bool save_file(const std::string& path, std::string_view bytes);

}  // namespace pv
