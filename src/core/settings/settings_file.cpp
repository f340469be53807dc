#include "core/settings/settings_file.h"

#include "core/document/unit.h"

namespace pv {
namespace {

std::string decode(const SettingsTextCodec& codec, const std::string& bytes) {
    return codec.to_utf8 ? codec.to_utf8(bytes) : bytes;
}
std::string encode(const SettingsTextCodec& codec, const std::string& text) {
    return codec.from_utf8 ? codec.from_utf8(text) : text;
}

void read_channel(const IniFile& ini, const char* section, int n, LogChannel& ch,
                  const LogChannel& fallback) {
    std::string k = std::to_string(n);
    ch.draw = ini.read_bool(section, "DRAW" + k, fallback.draw != 0) ? 1 : 0;
    ch.color = ini.read_int(section, "COLOR" + k, fallback.color);
    ch.max = ini.read_int(section, "MAX" + k, fallback.max);
    ch.min = ini.read_int(section, "MIN" + k, fallback.min);
}

void write_channel(IniFile& ini, const char* section, int n, const LogChannel& ch) {
    std::string k = std::to_string(n);
    ini.write_bool(section, "DRAW" + k, ch.draw != 0);
    ini.write_int(section, "COLOR" + k, ch.color);
    ini.write_int(section, "MAX" + k, ch.max);
    ini.write_int(section, "MIN" + k, ch.min);
}

int16_t to_int16(int32_t v, int16_t fallback) {
    return v < -32768 || v > 32767 ? fallback : static_cast<int16_t>(v);
}
uint8_t to_byte(int32_t v, uint8_t fallback) {
    return v < 0 || v > 255 ? fallback : static_cast<uint8_t>(v);
}

}  // namespace

uint8_t map_font_item(int32_t stored) {
    return stored >= 1 && stored <= 5 ? static_cast<uint8_t>(stored) : 3;
}
uint8_t com_item(int32_t stored) {
    return stored >= 1 && stored <= 15 ? static_cast<uint8_t>(stored) : 1;
}
uint8_t locus_item(int32_t stored) {
    return stored >= 1 && stored <= 5 ? static_cast<uint8_t>(stored) : 3;
}
uint8_t autoselect_item(int32_t stored) {
    return stored == 1 ? 1 : 2;
}

uint8_t header_byte(const std::string& stored) {
    auto v = parse_ini_integer(stored);
    return v && *v >= 0 && *v <= 255 ? static_cast<uint8_t>(*v) : 0xE5;
}

void read_settings(const IniFile& ini, const std::string& program_dir, ShellSettings& shell,
                   const SettingsTextCodec& codec) {
    shell.maximized = ini.read_bool("FORM", "MAXMIZE", false);
    if (!shell.maximized) {
        shell.left = ini.read_int("FORM", "LEFT", 0);
        shell.top = ini.read_int("FORM", "TOP", 0);
        shell.width = ini.read_int("FORM", "WIDTH", 0);
        shell.height = ini.read_int("FORM", "HEIGHT", 0);
    }
    settings.map_font_size = map_font_item(ini.read_int("VIEW", "MAP", 3));
    auto item = [&](const char* key, int32_t last, int32_t fallback) {
        const int32_t v = ini.read_int("VIEW", key, fallback);
        return static_cast<uint8_t>(v >= 0 && v <= last ? v : fallback);
    };
    settings.overlay_choice = item("OVERLAY", 3, 0);
    settings.overlay_log = item("OVERLAYLOG", 1, 0);
    settings.overlay_filter = item("OVERLAYFILTER", 2, 0);
    settings.overlay_throttle = item("OVERLAYTHROTTLE", 100, 80);
    settings.com_port = com_item(ini.read_int("OPTION", "COM", 1));
    settings.trace_length = locus_item(ini.read_int("OPTION", "LOCUS", 3));
    settings.auto_select = autoselect_item(ini.read_int("OPTION", "AUTOSELECT", 2));
    const int32_t limit = ini.read_int("OPTION", "HISTORY", 200);
    settings.history_limit = limit >= 1 && limit <= 100000 ? static_cast<uint32_t>(limit) : 200;
    settings.history_before_send = ini.read_bool("OPTION", "HISTORYSEND", true);
    settings.review_send = ini.read_bool("OPTION", "REVIEWSEND", false);

    auto folder = [&](const char* key) {
        auto v = ini.value("FILEDIR", key);
        return v ? decode(codec, *v) : program_dir;
    };
    shell.pvd_dir = folder("PVD");
    settings.log_dir = folder("PVL");

    settings.monitor_font_index = to_byte(ini.read_int("MONITOR", "FONTINDEX", 2), 2);
    settings.monitor_width = to_int16(ini.read_int("MONITOR", "WIDTH", 310), 310);
    settings.monitor_height = to_int16(ini.read_int("MONITOR", "HEIGHT", 210), 210);
    settings.monitor_size = to_byte(ini.read_int("MONITOR", "MONITORSIZE", 1), 1);

    settings.log_back_color = ini.read_int("LOG", "BACKCOLOR", settings.log_back_color);
    settings.other_log_back_color =
        ini.read_int("OTHERLOG", "BACKCOLOR", settings.other_log_back_color);
    for (int n = 1; n <= 7; ++n) {
        auto i = static_cast<size_t>(n - 1);
        read_channel(ini, "LOG", n, settings.log_channels[i], settings.log_channels[i]);
        read_channel(ini, "OTHERLOG", n, settings.other_log_channels[i], settings.log_channels[i]);
    }

    settings.spl_header = header_byte(ini.read_string("SPL", "HEADDER", "$E5"));

    for (size_t n = 1; n < settings.port_paths.size(); ++n)
        settings.port_paths[n] =
            decode(codec, ini.read_string("PORTS", "COM" + std::to_string(n), ""));
}

void write_settings(IniFile& ini, const ShellSettings& shell, const SettingsTextCodec& codec) {
    ini.write_bool("FORM", "MAXMIZE", shell.maximized);
    if (!shell.maximized) {
        ini.write_int("FORM", "LEFT", shell.left);
        ini.write_int("FORM", "TOP", shell.top);
        ini.write_int("FORM", "WIDTH", shell.width);
        ini.write_int("FORM", "HEIGHT", shell.height);
    }
    ini.write_int("VIEW", "MAP", settings.map_font_size);
    ini.write_int("VIEW", "OVERLAY", settings.overlay_choice);
    ini.write_int("VIEW", "OVERLAYLOG", settings.overlay_log);
    ini.write_int("VIEW", "OVERLAYFILTER", settings.overlay_filter);
    ini.write_int("VIEW", "OVERLAYTHROTTLE", settings.overlay_throttle);
    ini.write_int("OPTION", "COM", settings.com_port);
    ini.write_int("OPTION", "LOCUS", settings.trace_length);
    ini.write_int("OPTION", "AUTOSELECT", settings.auto_select);
    ini.write_int("OPTION", "HISTORY", static_cast<int32_t>(settings.history_limit));
    ini.write_bool("OPTION", "HISTORYSEND", settings.history_before_send != 0);
    ini.write_bool("OPTION", "REVIEWSEND", settings.review_send != 0);
    ini.write_string("FILEDIR", "PVD", encode(codec, shell.pvd_dir));
    ini.write_string("FILEDIR", "PVL", encode(codec, settings.log_dir));
    ini.write_int("MONITOR", "FONTINDEX", settings.monitor_font_index);
    ini.write_int("MONITOR", "WIDTH", settings.monitor_width);
    ini.write_int("MONITOR", "HEIGHT", settings.monitor_height);
    ini.write_int("MONITOR", "MONITORSIZE", settings.monitor_size);
    ini.write_int("LOG", "BACKCOLOR", settings.log_back_color);
    ini.write_int("OTHERLOG", "BACKCOLOR", settings.other_log_back_color);
    for (int n = 1; n <= 7; ++n) {
        auto i = static_cast<size_t>(n - 1);
        write_channel(ini, "LOG", n, settings.log_channels[i]);
        write_channel(ini, "OTHERLOG", n, settings.other_log_channels[i]);
    }
    // The adapters' COM numbers, so that each keeps its number; names typed by hand stay.
    for (size_t n = 1; n < settings.port_paths.size(); ++n)
        if (!settings.port_paths[n].empty())
            ini.write_string("PORTS", "COM" + std::to_string(n),
                             encode(codec, settings.port_paths[n]));
}

std::string settings_file_of(const std::string& program_path) {
    size_t slash = program_path.find_last_of('/');
    size_t dot = program_path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return program_path + ".INI";
    return program_path.substr(0, dot) + ".INI";
}

}  // namespace pv
