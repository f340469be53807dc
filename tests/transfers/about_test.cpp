// The about box's texts and layout, and its reading of the firmware versions through the
// link against the simulated unit.
#include "core/ui/about.h"

#include "core/link/link_timer.h"
#include "support/transfers_support.h"

namespace xfertest {
namespace {

using pv::state;

class About : public TransferTest {};

TEST_F(About, VersionTexts) {
    EXPECT_EQ(pv::about_version_text(), "Version 1.15");
    EXPECT_EQ(pv::firmware_version_text(123), "    1.23");
    EXPECT_EQ(pv::firmware_version_text(5), "    0.05");
    EXPECT_EQ(pv::firmware_version_text(pv::kNoVersion), "CONNECTING ERROR");
}

TEST_F(About, ReadsBothVersionsAndReleasesThePort) {
    pvsim::Options o;
    o.valve_version = 120;
    o.display_version = 125;
    start_unit(o);
    pv::FirmwareVersions v = pv::read_firmware_versions();
    EXPECT_EQ(v.valve, 120);
    EXPECT_EQ(v.display, 125);
    EXPECT_EQ(pv::firmware_version_text(v.display), "    1.25");
    EXPECT_EQ(writes(), 0u);
    EXPECT_FALSE(port->is_open());
    EXPECT_FALSE(state.port_open);
    EXPECT_EQ(state.comm_state, 0);
}

TEST_F(About, NoUnitGivesTheErrorMarkForBoth) {
    port->present = false;
    pv::FirmwareVersions v = pv::read_firmware_versions();
    EXPECT_EQ(v.valve, pv::kNoVersion);
    EXPECT_EQ(v.display, pv::kNoVersion);
    EXPECT_EQ(texts().size(), 1u);  // the port's own message, once

    start_unit({});
    sim->scripted.assign(20, pvsim::Fault::silent);
    v = pv::read_firmware_versions();
    EXPECT_EQ(v.valve, pv::kNoVersion);
    EXPECT_EQ(v.display, pv::kNoVersion);
    EXPECT_FALSE(port->is_open());
}

TEST_F(About, LeavesARunningLinkRunning) {
    open_document();
    ASSERT_TRUE(pv::link_button());
    ASSERT_TRUE(state.link_on);
    pv::FirmwareVersions v = pv::read_firmware_versions();
    EXPECT_EQ(v.valve, 120);
    EXPECT_TRUE(state.link_on);
    EXPECT_TRUE(state.port_open);
    EXPECT_TRUE(port->is_open());
}

TEST_F(About, LayoutFollowsTheLabelsAndTheLanguage) {
    pv::AboutMeasures m;
    m.disp_label_left = 16;
    m.disp_label_width = 70;
    m.width_A = 7;
    m.width_C = 8;
    m.icon_width = 32;
    m.error_text_width = 121;
    m.panel_left = 8;
    m.ok_width = 75;
    m.copyright_width = 191;
    m.copyright_height = 13;
    pv::AboutLayout l = pv::about_layout(m);
    EXPECT_EQ(l.number_left, 93);
    EXPECT_EQ(l.icon_left, 32);
    EXPECT_EQ(l.name_left, 32 + 32 + 16);
    EXPECT_EQ(l.panel_width, 121 + 93 + 8);
    EXPECT_EQ(l.form_width, 222 + 24);
    EXPECT_EQ(l.ok_left, 123 - 38);         // 37.5 rounds to the even 38
    EXPECT_EQ(l.copyright_left, 111 - 96);  // 95.5 rounds to 96
    EXPECT_EQ(l.copyright_width, 191);
    m.japanese = true;
    l = pv::about_layout(m);
    EXPECT_EQ(l.icon_left, 48);
    EXPECT_EQ(l.name_left, 48 + 32 + 32);

    // A notice wider than the version rows widens the panel instead of being cut off.
    m.copyright_width = 331;
    l = pv::about_layout(m);
    EXPECT_EQ(l.panel_width, 331 + 16);
    EXPECT_EQ(l.form_width, 347 + 24);
    EXPECT_EQ(l.copyright_left, 8);
}

}  // namespace
}  // namespace xfertest
