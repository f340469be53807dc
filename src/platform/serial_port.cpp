#include "platform/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "core/document/unit.h"
#include "core/link/port_catalogue.h"
#include "platform/port_diagnosis.h"

namespace pv {

std::string com_device_path(int com_number) {
    return com_port_name(com_number);
}

namespace {

using Steady = std::chrono::steady_clock;

// Milliseconds left until `deadline`, for poll(); 0 once it has passed.
int remaining_ms(Steady::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

SerialPort::SerialPort(std::string fixed_device) : fixed_device_(std::move(fixed_device)) {}

SerialPort::~SerialPort() {
    close();
}

std::string SerialPort::name(int com_number) const {
    return fixed_device_.empty() ? Port::name(com_number) : fixed_device_;
}

bool SerialPort::open(int com_number) {
    close();
    device_ = fixed_device_.empty() ? com_device_path(com_number) : fixed_device_;
    failure_ = {};
    // Non-blocking so that neither open (waiting for carrier) nor any read or write can hang
    // beyond the time-outs; poll() does the waiting.
    fd_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        failure_ = diagnose_open_failure(device_, errno);
        return false;
    }
    int refusal = 0;
    if (!isatty(fd_))
        refusal = ENOTTY;
    else if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        // Also between programs run as root, whom the terminal's exclusive mode lets through.
        refusal = errno == EWOULDBLOCK ? EBUSY : 0;
    if (refusal != 0) {
        ::close(fd_);
        fd_ = -1;
        failure_ = diagnose_open_failure(device_, refusal);
        return false;
    }
    // Nobody else may open the line while it is ours; close() gives that up again, since a
    // pseudo-terminal keeps the mode for as long as its other side stays open.
    ioctl(fd_, TIOCEXCL);
    return true;
}

bool SerialPort::configure() {
    if (fd_ < 0) return false;
    failure_ = {};
    failure_.fault = PortFault::configure;
    failure_.device = device_;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    // CLOCAL: a three-wire cable leaves carrier detect floating, and the line must not hang
    // up when it drops (the Windows driver never did).
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    // With VMIN 1 an empty line reads as EAGAIN and only a hang-up reads as 0 bytes.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, B19200) != 0 || cfsetospeed(&t, B19200) != 0) return false;
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return false;

    // tcsetattr succeeds when any part applied; the framing and raw bytes are what matter.
    // A pseudo-terminal keeps no line speed of its own, so the speed is not checked.
    termios now{};
    if (tcgetattr(fd_, &now) != 0) return false;
    bool applied = (now.c_cflag & CSIZE) == CS8 && (now.c_cflag & (PARENB | CSTOPB)) == 0 &&
                   (now.c_lflag & (ICANON | ECHO)) == 0 && (now.c_oflag & OPOST) == 0;
    if (applied) failure_ = {};
    return applied;
}

void SerialPort::close() {
    if (fd_ < 0) return;
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

bool SerialPort::purge() {
    return fd_ >= 0 && tcflush(fd_, TCIOFLUSH) == 0;
}

bool SerialPort::write(const uint8_t* bytes, size_t count) {
    if (fd_ < 0) return false;
    auto deadline = Steady::now() + std::chrono::milliseconds(write_timeout_ms(count));
    size_t sent = 0;
    while (sent < count) {
        ssize_t n = ::write(fd_, bytes + sent, count - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        int wait = remaining_ms(deadline);
        if (wait == 0) return false;
        pollfd p{fd_, POLLOUT, 0};
        int r = ::poll(&p, 1, wait);
        if (r < 0 && errno != EINTR) return false;
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return false;
    }
    return true;
}

bool SerialPort::read(uint8_t* bytes, size_t count, size_t& got) {
    got = 0;
    if (fd_ < 0) return false;
    auto deadline = Steady::now() + std::chrono::milliseconds(read_timeout_ms(count));
    while (got < count) {
        ssize_t n = ::read(fd_, bytes + got, count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) return false;  // hung up: the adapter or the other end went away
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        int wait = remaining_ms(deadline);
        if (wait == 0) return true;
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, wait);
        if (r < 0 && errno != EINTR) return false;
        if (r > 0 && !(p.revents & POLLIN) && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return false;
    }
    return true;
}

bool SerialPort::read_ready(uint8_t* bytes, size_t count, size_t& got) {
    got = 0;
    if (fd_ < 0) return false;
    while (got < count) {
        ssize_t n = ::read(fd_, bytes + got, count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) return false;  // hung up
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
    return true;
}

}  // namespace pv
