#include "core/settings/settings_file.h"

#include <gtest/gtest.h>

#include "core/document/unit.h"

namespace pv {
namespace {

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override { settings = Settings{}; }
    ShellSettings shell;
};

TEST_F(SettingsFile, MissingFileGivesTheDesignedDefaults) {
    IniFile none;
    read_settings(none, "/opt/pv", shell);
    EXPECT_FALSE(shell.maximized);
    EXPECT_EQ(shell.left, 0);
    EXPECT_EQ(settings.map_font_size, 3);
    EXPECT_EQ(settings.com_port, 1);
    EXPECT_EQ(settings.trace_length, 3);
    EXPECT_EQ(settings.auto_select, 2);
    EXPECT_EQ(shell.pvd_dir, "/opt/pv");
    EXPECT_EQ(settings.log_dir, "/opt/pv");
    EXPECT_EQ(settings.monitor_font_index, 2);
    EXPECT_EQ(settings.monitor_width, 310);
    EXPECT_EQ(settings.monitor_height, 210);
    EXPECT_EQ(settings.monitor_size, 1);
    EXPECT_EQ(settings.spl_header, 0xE5);
    for (const auto& ch : settings.other_log_channels) {
        EXPECT_EQ(ch.draw, 0);
        EXPECT_EQ(ch.color, 0);
        EXPECT_EQ(ch.max, 0);
    }
}

TEST(SettingsFallbacks, ValuesNoMenuItemStandsForFallBack) {
    EXPECT_EQ(map_font_item(5), 5);
    EXPECT_EQ(map_font_item(9), 3);
    EXPECT_EQ(map_font_item(0), 3);
    EXPECT_EQ(com_item(15), 15);
    EXPECT_EQ(com_item(16), 1);
    EXPECT_EQ(com_item(-2), 1);
    EXPECT_EQ(locus_item(4), 4);
    EXPECT_EQ(locus_item(5), 5);
    EXPECT_EQ(locus_item(7), 3);
    EXPECT_EQ(autoselect_item(1), 1);
    EXPECT_EQ(autoselect_item(0), 2);
    EXPECT_EQ(header_byte("$E5"), 0xE5);
    EXPECT_EQ(header_byte("170"), 170);
    EXPECT_EQ(header_byte("$1E5"), 0xE5);
    EXPECT_EQ(header_byte("junk"), 0xE5);
}

TEST_F(SettingsFile, ComparisonLogTakesTheLogsChannelsWhereItHasNone) {
    IniFile ini;
    ini.parse(
        "[LOG]\nDRAW1=1\nCOLOR1=255\nMAX1=2000\nMIN1=-1000\nDRAW2=0\nCOLOR2=65280\n"
        "[OTHERLOG]\nCOLOR2=16711680\n");
    read_settings(ini, "/p", shell);
    const auto& log = settings.log_channels;
    const auto& other = settings.other_log_channels;
    EXPECT_EQ(log[0].draw, 1);
    EXPECT_EQ(log[0].max, 2000);
    EXPECT_EQ(other[0].draw, 1);
    EXPECT_EQ(other[0].color, 255);
    EXPECT_EQ(other[0].min, -1000);
    EXPECT_EQ(other[1].color, 16711680) << "its own key wins";
    EXPECT_EQ(log[1].color, 65280);
}

TEST_F(SettingsFile, BoundsAreReadAndWrittenOnlyWhenNotMaximized) {
    IniFile ini;
    ini.parse("[FORM]\nMAXMIZE=1\nLEFT=40\nTOP=50\nWIDTH=900\nHEIGHT=700\n");
    read_settings(ini, "/p", shell);
    EXPECT_TRUE(shell.maximized);
    EXPECT_EQ(shell.left, 0);

    shell.left = 1;
    shell.width = 2;
    write_settings(ini, shell);
    EXPECT_EQ(ini.read_int("FORM", "LEFT", 0), 40) << "kept from the last normal window";
    EXPECT_EQ(ini.read_int("FORM", "WIDTH", 0), 900);
}

TEST_F(SettingsFile, WriteBackKeepsForeignKeysAndNeverWritesTheHeader) {
    IniFile ini;
    ini.parse("[SPL]\nHEADDER=$E6\n[PORTS]\nCOM3=/dev/ttyUSB0\n[OPTION]\nCOM=3\nMINE=x\n");
    read_settings(ini, "/p", shell);
    EXPECT_EQ(settings.spl_header, 0xE6);
    EXPECT_EQ(settings.port_paths[3], "/dev/ttyUSB0");
    EXPECT_EQ(settings.com_port, 3);

    settings.spl_header = 0x11;
    settings.com_port = 7;
    settings.log_channels[6].max = 123;
    shell.pvd_dir = "/data";
    write_settings(ini, shell);
    EXPECT_EQ(ini.read_string("SPL", "HEADDER", ""), "$E6");
    EXPECT_EQ(ini.read_int("OPTION", "COM", 0), 7);
    EXPECT_EQ(ini.read_string("OPTION", "MINE", ""), "x");
    EXPECT_EQ(ini.read_int("LOG", "MAX7", 0), 123);
    EXPECT_EQ(ini.read_string("FILEDIR", "PVD", ""), "/data");
    EXPECT_EQ(ini.read_string("PORTS", "COM3", ""), "/dev/ttyUSB0");

    // What was written reads back as the same settings.
    Settings before = settings;
    settings = Settings{};
    ShellSettings again;
    read_settings(ini, "/p", again);
    EXPECT_EQ(settings.com_port, before.com_port);
    EXPECT_EQ(settings.log_channels[6].max, 123);
    EXPECT_EQ(again.pvd_dir, "/data");
}

TEST_F(SettingsFile, LogOverlayChoicesAreKeptAndOutOfRangeOnesFallBack) {
    IniFile none;
    read_settings(none, "/p", shell);
    EXPECT_EQ(settings.overlay_choice, 0) << "off on a first start";
    EXPECT_EQ(settings.overlay_throttle, 80);

    IniFile ini;
    ini.parse("[view]\noverlay=2\nOVERLAYLOG=1\nOVERLAYFILTER=7\nOVERLAYTHROTTLE=101\n");
    read_settings(ini, "/p", shell);
    EXPECT_EQ(settings.overlay_choice, 2);
    EXPECT_EQ(settings.overlay_log, 1);
    EXPECT_EQ(settings.overlay_filter, 0);
    EXPECT_EQ(settings.overlay_throttle, 80);

    settings.overlay_choice = 3;
    settings.overlay_filter = 2;
    settings.overlay_throttle = 95;
    write_settings(ini, shell);
    settings = Settings{};
    read_settings(ini, "/p", shell);
    EXPECT_EQ(settings.overlay_choice, 3);
    EXPECT_EQ(settings.overlay_filter, 2);
    EXPECT_EQ(settings.overlay_throttle, 95);
}

TEST_F(SettingsFile, SendOptionsAndTheRestorePointLimitAreKept) {
    IniFile ini;
    read_settings(ini, "/p", shell);
    EXPECT_EQ(settings.history_limit, 200u);
    EXPECT_TRUE(settings.history_before_send && !settings.review_send);

    ini.parse("[OPTION]\nHISTORY=0\n");
    read_settings(ini, "/p", shell);
    EXPECT_EQ(settings.history_limit, 200u) << "a folder that keeps nothing is no setting";

    settings.history_limit = 12;
    settings.history_before_send = 0;
    settings.review_send = 1;
    write_settings(ini, shell);
    settings = Settings{};
    read_settings(ini, "/p", shell);
    EXPECT_EQ(settings.history_limit, 12u);
    EXPECT_TRUE(!settings.history_before_send && settings.review_send);
}

TEST_F(SettingsFile, FolderTextsGoThroughTheCodec) {
    SettingsTextCodec codec;
    codec.to_utf8 = [](const std::string& s) { return "<" + s + ">"; };
    codec.from_utf8 = [](const std::string& s) { return s.substr(1, s.size() - 2); };
    IniFile ini;
    ini.parse("[FILEDIR]\nPVL=logs\n");
    read_settings(ini, "/p", shell, codec);
    EXPECT_EQ(settings.log_dir, "<logs>");
    EXPECT_EQ(shell.pvd_dir, "/p") << "a default is not file text";
    write_settings(ini, shell, codec);
    EXPECT_EQ(ini.read_string("FILEDIR", "PVL", ""), "logs");
}

TEST(SettingsFileName, ReplacesTheProgramsExtension) {
    EXPECT_EQ(settings_file_of("/opt/pv/pvedit"), "/opt/pv/pvedit.INI");
    EXPECT_EQ(settings_file_of("/opt/pv/pvedit.exe"), "/opt/pv/pvedit.INI");
    EXPECT_EQ(settings_file_of("/opt/v1.2/pvedit"), "/opt/v1.2/pvedit.INI");
}

}  // namespace
}  // namespace pv
