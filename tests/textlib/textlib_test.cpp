#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "PVDLang.h"

namespace {

using Lookup = const char* (*)(uint32_t, uint32_t);

constexpr uint32_t kJapanese = 1041;
constexpr uint32_t kEnglish = 1033;

std::set<uint32_t> Numbers(std::initializer_list<std::pair<uint32_t, uint32_t>> ranges) {
    std::set<uint32_t> out;
    for (auto [first, last] : ranges)
        for (uint32_t n = first; n <= last; ++n) out.insert(n);
    return out;
}

struct Catalogue {
    const char* name;
    Lookup lookup;
    std::set<uint32_t> listed;
};

// The numbers the program may ask for; every one of them must answer in both languages.
const std::vector<Catalogue>& NumberedCatalogues() {
    static const std::vector<Catalogue> all = {
        {"RegCall", RegCall, Numbers({{1, 2}})},
        {"MsgCall", MsgCall, Numbers({{1, 44}, {201, 251}})},
        {"ErrorCall", ErrorCall,
         Numbers({{3, 4},
                  {6, 6},
                  {16, 17},
                  {21, 21},
                  {26, 27},
                  {29, 29},
                  {31, 32},
                  {34, 34},
                  {36, 39},
                  {42, 43},
                  {45, 55},
                  {57, 57},
                  {59, 59}})},
        {"MenuCall", MenuCall,
         Numbers({{1, 7},
                  {10, 17},
                  {20, 21},
                  {30, 36},
                  {40, 48},
                  {50, 70},
                  {80, 85},
                  {90, 92},
                  {100, 120},
                  {130, 144}})},
        {"MapCall", MapCall, Numbers({{1, 23}, {30, 53}})},
        {"GraphCall", GraphCall, Numbers({{1, 3}})},
        {"LogCall", LogCall, Numbers({{1, 32}})},
        {"MntCall", MntCall, Numbers({{1, 18}})},
        {"NetCall", NetCall, Numbers({{1, 5}})},
        {"WritedlgCall", WritedlgCall, Numbers({{1, 2}})},
        {"PrmCall", PrmCall, Numbers({{1, 112}})},
        {"VerCall", VerCall, Numbers({{1, 6}})},
    };
    return all;
}

std::optional<std::string> Cp932ToUtf8(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(bytes.size() * 3 + 4, '\0');
    char* src = const_cast<char*>(bytes.data());
    size_t src_left = bytes.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return {};
    out.resize(out.size() - dst_left);
    return out;
}

// The Japanese text as UTF-8, so that the checks below never mistake the second byte of a
// double-byte character (0x5C, 0x7C, ...) for ASCII.
std::string JapaneseUtf8(Lookup lookup, uint32_t number) {
    std::optional<std::string> utf8 = Cp932ToUtf8(lookup(kJapanese, number));
    return utf8.value_or("<not code page 932>");
}

TEST(textlib, EnglishTextsKeepEveryByteOfTheOriginal) {
    struct Case {
        Lookup lookup;
        uint32_t number;
        const char* text;
    };
    const Case cases[] = {
        {MsgCall, 3, "    Log"},
        {MsgCall, 11,
         "Initial communication between the valve and display is not complete.\r\n"
         "Please wait and try again."},
        {MsgCall, 13, " Pressure Unit"},
        {MsgCall, 19, "Cannot write due to wrong "},
        {MsgCall, 25, "Cannot set data lock number before intial setup."},
        {MsgCall, 27, "Will cancel and reset data lock.\rProceed?"},
        {MsgCall, 33, " cannot be found."},
        {ErrorCall, 3,
         "Error:\"SPLASH.bmp\" file is missing. Ending program.\r\n"
         "      Place \"SPLASH.bmp\" in same folder as execution file."},
        {ErrorCall, 34,
         "Communication error(1181):Check if the Pavex is powered on.\r\n"
         "                          Please check connection"},
        {ErrorCall, 46, "Internal error(200):Program has been inturrupted."},
        {ErrorCall, 50, "Communication error("},
        {ErrorCall, 51, "):Please check connection"},
        {ErrorCall, 53, "Error:Universal Pavex data cannot be sent to a  Targo Pavex."},
        {MenuCall, 60, "COM6"},
        {MenuCall, 119, "Double click to connect to the internet and open Tebrik homepage."},
        {MenuCall, 120, "Pavex Data File(PVD)|*.PVD"},
        {MapCall, 22, " - "},
        {LogCall, 10, "Pavex Log File(PVL)|*.PVL|Text File(TXT)|*.TXT"},
        {MntCall, 14, "offset correction ***** "},
        {PrmCall, 15, "Select Exhaust Bypass Type.\r\nSWING:Actuator, POPET:Waist Gate"},
        {PrmCall, 21,
         "Sets the voltage output of the throttle sensor \r\n"
         "when the throttle is fully open and fully closed."},
        {PrmCall, 41, "Max:250[kpa]"},
        {PrmCall, 107, " Number of Car Speed Pulse "},
        {RegCall, 1, "Pavex5 DataFile"},
        {VerCall, 6, "CONNECTING ERROR"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.lookup(kEnglish, c.number), c.text) << "number " << c.number;
    }
}

// Walks past both ends of every catalogue and through its gaps: a listed number answers in
// both languages, anything else is an empty text, never a null pointer.
TEST(textlib, ListedNumbersAnswerInBothLanguagesAndOthersAreEmpty) {
    for (const Catalogue& cat : NumberedCatalogues()) {
        for (uint32_t n = 0; n <= 260; ++n) {
            for (uint32_t lang : {kEnglish, kJapanese}) {
                const char* text = cat.lookup(lang, n);
                ASSERT_NE(text, nullptr) << cat.name << " " << n;
                EXPECT_EQ(*text != '\0', cat.listed.count(n) == 1)
                    << cat.name << " " << n << " lang " << lang;
            }
        }
        for (uint32_t n : {0xFFFFu, 0x10000u, 0xFFFFFFFFu}) {
            EXPECT_STREQ(cat.lookup(kEnglish, n), "") << cat.name << " " << n;
            EXPECT_STREQ(cat.lookup(kJapanese, n), "") << cat.name << " " << n;
        }
    }
}

TEST(textlib, OnlyTheLowSixteenBitsOfTheNumberCount) {
    for (const Catalogue& cat : NumberedCatalogues()) {
        for (uint32_t n = 0; n <= 130; ++n) {
            for (uint32_t lang : {kEnglish, kJapanese}) {
                EXPECT_EQ(cat.lookup(lang, n + 0x10000u), cat.lookup(lang, n)) << cat.name << n;
                EXPECT_EQ(cat.lookup(lang, n | 0xFFFF0000u), cat.lookup(lang, n)) << cat.name << n;
            }
        }
    }
}

TEST(textlib, OnlyTheLowSixteenBitsOf1041SelectJapanese) {
    const std::string japanese = MsgCall(kJapanese, 1);
    const std::string english = MsgCall(kEnglish, 1);
    ASSERT_NE(japanese, english);
    EXPECT_EQ(MsgCall(kJapanese + 65536, 1), japanese);
    EXPECT_EQ(MsgCall(kJapanese | 0xFFFF0000u, 1), japanese);
    for (uint32_t lang : {0u, 1u, 1040u, 1042u, 2052u, kJapanese << 16, 0xFFFFFFFFu}) {
        EXPECT_EQ(MsgCall(lang, 1), english) << "lang " << lang;
    }
}

TEST(textlib, ParametersOnlyMessageDiffersOnlyInJapanese) {
    EXPECT_STREQ(MsgCall(kEnglish, 23), MsgCall(kEnglish, 20));
    EXPECT_STRNE(MsgCall(kJapanese, 23), MsgCall(kJapanese, 20));
    EXPECT_NE(JapaneseUtf8(MsgCall, 23).find("パラメータ"), std::string::npos);
}

TEST(textlib, FontAndWebAddressIgnoreTheNumber) {
    for (Lookup lookup : {FontNameCall, VerupCall}) {
        for (uint32_t lang : {kEnglish, kJapanese}) {
            const char* first = lookup(lang, 0);
            ASSERT_NE(*first, '\0');
            for (uint32_t n : {1u, 2u, 7u, 200u, 1041u, 0xFFFFu, 0x10000u, 0xFFFFFFFFu}) {
                EXPECT_STREQ(lookup(lang, n), first) << "number " << n;
            }
        }
        EXPECT_STRNE(lookup(kEnglish, 1), lookup(kJapanese, 1));
    }
    EXPECT_STREQ(FontNameCall(kEnglish, 0), "Default");
    // Full-width M and S, an ordinary blank (not the ideographic one), then Gothic in
    // katakana: a font looked up by this name is not found with any other blank.
    EXPECT_STREQ(FontNameCall(kJapanese, 0),
                 "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e");
    for (uint32_t lang : {kEnglish, kJapanese}) {
        EXPECT_EQ(std::string(VerupCall(lang, 0)).rfind("https://", 0), 0u);
    }
}

TEST(textlib, JapaneseTextsAreValidCodePage932) {
    for (const Catalogue& cat : NumberedCatalogues()) {
        for (uint32_t n : cat.listed) {
            EXPECT_TRUE(Cp932ToUtf8(cat.lookup(kJapanese, n)).has_value()) << cat.name << " " << n;
        }
    }
}

TEST(textlib, JapaneseTextsDecodeAsWritten) {
    EXPECT_EQ(JapaneseUtf8(MenuCall, 1), "ファイル(&F)");
    EXPECT_EQ(JapaneseUtf8(MsgCall, 35), "を開けません");
    EXPECT_EQ(JapaneseUtf8(RegCall, 1).rfind("Pavex5 ", 0), 0u);
    EXPECT_EQ(JapaneseUtf8(RegCall, 2).rfind("Pavex5 ", 0), 0u);
    // 表 is 0x95 0x5C: its second byte must survive as a backslash byte, not as an escape.
    EXPECT_EQ(JapaneseUtf8(LogCall, 24), "表示");
}

// Callers join, split and parse these texts, so a translation must keep what they rely on.
TEST(textlib, TranslationsKeepWhatCallersRelyOn) {
    const std::regex kept(R"(\(&[A-Z]\)|\*\.[A-Z]+|\(\d{3,4}\)|\r\n|\r)");
    // Fragments that follow a name in Japanese but precede or border it in English.
    const std::set<std::pair<std::string, uint32_t>> reordered = {
        {"MsgCall", 19}, {"MsgCall", 33}, {"MsgCall", 35}, {"MsgCall", 36}};
    for (const Catalogue& cat : NumberedCatalogues()) {
        for (uint32_t n : cat.listed) {
            const std::string en = cat.lookup(kEnglish, n);
            const std::string ja = JapaneseUtf8(cat.lookup, n);
            ASSERT_FALSE(en.empty() || ja.empty()) << cat.name << " " << n;
            std::vector<std::string> en_marks, ja_marks;
            for (std::sregex_iterator it(en.begin(), en.end(), kept), end; it != end; ++it)
                en_marks.push_back(it->str());
            for (std::sregex_iterator it(ja.begin(), ja.end(), kept), end; it != end; ++it)
                ja_marks.push_back(it->str());
            EXPECT_EQ(en_marks, ja_marks) << cat.name << " " << n << ": " << ja;
            EXPECT_EQ(std::count(en.begin(), en.end(), '|'), std::count(ja.begin(), ja.end(), '|'))
                << cat.name << " " << n;

            if (reordered.count({cat.name, n})) {
                EXPECT_NE(ja.front(), ' ') << cat.name << " " << n;
                EXPECT_NE(ja.back(), ' ') << cat.name << " " << n;
                EXPECT_FALSE(ja.ends_with("。")) << cat.name << " " << n;
                continue;
            }
            EXPECT_EQ(en.front() == ' ', ja.front() == ' ') << cat.name << " " << n << ": " << ja;
            EXPECT_EQ(en.back() == ' ', ja.back() == ' ') << cat.name << " " << n << ": " << ja;
        }
    }
}

struct DynamicSection {
    std::set<std::string> defined;
    std::set<std::string> needed;
};

// Reads the dynamic symbols and needed libraries straight from the file the build produced.
DynamicSection ReadDynamicSection(const char* path) {
    std::ifstream file(path, std::ios::binary);
    const std::string image{std::istreambuf_iterator<char>(file), {}};
    DynamicSection out;
    auto at = [&](uint64_t offset, uint64_t size) {
        if (offset > image.size() || size > image.size() - offset) throw std::runtime_error(path);
        return image.data() + offset;
    };
    Elf64_Ehdr header;
    std::memcpy(&header, at(0, sizeof header), sizeof header);
    if (header.e_ident[EI_CLASS] != ELFCLASS64) throw std::runtime_error("not a 64-bit ELF file");
    auto section = [&](uint32_t index) {
        Elf64_Shdr sh;
        std::memcpy(&sh, at(header.e_shoff + uint64_t{index} * header.e_shentsize, sizeof sh),
                    sizeof sh);
        return sh;
    };
    auto name_in = [&](const Elf64_Shdr& strings, uint64_t offset) {
        return std::string(at(strings.sh_offset + offset, 1));
    };
    for (uint32_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr sh = section(i);
        if (sh.sh_type == SHT_DYNSYM) {
            const Elf64_Shdr strings = section(sh.sh_link);
            for (uint64_t k = 1; k < sh.sh_size / sizeof(Elf64_Sym); ++k) {
                Elf64_Sym sym;
                std::memcpy(&sym, at(sh.sh_offset + k * sizeof sym, sizeof sym), sizeof sym);
                const unsigned bind = ELF64_ST_BIND(sym.st_info);
                if (sym.st_shndx != SHN_UNDEF && (bind == STB_GLOBAL || bind == STB_WEAK))
                    out.defined.insert(name_in(strings, sym.st_name));
            }
        } else if (sh.sh_type == SHT_DYNAMIC) {
            const Elf64_Shdr strings = section(sh.sh_link);
            for (uint64_t k = 0; k < sh.sh_size / sizeof(Elf64_Dyn); ++k) {
                Elf64_Dyn dyn;
                std::memcpy(&dyn, at(sh.sh_offset + k * sizeof dyn, sizeof dyn), sizeof dyn);
                if (dyn.d_tag == DT_NULL) break;
                if (dyn.d_tag == DT_NEEDED) out.needed.insert(name_in(strings, dyn.d_un.d_val));
            }
        }
    }
    return out;
}

const std::pair<const char*, void*> kExports[] = {
    {"FontNameCall", reinterpret_cast<void*>(FontNameCall)},
    {"RegCall", reinterpret_cast<void*>(RegCall)},
    {"MsgCall", reinterpret_cast<void*>(MsgCall)},
    {"ErrorCall", reinterpret_cast<void*>(ErrorCall)},
    {"MenuCall", reinterpret_cast<void*>(MenuCall)},
    {"MapCall", reinterpret_cast<void*>(MapCall)},
    {"GraphCall", reinterpret_cast<void*>(GraphCall)},
    {"LogCall", reinterpret_cast<void*>(LogCall)},
    {"MntCall", reinterpret_cast<void*>(MntCall)},
    {"NetCall", reinterpret_cast<void*>(NetCall)},
    {"WritedlgCall", reinterpret_cast<void*>(WritedlgCall)},
    {"PrmCall", reinterpret_cast<void*>(PrmCall)},
    {"VerCall", reinterpret_cast<void*>(VerCall)},
    {"VerupCall", reinterpret_cast<void*>(VerupCall)},
};

// The program binds the library by these names at load time; nothing else may leak out.
TEST(textlib, ExactlyTheFourteenLookupsAreExported) {
    void* library = dlopen(PVDLANG_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    std::set<std::string> expected;
    for (auto [name, address] : kExports) {
        expected.insert(name);
        EXPECT_EQ(dlsym(library, name), address) << name;
    }
    dlclose(library);

    const DynamicSection dynamic = ReadDynamicSection(PVDLANG_PATH);
    EXPECT_EQ(dynamic.defined, expected);
#if !defined(__SANITIZE_ADDRESS__)
    for (const std::string& lib : dynamic.needed) EXPECT_EQ(lib, "libc.so.6");
#endif
}

}  // namespace
