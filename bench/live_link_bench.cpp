// The live link as the user runs it: pvedit's main window linked through the termios port to
// a pvsim process that paces its replies at 19200-baud wire time, in three sets of windows:
// the link alone (the map with the live cursor), with the data monitor open and the trace on,
// and with the graph on the cursor's map and the data log window as well. Each run lasts
// PV_MEASURE_SECONDS (default 30); --benchmark_repetitions=3 gives the median of three.
// PV_DRIVE picks pvsim's drive (default street, a town drive with stops; sweep moves the
// cursor at every poll). Offscreen, or on an X server with QT_QPA_PLATFORM=xcb. Measures:
//   - exchanges per second as a ratio of the wire ceiling: one exchange is 48 bytes on the
//     line, 25 ms, so at most 40 a second. Every tenth poll is followed by a status read, so
//     polls alone reach at most 10/11 of it (0.909);
//   - the program's CPU use (this process; pvsim runs in its own);
//   - the longest event-loop delay: how long the loop went without coming back to wait, i.e.
//     how long a key press in the grid could wait.
//
// Where a poll's time went (monitor and trace, callgrind on the offscreen platform, about
// 720 polls in 20 s; perf and strace for the wake-ups), before the live views were reworked:
//   - 54 % the map grid repainting the cursor's four cells at every poll, moved or not: each
//     cell laid its value out anew (QPainter::drawText in a rectangle, 60 % of it), then the
//     XOR cursor lines (11 k instructions a cell) and QTableView's own walk of the region;
//   - 15 % the monitor's value labels (QLabel lays its text out at every paint), 11 % the
//     panel under them (names and units converted from the text library and laid out again,
//     its sunken frame drawn again), 3 % measuring each new value to place its label;
//   - 5 % the link itself (the exchange, collecting the reply, storing the values);
//   - and outside the instructions: the 15 ms link timer woke the program 66 times a second
//     where the 40 replies would do, each wake-up a context switch and cold caches. The
//     instructions came to about 0.5 % of a core of the 1.6 % measured.
// On an X server (Xvfb with openbox, perf) the same split holds, and each window's flush adds
// a round trip: Qt's backing store waits for the server after putting the image (xcb sync,
// 10-15 % of the time), twice a poll with the monitor, a window of its own.
// What was done: the timer rests while a reply is on the line (one wake-up an exchange); a
// cell's look is painted once into a pixmap and copied, only the cursor's lines drawn anew
// (filled as rectangles, not stroked), and the block is repainted, in one update, only when
// the cursor moved; the monitor's names, units and the grid's values are drawn from laid-out
// glyphs, and a value from the glyphs of its characters, so a new value costs no shaping; the
// panel fills its own white so the frame is left alone, a value's repaint draws no name or
// unit, and the labels keep a fixed size so that a new value asks no layout.
// After it (perf, the whole set): two fifths of the time is painting what changed, a quarter
// the link (the exchange's write, purge and watch, the wake-up for the reply), a sixth
// handing the values to the views (the monitor's texts, the cursor), the rest Qt's event
// loop; on X, Qt's backing store still waits for the server before each paint (11 %) and
// its event thread wakes for each image put (7 %).
//
// CPU in % of one core on one two-core machine; offscreen the median of three 30 s runs, on
// Xvfb with openbox one 30 s run; "before" is this benchmark on the tree before the rework:
//                               before          after offscreen     after on X
//                            street  sweep      street  sweep      street  sweep
//   link alone                1.96    2.01       0.55    1.15       0.63    1.56
//   monitor, trace            2.64    2.68       0.84    1.62       1.26    2.25
//   + graph, data log window  2.92    2.64       0.94    1.41       1.26    2.22
// Exchanges stay at 0.98-0.99 of the ceiling and the longest event-loop delay under 5 ms.
// What is left with the sweep, where the cursor moves at every poll: QTableView's walk of
// the cells it leaves and enters (the item options it builds for each, its grid lines).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>
#include <string>

#include "app/logging/mnt.h"
#include "app/mapedit/graph.h"
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
            // A town drive by default; PV_DRIVE=sweep moves the cursor across the map at
            // every poll, the most the live views ever have to draw.
            const char* drive = std::getenv("PV_DRIVE") ? std::getenv("PV_DRIVE") : "street";
            execl(PVSIM_PATH, "pvsim", "--baud-timing", "--drive", drive,
                  static_cast<char*>(nullptr));
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

// How long the event loop goes without coming back to wait, i.e. how long a key press could
// wait: the deliveries of events less than 0.2 ms apart make one busy stretch. Two clock
// reads an event, where a probe timer would add wake-ups of its own to the CPU measured.
class TimedApp : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool r = QApplication::notify(receiver, event);
            --depth_;
            return r;
        }
        const qint64 start = clock_.nsecsElapsed();
        if (start - last_end_ > 200'000) stretch_start_ = start;
        const bool r = QApplication::notify(receiver, event);
        --depth_;
        last_end_ = clock_.nsecsElapsed();
        const qint64 stretch = last_end_ - stretch_start_;
        if (stretch > longest_) longest_ = stretch;
        if (stretch > 20'000'000 && stretch_start_ != counted_) {
            counted_ = stretch_start_;
            ++over_20ms_;
        }
        return r;
    }
    void restart() {
        clock_.start();
        last_end_ = -1'000'000'000;
        longest_ = over_20ms_ = 0;
        counted_ = -1;
    }
    double longest_ms() const { return static_cast<double>(longest_) / 1e6; }
    long over_20ms() const { return over_20ms_; }

  private:
    QElapsedTimer clock_;
    int depth_ = 0;
    qint64 stretch_start_ = 0, last_end_ = 0, longest_ = 0, counted_ = -1;
    long over_20ms_ = 0;
};
TimedApp* app = nullptr;

// What is open while the link runs.
enum LiveSet { link_alone, monitor_and_trace, whole_set, kSets };
const char* const kSetNames[kSets] = {
    "link alone (map with the live cursor)",
    "monitor open, trace on",
    "monitor, trace, graph on the cursor's map, data log window",
};

struct Figures {
    double poll_ratio = 0, exchange_ratio = 0, cpu_pct = 0, worst_delay_ms = 0;
    long delays_over_20ms = 0;
    bool ok = false;
};
std::vector<Figures> runs[kSets];
double seconds_measured = 0;

// Opens the windows of `set` on a linked main window; false when one did not open.
bool open_set(pv::Tmain& main, LiveSet set) {
    if (set == link_alone) return pv::state.link_on != 0;
    main.action("btnmnt")->trigger();
    main.action("ml2")->trigger();
    main.action("btnlocus")->trigger();
    if (set == whole_set) {
        main.btngraphClick();
        main.FormShow({"pvedit", PV_EXAMPLES_DIR "/DRIVE.PVL"});
        if (!main.graph_window() || !pv::state.log_open) return false;
        // Side by side, as on a tuner's screen: a window under another paints nothing.
        main.mdi_area()->tileSubWindows();
    }
    return pv::state.link_on && pv::state.monitor_open && pv::cursors.trace_on;
}

void BM_LiveLink(benchmark::State& state) {
    const auto set = static_cast<LiveSet>(state.range(0));
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
    main->resize(1280, 960);
    main->show();
    main->menunewClick();
    pv::Tmap* map = main->map_window();
    pv::data.axis_select_no = 4;
    map->rebuild_after_parameters();
    map->lvmap1->setCurrentRow(1);
    map->lvmap2->setCurrentRow(0);
    // Link is offered once a document came from the unit; its handler runs regardless.
    main->btnlinkClick();
    if (!open_set(*main, set)) {
        state.SkipWithError("the link or one of the windows did not start");
        return;
    }
    // The windows settle (first paints, layouts) before the measured time starts.
    QEventLoop settle;
    QTimer::singleShot(1000, &settle, &QEventLoop::quit);
    settle.exec();

    const char* env = std::getenv("PV_MEASURE_SECONDS");
    const int seconds = env ? std::max(1, std::atoi(env)) : 30;
    Figures f;
    for (auto _ : state) {
        QElapsedTimer clock;
        const long polls0 = port.polls, exchanges0 = port.exchanges;
        const double cpu0 = cpu_seconds();
        clock.start();
        app->restart();
        // A loop of its own: QApplication::quit() would close every window, and with the
        // map window the link.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        seconds_measured = wall;
        f.poll_ratio = static_cast<double>(port.polls - polls0) / wall / 40.0;
        f.exchange_ratio = static_cast<double>(port.exchanges - exchanges0) / wall / 40.0;
        f.cpu_pct = (cpu_seconds() - cpu0) / wall * 100.0;
        f.worst_delay_ms = app->longest_ms();
        f.delays_over_20ms = app->over_20ms();
        f.ok = pv::state.link_on != 0;
        state.SetIterationTime(wall);
    }
    runs[set].push_back(f);
    state.counters["poll_ratio"] = f.poll_ratio;
    state.counters["exchange_ratio"] = f.exchange_ratio;
    state.counters["cpu_pct"] = f.cpu_pct;
    state.counters["worst_delay_ms"] = f.worst_delay_ms;

    if (pv::state.link_on) main->btnlinkClick();
    main.reset();
    pv::install_link(nullptr);
}
BENCHMARK(BM_LiveLink)
    ->ArgName("set")
    ->DenseRange(0, kSets - 1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

template <typename T>
T median(std::vector<Figures> v, T Figures::*field) {
    std::sort(v.begin(), v.end(),
              [&](const Figures& a, const Figures& b) { return a.*field < b.*field; });
    return v[v.size() / 2].*field;
}

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless a platform is named (QT_QPA_PLATFORM=xcb under an X server).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    TimedApp qt(qt_argc, argv);
    app = &qt;
    pv::init_app_resources();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (int set = 0; set < kSets; ++set) {
        const std::vector<Figures>& v = runs[set];
        if (v.empty()) continue;
        const bool dropped = std::any_of(v.begin(), v.end(), [](const Figures& f) { return !f.ok; });
        std::printf(
            "%s, median of %zu run(s) of %.0f s on %s: CPU %.2f %% of one core, exchanges %.3f "
            "(polls %.3f) of the 40/s ceiling, longest event-loop delay %.1f ms (%ld over "
            "20 ms)%s\n",
            kSetNames[set], v.size(), seconds_measured, qPrintable(QGuiApplication::platformName()),
            median(v, &Figures::cpu_pct), median(v, &Figures::exchange_ratio),
            median(v, &Figures::poll_ratio), median(v, &Figures::worst_delay_ms),
            median(v, &Figures::delays_over_20ms),
            dropped ? " (the link dropped)" : "");
    }
    return 0;
}
