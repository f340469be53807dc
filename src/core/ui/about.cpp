#include "core/ui/about.h"

#include <algorithm>

#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

constexpr int kNoticeMargin = 8;

// Half a width, rounded as the form rounds it.
int half(int width) {
    return round_half_even(width / 2.0L);
}

}  // namespace

std::string program_version_text() {
    return file_version_text(program_version);
}

std::string about_version_text() {
    return "Version " + program_version_text();
}

FirmwareVersions read_firmware_versions() {
    FirmwareVersions v;
    set_comm_state(1);
    if (read_block(101)) v.valve = unit.valve_version;
    if (read_block(102)) v.display = unit.display_version;
    set_comm_state(0);
    return v;
}

std::string firmware_version_text(uint16_t version) {
    if (version == kNoVersion) return text(Catalog::Ver, 6);
    return "    " + FormatFixed(version, 2);
}

AboutLayout about_layout(const AboutMeasures& m) {
    AboutLayout l;
    l.number_left = m.disp_label_left + m.disp_label_width + m.width_A;
    l.icon_left = (m.japanese ? 6 : 4) * m.width_C;
    l.name_left = l.icon_left + m.icon_width + (m.japanese ? 4 : 2) * m.width_C;
    l.panel_width = m.error_text_width + l.number_left + 8;
    // Fonts differ from machine to machine: the notice is never cut at the panel's edges.
    l.panel_width = std::max(l.panel_width, m.copyright_width + 2 * kNoticeMargin);
    l.form_width = l.panel_width + 3 * m.panel_left;
    l.copyright_width = m.copyright_width;
    l.copyright_height = m.copyright_height;
    l.ok_left = half(l.form_width) - half(m.ok_width);
    l.copyright_left = half(l.panel_width) - half(m.copyright_width);
    return l;
}

}  // namespace pv
