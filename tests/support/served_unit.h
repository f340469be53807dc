// A simulated unit served on a pseudo-terminal by a thread of its own, for the length of a
// test: what the termios port talks to.
#pragma once
#include <functional>
#include <string>
#include <thread>

#include "sim/pty_server.h"
#include "sim/sim_unit.h"

namespace pvtest {

class ServedUnit {
  public:
    // `prepare` sets the unit up before the thread starts serving it.
    explicit ServedUnit(pvsim::Options options = {},
                        const std::function<void(pvsim::SimUnit&)>& prepare = {})
        : unit_(options), server_(unit_) {
        if (prepare) prepare(unit_);
        ok_ = server_.open();
        if (ok_) thread_ = std::thread([this] { server_.serve(); });
    }
    ~ServedUnit() {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }
    ServedUnit(const ServedUnit&) = delete;
    ServedUnit& operator=(const ServedUnit&) = delete;

    bool ok() const { return ok_; }
    const std::string& path() const { return server_.path(); }
    pvsim::PtyServer& server() { return server_; }

  private:
    pvsim::SimUnit unit_;
    pvsim::PtyServer server_;
    std::thread thread_;
    bool ok_ = false;
};

}  // namespace pvtest
