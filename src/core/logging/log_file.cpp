#include "core/logging/log_file.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <filesystem>

#include "core/files/file_io.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

uint16_t word_at(const uint8_t* b, size_t index) {
    return static_cast<uint16_t>(b[2 * index] | (b[2 * index + 1] << 8));
}

constexpr size_t kHeaderBytesMax = 2 * (kMaxLogChannels + 12);

}  // namespace

bool LogHeader::has_channel(int number) const {
    return position_of(number) >= 0;
}

int LogHeader::position_of(int number) const {
    for (int k = 0; k < n; ++k)
        if (ch[static_cast<size_t>(k)] == number) return k;
    return -1;
}

LogRead parse_log_header(const uint8_t* bytes, size_t size, int64_t file_bytes, LogHeader& h) {
    h = LogHeader{};
    h.file_words = file_bytes / 2;
    size_t words =
        std::min<size_t>(size / 2, static_cast<size_t>(std::max<int64_t>(h.file_words, 0)));
    if (words < 2) return LogRead::unreadable;
    // The count's high byte is the unused half of the word; only the low byte counts.
    int n = word_at(bytes, 0) & 0xFF;
    if (n == 0 || n > kMaxLogChannels) return LogRead::bad_channels;
    h.n = n;

    uint16_t v = word_at(bytes, 1);
    size_t pos = 1;
    if (v < kStampedLogVersion) {
        h.version = kOldLogVersion;
        h.header_words = n + 5;
    } else {
        h.version = v;
        h.stamped = true;
        h.header_words = n + 12;
        pos = 2;
    }
    if (words < static_cast<size_t>(h.header_words)) return LogRead::unreadable;
    if (h.stamped)
        for (auto& s : h.stamp) s = word_at(bytes, pos++);
    for (int k = 0; k < n; ++k)
        h.ch[static_cast<size_t>(k)] = static_cast<uint8_t>(word_at(bytes, pos++) & 0xFF);
    auto interval = static_cast<int16_t>(word_at(bytes, pos));
    pos += 2;  // the interval's copy is not read
    h.interval = std::clamp<int32_t>(interval, 10, 10000);
    h.rev_flag = word_at(bytes, pos++);
    h.pressure_unit = word_at(bytes, pos);

    int64_t last = (h.file_words - h.header_words) / n - 1;
    h.last_index = std::max<int64_t>(last, 0);
    return LogRead::ok;
}

int32_t LogHeader::reachable_last_index() const {
    return static_cast<int32_t>(std::min<int64_t>(last_index, INT32_MAX));
}

LogRead read_log_header(const std::string& path, LogHeader& h) {
    LogReader r;
    LogRead result = r.open(path);
    h = r.header();
    return result;
}

LogReader::~LogReader() {
    close();
}

void LogReader::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

LogRead LogReader::open(const std::string& path) {
    close();
    header_ = LogHeader{};
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return LogRead::missing;
    file_ = open_regular_file(path);
    if (!file_) return LogRead::unreadable;
    // Reads go straight to the caller's buffer: each range is fetched in one read.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    if (std::fseek(file_, 0, SEEK_END) != 0) {
        close();
        return LogRead::unreadable;
    }
    long size = std::ftell(file_);
    uint8_t head[kHeaderBytesMax];
    size_t got = 0;
    if (size >= 0 && std::fseek(file_, 0, SEEK_SET) == 0)
        got = std::fread(head, 1, sizeof head, file_);
    LogRead result = size < 0 ? LogRead::unreadable : parse_log_header(head, got, size, header_);
    if (result != LogRead::ok) close();
    return result;
}

int64_t LogReader::read_words(int64_t from, int64_t count, std::vector<int16_t>& words) {
    words.clear();
    if (!file_ || from < 0 || count <= 0 || from >= header_.file_words) return 0;
    count = std::min(count, header_.file_words - from);
    words.resize(static_cast<size_t>(count));
    if (std::fseek(file_, static_cast<long>(from * 2), SEEK_SET) != 0) {
        words.clear();
        return 0;
    }
    size_t got = std::fread(words.data(), 2, words.size(), file_);
    words.resize(got);
    if constexpr (std::endian::native == std::endian::big)
        for (auto& w : words) w = static_cast<int16_t>(__builtin_bswap16(static_cast<uint16_t>(w)));
    return static_cast<int64_t>(got);
}

int64_t LogReader::read_samples(int64_t first, int64_t count, std::vector<int16_t>& words) {
    words.clear();
    const int n = header_.n;
    if (n <= 0 || first < 0 || count <= 0) return 0;
    int64_t complete = (header_.file_words - header_.header_words) / n;
    if (first >= complete) return 0;
    count = std::min(count, complete - first);
    int64_t got = read_words(header_.header_words + first * n, count * n, words);
    int64_t samples = got / n;
    words.resize(static_cast<size_t>(samples * n));
    return samples;
}

std::string log_date_text(const LogHeader& h) {
    return std::to_string(h.stamp[0]) + "/" + std::to_string(h.stamp[1]) + "/" +
           std::to_string(h.stamp[2]);
}

std::string log_time_text(const LogHeader& h) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u:%02u:%02u", unsigned{h.stamp[3]}, unsigned{h.stamp[4]},
                  unsigned{h.stamp[5]});
    return buf;
}

std::string log_version_text(uint16_t version, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*.*f", width, version % 10 != 0 ? 3 : 2, version / 1000.0);
    return buf;
}

int time_decimals(int32_t interval) {
    if (interval % 1000 == 0) return 0;
    if (interval % 100 == 0) return 1;
    if (interval % 10 == 0) return 2;
    return 3;
}

bool channel_word(int number, const LiveValues& v, int16_t& word) {
    switch (number) {
        case ch_pressure:
            word = v.live_boost;
            return true;
        case ch_peak_hold:
            word = v.live_peak_boost;
            return true;
        case ch_rev:
            word = v.live_rev;
            return true;
        case ch_throttle:
            word = v.live_throttle;
            return true;
        case ch_boost_correction:
            word = v.live_boost_correction;
            return true;
        case ch_offset_correction:
            word = v.live_offset_correction;
            return true;
        case ch_marking:
            word = v.marking;
            return true;
        default:
            return false;
    }
}

std::vector<uint16_t> log_header_words(const std::array<uint16_t, 6>& stamp, int32_t interval,
                                       uint16_t rev_flag, uint16_t pressure_unit) {
    std::vector<uint16_t> w;
    w.push_back(kMaxLogChannels);
    w.push_back(static_cast<uint16_t>(program_version));
    w.insert(w.end(), stamp.begin(), stamp.end());
    // Each channel word names the next channel in its high byte; readers use the low byte.
    for (int k = 1; k <= kMaxLogChannels; ++k)
        w.push_back(static_cast<uint16_t>(k | ((k < kMaxLogChannels ? k + 1 : 0) << 8)));
    w.push_back(static_cast<uint16_t>(interval));
    w.push_back(static_cast<uint16_t>(interval));
    w.push_back(rev_flag);
    w.push_back(pressure_unit);
    return w;
}

LogWriter::~LogWriter() {
    close();
}

bool LogWriter::create(const std::string& path) {
    close();
    failed_ = false;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return false;
    // Every sample goes to the file at once: a recording that breaks off keeps what it had.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    return true;
}

bool LogWriter::write_words(const std::vector<uint16_t>& words) {
    if (!file_ || failed_) return false;
    uint8_t buf[64];
    size_t k = 0;
    while (k < words.size()) {
        size_t len = 0;
        for (; k < words.size() && len + 2 <= sizeof buf; ++k) {
            buf[len++] = static_cast<uint8_t>(words[k] & 0xFF);
            buf[len++] = static_cast<uint8_t>(words[k] >> 8);
        }
        if (std::fwrite(buf, 1, len, file_) != len) {
            failed_ = true;
            return false;
        }
    }
    return true;
}

bool LogWriter::write_sample(const std::vector<int>& channels, const LiveValues& v) {
    std::vector<uint16_t> words;
    words.reserve(channels.size());
    for (int c : channels) {
        int16_t w = 0;
        if (channel_word(c, v, w)) words.push_back(static_cast<uint16_t>(w));
    }
    return write_words(words);
}

bool LogWriter::close() {
    if (!file_) return !failed_;
    bool ok = std::fclose(file_) == 0 && !failed_;
    file_ = nullptr;
    return ok;
}

}  // namespace pv
