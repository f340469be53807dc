// pvtool unit record: the log window's START without the window. The same checks, timing
// test, interval, header and samples; the recording window's loop is a console loop that
// ends after N samples, on Ctrl+C, SIGTERM or SIGHUP (the terminal closed), or where the
// window's recording would end. The samples go into a file of their own beside OUT, never
// into the window program's temporary log, and every complete one reaches OUT.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>

#include "core/document/unit.h"
#include "core/files/temporaries.h"
#include "core/link/link_timer.h"
#include "core/link/netunit.h"
#include "core/logging/live.h"
#include "core/logging/recorder.h"
#include "core/ui/clock.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "platform/serial_port.h"
#include "tool/tool.h"
#include "tool/unit_session.h"

namespace pvtool {

std::atomic<bool> record_interrupted{false};

namespace {

constexpr const char* kRecordUsage =
    "usage: pvtool unit record OUT.PVL [--samples N] [--file DATA.PVD] [--mark-throttle PCT]\n"
    "                          [--port DEVICE | --com N]\n";

extern "C" void on_interrupt(int) {
    record_interrupted = true;
}

// While it lives, Ctrl+C, SIGTERM and SIGHUP end the recording as the user's stop does.
class EndOnSignals {
  public:
    EndOnSignals() {
        record_interrupted = false;
        struct sigaction sa {};
        sa.sa_handler = on_interrupt;
        sigemptyset(&sa.sa_mask);
        for (size_t k = 0; k < kSignals.size(); ++k) sigaction(kSignals[k], &sa, &previous_[k]);
    }
    ~EndOnSignals() {
        for (size_t k = 0; k < kSignals.size(); ++k) sigaction(kSignals[k], &previous_[k], nullptr);
    }
    EndOnSignals(const EndOnSignals&) = delete;
    EndOnSignals& operator=(const EndOnSignals&) = delete;

  private:
    static constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
    std::array<struct sigaction, 3> previous_{};
};

// A new, empty file beside `target` that no other recording can be using. It is removed when
// this ends unless it was moved onto the target.
class FileBeside {
  public:
    explicit FileBeside(const std::string& target) : target_(target) {
        std::string pattern = target + ".partXXXXXX";
        int fd = mkstemp(pattern.data());
        if (fd < 0) return;
        // mkstemp makes the file private; a recording is as readable as any file written.
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        close(fd);
        path_ = pattern;
        registered_ = std::make_unique<pv::TemporaryName>(path_);
    }
    ~FileBeside() {
        if (path_.empty() || kept_) return;
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    FileBeside(const FileBeside&) = delete;
    FileBeside& operator=(const FileBeside&) = delete;

    const std::string& path() const { return path_; }
    // The file stays where it is: it holds a recording that could not be moved.
    void keep() {
        kept_ = true;
        registered_.reset();
    }

    // Moves the file onto the target in one step, so that the target is never half written.
    bool move_into_place() {
        std::error_code ec;
        // A sample is whole words: a last half word (a write cut short) is no data.
        auto size = std::filesystem::file_size(path_, ec);
        if (!ec && size % 2 != 0) std::filesystem::resize_file(path_, size - 1, ec);
        if (ec) return false;
        std::filesystem::rename(path_, target_, ec);
        if (ec) return false;
        registered_.reset();
        path_.clear();
        return true;
    }

  private:
    std::string target_;
    std::string path_;
    std::unique_ptr<pv::TemporaryName> registered_;
    bool kept_ = false;
};

// Why a recording ended, when it was not the user's stop or the count asked for; empty then.
// `failed` tells whether the command fails for it.
std::string end_reason(bool& failed) {
    failed = true;
    switch (pv::recording.end) {
        case pv::RecordingEnd::unit_silent:
            return "the unit stopped answering";
        case pv::RecordingEnd::write_failed:
            return "the file took no more samples (is the disk full?)";
        case pv::RecordingEnd::sample_limit:
            if (pv::recording.sample_limit < pv::kMaxSampleLimit)
                return "the free space on the disk allows no more samples";
            failed = false;
            return "a log holds no more samples";
        case pv::RecordingEnd::running:
        case pv::RecordingEnd::stopped:
            break;
    }
    failed = false;
    return {};
}

class ConsoleRecording : public pv::RecordingHost {
  public:
    ConsoleRecording(long samples, std::string file, long mark_throttle)
        : samples_(samples), file_(std::move(file)), mark_throttle_(mark_throttle) {}

    std::string recording_file() override { return file_; }

    void run_recording_window(uint32_t interval_ms, const std::function<bool()>& tick) override {
        interval_ = interval_ms;
        pv::Clock& c = pv::clock();
        uint32_t next = c.tick_count();
        while (!record_interrupted) {
            next += interval_ms;
            while (static_cast<int32_t>(next - c.tick_count()) > 0 && !record_interrupted)
                c.pause();
            if (record_interrupted || !tick()) return;
            if (samples_ > 0 && pv::recording.samples_written >= samples_) return;
        }
    }
    // Without a hand on Space, the samples at or above the throttle opening asked for are
    // marked: the full-throttle stretches of a drive.
    void sample_polled() override {
        if (mark_throttle_ > 0)
            pv::live.marking = pv::live.live_throttle >= mark_throttle_ ? 255 : 0;
    }
    void recording_finished(const std::string& path) override { finished_ = path; }

    uint32_t interval() const { return interval_; }
    const std::string& finished() const { return finished_; }

  private:
    long samples_;
    std::string file_;
    long mark_throttle_;
    uint32_t interval_ = 0;
    std::string finished_;
};

}  // namespace

int unit_record(std::vector<std::string> args, Io io, pv::Port& port) {
    std::string device, com, count_text, file;
    take_option(args, "--port", device);
    bool has_com = take_option(args, "--com", com);
    bool has_count = take_option(args, "--samples", count_text);
    bool has_file = take_option(args, "--file", file);
    std::string mark_text;
    bool has_mark = take_option(args, "--mark-throttle", mark_text);
    long mark_throttle = 0;
    if (has_mark && !pv::parse_integer(mark_text, 1, 100, mark_throttle)) mark_throttle = -1;
    long com_number = pv::settings.com_port;
    long samples = 0;
    bool usage_ok = args.size() == 1 && !args[0].empty() && args[0].rfind("--", 0) != 0;
    if (has_com && !pv::parse_integer(com, 1, 255, com_number)) usage_ok = false;
    if (has_count && !pv::parse_integer(count_text, 1, 100000000, samples)) usage_ok = false;
    if (has_file && file.empty()) usage_ok = false;
    if (mark_throttle < 0) usage_ok = false;
    if (!usage_ok) {
        io.err << kRecordUsage;
        return kUsage;
    }
    const std::string out_path = args[0];
    pv::settings.com_port = static_cast<uint8_t>(com_number);
    FileBeside samples_file(out_path);
    if (samples_file.path().empty()) {
        say(io.err, pv::msg_text(2));
        return kFailed;
    }

    DecliningPrompter prompter(io.err);
    UnitSession session(port, prompter);
    // The corrections come from the maps the window would hold: the unit's own, or a file's.
    pv::set_comm_state(1);
    bool ready = load_correction_maps(file, io);
    pv::set_comm_state(0);
    if (!ready) return kFailed;
    pv::state.doc_open = 1;
    pv::link_on_start();
    if (!pv::state.link_on) return kFailed;

    ConsoleRecording host(samples, samples_file.path(), mark_throttle);
    {
        const EndOnSignals stop;
        if (!pv::start_recording(host)) return kFailed;
    }

    pv::LogHeader h;
    if (pv::read_log_header(host.finished(), h) != pv::LogRead::ok) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }
    const int64_t complete = (h.file_words - h.header_words) / h.n;
    if (!samples_file.move_into_place()) {
        say(io.err, pv::msg_text(2));
        samples_file.keep();
        io.err << "pvtool: the recording (" << complete << " samples) is kept in "
               << samples_file.path() << '\n';
        return kFailed;
    }
    io.out << "interval\t" << host.interval() << '\n' << "samples\t" << complete << '\n';
    bool failed = false;
    const std::string why = end_reason(failed);
    if (!why.empty())
        io.err << "pvtool: " << why << "; the recording ended with " << complete << " samples in "
               << out_path << '\n';
    return failed ? kFailed : kOk;
}

int unit_record_main(std::vector<std::string> args, Io io) {
    std::string device;
    std::vector<std::string> probe = args;
    take_option(probe, "--port", device);
    pv::SerialPort serial(device);
    return unit_record(std::move(args), io, serial);
}

}  // namespace pvtool
