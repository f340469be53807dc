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
