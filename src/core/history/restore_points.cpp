#include "core/history/restore_points.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/document/data_diff.h"
#include "core/document/datafile.h"
#include "core/files/file_io.h"

namespace pv {

namespace {

constexpr const char* kExtension = ".PVD";

// "20261209-231504 Load All Data.PVD", or "20261209-231504-02 ..." for a second point
// within the same second; names sort as the points were made.
bool parse_name(const std::string& name, RestorePoint& p) {
    auto digits = [&](size_t from, size_t n) {
        if (name.size() < from + n) return false;
        for (size_t k = from; k < from + n; ++k)
            if (name[k] < '0' || name[k] > '9') return false;
        return true;
    };
    if (!digits(0, 8) || name.size() < 16 || name[8] != '-' || !digits(9, 6)) return false;
    size_t pos = 15;
    if (pos < name.size() && name[pos] == '-') {
        if (!digits(pos + 1, 2)) return false;
        pos += 3;
    }
    const size_t ext = name.size() - 4;
    if (pos >= name.size() || name[pos] != ' ' || name.compare(ext, 4, kExtension) != 0)
        return false;
    p.cause = name.substr(pos + 1, ext - pos - 1);
    for (RestoreCause c : {RestoreCause::load_all, RestoreCause::before_send_all,
                           RestoreCause::before_send_parameter})
        if (p.cause == restore_cause_name(c)) {
            p.when = name.substr(0, 4) + "-" + name.substr(4, 2) + "-" + name.substr(6, 2) + " " +
                     name.substr(9, 2) + ":" + name.substr(11, 2) + ":" + name.substr(13, 2);
            return true;
        }
    return false;
}

std::string stamp(std::time_t now) {
    std::tm t{};
    localtime_r(&now, &t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

bool make_folder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

}  // namespace

const char* restore_cause_name(RestoreCause cause) {
    switch (cause) {
        case RestoreCause::load_all:
            return "Load All Data";
        case RestoreCause::before_send_all:
            return "before Send All Data";
        case RestoreCause::before_send_parameter:
            return "before Send Parameter";
    }
    return "";
}

std::vector<RestorePoint> list_restore_points(const std::string& folder) {
    std::vector<RestorePoint> points;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        RestorePoint p;
        if (!parse_name(it->path().filename().string(), p)) continue;
        p.path = it->path().string();
        // A point is a whole data file; anything shorter was never finished.
        std::error_code size_ec;
        if (!is_regular_file(p.path) ||
            std::filesystem::file_size(p.path, size_ec) != kDataFileSize || size_ec)
            continue;
        points.push_back(std::move(p));
    }
    std::sort(points.begin(), points.end(),
              [](const RestorePoint& a, const RestorePoint& b) { return a.path < b.path; });
    return points;
}

bool keep_restore_point(const ControllerData& d, RestoreCause cause, const std::string& folder,
                        std::time_t now) {
    if (folder.empty() || !make_folder(folder)) return false;
    ControllerData copy = d;
    copy.comment.clear();
    const auto image = encode_data_file(copy, d.status_word);
    const std::string base = folder + "/" + stamp(now);
    std::string path;
    for (int n = 1; n < 100; ++n) {
        char suffix[8] = "";
        if (n > 1) std::snprintf(suffix, sizeof suffix, "-%02d", n);
        std::string candidate = base + suffix + " " + restore_cause_name(cause) + kExtension;
        struct stat st {};
        if (lstat(candidate.c_str(), &st) != 0) {
            path = std::move(candidate);
            break;
        }
    }
    if (path.empty()) return false;
    if (!save_file(path, {reinterpret_cast<const char*>(image.data()), image.size()})) return false;

    std::vector<RestorePoint> points = list_restore_points(folder);
    const size_t limit = std::max<uint32_t>(settings.history_limit, 1);
    for (size_t k = 0; points.size() - k > limit; ++k) std::remove(points[k].path.c_str());
    return true;
}

PointChanges count_changes(const ControllerData& before, const ControllerData& after) {
    PointChanges c;
    for (const Difference& d : diff_data(before, after)) {
        if (!d.counts || d.field == "comment") continue;
        ++(d.is_cell ? c.cells : c.parameters);
    }
    return c;
}

bool read_restore_point(const RestorePoint& p, ControllerData& out) {
    auto bytes = read_regular_file(p.path, kDataFileSize);
    if (!bytes || bytes->size() != kDataFileSize) return false;
    out = ControllerData{};
    decode_data_file(reinterpret_cast<const uint8_t*>(bytes->data()), out);
    return true;
}

}  // namespace pv
