#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace pvsim {

namespace {

int64_t now_us() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000 + ts.tv_nsec / 1000;
}

void sleep_until_us(int64_t when) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(when / 1000000);
    ts.tv_nsec = static_cast<long>(when % 1000000) * 1000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

// Writes what the line takes; a reply that does not fit is lost, as it would be on a wire.
void write_all(int fd, const uint8_t* bytes, size_t n) {
    size_t sent = 0;
    int spins = 0;
    while (sent < n) {
        ssize_t k = ::write(fd, bytes + sent, n - sent);
        if (k > 0) {
            sent += static_cast<size_t>(k);
            continue;
        }
        if (k < 0 && errno == EINTR) continue;
        if (k < 0 && errno == EAGAIN && ++spins < 100) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 1);
            continue;
        }
        return;
    }
}

constexpr int kIdleResetMs = 50;  // a pause this long ends any half-received frame

}  // namespace

PtyServer::PtyServer(SimUnit& unit) : unit_(unit) {}

PtyServer::~PtyServer() {
    if (master_ >= 0) ::close(master_);
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

bool PtyServer::open() {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return false;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return false;
    const char* name = ::ptsname(master_);
    if (!name) return false;
    path_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    // Raw from the start: with the default line discipline the slave would echo our replies
    // straight back to us. The setting outlives this descriptor.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) return false;
    termios t{};
    bool ok = tcgetattr(slave, &t) == 0;
    if (ok) {
        cfmakeraw(&t);
        cfsetispeed(&t, B19200);
        cfsetospeed(&t, B19200);
        ok = tcsetattr(slave, TCSANOW, &t) == 0;
    }
    ::close(slave);
    return ok;
}

void PtyServer::stop() {
    stopping_.store(true);
    if (wake_[1] >= 0) {
        char c = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_[1], &c, 1);
    }
}

void PtyServer::hang_up() {
    hanging_up_.store(true);
    stop();
}

void PtyServer::close_line() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

bool PtyServer::serve() {
    Framer framer;
    const Options& o = unit_.options();
    int64_t first_byte_us = 0;
    bool client_seen = false;
    uint8_t buf[512];
    while (!stopping_.load() && master_ >= 0) {
        pollfd p[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        int r = ::poll(p, 2, framer.empty() ? -1 : kIdleResetMs);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (p[1].revents) break;
        if (r == 0) {
            framer.clear();
            continue;
        }
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n < 0 && errno == EIO) {
            // Nobody has the line open; wait for a client without spinning.
            framer.clear();
            if (client_seen) {
                // A client that ended without closing the line properly leaves it in
                // exclusive mode, which the terminal keeps while we hold its other side.
                client_seen = false;
                int slave = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
                if (slave >= 0) {
                    ::ioctl(slave, TIOCNXCL);
                    ::close(slave);
                }
            }
            ::poll(&p[1], 1, 2);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return false;
        client_seen = true;

        if (framer.empty()) first_byte_us = now_us();
        std::vector<Outcome> outcomes;
        bool hang = false;
        framer.feed(buf, static_cast<size_t>(n), [&](const uint8_t* frame) {
            if (o.hangup_after >= 0 && unit_.replies >= o.hangup_after) hang = true;
            if (!hang) outcomes.push_back(unit_.handle(frame, pv::kFrameSize));
        });
        for (const Outcome& out : outcomes) {
            if (out.reply.empty()) continue;
            int64_t due = first_byte_us;
            if (o.baud_timing) due += 2 * int64_t{wire_time_us(pv::kFrameSize)};
            if (out.fault == Fault::late)
                due += int64_t{pv::read_timeout_ms(pv::kFrameSize)} * 1000 + 30000;
            if (due > now_us()) sleep_until_us(due);
            write_all(master_, out.reply.data(), out.reply.size());
            first_byte_us = now_us();
        }
        if (hang) {
            close_line();
            return true;
        }
        if (!framer.empty()) first_byte_us = now_us();
    }
    if (hanging_up_.load()) close_line();
    return true;
}

PtyLink::~PtyLink() {
    remove();
}

bool PtyLink::make(const std::string& link, const std::string& target, std::string& error) {
    remove();
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = link + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        error = "cannot make " + link + ": " + std::strerror(errno);
        return false;
    }
    link_ = link;
    target_ = target;
    return true;
}

void PtyLink::remove() {
    if (link_.empty()) return;
    char buf[4096];
    ssize_t n = ::readlink(link_.c_str(), buf, sizeof buf);
    // Another unit may have taken the name over since; its link is not ours to remove.
    if (n >= 0 && std::string(buf, static_cast<size_t>(n)) == target_) ::unlink(link_.c_str());
    link_.clear();
    target_.clear();
}

}  // namespace pvsim
