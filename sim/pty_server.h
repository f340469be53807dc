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

// A symbolic link to the pseudo-terminal under a fixed name, removed again when the unit
// ends, so that a client given that name finds nothing once the unit is gone instead of
// whatever program the system gave the terminal to next.
class PtyLink {
  public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Makes `link` point at `target`. A symbolic link already there (left by a unit that was
    // killed) is replaced; anything else is refused. False with a one-line reason.
    bool make(const std::string& link, const std::string& target, std::string& error);
    // Removes the link if it still points at our target.
    void remove();

  private:
    std::string link_, target_;
};

}  // namespace pvsim
