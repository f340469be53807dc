// Saving a shown log: a word-for-word copy under a new name, a tab-separated text export, or
// a CSV file for spreadsheets. Each writes beside the chosen name and renames when complete,
// so a failed save never leaves a partial file under that name.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/logging/log_file.h"

namespace pv {

// A stored count in the units the program shows it in, and the decimals it is written with:
// pressures count / 10 kPa (or / 100 PSI when the file's unit is 1 or more) with one
// decimal, rev x 100 rpm when the rev flag is 1 else x 2 km/h, every other channel the
// signed word; all but the pressures are whole numbers.
struct LogValue {
    double value;
    int decimals;
};
LogValue log_value(int channel, int16_t count, const LogHeader& h);
// Stored pressure counts per kPa (10) or per PSI (100), by the file's unit.
double pressure_counts_per_unit(const LogHeader& h);

// Seconds from the start of the recording to sample k.
double log_sample_time(int64_t k, const LogHeader& h);

// The unit a channel's values are in ("kPa", "PSI", "rpm", "km/h", "%"), empty for the
// corrections' plain numbers, the marking and numbers that are no channel.
std::string channel_unit(int channel, const LogHeader& h);

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

// The samples of `source` as CSV (RFC 4180) into `target`: a header row "Time [s]" and each
// channel's name with its unit in brackets, then one row per complete sample with the values
// of the text export, neither padded nor cut. Comma separated, the decimal mark a point
// whatever the locale, CR LF after every row. `to_utf8` converts the library's 8-bit names.
bool export_log_csv(const std::string& source, const std::string& target,
                    const std::function<std::string(const std::string&)>& to_utf8);

// One CSV field: quoted, with inner quotes doubled, when it holds a comma, a quote or a line
// break; else as it is.
std::string csv_field(const std::string& text);

}  // namespace pv
