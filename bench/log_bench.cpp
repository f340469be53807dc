// The log viewer's and the export's cost on a 600,000-sample recording: what one chart
// repaint reads and works out (open, header, the visible range in one read, the traces and
// the values under the cursor), a page scroll, opening, and the whole text export. Each has a
// plain-read counterpart over the same bytes, for the ratio.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/logging/log_export.h"
#include "core/logging/log_file.h"
#include "core/logging/log_view.h"

namespace {

constexpr int64_t kSamples = 600000;
constexpr int kChartWidth = 1600;
constexpr int kChartHeight = 400;

const std::string& big_log() {
    static const std::string path = [] {
        std::string p = std::filesystem::temp_directory_path().string() + "/pv_bench_" +
                        std::to_string(getpid()) + ".PVL";
        std::vector<uint16_t> w = pv::log_header_words({2024, 3, 7, 9, 5, 2}, 100, 1, 0);
        std::mt19937 rng(7);
        int16_t boost = 0;
        for (int64_t k = 0; k < kSamples; ++k) {
            boost = static_cast<int16_t>(
                std::clamp<int>(boost + static_cast<int>(rng() % 41) - 20, -800, 2000));
            uint16_t rev = static_cast<uint16_t>(k % 80);
            w.insert(w.end(), {static_cast<uint16_t>(boost), static_cast<uint16_t>(boost + 50), rev,
                               static_cast<uint16_t>(k % 101), static_cast<uint16_t>(rng() % 60),
                               100, static_cast<uint16_t>(k % 500 < 20 ? 255 : 0)});
        }
        pv::LogWriter out;
        out.create(p);
        out.write_words(w);
        out.close();
        std::atexit([] { std::filesystem::remove(big_log()); });
        return p;
    }();
    return path;
}

std::array<pv::LogChannel, 7> channels() {
    std::array<pv::LogChannel, 7> c{};
    c[0] = {2000, -800, 0xFF0000, 1};
    c[1] = {2000, -800, 0xFF8000, 1};
    c[2] = {120, 0, 0x0000FF, 1};
    c[3] = {100, 0, 0x0080FF, 1};
    c[4] = {120, -170, 0x00C000, 1};
    c[5] = {199, 1, 0x008000, 1};
    c[6] = {1, 0, 0x000000, 1};
    return c;
}

// One paint of the chart and the values column, as the window does it: open the file, read
// the visible samples in one go, work out the geometry, read the cursor's sample.
int64_t repaint(pv::LogView& view) {
    pv::LogReader r;
    if (r.open(big_log()) != pv::LogRead::ok) return -1;
    const pv::LogHeader& h = r.header();
    std::vector<int16_t> words;
    r.read_samples(view.first, pv::visible_count(view, h.reachable_last_index()), words);
    pv::ChartGeometry g = pv::chart_geometry(view, h, channels(), words, kChartHeight);
    std::vector<int16_t> one(words.begin() + view.cursor * h.n,
                             words.begin() + (view.cursor + 1) * h.n);
    auto rows = pv::value_rows(view, h, channels(), one);
    return static_cast<int64_t>(g.traces.size() + rows.size());
}

int64_t plain_read(int64_t offset, size_t bytes) {
    std::vector<char> buf(bytes);
    int fd = ::open(big_log().c_str(), O_RDONLY);
    ssize_t got = ::pread(fd, buf.data(), bytes, offset);
    ::close(fd);
    return got;
}

int64_t first_sample(int where) {
    int64_t last = kSamples - 1;
    return where == 0 ? 0 : where == 1 ? last / 2 : last - kChartWidth;
}

void BM_ChartRepaint(benchmark::State& state) {
    pv::LogView view;
    pv::reset_view(view, kChartWidth);
    pv::scroll_to(view, static_cast<int32_t>(first_sample(static_cast<int>(state.range(0)))),
                  kSamples - 1);
    view.cursor = 800;
    for (auto _ : state) benchmark::DoNotOptimize(repaint(view));
}
BENCHMARK(BM_ChartRepaint)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_ChartRepaint_PlainRead(benchmark::State& state) {
    int64_t offset = 2 * (19 + 7 * first_sample(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(plain_read(offset, (kChartWidth + 2) * 14));
}
BENCHMARK(BM_ChartRepaint_PlainRead)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_ScrollPage(benchmark::State& state) {
    pv::LogView view;
    pv::reset_view(view, kChartWidth);
    for (auto _ : state) {
        int32_t next = view.first + view.columns;
        if (next >= kSamples - 1) next = 0;
        pv::scroll_to(view, next, kSamples - 1);
        benchmark::DoNotOptimize(repaint(view));
    }
}
BENCHMARK(BM_ScrollPage)->Unit(benchmark::kMicrosecond);

void BM_Open(benchmark::State& state) {
    for (auto _ : state) {
        pv::LogHeader h;
        benchmark::DoNotOptimize(pv::read_log_header(big_log(), h));
        pv::LogView view;
        pv::reset_view(view, kChartWidth);
        benchmark::DoNotOptimize(view);
    }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMicrosecond);

void BM_Open_PlainRead(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(plain_read(0, 38));
}
BENCHMARK(BM_Open_PlainRead)->Unit(benchmark::kMicrosecond);

void BM_Export(benchmark::State& state) {
    std::string out = big_log() + ".TXT";
    for (auto _ : state) benchmark::DoNotOptimize(pv::export_log_text(big_log(), out));
    std::filesystem::remove(out);
}
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Export_PlainRead(benchmark::State& state) {
    size_t bytes = std::filesystem::file_size(big_log());
    for (auto _ : state) benchmark::DoNotOptimize(plain_read(0, bytes));
}
BENCHMARK(BM_Export_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
