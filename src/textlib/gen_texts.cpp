// Build-time tool: reads the UTF-8 text catalogue and writes the tables that PVDLang.cpp
// compiles in, with every Japanese text converted to code page 932. Whatever is wrong in the
// catalogue stops the build here, so no user ever meets an empty, half-translated or garbled
// text.
//
//   pvdlang_gen catalog.txt pvdlang_texts.inc
#include <errno.h>
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Must match the exports declared in PVDLang.h; PVDLang.cpp refers to one table per name.
constexpr const char* kExports[] = {
    "FontNameCall", "RegCall", "MsgCall", "ErrorCall",    "MenuCall", "MapCall", "GraphCall",
    "LogCall",      "MntCall", "NetCall", "WritedlgCall", "PrmCall",  "VerCall", "VerupCall",
};

struct Entry {
    std::optional<std::string> en;
    std::optional<std::string> ja;  // already in code page 932
    std::string ja_utf8;            // kept for the comments of the generated file
    int line = 0;
};

struct Section {
    std::string name;
    int line = 0;
    bool any_number = false;  // "*" entries: the export ignores the number
    bool numbered = false;
    std::map<uint32_t, Entry> entries;
};

std::string g_path;

[[noreturn]] void Fail(int line, const std::string& message) {
    std::fprintf(stderr, "%s:%d: error: %s\n", g_path.c_str(), line, message.c_str());
    std::exit(1);
}

// Runs one whole conversion; nullopt when any byte sequence has no counterpart.
std::optional<std::string> Convert(iconv_t cd, const std::string& in) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) return {};
    if (iconv(cd, nullptr, nullptr, &dst, &dst_left) == static_cast<size_t>(-1)) return {};
    out.resize(out.size() - dst_left);
    return out;
}

class Cp932 {
  public:
    Cp932() : to_(iconv_open("CP932", "UTF-8")), from_(iconv_open("UTF-8", "CP932")) {
        if (to_ == reinterpret_cast<iconv_t>(-1) || from_ == reinterpret_cast<iconv_t>(-1)) {
            std::fprintf(stderr, "pvdlang_gen: this C library has no CP932 converter\n");
            std::exit(1);
        }
    }
    ~Cp932() {
        iconv_close(to_);
        iconv_close(from_);
    }
    Cp932(const Cp932&) = delete;
    Cp932& operator=(const Cp932&) = delete;

    // Code page 932 maps a few characters many-to-one (the wave dash and the full-width tilde,
    // for one); only a text that converts back unchanged is stored, so what the catalogue
    // shows is what the user sees.
    std::optional<std::string> Encode(const std::string& utf8) {
        std::optional<std::string> bytes = Convert(to_, utf8);
        if (!bytes) return {};
        std::optional<std::string> back = Convert(from_, *bytes);
        if (!back || *back != utf8) return {};
        return bytes;
    }

  private:
    iconv_t to_;
    iconv_t from_;
};

bool IsKnownExport(const std::string& name) {
    for (const char* e : kExports)
        if (name == e) return true;
    return false;
}

// Reads a quoted text starting at `pos` (the opening quote) and undoes the escapes.
std::string ParseQuoted(const std::string& line, size_t pos, int line_no) {
    std::string text;
    size_t i = pos + 1;
    for (;; ++i) {
        if (i >= line.size()) Fail(line_no, "text has no closing quote");
        const char c = line[i];
        if (c == '"') break;
        if (static_cast<unsigned char>(c) < 0x20)
            Fail(line_no, "control character in text; write \\r or \\n");
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i >= line.size()) Fail(line_no, "text ends in a lone backslash");
        switch (line[i]) {
            case 'r':
                text += '\r';
                break;
            case 'n':
                text += '\n';
                break;
            case '"':
                text += '"';
                break;
            case '\\':
                text += '\\';
                break;
            default:
                Fail(line_no, std::string("unknown escape \\") + line[i]);
        }
    }
    for (++i; i < line.size(); ++i)
        if (line[i] != ' ' && line[i] != '\t') Fail(line_no, "stray characters after the text");
    return text;
}

std::vector<Section> ReadCatalogue(std::istream& in, Cp932& cp932) {
    std::vector<Section> sections;
    std::string line;
    int line_no = 0;
    while (std::getline(in, line)) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();  // a checkout with CR LF
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;

        if (line[first] == '[') {
            const size_t close = line.find(']', first);
            if (close == std::string::npos) Fail(line_no, "section name has no closing ]");
            Section s;
            s.name = line.substr(first + 1, close - first - 1);
            s.line = line_no;
            if (!IsKnownExport(s.name)) Fail(line_no, "no export is called " + s.name);
            for (const Section& other : sections)
                if (other.name == s.name) Fail(line_no, s.name + " appears twice");
            sections.push_back(std::move(s));
            continue;
        }
        if (sections.empty()) Fail(line_no, "text before the first [section]");
        Section& section = sections.back();

        std::istringstream fields(line);
        std::string key, lang;
        fields >> key >> lang;
        const size_t quote = line.find('"');
        if (key.empty() || lang.empty() || quote == std::string::npos)
            Fail(line_no, "expected: NUMBER en|ja \"text\"");

        uint32_t number = 0;
        if (key == "*") {
            section.any_number = true;
        } else {
            char* end = nullptr;
            const unsigned long value = std::strtoul(key.c_str(), &end, 10);
            if (*end != '\0' || key[0] == '-' || value < 1 || value > 0xFFFF)
                Fail(line_no, "text number must be 1 to 65535 or *");
            number = static_cast<uint32_t>(value);
            section.numbered = true;
        }
        if (section.any_number && section.numbered)
            Fail(line_no, section.name + " mixes numbered texts with *");

        std::string text = ParseQuoted(line, quote, line_no);
        if (text.empty()) Fail(line_no, "empty text; leave the number out instead");

        Entry& entry = section.entries[number];
        if (entry.line == 0) entry.line = line_no;
        if (lang == "en") {
            if (entry.en) Fail(line_no, "second English text for this number");
            for (unsigned char c : text)
                if ((c < 0x20 || c > 0x7E) && c != '\r' && c != '\n')
                    Fail(line_no, "English texts must be plain ASCII");
            entry.en = std::move(text);
        } else if (lang == "ja") {
            if (entry.ja) Fail(line_no, "second Japanese text for this number");
            std::optional<std::string> bytes = cp932.Encode(text);
            if (!bytes) Fail(line_no, "text cannot be written in code page 932");
            entry.ja = std::move(*bytes);
            entry.ja_utf8 = std::move(text);
        } else {
            Fail(line_no, "language must be en or ja, not " + lang);
        }
    }

    for (const char* name : kExports) {
        bool found = false;
        for (const Section& s : sections) found = found || s.name == name;
        if (!found) Fail(line_no, std::string("no [") + name + "] section");
    }
    for (const Section& s : sections) {
        if (s.entries.empty()) Fail(s.line, s.name + " has no texts");
        for (const auto& [number, entry] : s.entries) {
            if (!entry.en) Fail(entry.line, s.name + " text has no English twin");
            if (!entry.ja) Fail(entry.line, s.name + " text has no Japanese twin");
        }
    }
    return sections;
}

// Each text becomes its own literal, so an octal escape can never swallow a following digit.
std::string CLiteral(const std::string& bytes) {
    static const char kOctal[] = "01234567";
    std::string out = "\"";
    for (unsigned char c : bytes) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '?':
                out += "\\?";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    out += static_cast<char>(c);
                } else {
                    out += '\\';
                    out += kOctal[(c >> 6) & 7];
                    out += kOctal[(c >> 3) & 7];
                    out += kOctal[c & 7];
                }
        }
    }
    return out + "\\0\"";
}

// A line break or a final backslash would end or continue the // comment it is shown in.
std::string CommentText(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

class Writer {
  public:
    std::string Generate(const std::vector<Section>& sections) {
        std::ostringstream tables;
        for (const Section& s : sections) {
            const uint32_t count = s.entries.rbegin()->first + 1;
            std::vector<uint32_t> en(count, 0), ja(count, 0);
            for (const auto& [number, entry] : s.entries) {
                const std::string where =
                    s.name + " " + (s.any_number ? std::string("*") : std::to_string(number));
                en[number] = Intern(*entry.en, where + " en");
                ja[number] = Intern(*entry.ja, where + " ja: " + CommentText(entry.ja_utf8));
            }
            WriteOffsets(tables, "k" + s.name + "En", en);
            WriteOffsets(tables, "k" + s.name + "Ja", ja);
            tables << "constexpr TextTable k" << s.name << " = {k" << s.name << "En, k" << s.name
                   << "Ja, " << count << "};\n\n";
        }
        std::ostringstream out;
        out << "// Generated by pvdlang_gen from catalog.txt; edit the catalogue, not this file.\n"
               "// kPool holds every text once, each ending in NUL, Japanese in code page 932.\n"
               "// Offset 0 is the empty text that every unlisted number points at.\n\n"
               "constexpr char kPool[] =\n    \"\\0\"\n"
            << pool_ << "    ;\n\n"
            << tables.str();
        return out.str();
    }

  private:
    uint32_t Intern(const std::string& bytes, const std::string& where) {
        auto [it, added] = offsets_.try_emplace(bytes, size_);
        if (added) {
            pool_ += "    // " + where + "\n    " + CLiteral(bytes) + "\n";
            size_ += static_cast<uint32_t>(bytes.size()) + 1;
        }
        return it->second;
    }

    static void WriteOffsets(std::ostream& out, const std::string& name,
                             const std::vector<uint32_t>& offsets) {
        out << "constexpr uint32_t " << name << "[" << offsets.size() << "] = {";
        for (size_t i = 0; i < offsets.size(); ++i) {
            out << (i % 10 == 0 ? "\n    " : " ") << offsets[i] << ",";
        }
        out << "\n};\n";
    }

    std::string pool_;
    std::map<std::string, uint32_t> offsets_;
    uint32_t size_ = 1;  // the leading empty text
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pvdlang_gen CATALOGUE OUTPUT\n");
        return 2;
    }
    g_path = argv[1];
    std::ifstream in(g_path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "pvdlang_gen: cannot read %s\n", argv[1]);
        return 1;
    }
    Cp932 cp932;
    const std::vector<Section> sections = ReadCatalogue(in, cp932);
    const std::string text = Writer().Generate(sections);

    // Written aside and renamed, so a failed run never leaves a half file that looks current.
    const std::string out_path = argv[2];
    const std::string tmp_path = out_path + ".tmp";
    {
        std::ofstream out(tmp_path, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::fprintf(stderr, "pvdlang_gen: cannot write %s\n", tmp_path.c_str());
            return 1;
        }
    }
    if (std::rename(tmp_path.c_str(), out_path.c_str()) != 0) {
        std::fprintf(stderr, "pvdlang_gen: cannot rename %s: %s\n", tmp_path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    return 0;
}
