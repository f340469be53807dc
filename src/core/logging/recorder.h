// Log recording: the START sequence with its checks, the 10-sample timing test that sets the
// sampling interval, the sample limit from the free disk space, and one sample per tick of
// the log timer. Samples go straight into the temporary log file; the file is the only store
// of a recording.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/logging/log_file.h"

namespace pv {

inline constexpr int64_t kMaxSampleLimit = 600000;
inline constexpr int kTimingSamples = 10;
inline constexpr uint16_t kRecordingMissLimit = 5;  // a recording ends after more misses
inline constexpr const char* kTempLogName = "TMPLOG.PVL";

// Why the last recording ended.
enum class RecordingEnd {
    running,
    stopped,       // by the user, or by its host (the console's sample count)
    sample_limit,  // the limit the free space or the longest log sets
    write_failed,  // the file took no more (a full disk)
    unit_silent,   // the unit missed more polls than a recording allows
};

struct RecordingState {
    int16_t sample_interval = 100;  // ms
    int64_t sample_limit = 0;       // cap on channel count x samples written
    int32_t samples_written = 0;
    uint8_t logging_active = 0;  // a recording or a save runs; the log views paint nothing
    uint8_t rev_flag = 0;        // for the header: 1 when the rev channel holds engine speed
    uint8_t pressure_unit = 0;
    RecordingEnd end = RecordingEnd::running;
};
extern RecordingState recording;

// The temporary recording file in the program's folder.
std::string temp_log_file();

// The sampling interval for a timing test of `elapsed_ms` over ten samples; nullopt when the
// test failed (elapsed -1) or was too fast to measure.
std::optional<int16_t> interval_from_timing(int64_t elapsed_ms);
// The sample limit for `free_bytes` of free space and n channels, at most 600000.
int64_t sample_limit_for(int64_t free_bytes, int n);

// Free bytes on the drive of a folder; -1 when it cannot be told.
int64_t free_disk_bytes(const std::string& folder);

// What a recording needs of its front end: the pvedit window, pvtool's console loop, a test.
class RecordingHost {
  public:
    virtual ~RecordingHost() = default;
    // The file the samples go into; its folder's free space sets the sample limit.
    virtual std::string recording_file() { return temp_log_file(); }
    // The data monitor cannot stay open beside the recording window: close it. False when it
    // stayed open.
    virtual bool close_monitor() { return true; }
    // The log view's caption becomes the file being recorded.
    virtual void show_recording_file(const std::string& /*path*/) {}
    // Shows the recording window until it closes: calls `tick` every `interval_ms` and closes
    // when a tick returns false (or the user ends it, with Escape in the window).
    virtual void run_recording_window(uint32_t interval_ms, const std::function<bool()>& tick) = 0;
    // A sample's poll came back and the sample is written next: a host that marks by a
    // rule of its own (the console's throttle mark) sets `live.marking` here.
    virtual void sample_polled() {}
    // A sample was taken: the recording window shows the live values.
    virtual void refresh_monitor() {}
    // The recording ended (or was refused after the file was prepared): show the file.
    virtual void recording_finished(const std::string& /*path*/) {}
    // Free bytes on the drive of `folder`.
    virtual int64_t free_bytes(const std::string& folder) { return free_disk_bytes(folder); }
};

class Recorder {
  public:
    explicit Recorder(RecordingHost& host) : host_(host) {}

    // Prepares the temporary file: counters, limit, timing test, interval and header. False
    // after a failure; a failed timing test has shown its message, the caller shows the
    // start's own.
    bool prepare_file();
    // One tick of the log timer. False when the recording must end.
    bool tick();
    // Closes the file (errors ignored, as the samples already on disk are what counts).
    void finish();

    const std::string& path() const { return path_; }

  private:
    RecordingHost& host_;
    LogWriter writer_;
    std::string path_;
    std::vector<int> channels_;
};

// START (Tlog.btnlogstartClick): the checks, the parameters, the file, the recording window
// and the clean-up after it. True when a recording ran.
bool start_recording(RecordingHost& host);

}  // namespace pv
