// pvtool pvd: data files without a unit.
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <set>
#include <variant>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/ui/texts.h"
#include "platform/codepage.h"
#include "tool/diff_cmd.h"
#include "core/files/file_io.h"
#include "tool/tool.h"

namespace pvtool {
namespace {

using pv::ControllerData;
using json = nlohmann::ordered_json;

// Every field a JSON object may carry, in the order dump prints them.
using Member =
    std::variant<uint8_t ControllerData::*, uint16_t ControllerData::*, int16_t ControllerData::*,
                 pv::Axis ControllerData::*, pv::Map<int16_t> ControllerData::*,
                 pv::Map<uint8_t> ControllerData::*, std::array<uint16_t, 6> ControllerData::*,
                 std::string ControllerData::*>;
struct Field {
    const char* name;
    Member member;
    bool settable = true;  // the writer sets the version word and the save stamp itself
};

const std::vector<Field>& fields() {
    static const std::vector<Field> list = {
        {"comment", &ControllerData::comment},
        {"setboost_a", &ControllerData::setboost_a},
        {"setboost_b", &ControllerData::setboost_b},
        {"warning_boost", &ControllerData::warning_boost},
        {"barmaxset", &ControllerData::barmaxset},
        {"closeth", &ControllerData::closeth},
        {"openth", &ControllerData::openth},
        {"normal_boost", &ControllerData::normal_boost},
        {"up_boost_offset", &ControllerData::up_boost_offset},
        {"first_boost", &ControllerData::first_boost},
        {"sampling_time", &ControllerData::sampling_time},
        {"file_version", &ControllerData::file_version, false},
        {"save_stamp", &ControllerData::save_stamp, false},
        {"status_word", &ControllerData::status_word},
        {"file_valve_version", &ControllerData::file_valve_version},
        {"file_display_version", &ControllerData::file_display_version},
        {"offset_a", &ControllerData::offset_a},
        {"offset_b", &ControllerData::offset_b},
        {"sbc_boost", &ControllerData::sbc_boost},
        {"sbc_time", &ControllerData::sbc_time},
        {"drop_boost", &ControllerData::drop_boost},
        {"axis_select_no", &ControllerData::axis_select_no},
        {"rpm_axis", &ControllerData::rpm_axis},
        {"speed_axis", &ControllerData::speed_axis},
        {"throttle_axis", &ControllerData::throttle_axis},
        {"boost_map_a", &ControllerData::boost_map_a},
        {"offset_map_a", &ControllerData::offset_map_a},
        {"boost_map_b", &ControllerData::boost_map_b},
        {"offset_map_b", &ControllerData::offset_map_b},
        {"barselect", &ControllerData::barselect},
        {"backlight_level", &ControllerData::backlight_level},
        {"pressure_unit", &ControllerData::pressure_unit},
        {"after_on", &ControllerData::after_on},
        {"rev_sampling", &ControllerData::rev_sampling},
        {"ext_bypass", &ControllerData::ext_bypass},
        {"cyls", &ControllerData::cyls},
        {"spdpulse", &ControllerData::spdpulse},
    };
    return list;
}

json to_json(const ControllerData& d, const Member& m) {
    return std::visit(
        [&](auto ptr) -> json {
            const auto& v = d.*ptr;
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::string>)
                return pv::codepage_to_utf8(v, pv::settings.lang_id);
            else
                return json(v);
        },
        m);
}

// Reads one integer that must fit T; the error names what was wrong.
template <typename T>
bool integer_of(const json& j, T& out, std::string& why) {
    if (!j.is_number_integer()) {
        why = "must be an integer";
        return false;
    }
    bool fits = j.is_number_unsigned()
                    ? j.get<uint64_t>() <= uint64_t(std::numeric_limits<T>::max())
                    : j.get<int64_t>() >= int64_t(std::numeric_limits<T>::min()) &&
                          j.get<int64_t>() <= int64_t(std::numeric_limits<T>::max());
    if (!fits) {
        why = "does not fit " + std::to_string(int64_t(std::numeric_limits<T>::min())) + ".." +
              std::to_string(int64_t(std::numeric_limits<T>::max()));
        return false;
    }
    out = j.get<T>();
    return true;
}

template <typename T, size_t N>
bool array_of(const json& j, std::array<T, N>& out, std::string& why) {
    if (!j.is_array() || j.size() != N) {
        why = "must be an array of " + std::to_string(N);
        return false;
    }
    for (size_t k = 0; k < N; ++k)
        if (!integer_of(j[k], out[k], why)) return false;
    return true;
}

template <typename T>
bool array_of(const json& j, pv::Map<T>& out, std::string& why) {
    if (!j.is_array() || j.size() != 5) {
        why = "must be 5 arrays of 5";
        return false;
    }
    for (size_t i = 0; i < 5; ++i)
        if (!array_of(j[i], out[i], why)) return false;
    return true;
}

bool from_json(const json& j, ControllerData& d, const Member& m, std::string& why) {
    return std::visit(
        [&](auto ptr) -> bool {
            auto& v = d.*ptr;
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::string>) {
                if (!j.is_string()) {
                    why = "must be a string";
                    return false;
                }
                auto bytes = pv::utf8_to_codepage(j.get<std::string>(), pv::settings.lang_id);
                if (!bytes) {
                    why = "cannot be written in the data file's code page";
                    return false;
                }
                if (bytes->size() > 255 || bytes->find('\0') != std::string::npos) {
                    why = "must be at most 255 characters without NUL";
                    return false;
                }
                v = *bytes;
                return true;
            } else if constexpr (std::is_integral_v<V>) {
                return integer_of(j, v, why);
            } else {
                return array_of(j, v, why);
            }
        },
        m);
}

int fail(Io io, uint32_t msg_number) {
    say(io.err, pv::msg_text(msg_number));
    return kFailed;
}

int write_document(const std::string& out, Io io) {
    pv::set_status_reader(nullptr);  // no unit here: the status word in memory is written
    return pv::WriteDataFile(out) ? kOk : fail(io, 2);
}

int cmd_new(const std::string& out, Io io) {
    pv::SetDefaultData();
    return write_document(out, io);
}

int cmd_dump(const std::string& file, Io io) {
    if (!pv::ReadDataFile(file)) return fail(io, 1);
    json j;
    for (const Field& f : fields()) j[f.name] = to_json(pv::data, f.member);
    io.out << terminal_safe_json(j.dump(2)) << "\n";
    return kOk;
}

// The JSON text of `in` as one object, or a message that says what is wrong and where.
std::optional<json> read_object(const std::string& in, Io io, int& status) {
    // Any real input is a few kilobytes; a larger one is refused rather than read whole.
    constexpr size_t kMaxJsonBytes = 1u << 20;
    bool too_large = false;
    auto text = pv::read_regular_file(in, kMaxJsonBytes, &too_large);
    if (!text) {
        status = fail(io, 1);
        return std::nullopt;
    }
    status = kUsage;
    if (too_large) {
        io.err << "pvtool: " << in << ": larger than " << kMaxJsonBytes << " bytes\n";
        return std::nullopt;
    }
    // Keys given twice would otherwise quietly keep one of the values.
    std::vector<std::set<std::string>> keys;
    std::string twice;
    auto watch = [&](int depth, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::object_start) {
            keys.emplace_back();
        } else if (event == json::parse_event_t::object_end) {
            keys.pop_back();
        } else if (event == json::parse_event_t::key && depth == 1 && !keys.empty() &&
                   !keys.back().insert(parsed.get<std::string>()).second && twice.empty()) {
            twice = parsed.get<std::string>();
        }
        return true;
    };
    json j;
    try {
        j = json::parse(*text, watch);
    } catch (const json::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 1, column 9: ..."
        std::string why = e.what();
        if (size_t close = why.find("] ");
            why.rfind("[json.", 0) == 0 && close != std::string::npos)
            why.erase(0, close + 2);
        io.err << "pvtool: " << in << ": " << why << "\n";
        return std::nullopt;
    }
    if (!j.is_object()) {
        io.err << "pvtool: " << in << ": the top level must be a JSON object, not " << j.type_name()
               << "\n";
        return std::nullopt;
    }
    if (!twice.empty()) {
        io.err << "pvtool: " << in << ": key \"" << twice << "\" is given more than once\n";
        return std::nullopt;
    }
    return j;
}

int cmd_build(const std::string& in, const std::string& out, Io io) {
    int status = kOk;
    auto j = read_object(in, io, status);
    if (!j) return status;
    pv::SetDefaultData();
    ControllerData d = pv::data;
    for (const auto& [key, value] : j->items()) {
        const Field* field = nullptr;
        for (const Field& fl : fields())
            if (key == fl.name) field = &fl;
        if (!field) {
            io.err << "pvtool: unknown key \"" << key << "\"\n";
            return kUsage;
        }
        if (!field->settable) {
            io.err << "pvtool: key \"" << key
                   << "\" cannot be set: the writer fills it in when it saves\n";
            return kUsage;
        }
        std::string why;
        if (!from_json(value, d, field->member, why)) {
            io.err << "pvtool: key \"" << key << "\" " << why << "\n";
            return kUsage;
        }
    }
    pv::data = d;
    return write_document(out, io);
}

constexpr const char* kPvdUsage =
    "usage: pvtool pvd new OUT | pvd dump FILE | pvd build IN.json OUT\n"
    "       pvtool pvd set FILE NAME=TEXT ... | pvd set --new OUT NAME=TEXT ...\n"
    "       pvtool pvd print FILE OUT.pdf [--table NAME]\n"
    "       pvtool pvd diff A.PVD B.PVD [--json]\n";

Command print_command = nullptr;

}  // namespace

void set_print_command(Command command) {
    print_command = command;
}

int pvd_main(const std::vector<std::string>& args, Io io) {
    if (args.size() == 2 && args[0] == "new") return cmd_new(args[1], io);
    if (args.size() == 2 && args[0] == "dump") return cmd_dump(args[1], io);
    if (args.size() == 3 && args[0] == "build") return cmd_build(args[1], args[2], io);
    if (!args.empty() && args[0] == "set") return pvd_set_main({args.begin() + 1, args.end()}, io);
    if (!args.empty() && args[0] == "diff") return pvd_diff({args.begin() + 1, args.end()}, io);
    if (!args.empty() && args[0] == "print") {
        if (!print_command) {
            io.err << "pvtool: this pvtool was built without Qt and cannot print\n";
            return kUsage;
        }
        return print_command({args.begin() + 1, args.end()}, io);
    }
    io.err << kPvdUsage;
    return kUsage;
}

}  // namespace pvtool
