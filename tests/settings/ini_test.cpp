#include "core/settings/ini.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pv {
namespace {

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(IniFile, NamesCompareWithoutCaseAndNumbersAcceptHex) {
    IniFile ini;
    ini.parse("[Option]\ncom = 4\nHeader=$E5\nBad=12x\nBig=99999999999\n[spl]\nHEADDER=\"$1F\"\n");
    EXPECT_EQ(ini.read_int("OPTION", "COM", 1), 4);
    EXPECT_EQ(ini.read_int("option", "HEADER", 0), 0xE5);
    EXPECT_EQ(ini.read_int("OPTION", "BAD", 7), 7);
    EXPECT_EQ(ini.read_int("OPTION", "BIG", 7), 7);
    EXPECT_EQ(ini.read_int("OPTION", "MISSING", -3), -3);
    EXPECT_EQ(ini.read_string("SPL", "headder", ""), "$1F");
    EXPECT_TRUE(ini.read_bool("OPTION", "COM", false));
    EXPECT_FALSE(ini.read_bool("OPTION", "MISSING", false));
    EXPECT_EQ(parse_ini_integer("-0x10"), -16);
    EXPECT_FALSE(parse_ini_integer("$"));
    EXPECT_FALSE(parse_ini_integer(""));
}

TEST(IniFile, RewriteKeepsOrderCommentsUnknownKeysAndLineEnds) {
    const std::string original =
        "; written by hand\r\n[FORM]\r\nLEFT = 10\r\nExtra=keep me\r\n\r\n[view]\r\nMap=3\r\n\r\n"
        "[OTHER]\r\nx=1\r\n";
    IniFile ini;
    ini.parse(original);
    EXPECT_EQ(ini.text(), original) << "an unchanged file is written back byte for byte";

    ini.write_int("form", "left", 10);
    ini.write_int("FORM", "TOP", 20);
    ini.write_int("VIEW", "MAP", 5);
    ini.write_string("NEW", "KEY", "v\r\nalue");
    EXPECT_EQ(ini.text(),
              "; written by hand\r\n[FORM]\r\nLEFT = 10\r\nExtra=keep me\r\nTOP=20\r\n\r\n"
              "[view]\r\nMap=5\r\n\r\n[OTHER]\r\nx=1\r\n\r\n[NEW]\r\nKEY=value\r\n");
}

TEST(IniFile, WhatIsWrittenIsReadBackExactly) {
    // A byte-order mark from a UTF-8 editor must not hide the first section, and stays.
    IniFile ini;
    ini.parse("\xEF\xBB\xBF[FORM]\nLEFT=10\n");
    EXPECT_EQ(ini.read_int("FORM", "LEFT", 0), 10);
    ini.write_int("FORM", "LEFT", 11);
    EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[FORM]\nLEFT=11\n");

    const std::string values[] = {" lead", "trail\t",        "\"quoted\"", "'single'",
                                  "\"",    "a \"middle\" b", "",           "plain"};
    IniFile out;
    for (size_t k = 0; k < std::size(values); ++k)
        out.write_string("LOG", "K" + std::to_string(k), values[k]);
    IniFile in;
    in.parse(out.text());
    for (size_t k = 0; k < std::size(values); ++k)
        EXPECT_EQ(in.read_string("LOG", "K" + std::to_string(k), "?"), values[k]) << k;
    EXPECT_NE(out.text().find("K7=plain\n"), std::string::npos) << "plain values stay bare";

    // The last line keeps (or gets) its line end, so a key added later starts a line.
    IniFile last;
    last.parse("[A]\nK=1");
    last.write_int("A", "K", 2);
    EXPECT_EQ(last.text(), "[A]\nK=2\n");
    last.parse("[A]\r\nK=1\r\n");
    last.write_int("A", "J", 2);
    EXPECT_EQ(last.text(), "[A]\r\nK=1\r\nJ=2\r\n");

    // Stray CRs before a line end are dropped: kept, they would make a CR LF of the plain LF
    // written after them, and the next read would switch the whole file to CR LF.
    IniFile stray;
    stray.parse("\r\r");
    stray.write_string("A", "K", "v");
    IniFile again;
    again.parse(stray.text());
    EXPECT_EQ(again.text(), stray.text());
}

TEST(IniFile, SaveReplacesTheFileWholeOrNotAtAll) {
    auto dir = std::filesystem::temp_directory_path() / ("pv_ini_save_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    auto file = dir / "pvedit.INI";
    { std::ofstream(file) << "[A]\nK=1\n"; }
    IniFile ini;
    ASSERT_TRUE(ini.load(file.string()));
    ini.write_int("A", "K", 2);
    ASSERT_TRUE(ini.save(file.string()));
    EXPECT_EQ(slurp(file), "[A]\nK=2\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "pvedit.INI.tmp"));

    EXPECT_FALSE(ini.save((dir / "missing" / "pvedit.INI").string()));
    EXPECT_FALSE(ini.load((dir / "none.INI").string()));
    EXPECT_EQ(ini.text(), "");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace pv
