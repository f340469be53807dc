// The log file (.PVL): a header followed by samples, all of it 16-bit little-endian words.
//
// Current layout (n channels, header n + 12 words):
//   count, version, year, month, day, hour, minute, second, n channel words, interval,
//   interval again, rev flag, pressure unit
// Layout before version 1110 (header n + 5 words): count, n channel words, interval,
// interval again, rev flag, pressure unit. Word 1 tells them apart: a channel number (below
// 1110) there means the older layout.
//
// Sample k holds one word per channel in header order at words H + k n .. H + k n + n - 1.
// Nothing of the samples is kept in memory: readers fetch the range they need from the file.
#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/logging/live.h"
#include "core/logging/log_channels.h"

namespace pv {

inline constexpr int kMaxLogChannels = kLogChannels;
inline constexpr uint16_t kStampedLogVersion = 1110;  // first version with a stamp
inline constexpr uint16_t kOldLogVersion = 1100;      // what an older file counts as

struct LogHeader {
    int n = 0;                                  // channel count, 1..7 once read
    std::array<uint8_t, kMaxLogChannels> ch{};  // channel numbers in file order
    uint16_t version = 0;
    bool stamped = false;             // the file carries a recording date and time
    std::array<uint16_t, 6> stamp{};  // year, month, day, hour, minute, second
    int32_t interval = 100;           // ms, clamped to 10..10000 by the reader
    uint16_t rev_flag = 0;            // 1: the rev channel holds engine speed
    uint16_t pressure_unit = 0;       // 0 kPa, 1 (or more) PSI
    int header_words = 0;             // H
    int64_t file_words = 0;           // whole words in the file
    int64_t last_index = 0;           // index of the last complete sample, at least 0

    // The last index a scroll range can reach (the window's scroll bar counts in int).
    int32_t reachable_last_index() const;

    LogScale scale() const { return {rev_flag, pressure_unit}; }
    bool has_channel(int number) const;
    // Position (0-based) of a channel number in the file, -1 when absent.
    int position_of(int number) const;
};

enum class LogRead {
    ok,
    missing,       // no such file
    unreadable,    // cannot be opened or read, or shorter than its header
    bad_channels,  // declares 0 channels or more than 7
};

// Parses a header from the first words of a file of `file_bytes` bytes. `bytes` holds the
// file's beginning, at least min(file_bytes, 2 * (7 + 12)) bytes of it.
LogRead parse_log_header(const uint8_t* bytes, size_t size, int64_t file_bytes, LogHeader& h);

// Opens `path` and reads its header.
LogRead read_log_header(const std::string& path, LogHeader& h);

// One open log file, for reading ranges of samples.
class LogReader {
  public:
    LogReader() = default;
    ~LogReader();
    LogReader(const LogReader&) = delete;
    LogReader& operator=(const LogReader&) = delete;

    LogRead open(const std::string& path);
    void close();
    bool is_open() const { return file_ != nullptr; }
    const LogHeader& header() const { return header_; }

    // Reads the complete samples first .. first + count - 1 (those that exist) into `words`,
    // n words per sample, with one read. Returns how many samples it holds.
    int64_t read_samples(int64_t first, int64_t count, std::vector<int16_t>& words);
    // Reads words [from, from + count) of the file as far as they exist; returns how many.
    int64_t read_words(int64_t from, int64_t count, std::vector<int16_t>& words);

  private:
    std::FILE* file_ = nullptr;
    LogHeader header_;
};

// Date and time of the recording as the viewer shows them: "2024/3/7" and "9:05:02".
std::string log_date_text(const LogHeader& h);
std::string log_time_text(const LogHeader& h);
// The version as the viewer shows it: value / 1000, three decimals unless it ends in 0.
std::string log_version_text(uint16_t version, int width);

// Decimals of a time in seconds for an interval in ms: 0 for whole seconds, 1 for tenths,
// 2 for hundredths, else 3.
int time_decimals(int32_t interval);

// The word a channel holds for a set of live values; false for a number that is no channel.
bool channel_word(int number, const LiveValues& v, int16_t& word);

// --- Writing ---------------------------------------------------------------------------

// The header words of a recording of channels 1..7.
std::vector<uint16_t> log_header_words(const std::array<uint16_t, 6>& stamp, int32_t interval,
                                       uint16_t rev_flag, uint16_t pressure_unit);

// A log file being written: each call goes straight to the file, nothing is held back.
class LogWriter {
  public:
    LogWriter() = default;
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    bool create(const std::string& path);  // anew, truncating
    bool write_words(const std::vector<uint16_t>& words);
    // One word per channel of `channels` in order; numbers outside 1..7 write nothing.
    bool write_sample(const std::vector<int>& channels, const LiveValues& v);
    bool close();  // false when the last writes did not reach the file
    bool is_open() const { return file_ != nullptr; }

  private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace pv
