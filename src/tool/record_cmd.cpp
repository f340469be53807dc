// pvtool unit record: the log window's START without the window. The same checks, timing
// test, interval, header and samples; the recording window's loop is a console loop that
// ends after N samples, on Ctrl+C, or where the window's recording would end. The samples go
// into a file of their own beside OUT, never into the window program's temporary log.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/netunit.h"
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
    "usage: pvtool unit record OUT.PVL [--samples N] [--file DATA.PVD] [--port DEVICE | --com N]\n";

extern "C" void on_interrupt(int) {
    record_interrupted = true;
}

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
    }
    ~FileBeside() {
        if (path_.empty()) return;
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    FileBeside(const FileBeside&) = delete;
    FileBeside& operator=(const FileBeside&) = delete;

    const std::string& path() const { return path_; }

    // Moves the file onto the target in one step, so that the target is never half written.
    bool move_into_place() {
        std::error_code ec;
        // A sample is whole words: a last half word (a write cut short) is no data.
        auto size = std::filesystem::file_size(path_, ec);
        if (!ec && size % 2 != 0) std::filesystem::resize_file(path_, size - 1, ec);
        if (ec) return false;
        std::filesystem::rename(path_, target_, ec);
        if (ec) return false;
        path_.clear();
        return true;
    }

  private:
    std::string target_;
    std::string path_;
};

class ConsoleRecording : public pv::RecordingHost {
  public:
    ConsoleRecording(long samples, std::string file) : samples_(samples), file_(std::move(file)) {}

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
    void recording_finished(const std::string& path) override { finished_ = path; }

    uint32_t interval() const { return interval_; }
    const std::string& finished() const { return finished_; }

  private:
    long samples_;
    std::string file_;
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
    long com_number = pv::settings.com_port;
    long samples = 0;
    bool usage_ok = args.size() == 1 && !args[0].empty() && args[0].rfind("--", 0) != 0;
    if (has_com && !pv::parse_integer(com, 1, 255, com_number)) usage_ok = false;
    if (has_count && !pv::parse_integer(count_text, 1, 100000000, samples)) usage_ok = false;
    if (has_file && file.empty()) usage_ok = false;
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

    ConsoleRecording host(samples, samples_file.path());
    if (!pv::start_recording(host)) return kFailed;

    pv::LogHeader h;
    if (pv::read_log_header(host.finished(), h) != pv::LogRead::ok) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }
    if (!samples_file.move_into_place()) {
        say(io.err, pv::msg_text(2));
        return kFailed;
    }
    int64_t complete = (h.file_words - h.header_words) / h.n;
    io.out << "interval\t" << host.interval() << '\n' << "samples\t" << complete << '\n';
    return kOk;
}

int unit_record_main(std::vector<std::string> args, Io io) {
    std::string device;
    std::vector<std::string> probe = args;
    take_option(probe, "--port", device);
    pv::SerialPort serial(device);
    record_interrupted = false;
    struct sigaction sa {};
    struct sigaction previous {};
    sa.sa_handler = on_interrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &previous);
    int status = unit_record(std::move(args), io, serial);
    sigaction(SIGINT, &previous, nullptr);
    return status;
}

}  // namespace pvtool
