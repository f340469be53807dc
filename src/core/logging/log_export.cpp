#include "core/logging/log_export.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/files/file_io.h"
#include "core/files/temporaries.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

std::string upper_extension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext;
}

// A file written under a temporary name beside the target and renamed over it once every
// byte is out; dropped on any failure.
class AtomicOut {
  public:
    explicit AtomicOut(const std::string& target)
        : target_(target), temp_(target + ".part" + std::to_string(getpid())) {
        file_ = std::fopen(temp_.c_str(), "wb");
        if (file_) registered_ = std::make_unique<TemporaryName>(temp_);
    }
    ~AtomicOut() {
        if (file_) std::fclose(file_);
        if (!done_) {
            std::error_code ec;
            std::filesystem::remove(temp_, ec);
        }
    }
    AtomicOut(const AtomicOut&) = delete;
    AtomicOut& operator=(const AtomicOut&) = delete;

    bool ok() const { return file_ != nullptr && !failed_; }
    void write(const char* bytes, size_t n) {
        if (!ok() || n == 0) return;
        if (std::fwrite(bytes, 1, n, file_) != n) failed_ = true;
    }
    bool commit() {
        if (!file_) return false;
        bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!closed || failed_) return false;
        std::error_code ec;
        std::filesystem::rename(temp_, target_, ec);
        if (ec) return false;
        registered_.reset();
        done_ = true;
        return true;
    }

  private:
    std::string target_, temp_;
    std::unique_ptr<TemporaryName> registered_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    bool done_ = false;
};

// The eight characters at most that one exported value takes, for every possible word:
// filled on first use, so a long export formats each distinct count once.
class FieldCache {
  public:
    FieldCache(int channel, const LogHeader& h) : channel_(channel), header_(h) {}
    std::string_view field(int16_t count) {
        if (!table_) table_ = std::make_unique<std::array<Entry, 65536>>();
        Entry& e = (*table_)[static_cast<uint16_t>(count)];
        if (e.len == 0) {
            std::string s = format_log_value(channel_, count, header_, 5).substr(0, 8);
            e.len = static_cast<uint8_t>(s.size() + 1);
            std::copy(s.begin(), s.end(), e.text);
        }
        return {e.text, static_cast<size_t>(e.len - 1)};
    }

  private:
    struct Entry {
        uint8_t len = 0;  // characters + 1; 0 = not yet formatted
        char text[8];
    };
    int channel_;
    const LogHeader& header_;
    std::unique_ptr<std::array<Entry, 65536>> table_;
};

// Fixed-point text that ignores the locale: a spreadsheet must read a point in every country.
void append_fixed(std::string& out, double value, int decimals) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    out.append(buf, r.ptr);
}

}  // namespace

double pressure_counts_per_unit(const LogHeader& h) {
    return h.pressure_unit >= 1 ? 100.0 : 10.0;
}

LogValue log_value(int channel, int16_t count, const LogHeader& h) {
    if (channel == ch_pressure || channel == ch_peak_hold)
        return {count / pressure_counts_per_unit(h), 1};
    if (channel == ch_rev) return {h.rev_flag == 1 ? count * 100.0 : count * 2.0, 0};
    return {static_cast<double>(count), 0};
}

double log_sample_time(int64_t k, const LogHeader& h) {
    return static_cast<double>(k) * h.interval / 1000.0;
}

std::string channel_unit(int channel, const LogHeader& h) {
    switch (channel) {
        case ch_pressure:
        case ch_peak_hold:
            return h.pressure_unit >= 1 ? "PSI" : "kPa";
        case ch_rev:
            return h.rev_flag == 1 ? "rpm" : "km/h";
        case ch_throttle:
        case ch_offset_correction:
            return "%";
        default:
            return {};
    }
}

std::string format_log_value(int channel, int16_t count, const LogHeader& h, int width) {
    char buf[48];
    LogValue v = log_value(channel, count, h);
    std::snprintf(buf, sizeof buf, "%*.*f", width, v.decimals, v.value);
    return buf;
}

SaveKind save_kind(const std::string& chosen, const std::string& shown) {
    if (chosen == shown) return SaveKind::none;
    std::string ext = upper_extension(chosen);
    if (ext == ".PVL") return SaveKind::copy;
    if (ext == ".TXT") return SaveKind::text;
    return SaveKind::none;
}

bool copy_log_file(const std::string& source, const std::string& target) {
    std::FILE* in = open_regular_file(source);
    if (!in) return false;
    AtomicOut out(target);
    std::vector<char> buf(1 << 16);
    char carry = 0;
    bool has_carry = false;
    bool read_ok = true;
    for (;;) {
        size_t start = 0;
        if (has_carry) buf[start++] = carry;
        size_t got = std::fread(buf.data() + start, 1, buf.size() - start, in);
        size_t total = start + got;
        has_carry = (total % 2) != 0;
        if (has_carry) carry = buf[total - 1];
        out.write(buf.data(), total - (has_carry ? 1 : 0));
        if (got == 0) {
            read_ok = std::ferror(in) == 0;
            break;
        }
    }
    std::fclose(in);
    return read_ok && out.ok() && out.commit();
}

bool export_log_text(const std::string& source, const std::string& target) {
    LogReader reader;
    if (reader.open(source) != LogRead::ok) return false;
    const LogHeader& h = reader.header();
    AtomicOut out(target);

    std::string head = "Recorded by Pavex Dravlo Ver. ";
    head += h.stamped ? log_version_text(h.version, 1) : std::string("1.10");
    head += "\r\n";
    if (h.stamped) {
        head += "Date: " + log_date_text(h) + "\t" + std::to_string(h.stamp[3]) + ":" +
                std::to_string(h.stamp[4]) + ":" + std::to_string(h.stamp[5]);
    }
    head += "\r\n";
    head += text(Catalog::Log, 20) + "\t";
    for (int k = 0; k < h.n; ++k)
        head += log_channel_name(h.ch[static_cast<size_t>(k)], h.scale()) + "\t";
    head += "\r\n";
    out.write(head.data(), head.size());

    std::vector<std::unique_ptr<FieldCache>> fields;
    for (int k = 0; k < h.n; ++k)
        fields.push_back(std::make_unique<FieldCache>(h.ch[static_cast<size_t>(k)], h));
    const int decimals = time_decimals(h.interval);

    const int64_t n = h.n;
    const int64_t sample_words = h.file_words - h.header_words;
    const int64_t chunk = 8192;  // samples per read
    std::vector<int16_t> words;
    std::string line;
    std::string block;
    block.reserve(static_cast<size_t>(chunk * (n + 1) * 9 + 16));
    bool read_ok = true;
    for (int64_t k0 = 0; k0 * n < sample_words && out.ok(); k0 += chunk) {
        int64_t want = std::min(chunk * n, sample_words - k0 * n);
        if (reader.read_words(h.header_words + k0 * n, want, words) != want) {
            read_ok = false;
            break;
        }
        block.clear();
        for (int64_t w = 0; w < want; w += n) {
            char t[48];
            int64_t k = k0 + w / n;
            int len = std::snprintf(t, sizeof t, "%7.*f", decimals, log_sample_time(k, h));
            block.append(t, static_cast<size_t>(std::min(len, 8)));
            block += '\t';
            int64_t have = std::min(n, want - w);
            for (int64_t c = 0; c < have; ++c) {
                block += fields[static_cast<size_t>(c)]->field(words[static_cast<size_t>(w + c)]);
                block += '\t';
            }
            // A last sample cut short ends the export without a line end.
            if (have == n) block += "\r\n";
        }
        out.write(block.data(), block.size());
    }
    return read_ok && out.ok() && out.commit();
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string q = "\"";
    for (char c : text) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

bool export_log_csv(const std::string& source, const std::string& target,
                    const std::function<std::string(const std::string&)>& to_utf8) {
    LogReader reader;
    if (reader.open(source) != LogRead::ok) return false;
    const LogHeader& h = reader.header();
    AtomicOut out(target);

    std::string head = csv_field(to_utf8(text(Catalog::Log, 20)) + " [s]");
    for (int k = 0; k < h.n; ++k) {
        const int ch = h.ch[static_cast<size_t>(k)];
        std::string name = to_utf8(log_channel_name(ch, h.scale()));
        std::string unit_text = channel_unit(ch, h);
        if (!unit_text.empty()) name += " [" + unit_text + "]";
        head += ',' + csv_field(name);
    }
    head += "\r\n";
    out.write(head.data(), head.size());

    const int decimals = time_decimals(h.interval);
    const int64_t n = h.n;
    const int64_t complete = (h.file_words - h.header_words) / n;
    const int64_t chunk = 8192;  // samples per read
    std::vector<int16_t> words;
    std::string block;
    for (int64_t k0 = 0; k0 < complete && out.ok(); k0 += chunk) {
        int64_t want = std::min(chunk, complete - k0);
        if (reader.read_samples(k0, want, words) != want) return false;
        block.clear();
        for (int64_t s = 0; s < want; ++s) {
            append_fixed(block, log_sample_time(k0 + s, h), decimals);
            for (int64_t c = 0; c < n; ++c) {
                LogValue v = log_value(h.ch[static_cast<size_t>(c)],
                                       words[static_cast<size_t>(s * n + c)], h);
                block += ',';
                append_fixed(block, v.value, v.decimals);
            }
            block += "\r\n";
        }
        out.write(block.data(), block.size());
    }
    return out.ok() && out.commit();
}

}  // namespace pv
