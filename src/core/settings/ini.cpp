#include "core/settings/ini.h"

#include <limits>
#include <string_view>

#include "core/files/file_io.h"

namespace pv {
namespace {

// Far beyond any settings file the program writes; a larger one is not read at all rather
// than read in part and then rewritten without its tail.
constexpr size_t kMaxIniBytes = 4u << 20;

bool same_name(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The reader trims blanks around a value and takes off one pair of enclosing quotes, so a
// value that starts or ends with either is written inside quotes to come back unchanged.
std::string quoted(const std::string& value) {
    auto special = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    if (value.empty() || (!special(value.front()) && !special(value.back()))) return value;
    return '"' + value + '"';
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

}  // namespace

std::optional<int64_t> parse_ini_integer(const std::string& text) {
    std::string t = trim(text);
    bool negative = false;
    size_t pos = 0;
    if (pos < t.size() && (t[pos] == '-' || t[pos] == '+')) negative = t[pos++] == '-';
    int base = 10;
    if (pos < t.size() && t[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < t.size() && t[pos] == '0' && (t[pos + 1] == 'x' || t[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= t.size()) return std::nullopt;
    int64_t v = 0;
    for (; pos < t.size(); ++pos) {
        char c = t[pos];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * base + d;
        if (v > (int64_t{1} << 40)) return std::nullopt;
    }
    return negative ? -v : v;
}

bool IniFile::load(const std::string& path) {
    lines_.clear();
    bool too_large = false;
    auto text = read_regular_file(path, kMaxIniBytes, &too_large);
    if (!text || too_large) return false;
    parse(*text);
    return true;
}

void IniFile::parse(const std::string& text) {
    lines_.clear();
    crlf_ = text.find("\r\n") != std::string::npos;
    // Editors that save UTF-8 put a byte-order mark in front of the first section's name.
    bom_ = text.rfind(kBom, 0) == 0;
    std::string current;
    size_t start = bom_ ? kBom.size() : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string raw =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        // A CR before the line end is the CR LF convention; more than one is noise, and kept
        // it would turn the next line end into a CR LF of its own.
        while (!raw.empty() && raw.back() == '\r') raw.pop_back();

        Line line;
        line.raw = raw;
        std::string t = trim(raw);
        if (!t.empty() && t.front() == '[' && t.find(']') != std::string::npos) {
            line.kind = Kind::Section;
            line.section = trim(t.substr(1, t.find(']') - 1));
            current = line.section;
        } else if (!t.empty() && t.front() != ';' && t.front() != '#' &&
                   t.find('=') != std::string::npos && !current.empty()) {
            line.kind = Kind::Key;
            line.section = current;
            line.key = trim(t.substr(0, t.find('=')));
            line.value = trim(t.substr(t.find('=') + 1));
            // Quoted values keep their inner blanks, as the Windows reader does.
            if (line.value.size() >= 2 &&
                ((line.value.front() == '"' && line.value.back() == '"') ||
                 (line.value.front() == '\'' && line.value.back() == '\'')))
                line.value = line.value.substr(1, line.value.size() - 2);
            if (line.key.empty()) line.kind = Kind::Other;
        }
        lines_.push_back(std::move(line));
    }
}

std::string IniFile::text() const {
    const char* eol = crlf_ ? "\r\n" : "\n";
    std::string out = bom_ ? std::string(kBom) : std::string();
    for (const auto& l : lines_) {
        if (l.kind == Kind::Key && l.rewritten)
            out += l.key + "=" + quoted(l.value);
        else
            out += l.raw;
        out += eol;
    }
    return out;
}

bool IniFile::save(const std::string& path) const {
    return save_file(path, text());
}

const IniFile::Line* IniFile::find(const std::string& section, const std::string& key) const {
    for (const auto& l : lines_)
        if (l.kind == Kind::Key && same_name(l.section, section) && same_name(l.key, key))
            return &l;
    return nullptr;
}

std::optional<std::string> IniFile::value(const std::string& section,
                                          const std::string& key) const {
    if (const Line* l = find(section, key)) return l->value;
    return std::nullopt;
}

bool IniFile::has_section(const std::string& section) const {
    for (const auto& l : lines_)
        if (l.kind == Kind::Section && same_name(l.section, section)) return true;
    return false;
}

std::string IniFile::read_string(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    return value(section, key).value_or(fallback);
}

int32_t IniFile::read_int(const std::string& section, const std::string& key,
                          int32_t fallback) const {
    auto v = value(section, key);
    if (!v) return fallback;
    auto n = parse_ini_integer(*v);
    if (!n || *n < std::numeric_limits<int32_t>::min() || *n > std::numeric_limits<int32_t>::max())
        return fallback;
    return static_cast<int32_t>(*n);
}

bool IniFile::read_bool(const std::string& section, const std::string& key, bool fallback) const {
    return read_int(section, key, fallback ? 1 : 0) != 0;
}

bool IniFile::remove_key(const std::string& section, const std::string& key) {
    size_t before = lines_.size();
    std::erase_if(lines_, [&](const Line& l) {
        return l.kind == Kind::Key && same_name(l.section, section) && same_name(l.key, key);
    });
    return lines_.size() != before;
}

void IniFile::write_string(const std::string& section, const std::string& key,
                           const std::string& value) {
    // A value with a line break would split into a second line on the next read.
    std::string v;
    for (char c : value)
        if (c != '\r' && c != '\n') v += c;
    for (auto& l : lines_)
        if (l.kind == Kind::Key && same_name(l.section, section) && same_name(l.key, key)) {
            if (l.value != v) {
                l.value = v;
                l.rewritten = true;
            }
            return;
        }
    Line line;
    line.kind = Kind::Key;
    line.key = key;
    line.value = v;
    line.rewritten = true;

    // After the last key of the section's last occurrence, ahead of its trailing blank lines.
    std::optional<size_t> insert_at;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section || !same_name(lines_[i].section, section)) continue;
        line.section = lines_[i].section;
        size_t last = i;
        for (size_t k = i + 1; k < lines_.size() && lines_[k].kind != Kind::Section; ++k)
            if (!trim(lines_[k].raw).empty() || lines_[k].kind == Kind::Key) last = k;
        insert_at = last + 1;
    }
    if (insert_at) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insert_at), line);
        return;
    }
    if (!lines_.empty() && !trim(lines_.back().raw).empty()) lines_.push_back(Line{});
    Line head;
    head.kind = Kind::Section;
    head.section = section;
    head.raw = "[" + section + "]";
    lines_.push_back(head);
    line.section = section;
    lines_.push_back(line);
}

void IniFile::write_int(const std::string& section, const std::string& key, int32_t value) {
    write_string(section, key, std::to_string(value));
}

void IniFile::write_bool(const std::string& section, const std::string& key, bool value) {
    write_string(section, key, value ? "1" : "0");
}

}  // namespace pv
