// The map grid's log overlay on a 600,000-sample recording: the tally of every sample on the
// table shown and the look made from it, as the map window works them out when the log, the
// table or the filter changed (the aim: well under 50 ms), and the check that finds nothing
// changed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/document/unit.h"
#include "core/logging/log_file.h"
#include "core/logging/map_overlay.h"
#include "core/mapedit/edit_ops.h"

namespace {

constexpr int64_t kSamples = 600000;

const std::string& big_log() {
    static const std::string path = [] {
        std::string p = std::filesystem::temp_directory_path().string() + "/pv_overlay_bench_" +
                        std::to_string(getpid()) + ".PVL";
        std::vector<uint16_t> w = pv::log_header_words({2024, 3, 7, 9, 5, 2}, 100, 1, 0);
        std::mt19937 rng(7);
        for (int64_t k = 0; k < kSamples; ++k) {
            const auto rev = static_cast<uint16_t>(8 + rng() % 70);
            const auto throttle = static_cast<uint16_t>(rng() % 101);
            w.insert(w.end(), {static_cast<uint16_t>(rng() % 2000), 0, rev, throttle, 0, 100,
                               static_cast<uint16_t>(k % 500 < 50 ? 255 : 0)});
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

void show_map() {
    pv::SetDefaultData();
    pv::data.axis_select_no = 4;
    pv::grid.current_map = pv::map_boost_a;
    const pv::Shape s = pv::MapShape(pv::map_boost_a, false);
    pv::grid.grid_cols = s.cols;
    pv::grid.grid_rows = s.rows;
    pv::fill_grid_values();
}

void BM_OverlayOf600000Samples(benchmark::State& st) {
    show_map();
    const std::string& log = big_log();
    const pv::CellsFilter filter{static_cast<pv::CellsFilter::Kind>(st.range(0)), 80};
    for (auto _ : st) {
        pv::OverlayTally tally;
        tally.update(log, filter);
        pv::OverlayLook look =
            pv::overlay_look(tally, pv::OverlayChoice::mean, pv::OverlaySource::data_log);
        benchmark::DoNotOptimize(look);
    }
    st.SetItemsProcessed(st.iterations() * kSamples);
}
BENCHMARK(BM_OverlayOf600000Samples)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_OverlayUnchanged(benchmark::State& st) {
    show_map();
    pv::OverlayTally tally;
    tally.update(big_log(), {});
    for (auto _ : st) benchmark::DoNotOptimize(tally.update(big_log(), {}));
}
BENCHMARK(BM_OverlayUnchanged)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
