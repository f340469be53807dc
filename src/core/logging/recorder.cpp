#include "core/logging/recorder.h"

#include <filesystem>

#include "core/document/unit.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/clock.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

RecordingState recording;

namespace {

enum class SampleWrite { written, refused, failed };

void error_message(uint32_t n) {
    link_error(error_text(n));
}

// The main link timer is stopped while the recorder holds the port; whichever way START
// ends, the timer runs again when the live link is still on, so the link never shows as on
// while nothing polls.
void resume_link() {
    if (state.link_on)
        shell_views().set_link_timer(state.link_interval_ms);
    else
        release_port_if_idle();
}

}  // namespace

std::string temp_log_file() {
    std::filesystem::path folder(settings.data_folder.empty() ? "." : settings.data_folder);
    std::error_code ec;
    auto absolute = std::filesystem::absolute(folder, ec);
    return ((ec ? folder : absolute) / kTempLogName).lexically_normal().string();
}

std::optional<int16_t> interval_from_timing(int64_t elapsed_ms) {
    int64_t h = div_round_half_even(elapsed_ms, kTimingSamples);
    if (h < 1) return std::nullopt;
    if (h <= 100) return int16_t{100};
    int64_t interval = (h / 4 + 1) * 50;
    return static_cast<int16_t>(std::min<int64_t>(interval, INT16_MAX));
}

int64_t sample_limit_for(int64_t free_bytes, int n) {
    if (n <= 0) return 0;
    int64_t limit = div_round_half_even(free_bytes - 120, int64_t{2} * n);
    return std::min(limit, kMaxSampleLimit);
}

int64_t free_disk_bytes(const std::string& folder) {
    std::error_code ec;
    auto info = std::filesystem::space(folder.empty() ? "." : folder, ec);
    if (ec) return -1;
    return static_cast<int64_t>(std::min<uintmax_t>(info.available, INT64_MAX));
}

namespace {

SampleWrite write_one(LogWriter& writer, const std::vector<int>& channels) {
    if (static_cast<int64_t>(channels.size()) * recording.samples_written >= recording.sample_limit)
        return SampleWrite::refused;
    return writer.write_sample(channels, live) ? SampleWrite::written : SampleWrite::failed;
}

}  // namespace

bool Recorder::prepare_file() {
    recording.samples_written = 0;
    live.marking = 0;
    state.poll_misses = 0;
    state.poll_busy = 0;
    channels_ = {1, 2, 3, 4, 5, 6, 7};
    const int n = static_cast<int>(channels_.size());
    if (!state.port_open) return false;

    path_ = host_.recording_file();
    std::string folder = std::filesystem::path(path_).parent_path().string();
    int64_t free = host_.free_bytes(folder.empty() ? "." : folder);
    // A drive that cannot tell its free space is not taken for a full one.
    recording.sample_limit = free < 0 ? kMaxSampleLimit : sample_limit_for(free, n);
    host_.show_recording_file(path_);

    int64_t elapsed = 0;
    {
        uint32_t start = clock().tick_count();
        bool io_ok = writer_.create(path_);
        for (int k = 0; k < kTimingSamples && io_ok; ++k) {
            poll_live_data();
            if (write_one(writer_, channels_) == SampleWrite::failed) io_ok = false;
        }
        if (!writer_.close()) io_ok = false;
        elapsed = io_ok ? int64_t{clock().tick_count() - start} : -1;
    }
    std::optional<int16_t> interval = interval_from_timing(elapsed);
    if (!interval) {
        error_message(48);
        return false;
    }
    recording.sample_interval = *interval;

    // A header that does not reach the disk ends the recording at its first sample instead.
    if (writer_.create(path_))
        writer_.write_words(log_header_words(local_stamp(), recording.sample_interval,
                                             recording.rev_flag, recording.pressure_unit));
    return true;
}

bool Recorder::tick() {
    if (state.poll_busy) return true;
    state.poll_busy = 1;
    bool go_on = true;
    if (poll_live_data()) {
        state.poll_misses = 0;
        ++recording.samples_written;
        host_.sample_polled();
        switch (write_one(writer_, channels_)) {
            case SampleWrite::written:
                break;
            case SampleWrite::refused:
                recording.end = RecordingEnd::sample_limit;
                go_on = false;
                break;
            case SampleWrite::failed:
                recording.end = RecordingEnd::write_failed;
                go_on = false;
                break;
        }
        host_.refresh_monitor();
    } else {
        if (state.poll_misses < UINT16_MAX) ++state.poll_misses;
        if (state.poll_misses > kRecordingMissLimit) {
            recording.end = RecordingEnd::unit_silent;
            go_on = false;
        }
    }
    state.poll_busy = 0;
    return go_on;
}

void Recorder::finish() {
    writer_.close();
}

bool start_recording(RecordingHost& host) {
    shell_views().set_link_timer(0);
    if (state.monitor_open) {
        host.close_monitor();
        if (state.monitor_open) {
            resume_link();
            return false;
        }
    }
    Busy busy(3);

    auto refuse = [&](const std::string& message) {
        if (!message.empty()) link_error(message);
        resume_link();
        return false;
    };
    if (!read_block(118)) return refuse(error_text(34));
    if (unit.unit_link_ready == 0) return refuse(msg_text(11));
    if (!state.link_on) return refuse(error_text(45));
    if (!read_block(103)) return refuse(error_text(4));
    if (!setup_complete()) return refuse(msg_text(26) + "\r\n" + msg_text(34));
    if (check_lock() && prompter().ask(Icon::Warning, Buttons::YesNo, msg_text(28)) == Answer::Yes)
        unlock_dialog();
    if (check_lock()) return refuse({});

    document_views().commit_axis_edit();
    busy.to(1);
    Recorder recorder(host);
    bool recorded = false;
    if (!load_parameter_set()) {
        error_message(42);
    } else {
        read_status();
        recording.rev_flag = rev_is_rpm() ? 1 : 0;
        recording.pressure_unit = data.pressure_unit;
        busy.to(0);
        if (!recorder.prepare_file()) {
            error_message(49);
        } else {
            recording.logging_active = 1;
            state.monitor_log_mode = 1;
            recording.end = RecordingEnd::running;
            host.run_recording_window(static_cast<uint32_t>(recording.sample_interval),
                                      [&recorder] { return recorder.tick(); });
            if (recording.end == RecordingEnd::running) recording.end = RecordingEnd::stopped;
            recorded = true;
        }
    }

    recording.logging_active = 0;
    state.monitor_log_mode = 0;
    recorder.finish();
    host.recording_finished(recorder.path().empty() ? host.recording_file() : recorder.path());
    if (!state.link_on)
        close_port();
    else
        shell_views().set_link_timer(state.link_interval_ms);
    return recorded;
}

}  // namespace pv
