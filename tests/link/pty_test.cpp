// The real termios port against the simulated unit on a pseudo-terminal, and the pvtool unit
// commands on top of it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "platform/serial_port.h"
#include "sim/pty_server.h"
#include "sim/sim_unit.h"
#include "support/program.h"
#include "support/served_unit.h"
#include "tool/tool.h"

namespace {

using pvtest::ServedUnit;

class OverPty : public ::testing::Test {
  protected:
    void SetUp() override {
        pvtest::reset_program();
        pv::SetDefaultData();
        pv::set_prompter(&prompter);
        unsetenv("PVEDIT_PORT");
    }
    void TearDown() override {
        pv::close_port();
        pv::set_port(nullptr);
        serial.reset();
        pv::set_prompter(nullptr);
        unsetenv("PVEDIT_PORT");
    }
    // The termios port in use, kept until the link has let go of it.
    pv::SerialPort& use_port(const std::string& device = {}) {
        pv::set_port(nullptr);
        serial = std::make_unique<pv::SerialPort>(device);
        pv::set_port(serial.get());
        return *serial;
    }
    pv::ScriptedPrompter prompter;
    std::unique_ptr<pv::SerialPort> serial;
};

TEST_F(OverPty, ComNumbersMapToDevicePaths) {
    EXPECT_EQ(pv::com_device_path(3), "/dev/ttyS2");
    pv::settings.port_paths[3] = "/dev/ttyUSB0";
    EXPECT_EQ(pv::com_device_path(3), "/dev/ttyUSB0");
    EXPECT_EQ(pv::com_device_path(12), "/dev/ttyS11");
    setenv("PVEDIT_PORT", "/dev/pts/9", 1);
    EXPECT_EQ(pv::com_device_path(3), "/dev/pts/9");
    EXPECT_EQ(pv::com_device_path(12), "/dev/pts/9");
}

TEST_F(OverPty, TermiosPortTalksToTheSimulatedUnit) {
    ServedUnit sim;
    ASSERT_TRUE(sim.ok());
    pv::settings.com_port = 4;
    pv::settings.port_paths[4] = sim.path();
    pv::SerialPort& port = use_port();
    pv::install_link(&port);

    EXPECT_EQ(pv::read_status(), 0xD030);
    EXPECT_TRUE(pv::state.port_open);
    EXPECT_EQ(port.device(), sim.path());

    pv::data.boost_map_a[2][3] = -1;
    ASSERT_TRUE(pv::write_table(pv::map_boost_a));
    pv::data.boost_map_a[2][3] = 5;
    ASSERT_TRUE(pv::read_table(pv::map_boost_a));
    EXPECT_EQ(pv::data.boost_map_a[2][3], -1);
    EXPECT_TRUE(pv::poll_live_data());
    EXPECT_TRUE(prompter.shown.empty());

    // Closed and opened again, the line still works.
    pv::close_port();
    pv::open_port();
    EXPECT_TRUE(pv::read_block(118));
}

TEST_F(OverPty, ALineThatHangsUpMidExchangeFailsCleanly) {
    pvsim::Options o;
    o.hangup_after = 1;
    ServedUnit sim(o);
    ASSERT_TRUE(sim.ok());
    pv::SerialPort& port = use_port(sim.path());
    pv::open_port();
    ASSERT_TRUE(pv::state.port_open);
    ASSERT_TRUE(pv::read_block(118));

    pv::data.status_word = 0x0101;
    EXPECT_FALSE(pv::read_block(103));
    EXPECT_EQ(pv::data.status_word, 0x0101);
    EXPECT_FALSE(pv::poll_live_data());
    uint8_t buf[24];
    size_t got = 99;
    EXPECT_FALSE(port.read(buf, sizeof buf, got));
    EXPECT_EQ(got, 0u);
}

// pvtool unit, run in-process against a served unit.
struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun tool(std::vector<std::string> args) {
    std::ostringstream out, err;
    int status = pvtool::unit_main(args, {out, err});
    return {status, out.str(), err.str()};
}

TEST_F(OverPty, ToolStatusVersionsAndPoll) {
    pvsim::Options o;
    o.valve_version = 123;
    o.locked = 5;
    ServedUnit sim(o);
    ASSERT_TRUE(sim.ok());

    ToolRun status = tool({"status", "--port", sim.path()});
    EXPECT_EQ(status.status, pvtool::kOk) << status.err;
    EXPECT_EQ(status.out.substr(0, 19), "status_word\t0xD130\n");
    EXPECT_NE(status.out.find("lock_set\t1\n"), std::string::npos);
    EXPECT_NE(status.out.find("setup_complete\t1\n"), std::string::npos);

    ToolRun versions = tool({"versions", "--port", sim.path()});
    EXPECT_EQ(versions.status, pvtool::kOk);
    EXPECT_EQ(versions.out, "Valve Ver.\t    1.23\nDisplay Ver.\t    1.20\n");

    ToolRun poll = tool({"poll", "--port", sim.path(), "--count", "3"});
    EXPECT_EQ(poll.status, pvtool::kOk) << poll.err;
    std::istringstream lines(poll.out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << line;
    }
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(pv::state.port_open);
}

TEST_F(OverPty, ToolReportsASilentUnit) {
    pvsim::Options o;
    o.silent_after = 0;
    ServedUnit sim(o);
    ASSERT_TRUE(sim.ok());
    ToolRun status = tool({"status", "--port", sim.path()});
    EXPECT_EQ(status.status, pvtool::kFailed);
    EXPECT_EQ(status.err, "Communication error(1031):Please check connection\n");
}

TEST_F(OverPty, ALinkedUnitIsGoneOnceItEnds) {
    std::string link = ::testing::TempDir() + "pvsim_link_" + std::to_string(::getpid());
    std::remove(link.c_str());
    ASSERT_EQ(::symlink("/dev/pts/9999", link.c_str()), 0);  // left by a killed unit
    {
        ServedUnit sim;
        ASSERT_TRUE(sim.ok());
        pvsim::PtyLink named;
        std::string error;
        ASSERT_TRUE(named.make(link, sim.path(), error)) << error;
        use_port(link);
        pv::open_port();
        EXPECT_TRUE(pv::state.port_open);
        EXPECT_TRUE(pv::read_block(101));
        pv::close_port();
    }
    // The unit has ended: its name leads nowhere, and opening it says so.
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0);
    use_port(link);
    pv::open_port();
    EXPECT_FALSE(pv::state.port_open);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown.back().text,
              "Cannot open " + link + ".\r\nNo such device. Is the adapter plugged in?");

    // Nothing but a symbolic link is ever replaced.
    std::ofstream(link) << "keep";
    pvsim::PtyLink refused;
    std::string error;
    EXPECT_FALSE(refused.make(link, "/dev/null", error));
    EXPECT_NE(error.find(link), std::string::npos);
    std::remove(link.c_str());
}

TEST(PvsimOptions, HelpNamesEveryOptionAndTheLinkIsParsed) {
    pvsim::Options o = pvsim::program_defaults();
    std::string error;
    ASSERT_TRUE(pvsim::parse_options({"--link", "/tmp/x", "--factory"}, o, error)) << error;
    EXPECT_EQ(o.link_path, "/tmp/x");
    EXPECT_TRUE(o.factory);
    EXPECT_FALSE(pvsim::parse_options({"--link"}, o, error));
    const std::string help = pvsim::usage_text;
    for (const char* option :
         {"--versions",     "--factory",      "--setup",   "--not-ready",  "--locked",
          "--mode-b",       "--speed",        "--psi",     "--link",       "--baud-timing",
          "--drop",         "--late",         "--corrupt", "--wrong-echo", "--short",
          "--silent-after", "--hangup-after", "--seed",    "--log",        "--help"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST_F(OverPty, ToolNamesAMissingPortAndRejectsBadUsage) {
    ToolRun r = tool({"status", "--port", "/nonexistent/tty", "--com", "3"});
    EXPECT_EQ(r.status, pvtool::kFailed);
    // One message: the device and the reason, not the communication error that follows.
    EXPECT_EQ(r.err, "Cannot open /nonexistent/tty.\nNo such device. Is the adapter plugged in?\n");

    // A device that is not a terminal is no port either.
    EXPECT_EQ(tool({"status", "--port", "/dev/null", "--com", "2"}).err,
              "Cannot open /dev/null.\nNot a serial port (not a terminal).\n");

    ToolRun versions = tool({"versions", "--port", "/nonexistent/tty"});
    EXPECT_EQ(versions.status, pvtool::kFailed);
    EXPECT_EQ(versions.out, "Valve Ver.\tCONNECTING ERROR\nDisplay Ver.\tCONNECTING ERROR\n");

    for (std::vector<std::string> bad : {std::vector<std::string>{},
                                         {"frob"},
                                         {"status", "extra"},
                                         {"status", "--count", "2"},
                                         {"poll", "--count", "0"},
                                         {"poll", "--com", "x"},
                                         {"versions", "--file", "a.pvd"}}) {
        EXPECT_EQ(tool(bad).status, pvtool::kUsage);
    }
}

}  // namespace
