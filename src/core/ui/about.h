// What the about box shows and where: the program's version, the unit's firmware versions
// asked through the link, and the box's layout from the text extents of its labels.
#pragma once
#include <cstdint>
#include <string>

namespace pv {

// The program's version as every program and the package tell it, e.g. "1.15".
std::string program_version_text();
// "Version " and the program version, e.g. "Version 1.15".
std::string about_version_text();

// Marks a version the unit did not tell.
inline constexpr uint16_t kNoVersion = 0x9999;
struct FirmwareVersions {
    uint16_t valve = kNoVersion;
    uint16_t display = kNoVersion;
};
// Reads blocks 101 and 102 under comm_state 1 (the status bar shows "LOAD..."). The port is
// opened if closed and released afterwards unless the live link or the monitor holds it.
FirmwareVersions read_firmware_versions();
// "CONNECTING ERROR" for a version not told, else four blanks and value / 100 with two
// decimals ("    1.23").
std::string firmware_version_text(uint16_t version);

// Extents and positions of the box as the form lays them out, in pixels.
struct AboutMeasures {
    int disp_label_left = 0;  // lbdisp_ver
    int disp_label_width = 0;
    int width_A = 0;  // of "A" in the number labels' font
    int width_C = 0;  // of "C" in the form's font
    int icon_width = 0;
    int error_text_width = 0;  // of "CONNECTING ERROR" in the number labels' font
    int panel_left = 0;
    int ok_width = 0;
    int copyright_width = 0;  // the extent of the notice in its font
    int copyright_height = 0;
    bool japanese = false;
};
struct AboutLayout {
    int number_left;  // lbvnum_valve and lbvnum_display
    int icon_left;
    int name_left;  // ProductName and Version
    int panel_width;
    int form_width;
    int ok_left;
    int copyright_left;
    int copyright_width;
    int copyright_height;
};
AboutLayout about_layout(const AboutMeasures& m);

}  // namespace pv
