#include "platform/port_diagnosis.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/files/file_io.h"

namespace pv {

int lock_file_pid(const std::string& content) {
    const bool digits_only = !content.empty() && content.find_first_not_of("0123456789") ==
                                                     std::string::npos;
    if (content.size() == sizeof(int) && !digits_only) {
        int pid = 0;
        std::memcpy(&pid, content.data(), sizeof pid);
        return pid;
    }
    // Text: leading blanks, then the digits; anything else is no process.
    long value = 0;
    for (size_t k = content.find_first_not_of(" \t");
         k < content.size() && content[k] >= '0' && content[k] <= '9'; ++k) {
        value = value * 10 + (content[k] - '0');
        if (value > 4194304) return 0;  // beyond any process id the kernel gives
    }
    return static_cast<int>(value);
}

namespace {

std::string program_of(int pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

bool is_number(const char* s) {
    if (!*s) return false;
    for (; *s; ++s)
        if (*s < '0' || *s > '9') return false;
    return true;
}

// A process with a descriptor on the same character device.
int holder_by_descriptors(dev_t rdev, int except_pid) {
    DIR* proc = opendir("/proc");
    if (!proc) return 0;
    int found = 0;
    while (dirent* p = readdir(proc)) {
        if (!is_number(p->d_name)) continue;
        const int pid = std::atoi(p->d_name);
        if (pid == except_pid) continue;
        const std::string fds = std::string("/proc/") + p->d_name + "/fd";
        DIR* d = opendir(fds.c_str());
        if (!d) continue;
        while (dirent* f = readdir(d)) {
            if (!is_number(f->d_name)) continue;
            struct stat st {};
            if (stat((fds + "/" + f->d_name).c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
                st.st_rdev == rdev) {
                found = pid;
                break;
            }
        }
        closedir(d);
        if (found) break;
    }
    closedir(proc);
    return found;
}

// The UUCP-style lock file that terminal programs leave: LCK..ttyUSB0 holding a process id,
// as text or as a binary int. Only a regular file is read: a FIFO planted under the name is
// never waited on.
int holder_by_lock_file(const std::string& device) {
    const std::string base = device.substr(device.find_last_of('/') + 1);
    for (const char* dir : {"/run/lock/", "/var/lock/"}) {
        const auto content = read_regular_file(std::string(dir) + "LCK.." + base, 64);
        if (!content) continue;
        const int pid = lock_file_pid(*content);
        if (pid > 0 && kill(pid, 0) == 0) return pid;
        if (pid > 0 && errno == EPERM) return pid;
    }
    return 0;
}

bool in_session_groups(gid_t gid) {
    if (getegid() == gid) return true;
    int n = getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    n = getgroups(n, groups.data());
    for (int k = 0; k < n; ++k)
        if (groups[static_cast<size_t>(k)] == gid) return true;
    return false;
}

bool listed_in_group(const group& g) {
    const passwd* me = getpwuid(geteuid());
    if (!me) return false;
    if (me->pw_gid == g.gr_gid) return true;
    for (char** m = g.gr_mem; m && *m; ++m)
        if (std::strcmp(*m, me->pw_name) == 0) return true;
    return false;
}

}  // namespace

bool find_holder(const std::string& device, std::string& program, int& pid, int except_pid) {
    struct stat st {};
    pid = 0;
    if (stat(device.c_str(), &st) == 0 && S_ISCHR(st.st_mode))
        pid = holder_by_descriptors(st.st_rdev, except_pid);
    if (pid == 0) pid = holder_by_lock_file(device);
    if (pid == except_pid && pid != 0) pid = 0;
    program = pid ? program_of(pid) : std::string{};
    return pid != 0;
}

PortFailure diagnose_open_failure(const std::string& device, int error) {
    PortFailure f;
    f.device = device;
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EIO:  // an on-board port with no hardware behind it
            f.fault = PortFault::no_device;
            break;
        case EACCES:
        case EPERM: {
            f.fault = PortFault::permission;
            struct stat st {};
            if (stat(device.c_str(), &st) != 0) break;
            const group* g = getgrgid(st.st_gid);
            // Only a group that would let its members in is worth joining.
            if (!g || (st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP) ||
                in_session_groups(st.st_gid))
                break;
            f.group = g->gr_name;
            f.member_not_yet_active = listed_in_group(*g);
            break;
        }
        case EBUSY:
        case EWOULDBLOCK:
            f.fault = PortFault::busy;
            find_holder(device, f.holder, f.holder_pid);
            break;
        case ENOTTY:
            f.fault = PortFault::not_terminal;
            break;
        default:
            f.fault = PortFault::other;
            f.detail = std::strerror(error);
            break;
    }
    return f;
}

}  // namespace pv
