// The settings file: which keys the program reads at start and writes at close, their
// defaults, and the fall-backs for values that no menu item stands for.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/settings/ini.h"

namespace pv {

// What the settings file holds for the main window beyond the program-wide settings.
struct ShellSettings {
    bool maximized = false;
    // Each applied only when greater than 0, and only when not maximized.
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::string pvd_dir;  // initial folder of the data-file dialogs
};

// Text values travel in the file in the language's code page; the program holds UTF-8.
struct SettingsTextCodec {
    std::function<std::string(const std::string&)> to_utf8;    // file bytes -> UTF-8
    std::function<std::string(const std::string&)> from_utf8;  // UTF-8 -> file bytes
};

// The menu item a stored value selects (its tag); values no item stands for fall back.
uint8_t map_font_item(int32_t stored);    // 1..5, else 3
uint8_t com_item(int32_t stored);         // 1..15, else 1
uint8_t locus_item(int32_t stored);       // 1..5, else 3
uint8_t autoselect_item(int32_t stored);  // 1, else 2
// The frame header byte: "$E5" style text; anything that is not a byte gives 0xE5.
uint8_t header_byte(const std::string& stored);

// Fills `settings` (the program-wide fields) and `shell` from the file, in the order of the
// table: FORM, VIEW, OPTION, FILEDIR, MONITOR, the log backgrounds, the seven channel blocks
// (the comparison log's keys default to the log's value just read), SPL, PORTS.
// Missing folders default to `program_dir`.
void read_settings(const IniFile& ini, const std::string& program_dir, ShellSettings& shell,
                   const SettingsTextCodec& codec = {});
// Writes every key that is written at close, in the same order, then the COM numbers that
// stand for a device (PORTS); SPL is left as it is. The window bounds are written only when
// not maximized.
void write_settings(IniFile& ini, const ShellSettings& shell, const SettingsTextCodec& codec = {});

// The settings file of a program file: its path with the extension replaced by ".INI".
std::string settings_file_of(const std::string& program_path);

}  // namespace pv
