#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace pv {

std::string runtime_folder() {
    if (const char* d = std::getenv("XDG_RUNTIME_DIR"); d && *d) return d;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/pvedit-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    return dir;
}

InstanceLock::~InstanceLock() {
    release();
}

bool InstanceLock::acquire(const std::string& name) {
    release();
    path_ = runtime_folder() + "/" + name + ".lock";
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return true;
    int r;
    do r = flock(fd_, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r == 0) return true;
    bool held_elsewhere = errno == EWOULDBLOCK;
    ::close(fd_);
    fd_ = -1;
    return !held_elsewhere;
}

void InstanceLock::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace pv
