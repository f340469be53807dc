// Serves a SimUnit on a pseudo-terminal, as a unit on a serial adapter would: the client
// opens the slave side by its path and talks 24-byte frames.
#pragma once
#include <atomic>
#include <string>

#include "core/link/port.h"
#include "sim/sim_unit.h"

namespace pvsim {

class PtyServer {
  public:
    explicit PtyServer(SimUnit& unit);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal in raw mode. False (with errno set) when that fails.
    bool open();
    const std::string& path() const { return path_; }

    // Answers requests until stop(), or until hangup_after closes the line. Returns false
    // when the line failed.
    bool serve();
    // Ends serve() from another thread or a signal handler.
    void stop();
    // Closes the line, as an unplugged adapter would, and ends serve(). Safe from another
    // thread.
    void hang_up();

  private:
    void close_line();

    SimUnit& unit_;
    std::string path_;
    int master_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> hanging_up_{false};
};

}  // namespace pvsim
