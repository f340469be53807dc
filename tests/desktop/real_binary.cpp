// The real pvedit binary as a user starts it, driven from outside: it knows nothing of the
// driver, so the clicks go to points of its main window and what happened is read from the
// screen, the process and the settings file.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "desktop/driver.h"
#include "desktop/scripts.h"

extern char** environ;

namespace desk {
namespace {

// What a command prints on its first line.
std::optional<std::string> first_line(const std::string& command) {
    FILE* p = popen(command.c_str(), "r");
    if (!p) return std::nullopt;
    char buf[256] = {};
    const bool got = std::fgets(buf, sizeof buf, p) != nullptr;
    const int status = pclose(p);
    if (!got || status != 0) return std::nullopt;
    std::string s(buf);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

class RealRun {
  public:
    explicit RealRun(Driver& d) : d_(d) {}
    ~RealRun() {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    void start(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            d_.fail("could not start " + args[0]);
    }

    // False once the process has ended; its status is kept.
    bool alive() {
        if (ended_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            status_ = status;
        }
        return !ended_;
    }
    std::string how_it_ended() const {
        if (WIFSIGNALED(status_))
            return "was killed by signal " + std::to_string(WTERMSIG(status_)) +
                   (WTERMSIG(status_) == SIGSEGV ? " (segmentation fault)" : "");
        return "ended with status " + std::to_string(WEXITSTATUS(status_));
    }
    bool exited_cleanly() const {
        return ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
    }

    // Polls `ready` every 20 ms; fails when the program dies or 10 s pass.
    template <class F>
    void wait_for(const std::string& what, F ready) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        for (;;) {
            if (ready()) return;
            if (!alive()) d_.fail("pvedit " + how_it_ended() + " while waiting for " + what);
            if (std::chrono::steady_clock::now() > deadline) d_.fail("waited 10 s for " + what);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

  private:
    Driver& d_;
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
};

// The share of pixels inside `area` that differ between two pictures of the screen.
double changed_share(const QImage& a, const QImage& b, const QRect& area) {
    const QRect r = area & a.rect() & b.rect();
    if (r.isEmpty()) return 0;
    long changed = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) ++changed;
    return static_cast<double>(changed) / (static_cast<double>(r.width()) * r.height());
}

}  // namespace

int run_real_binary(int argc, char** argv) {
    Driver d("real");
    if (argc != 4) d.fail("usage: desktop_smoke --real PVEDIT FILE.PVD");
    const std::string prog = work_folder() + "/prog";
    RealRun run(d);

    d.step("pvedit starts on the data file");
    run.start({argv[2], argv[3]});
    std::string window;
    run.wait_for("the main window", [&] {
        auto w = first_line("xdotool search --onlyvisible --name '^Pavex Dravlo$' 2>/dev/null");
        if (w) window = *w;
        return w.has_value();
    });
    // The window manager hands the new window the keyboard: it is the active one.
    run.wait_for("the main window to be active",
                 [&] { return first_line("xdotool getactivewindow 2>/dev/null") == window; });
    auto click_in_window = [&](QPoint p, int button) {
        if (run_program({"xdotool", "mousemove", "--sync", "--window", window,
                         std::to_string(p.x()), std::to_string(p.y())}) != 0 ||
            run_program({"xdotool", "click", std::to_string(button)}) != 0)
            d.fail("xdotool could not click in the main window");
    };
    auto screen = [&](const std::string& name) {
        const std::string file = take_screenshot_in(work_folder(), name);
        QImage img(QString::fromStdString(file));
        if (img.isNull()) d.fail("no screenshot could be taken");
        return img;
    };
    // What the program shows once two pictures of the screen in a row agree: the windows
    // have been placed and painted.
    auto settled = [&](const std::string& name) {
        QImage last = screen(name);
        run.wait_for("the screen to settle (" + name + ")", [&] {
            QImage now = screen(name);
            const bool same = now == last;
            last = now;
            return same;
        });
        return last;
    };
    settled("start");

    d.step("Mode A, then the Graph tool button");
    click_in_window(kModeAPoint, 1);
    const QImage mode_a = settled("mode-a");
    click_in_window(kGraphButtonPoint, 1);
    // A second of event time: the graph is built, shown, activated and painted.
    for (int i = 0; i < 50; ++i) {
        if (!run.alive()) d.fail("pvedit " + run.how_it_ended() + " after the Graph button");
        std::this_thread::sleep_for(20ms);
    }
    if (!run.alive()) d.fail("pvedit " + run.how_it_ended() + " after the Graph button");
    const QImage graph = settled("graph");
    if (changed_share(mode_a, graph, QRect(0, 80, 900, 560)) < 0.05)
        d.fail("the Graph window did not appear (the screen hardly changed)");

    d.step("File > Exit");
    run_program({"xdotool", "windowactivate", "--sync", window});
    run_program({"xdotool", "key", "--delay", "100", "alt+f", "x"});
    run.wait_for("pvedit to end", [&] { return !run.alive(); });
    if (!run.exited_cleanly()) d.fail("pvedit " + run.how_it_ended());

    std::ifstream in(prog + "/pvedit.INI", std::ios::binary);
    const std::string ini(std::istreambuf_iterator<char>(in), {});
    if (ini.find("[FORM]") == std::string::npos)
        d.fail("the settings file prog/pvedit.INI holds no [FORM] section");
    std::fprintf(stderr, "[real] passed\n");
    return 0;
}

}  // namespace desk
