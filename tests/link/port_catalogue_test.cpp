// The port list over a fake sysfs and by-id tree: which ports exist, which COM number stands
// for each, and what a re-plug, a removal and a restart do to the numbers.
#include "core/link/port_catalogue.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "core/document/unit.h"
#include "core/link/detect.h"
#include "core/settings/ini.h"
#include "core/settings/settings_file.h"
#include "platform/port_diagnosis.h"
#include "platform/system_ports.h"
#include "sim/pty_server.h"
#include "support/fake_ports.h"
#include "support/program.h"
#include "support/run_within.h"
#include "support/served_unit.h"
#include "tool/tool.h"

namespace {

using pv::PortEntry;
using pv::PortKind;

class PortCatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pvtest::reset_program();
        unsetenv("PVEDIT_PORT");
        pv::set_port_catalogue(&system);
        pv::port_list() = {};
        pv::port_list().on_change = [this](const std::vector<PortEntry>& in,
                                           const std::vector<PortEntry>& out) {
            for (const auto& e : in) appeared.push_back(e.id);
            for (const auto& e : out) removed.push_back(e.id);
        };
    }
    void TearDown() override {
        pv::set_port_catalogue(nullptr);
        pv::port_list() = {};
    }
    pvtest::FakePorts tree{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    pv::SystemPorts system{tree.root()};
    std::vector<std::string> appeared, removed;
};

TEST_F(PortCatalogueTest, ListsAdaptersAndRealOnboardPortsOnly) {
    tree.onboard("ttyS0", true);
    tree.onboard("ttyS1", false);
    std::filesystem::create_directories(tree.root() + "/sys/class/tty/tty0");  // no device
    const std::string ftdi = tree.plug("ttyUSB0", "FTDI", "FT232R USB UART", "A10K", 1);
    const std::string twin = tree.plug("ttyUSB1", "FTDI", "FT232R USB UART", "B20K", 2);
    const std::string plain = tree.plug("ttyACM0", "Arduino", "Arduino Uno", "", 3);

    pv::port_list().refresh();
    const auto& ports = pv::port_list().entries();
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].device, tree.dev("ttyACM0"));
    EXPECT_EQ(ports[0].id, plain);
    EXPECT_EQ(ports[0].kind, PortKind::acm);
    EXPECT_EQ(ports[0].description, "Arduino Uno");  // the model already names the maker
    EXPECT_EQ(ports[1].id, ftdi);
    EXPECT_EQ(ports[1].description, "FTDI FT232R USB UART");
    EXPECT_EQ(ports[2].id, twin);
    EXPECT_EQ(ports[3].kind, PortKind::onboard);
    EXPECT_EQ(ports[3].device, tree.dev("ttyS0"));

    // The on-board port keeps COM1; the adapters take the next free numbers, in order.
    EXPECT_EQ(pv::settings.port_paths[1], "");
    EXPECT_EQ(pv::settings.port_paths[2], plain);
    EXPECT_EQ(pv::settings.port_paths[3], ftdi);
    EXPECT_EQ(pv::settings.port_paths[4], twin);
    EXPECT_EQ(pv::port_list().caption(3),
              "COM3  FTDI FT232R USB UART (" + tree.dev("ttyUSB0") + ")");
    EXPECT_EQ(pv::port_list().caption(1), "COM1  ttyS0 (" + tree.dev("ttyS0") + ")");
    EXPECT_EQ(pv::port_list().caption(2), "COM2  Arduino Uno (" + tree.dev("ttyACM0") + ")");
    EXPECT_EQ(pv::port_list().caption(9), "COM9  (no device)");
    EXPECT_EQ(appeared.size(), 4u);
}

// A FIFO planted where an adapter's model should be read, and a lock file's hostile bytes:
// the list is made at once and the model is simply not known.
TEST_F(PortCatalogueTest, HostileAttributesAndLockFilesAreNeverWaitedOn) {
    tree.plug("ttyUSB0", "FTDI", "FT232R USB UART", "A10K", 1);
    const std::string product = tree.root() + "/sys/devices/usb1/1-1/product";
    std::filesystem::remove(product);
    ASSERT_EQ(::mkfifo(product.c_str(), 0600), 0);
    const int status = testsupport::status_within(
        [&] { return static_cast<int>(system.scan().size()); }, std::chrono::seconds(5));
    EXPECT_EQ(status, 1);

    EXPECT_EQ(pv::lock_file_pid("      4242\n"), 4242);
    EXPECT_EQ(pv::lock_file_pid("99999999999999999999"), 0);
    EXPECT_EQ(pv::lock_file_pid("pid"), 0);
    EXPECT_EQ(pv::lock_file_pid(std::string("\x2a\0\0\0", 4)), 42);  // the binary form
}

TEST_F(PortCatalogueTest, AnAdapterKeepsItsNumberAcrossReplugsAndRestarts) {
    const std::string ftdi = tree.plug("ttyUSB0", "FTDI", "FT232R USB UART", "A10K", 1);
    pv::port_list().refresh();
    ASSERT_EQ(pv::settings.port_paths[1], ftdi);

    tree.unplug("ttyUSB0");
    pv::port_list().refresh();
    EXPECT_EQ(removed, std::vector<std::string>{ftdi});
    EXPECT_EQ(pv::port_list().caption(1),
              "COM1  (not plugged in: usb-FTDI_FT232R_USB_UART_A10K-if00-port0)");

    // Another adapter comes first and takes the kernel's ttyUSB0; ours comes back as
    // ttyUSB1 and is COM1 again.
    appeared.clear();
    const std::string other = tree.plug("ttyUSB0", "Prolific", "USB-Serial", "P1", 2);
    tree.plug("ttyUSB1", "FTDI", "FT232R USB UART", "A10K", 1);
    pv::port_list().refresh();
    EXPECT_EQ(appeared.size(), 2u);
    EXPECT_EQ(pv::settings.port_paths[1], ftdi);
    EXPECT_EQ(pv::settings.port_paths[2], other);
    EXPECT_EQ(pv::port_list().entry_of(1)->device, tree.dev("ttyUSB1"));

    // A restart reads the numbers back from the settings file.
    pv::IniFile ini;
    pv::write_settings(ini, pv::ShellSettings{});
    pvtest::reset_program();
    pv::ShellSettings shell;
    pv::read_settings(ini, "/tmp", shell);
    pv::port_list() = {};
    tree.unplug("ttyUSB0");
    pv::port_list().refresh();
    EXPECT_EQ(pv::settings.port_paths[1], ftdi);
    EXPECT_EQ(pv::settings.port_paths[2], other);
    EXPECT_EQ(pv::port_list().caption(2),
              "COM2  (not plugged in: usb-Prolific_USB-Serial_P1-if00-port0)");
}

TEST_F(PortCatalogueTest, PortOverrideAndHandWrittenNamesStandForTheirNumber) {
    pv::settings.port_paths[5] = "/dev/pts/does-not-exist";
    pv::port_list().refresh();
    EXPECT_EQ(pv::port_list().caption(5), "COM5  (not plugged in: /dev/pts/does-not-exist)");
    setenv("PVEDIT_PORT", "/dev/null", 1);
    EXPECT_EQ(pv::com_port_name(7), "/dev/null");
    EXPECT_EQ(pv::port_list().caption(7), "COM7  (/dev/null)");
    unsetenv("PVEDIT_PORT");
}

// pvtool unit detect over the fake tree: a port that is no terminal, one where nobody
// answers, and the simulated unit linked in as an adapter would be.
TEST_F(PortCatalogueTest, DetectUnitTriesEachPortAndPicksTheUnit) {
    tree.plug("ttyUSB0", "FTDI", "FT232R USB UART", "A10K", 1);  // a plain file here
    int silent = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(silent, 0);
    ASSERT_EQ(grantpt(silent) + unlockpt(silent), 0);
    const std::string silent_name = ptsname(silent);
    std::filesystem::create_symlink(silent_name, tree.by_id("usb-Aaa_Silent-if00-port0"));
    pvtest::ServedUnit sim;
    ASSERT_TRUE(sim.ok());
    pvsim::PtyLink plugged;
    std::string error;
    ASSERT_TRUE(plugged.make(tree.by_id("usb-Zed_Unit-if00-port0"), sim.path(), error));

    std::ostringstream out, err;
    int status = pvtool::unit_main({"detect", "--ports-root", tree.root()}, {out, err});
    EXPECT_EQ(status, pvtool::kOk) << err.str();
    EXPECT_EQ(out.str(), "Tried: \nCOM1 (" + silent_name +
                             "): no answer\n"
                             "COM2 (" +
                             tree.dev("ttyUSB0") +
                             "): cannot be opened: Not a serial port (not a terminal).\n"
                             "COM3 (" +
                             sim.path() + "): unit found\nSelected: COM3\n");
    EXPECT_EQ(pv::settings.com_port, 3);
    EXPECT_EQ(pv::settings.port_paths[3], tree.by_id("usb-Zed_Unit-if00-port0"));

    plugged.remove();
    out.str("");
    EXPECT_EQ(pvtool::unit_main({"detect", "--ports-root", tree.root()}, {out, err}),
              pvtool::kFailed);
    EXPECT_NE(out.str().find("No port answered as a unit."), std::string::npos) << out.str();
    // Held to the end: a terminal number given up could be taken by the simulated unit's
    // next terminal, and the silent port's link would then lead to a unit.
    close(silent);
}

}  // namespace
