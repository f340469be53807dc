// Temporary files that a console command stopped by a signal must not leave behind. A file
// written under a temporary name registers it while it exists; the command's signal handler
// removes every registered file (async-signal-safe) before the process ends.
#pragma once
#include <string>

namespace pv {

// Registers `path` for as long as it lives; the registration is dropped by release() or on
// destruction (the file itself is the owner's to remove or rename).
class TemporaryName {
  public:
    TemporaryName() = default;
    explicit TemporaryName(const std::string& path);
    ~TemporaryName();
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

    void release();

  private:
    int slot_ = -1;
};

// Removes every registered file now. Safe inside a signal handler.
void remove_temporaries() noexcept;

// Until the process ends, SIGINT, SIGTERM and SIGHUP first remove the registered files and
// then end the process as the signal would have.
void remove_temporaries_on_termination();

}  // namespace pv
