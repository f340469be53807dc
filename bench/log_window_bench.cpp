// The log window's full chart repaint on the real widget (offscreen), 1600 x 400 pixels at
// zoom 1 over a 600,000-sample drive with every channel drawn: reading the visible range, the
// geometry and the painting of all four layers. A frame is 16 ms; the goal is 4 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <random>

#include "app/logging/log.h"
#include "core/document/unit.h"
#include "core/logging/log_file.h"

namespace {

constexpr int64_t kSamples = 600000;

class NullHost : public pv::LogWindowHost {
  public:
    std::optional<std::string> open_log_file(QWidget*, const std::string&, uint32_t) override {
        return std::nullopt;
    }
    std::optional<std::string> save_log_file(QWidget*, const std::string&) override {
        return std::nullopt;
    }
    bool run_log_settings(QWidget*, const pv::LogSide&, const pv::LogHeader&) override {
        return false;
    }
    void run_recording_monitor(const std::function<void(QDialog*)>&) override {}
    bool close_data_monitor() override { return true; }
    void refresh_data_monitor() override {}
    void log_cursor_moved(const pv::LogSide&) override {}
    void log_channels_changed() override {}
    void log_window_closed(const pv::LogSide&) override {}
};

class Fixture {
  public:
    Fixture() {
        static int argc = 1;
        static char name[] = "log_window_bench";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc, argv);
        pv::InitState();
        path_ = std::filesystem::temp_directory_path().string() + "/pv_window_bench_" +
                std::to_string(getpid()) + ".PVL";
        std::vector<uint16_t> w = pv::log_header_words({2024, 3, 7, 9, 5, 2}, 100, 1, 0);
        std::mt19937 rng(3);
        // A drive, not noise: each channel wanders a few counts per sample over 0..200.
        std::array<int, 7> v{100, 120, 60, 50, 80, 100, 0};
        for (int64_t k = 0; k < kSamples; ++k)
            for (size_t c = 0; c < 7; ++c) {
                v[c] = std::clamp(v[c] + static_cast<int>(rng() % 9) - 4, 0, 200);
                w.push_back(static_cast<uint16_t>(c == 6 ? (k % 500 < 20 ? 255 : 0) : v[c]));
            }
        pv::LogWriter out;
        out.create(path_);
        out.write_words(w);
        out.close();
        for (int k = 0; k < 7; ++k)
            pv::settings.log_channels[static_cast<size_t>(k)] = {200, 0, 0x3050A0 * (k + 1), 1};
        pv::settings.log_back_color = 0xFFFFFF;

        win_ = new pv::Tlog(pv::data_log_side, host_);
        win_->show();
        QApplication::processEvents();
        const int extra_w = win_->width() - win_->pblog->width();
        const int extra_h = win_->height() - win_->pblog->height();
        win_->resize(1600 + extra_w, 400 + extra_h);
        QApplication::processEvents();
        win_->show_file(path_);
        image_ = QImage(win_->pblog->size(), QImage::Format_RGB32);
    }
    ~Fixture() {
        delete win_;
        app_.reset();
        std::filesystem::remove(path_);
    }
    void paint() { win_->pblog->render(&image_); }
    pv::Tlog& window() { return *win_; }

  private:
    std::unique_ptr<QApplication> app_;
    NullHost host_;
    std::string path_;
    pv::Tlog* win_ = nullptr;
    QImage image_;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_WindowChartRepaint(benchmark::State& state) {
    Fixture& f = fixture();
    const int32_t last = static_cast<int32_t>(kSamples - 1);
    const int32_t first[] = {0, last / 2, last - 1600};
    f.window().sblog->setValue(first[state.range(0)]);
    for (auto _ : state) f.paint();
}
BENCHMARK(BM_WindowChartRepaint)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_WindowScrollPage(benchmark::State& state) {
    Fixture& f = fixture();
    f.window().sblog->setValue(0);
    for (auto _ : state) {
        QScrollBar* sb = f.window().sblog;
        sb->triggerAction(QAbstractSlider::SliderPageStepAdd);
        if (sb->value() >= sb->maximum()) sb->setValue(0);
        f.paint();
    }
}
BENCHMARK(BM_WindowScrollPage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
