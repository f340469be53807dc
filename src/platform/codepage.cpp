#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>

namespace pv {
namespace {

const char* codepage_name(uint16_t lang_id) {
    return lang_id == 1041 ? "CP932" : "WINDOWS-1252";
}

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns false at the first byte it cannot take, leaving
    // `in`/`left` pointing at it.
    bool run(char*& in, size_t& left, std::string& out) {
        while (left > 0) {
            char buf[256];
            char* o = buf;
            size_t room = sizeof buf;
            size_t r = iconv(cd_, &in, &left, &o, &room);
            out.append(buf, static_cast<size_t>(o - buf));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) return false;
        }
        return true;
    }

  private:
    iconv_t cd_;
};

void append_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string codepage_to_utf8(const std::string& bytes, uint16_t lang_id) {
    Converter c("UTF-8", codepage_name(lang_id));
    std::string out;
    if (!c.ok()) return bytes;
    std::string copy = bytes;
    char* in = copy.data();
    size_t left = copy.size();
    while (!c.run(in, left, out)) {
        auto byte = static_cast<unsigned char>(*in);
        append_utf8(out, lang_id != 1041 && byte >= 0x80 && byte < 0xA0 ? byte : 0xFFFD);
        ++in;
        --left;
    }
    return out;
}

std::optional<std::string> utf8_to_codepage(const std::string& utf8, uint16_t lang_id) {
    Converter c(codepage_name(lang_id), "UTF-8");
    if (!c.ok()) return std::nullopt;
    std::string out;
    std::string copy = utf8;
    char* in = copy.data();
    size_t left = copy.size();
    while (!c.run(in, left, out)) {
        // The holes of Windows-1252 come back as the C1 controls they were read as.
        auto b0 = static_cast<unsigned char>(in[0]);
        auto b1 = left > 1 ? static_cast<unsigned char>(in[1]) : 0;
        if (lang_id == 1041 || b0 != 0xC2 || b1 < 0x80 || b1 >= 0xA0) return std::nullopt;
        out += static_cast<char>(b1);
        in += 2;
        left -= 2;
    }
    return out;
}

}  // namespace pv
