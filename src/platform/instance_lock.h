// The single-instance marker: an advisory lock on a file in the user's runtime folder. The
// kernel drops the lock with the process, so a crashed instance never blocks the next start.
#pragma once
#include <string>

namespace pv {

class InstanceLock {
  public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process (or another InstanceLock) holds the lock named `name`.
    // A lock file that cannot be created at all does not stop the program: true.
    bool acquire(const std::string& name);
    void release();
    const std::string& path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
};

// $XDG_RUNTIME_DIR, else a folder of the user's own under the temporary folder.
std::string runtime_folder();

}  // namespace pv
