// Hostile log files: the reader must refuse what it cannot show and, for what it accepts,
// every range read, the chart, the value rows and the text export must stay within the file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/logging/log_export.h"
#include "core/logging/log_file.h"
#include "core/logging/log_view.h"

namespace {

const std::string& scratch_path(const char* ext) {
    static const std::string base = "/tmp/fuzz_logfile_" + std::to_string(getpid());
    static const std::string pvl = base + ".PVL", txt = base + ".TXT";
    return ext[0] == 'P' ? pvl : txt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string& path = scratch_path("PVL");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    }
    pv::LogReader reader;
    pv::LogRead result = reader.open(path);
    if (result != pv::LogRead::ok) return 0;
    const pv::LogHeader& h = reader.header();
    if (h.n < 1 || h.n > 7 || h.interval < 10 || h.interval > 10000) std::abort();
    if (int64_t{h.header_words} > h.file_words) std::abort();
    if (h.last_index > 0 && h.header_words + (int64_t{h.last_index} + 1) * h.n > h.file_words)
        std::abort();

    std::array<pv::LogChannel, 7> channels{};
    for (int k = 0; k < 7; ++k) channels[static_cast<size_t>(k)] = {k * 50 - 100, -k, 0, 1};
    pv::LogView view;
    pv::reset_view(view, 64);
    const int32_t last = h.reachable_last_index();
    for (int32_t first : {0, last / 2, last}) {
        pv::scroll_to(view, first, last);
        std::vector<int16_t> words;
        int64_t got = reader.read_samples(view.first, pv::visible_count(view, last), words);
        if (got < 0 || static_cast<int64_t>(words.size()) != got * h.n) std::abort();
        pv::chart_geometry(view, h, channels, words, 50);
        pv::cursor_to_x(view, 1000, last);
        std::vector<int16_t> one;
        reader.read_samples(pv::cursor_sample(view), 1, one);
        pv::value_rows(view, h, channels, one);
        pv::name_rows(h, channels, 1);
    }
    if (size < 4096) {
        if (!pv::export_log_text(path, scratch_path("TXT"))) std::abort();
        std::filesystem::remove(scratch_path("TXT"));
    }
    return 0;
}
