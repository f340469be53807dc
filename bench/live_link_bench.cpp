// The live link as the user runs it: pvedit's main window (offscreen) linked through the
// termios port to a pvsim process that paces its replies at 19200-baud wire time, with the
// data monitor open, the trace on and a map showing the cursor. Measures for
// PV_MEASURE_SECONDS (default 60):
//   - polls and exchanges per second as a ratio of the wire ceiling: one exchange is 48 bytes
//     on the line, 25 ms, so at most 40 a second. Every tenth poll is followed by a status
//     read, so polls alone can reach at most 10/11 of it (0.909); the exchanges show how
//     much of the line the link keeps busy;
//   - the program's CPU use (this process; pvsim runs in its own);
//   - the longest lateness of a 5 ms timer on the event loop, i.e. how long a key press in
//     the grid could wait.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/logging/mnt.h"
#include "app/mapedit/map.h"
#include "app/shell/app.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/link/frames.h"
#include "core/link/netunit.h"
#include "core/mapedit/live_cursor.h"
#include "platform/serial_port.h"
#include "sim/sim_unit.h"

namespace {

// Counts the requests that go out, and the live polls among them.
class CountingPort : public pv::Port {
  public:
    explicit CountingPort(pv::Port& inner) : inner_(inner) {}
    long exchanges = 0;
    long polls = 0;
    long status_reads = 0;
    bool open(int n) override { return inner_.open(n); }
    bool configure() override { return inner_.configure(); }
    void close() override { inner_.close(); }
    bool purge() override { return inner_.purge(); }
    bool write(const uint8_t* b, size_t n) override {
        ++exchanges;
        if (n == pv::kFrameSize && b[5] == 0x80 && b[6] == 0xF7) ++polls;
        if (n == pv::kFrameSize && b[5] == 0x8A && b[6] == 0xF7) ++status_reads;
        return inner_.write(b, n);
    }
    bool read(uint8_t* b, size_t n, size_t& got) override { return inner_.read(b, n, got); }
    int watch_handle() const override { return inner_.watch_handle(); }
    bool read_ready(uint8_t* b, size_t n, size_t& got) override {
        return inner_.read_ready(b, n, got);
    }

  private:
    pv::Port& inner_;
};

// pvsim in a process of its own; its first line names the pseudo-terminal.
class SimProcess {
  public:
    SimProcess() {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            execl(PVSIM_PATH, "pvsim", "--baud-timing", static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(out[1]);
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
        ::close(out[0]);
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& path() const { return path_; }

  private:
    pid_t pid_ = -1;
    std::string path_;
};

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Figures {
    double seconds = 0, poll_ratio = 0, exchange_ratio = 0, cpu_pct = 0, worst_delay_ms = 0;
    long delays_over_20ms = 0;  // how often the loop was held that long: once, or all along
    bool ok = false;
};
Figures figures;

void BM_LinkedWithMonitorAndTrace(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "live_link_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pv::init_app_resources();

    SimProcess sim;
    if (sim.path().empty()) {
        state.SkipWithError("pvsim did not start");
        return;
    }
    pv::SerialPort serial(sim.path());
    CountingPort port(serial);
    pv::install_link(&port);

    pv::ShellPaths paths;
    paths.program_dir = paths.data_dir = "/tmp";
    paths.program_path = "/tmp/pvedit";
    auto main = std::make_unique<pv::Tmain>(paths, nullptr);
    main->FormCreate(0);
    main->show();
    main->menunewClick();
    pv::Tmap* map = main->map_window();
    pv::data.axis_select_no = 4;
    map->rebuild_after_parameters();
    map->lvmap1->setCurrentRow(1);
    map->lvmap2->setCurrentRow(0);
    // Link is offered once a document came from the unit; its handler runs regardless.
    main->btnlinkClick();
    // PV_MEASURE_PLAIN=1: the link alone, for comparison.
    const bool plain = std::getenv("PV_MEASURE_PLAIN") != nullptr;
    if (!plain) {
        main->action("btnmnt")->trigger();
        main->action("ml2")->trigger();
        main->action("btnlocus")->trigger();
    }
    if (!pv::state.link_on || (!plain && (!pv::state.monitor_open || !pv::cursors.trace_on))) {
        state.SkipWithError("the link, the monitor or the trace did not start");
        return;
    }

    const char* env = std::getenv("PV_MEASURE_SECONDS");
    const int seconds = env ? std::max(1, std::atoi(env)) : 60;
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 last = 0, worst = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        const int probe_ms = std::getenv("PV_PROBE_MS") ? std::atoi(std::getenv("PV_PROBE_MS")) : 5;
        probe.setInterval(probe_ms);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            const qint64 late = now - last - probe_ms * 1'000'000LL;
            worst = std::max(worst, late);
            if (late > 20'000'000) ++figures.delays_over_20ms;
            last = now;
        });
        const long polls0 = port.polls, exchanges0 = port.exchanges;
        const double cpu0 = cpu_seconds();
        clock.start();
        probe.start();
        // A loop of its own: QApplication::quit() would close every window, and with the
        // map window the link.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        figures.seconds = wall;
        figures.poll_ratio = static_cast<double>(port.polls - polls0) / wall / 40.0;
        figures.exchange_ratio = static_cast<double>(port.exchanges - exchanges0) / wall / 40.0;
        figures.cpu_pct = (cpu_seconds() - cpu0) / wall * 100.0;
        figures.worst_delay_ms = static_cast<double>(worst) / 1e6;
        figures.ok = pv::state.link_on != 0;
        std::printf("polls %ld, status reads %ld, exchanges %ld, link_on %d, monitor_open %d\n",
                    port.polls - polls0, port.status_reads, port.exchanges - exchanges0,
                    pv::state.link_on, pv::state.monitor_open);
        state.SetIterationTime(wall);
    }
    state.counters["poll_ratio"] = figures.poll_ratio;
    state.counters["exchange_ratio"] = figures.exchange_ratio;
    state.counters["cpu_pct"] = figures.cpu_pct;
    state.counters["worst_delay_ms"] = figures.worst_delay_ms;

    main->btnlinkClick();
    main.reset();
    pv::install_link(nullptr);
}
BENCHMARK(BM_LinkedWithMonitorAndTrace)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (figures.seconds > 0) {
        std::printf(
            "%.0f s linked at wire time, monitor open, trace on: polls %.3f and exchanges %.3f "
            "of the 40/s ceiling, CPU %.2f %% of one core, longest event-loop delay %.1f ms "
            "(%ld over 20 ms)%s\n",
            figures.seconds, figures.poll_ratio, figures.exchange_ratio, figures.cpu_pct,
            figures.worst_delay_ms, figures.delays_over_20ms,
            figures.ok ? "" : " (the link dropped)");
    }
    return 0;
}
