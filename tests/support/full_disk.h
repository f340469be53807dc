// A disk that fills up after `bytes` more bytes of any one file, for as long as the object
// lives: every write past it fails as on a full disk (the process's file size limit, with the
// signal it would raise ignored).
#pragma once
#include <signal.h>
#include <sys/resource.h>

namespace pv::test {

class FullDisk {
  public:
    explicit FullDisk(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        old_handler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, old_handler_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

  private:
    rlimit saved_{};
    sighandler_t old_handler_ = SIG_DFL;
};

}  // namespace pv::test
