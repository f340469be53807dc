// Saving a shown log: a word-for-word copy under a new name, or a tab-separated text export.
// Both write beside the chosen name and rename when complete, so a failed save never leaves
// a partial file under that name.
#pragma once
#include <cstdint>
#include <string>

#include "core/logging/log_file.h"

namespace pv {

// A stored count as the export and the viewer write it: pressures "%W.1f" (count / 10 kPa,
// or / 100 PSI when the file's unit is 1 or more), rev "%Wd" (x 100 rpm when the rev flag is
// 1, else x 2 km/h), every other channel "%Wd" of the signed word.
std::string format_log_value(int channel, int16_t count, const LogHeader& h, int width);

enum class SaveKind { none, copy, text };
// What saving the shown file `shown` under `chosen` does: nothing onto the shown file itself
// (exact comparison) or for an extension other than .PVL or .TXT (any case).
SaveKind save_kind(const std::string& chosen, const std::string& shown);

// The whole words of `source` into `target` (a trailing odd byte is dropped).
bool copy_log_file(const std::string& source, const std::string& target);

// The text export of `source` into `target`; every line ends CR LF.
bool export_log_text(const std::string& source, const std::string& target);

}  // namespace pv
