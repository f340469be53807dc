// Why a port would not open, as the system tells it: a missing device, another user's
// terminal, a terminal held by another process, and the exclusive mode given up on closing.
#include "core/link/port_failure.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "platform/serial_port.h"
#include "support/program.h"

namespace {

// A pseudo-terminal that nobody but its maker has open.
struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~Pty() {
        if (master >= 0) close(master);
    }
};

// Runs `job` in a child process as the unprivileged user 65534 and returns what it wrote
// to its pipe; "" when it could not drop to that user.
std::string as_other_user(const std::function<std::string()>& job) {
    int out[2];
    if (pipe(out) != 0) return "";
    pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        std::string text = "no-setuid";
        if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0) text = job();
        [[maybe_unused]] ssize_t n = write(out[1], text.data(), text.size());
        _exit(0);
    }
    close(out[1]);
    std::string text;
    char buf[512];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    close(out[0]);
    waitpid(pid, nullptr, 0);
    return text;
}

class PortFailures : public ::testing::Test {
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
        pv::set_prompter(nullptr);
    }
    pv::ScriptedPrompter prompter;
};

TEST_F(PortFailures, AMissingAdapterIsNamedOnceInBothLanguages) {
    const std::string device = ::testing::TempDir() + "ttyUSB-gone";
    pv::settings.com_port = 3;
    pv::settings.port_paths[3] = device;
    pv::SerialPort serial;
    pv::install_link(&serial);

    // Every command that talks to the unit: one message, no communication error after it.
    pv::state.doc_open = 1;
    const std::function<bool()> commands[] = {pv::send_all_data, pv::load_all_data, pv::link_button,
                                              pv::data_lock_on};
    for (const auto& command : commands) {
        prompter.shown.clear();
        command();
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, "Cannot open COM3.\r\n" + device +
                                              ": No such device. Is the adapter plugged in?");
        EXPECT_FALSE(pv::state.transfer_active);
    }

    pv::settings.lang_id = 1041;
    prompter.shown.clear();
    pv::open_port();
    ASSERT_EQ(prompter.shown.size(), 1u);
    const std::string& ja = prompter.shown[0].text;
    EXPECT_EQ(ja.rfind("COM3" + pv::msg_text(35) + "\r\n" + device + ": ", 0), 0u);
    EXPECT_NE(ja.find(pv::msg_text(201)), std::string::npos);
}

TEST_F(PortFailures, ATerminalHeldByAnotherProcessNamesIt) {
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t holder = fork();
    if (holder == 0) {
        pv::SerialPort mine(pty.slave);
        char c = mine.open(1) ? 'y' : 'n';
        [[maybe_unused]] ssize_t n = write(ready[1], &c, 1);
        n = read(done[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');

    pv::SerialPort second(pty.slave);
    EXPECT_FALSE(second.open(1));
    const pv::PortFailure f = second.failure();
    EXPECT_EQ(f.fault, pv::PortFault::busy);
    EXPECT_EQ(f.holder_pid, holder);
    std::string program;
    std::getline(std::ifstream("/proc/self/comm"), program);
    EXPECT_EQ(f.holder, program);
    EXPECT_EQ(pv::port_failure_lines(f, "COM1"),
              pty.slave + ": Busy: another program holds the device. Held by: " + program +
                  " (PID " + std::to_string(holder) + ")");

    [[maybe_unused]] ssize_t n = write(done[1], "x", 1);
    waitpid(holder, nullptr, 0);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
    EXPECT_TRUE(second.open(1));  // the holder is gone
}

TEST_F(PortFailures, AnotherUsersTerminalNamesTheGroupAndTheCommand) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hand the terminal to another user";
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    const group* dialout = getgrnam("dialout");
    const gid_t gid = dialout ? dialout->gr_gid : 20;
    const std::string group_name = dialout ? "dialout" : std::to_string(gid);
    ASSERT_EQ(chown(pty.slave.c_str(), 0, gid), 0);
    ASSERT_EQ(chmod(pty.slave.c_str(), 0660), 0);

    std::string lines = as_other_user([&] {
        pv::SerialPort port(pty.slave);
        if (port.open(1)) return std::string("opened");
        return pv::port_failure_lines(port.failure(), "COM1");
    });
    if (!dialout) GTEST_SKIP() << "no dialout group here: " << lines;
    EXPECT_EQ(lines, pty.slave +
                         ": Permission denied.\r\n"
                         "You are not in the group that owns the device: dialout\r\n"
                         "Add yourself to the group with this command, then log out and log in "
                         "again:\r\n    sudo usermod -aG dialout $USER");
}

TEST_F(PortFailures, ClosingGivesUpTheExclusiveUseForOtherUsers) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to open as another user afterwards";
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    ASSERT_EQ(chmod(pty.slave.c_str(), 0666), 0);
    {
        pv::SerialPort root_port(pty.slave);
        ASSERT_TRUE(root_port.open(1));
        EXPECT_EQ(as_other_user([&] {
                      pv::SerialPort p(pty.slave);
                      return std::string(p.open(1) ? "opened" : "refused");
                  }),
                  "refused");
    }
    EXPECT_EQ(as_other_user([&] {
                  pv::SerialPort p(pty.slave);
                  return std::string(p.open(1) ? "opened" : "refused");
              }),
              "opened");
}

}  // namespace
