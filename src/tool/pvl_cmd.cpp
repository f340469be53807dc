// pvtool pvl: the log file's header as JSON, the log window's text export, and a CSV export
// for spreadsheets.
#include <nlohmann/json.hpp>
#include <ostream>

#include "core/logging/log_export.h"
#include "core/logging/log_file.h"
#include "core/ui/texts.h"
#include "tool/tool.h"

namespace pvtool {

namespace {

constexpr const char* kPvlUsage =
    "usage: pvtool pvl info FILE.PVL\n"
    "       pvtool pvl export FILE.PVL OUT.TXT\n"
    "       pvtool pvl export --csv FILE.PVL OUT.csv\n";

// Removes a flag without a value; true when it was there.
bool take_flag(std::vector<std::string>& args, const std::string& name) {
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == name) {
            args.erase(it);
            return true;
        }
    }
    return false;
}

bool open_log(const std::string& path, pv::LogHeader& h, Io io) {
    switch (pv::read_log_header(path, h)) {
        case pv::LogRead::ok:
            return true;
        case pv::LogRead::missing:
            // The Japanese fragment reads on from the name.
            say(io.err, path + pv::msg_text(33));
            return false;
        case pv::LogRead::bad_channels:
        case pv::LogRead::unreadable:
            say(io.err, pv::msg_text(1));
            return false;
    }
    return false;
}

int cmd_export_csv(const std::string& log_path, const std::string& out, Io io) {
    pv::LogHeader h;
    if (!open_log(log_path, h, io)) return kFailed;
    if (!pv::export_log_csv(log_path, out, console_text)) {
        say(io.err, pv::msg_text(2));
        return kFailed;
    }
    return kOk;
}

}  // namespace

int pvl_main(const std::vector<std::string>& args, Io io) {
    if (args.size() == 2 && args[0] == "info") {
        pv::LogHeader h;
        if (!open_log(args[1], h, io)) return kFailed;
        nlohmann::ordered_json j;
        j["channels"] = nlohmann::json::array();
        for (int k = 0; k < h.n; ++k) j["channels"].push_back(int{h.ch[static_cast<size_t>(k)]});
        j["version"] = h.version;
        j["stamp"] = h.stamped ? nlohmann::json(h.stamp) : nlohmann::json(nullptr);
        j["interval"] = h.interval;
        j["rev_flag"] = h.rev_flag;
        j["pressure_unit"] = h.pressure_unit;
        j["last_index"] = h.last_index;
        io.out << j.dump() << '\n';
        return kOk;
    }
    if (!args.empty() && args[0] == "export") {
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (take_flag(rest, "--csv")) {
            if (rest.size() == 2) return cmd_export_csv(rest[0], rest[1], io);
            io.err << kPvlUsage;
            return kUsage;
        }
    }
    if (args.size() == 3 && args[0] == "export") {
        pv::LogHeader h;
        if (!open_log(args[1], h, io)) return kFailed;
        if (!pv::export_log_text(args[1], args[2])) {
            say(io.err, pv::msg_text(2));
            return kFailed;
        }
        return kOk;
    }
    io.err << kPvlUsage;
    return kUsage;
}

}  // namespace pvtool
