// The settings file format: the INI files this program has always written. Section and key
// names compare without regard to case, numbers are decimal ("$E5" hexadecimal accepted),
// and a rewrite keeps the order, the comments and every key it does not know.
//
// Values are the file's bytes; text fields choose their own decoding.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pv {

class IniFile {
  public:
    // False when the file cannot be read or is not a regular file; the contents are then
    // empty.
    bool load(const std::string& path);
    void parse(const std::string& text);
    std::string text() const;
    // All or nothing, keeping the file's mode, owner and links (see save_file).
    bool save(const std::string& path) const;

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    bool has_section(const std::string& section) const;

    std::string read_string(const std::string& section, const std::string& key,
                            const std::string& fallback) const;
    // An absent key, or one that is not a whole number in the int32 range, gives `fallback`.
    int32_t read_int(const std::string& section, const std::string& key, int32_t fallback) const;
    bool read_bool(const std::string& section, const std::string& key, bool fallback) const;

    void write_string(const std::string& section, const std::string& key, const std::string& value);
    void write_int(const std::string& section, const std::string& key, int32_t value);
    void write_bool(const std::string& section, const std::string& key, bool value);
    // Every line of `key` in `section`; false when there was none.
    bool remove_key(const std::string& section, const std::string& key);

  private:
    enum class Kind { Other, Section, Key };
    struct Line {
        Kind kind = Kind::Other;
        std::string raw;      // the line as read, for lines that are kept unchanged
        std::string section;  // Section: its name; Key: the section it belongs to
        std::string key;
        std::string value;
        bool rewritten = false;  // a Key line whose value was written since it was read
    };
    std::vector<Line> lines_;
    bool crlf_ = false;
    bool bom_ = false;  // kept on rewrite, as the file came

    const Line* find(const std::string& section, const std::string& key) const;
};

// "123", "-5", "$E5" or "0xE5"; blanks around the number are allowed.
std::optional<int64_t> parse_ini_integer(const std::string& text);

}  // namespace pv
