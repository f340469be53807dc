#include "platform/desktop.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/files/file_io.h"
#include "core/settings/ini.h"
#include "platform/program_folder.h"

namespace pv {
namespace {

std::string home_based(const char* var, const char* fallback) {
    if (const char* v = std::getenv(var); v && *v) return v;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "/tmp") + "/" + fallback;
}

bool make_dirs(const std::string& dir) {
    for (size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos == dir.size() || dir[pos] == '/') {
            std::string sub = dir.substr(0, pos);
            if (mkdir(sub.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

// True when the file holds `text` afterwards; `changed` tells whether it had to be written.
// Something other than a regular file in the way (a FIFO would block the start-up) is left
// alone and reported as a failure.
bool write_if_changed(const std::string& path, const std::string& text, bool& changed) {
    changed = false;
    if (read_regular_file(path, text.size() + 1) == text) return true;
    if (!save_file(path, text)) return false;
    changed = true;
    return true;
}

std::string xml_escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Runs a program detached from us: the middle child exits at once, so nothing is left to
// reap and the program never waits for the desktop.
bool spawn_detached(const char* program, const std::string& arg) {
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            int null = ::open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, 0);
                dup2(null, 1);
                dup2(null, 2);
            }
            execlp(program, program, arg.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool on_path(const char* program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::istringstream ss(path);
    std::string dir;
    while (std::getline(ss, dir, ':'))
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

// The folders desktop entries are looked up in: the user's, then $XDG_DATA_DIRS.
std::vector<std::string> application_folders(const std::string& user_apps) {
    std::vector<std::string> dirs{user_apps};
    const char* env = std::getenv("XDG_DATA_DIRS");
    std::istringstream ss(env && *env ? env : "/usr/local/share:/usr/share");
    std::string dir;
    while (std::getline(ss, dir, ':'))
        if (!dir.empty()) dirs.push_back(dir + "/applications");
    return dirs;
}

// Whether a desktop entry other than `own_id` lists `type` in its MimeType key.
bool handled_elsewhere(const std::string& type, const std::string& user_apps,
                       const std::string& own_id) {
    for (const auto& dir : application_folders(user_apps)) {
        DIR* d = opendir(dir.c_str());
        if (!d) continue;
        bool found = false;
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name.size() < 8 || name.compare(name.size() - 8, 8, ".desktop") != 0) continue;
            if (dir == user_apps && name == own_id) continue;
            auto text = read_regular_file(dir + "/" + name, 1 << 16);
            if (text && entry_lists_type(*text, type)) {
                found = true;
                break;
            }
        }
        closedir(d);
        if (found) return true;
    }
    return false;
}

}  // namespace

bool entry_lists_type(const std::string& entry_text, const std::string& type) {
    std::istringstream lines(entry_text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("MimeType=", 0) != 0) continue;
        std::istringstream types(line.substr(9));
        std::string t;
        while (std::getline(types, t, ';'))
            if (t == type) return true;
    }
    return false;
}

std::string desktop_exec_line(const std::string& program_path) {
    std::string quoted = "\"";
    for (char c : program_path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += "\\\\";
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\" %f";
}

std::string local_desktop_id(const std::string& program_path) {
    uint32_t hash = 2166136261u;  // FNV-1a: stable across runs and builds
    for (unsigned char c : program_path) hash = (hash ^ c) * 16777619u;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", hash);
    return std::string("pvedit-local-") + hex + ".desktop";
}

bool write_file_associations(const std::string& program_path, const std::string& icon_path,
                             const std::string& data_description,
                             const std::string& log_description) {
    std::string data_home = home_based("XDG_DATA_HOME", ".local/share");
    std::string config_home = home_based("XDG_CONFIG_HOME", ".config");
    std::string apps = data_home + "/applications";
    std::string mime = data_home + "/mime";
    if (!make_dirs(apps) || !make_dirs(mime + "/packages")) return false;

    const std::string id = local_desktop_id(program_path);
    std::vector<std::string> ours;
    for (const char* t : {kDataMimeType, kLogMimeType})
        if (!handled_elsewhere(t, apps, id)) ours.push_back(t);

    // Hidden from the menus: the package's entry, or the next copy's, is not doubled there. The
    // folder in its name tells copies apart in a file manager's list.
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Pavex Dravlo (" +
        folder_of(program_path) +
        ")\n"
        "Comment=Edit, monitor and log the data of a Pavex5 boost controller\n"
        "Exec=" +
        desktop_exec_line(program_path) +
        "\n"
        "Icon=" +
        icon_path +
        "\n"
        "Terminal=false\n"
        "NoDisplay=true\n"
        "Categories=Utility;Engineering;\n";
    if (!ours.empty()) {
        entry += "MimeType=";
        for (const auto& t : ours) entry += t + ";";
        entry += "\n";
    }
    bool entry_changed = false;
    bool ok = write_if_changed(apps + "/" + id, entry, entry_changed);

    // Globs match without regard to case unless told otherwise: *.pvd also names .PVD and .Pvd.
    auto type = [](const char* name, const std::string& comment, const char* ext) {
        return std::string("  <mime-type type=\"") + name + "\">\n    <comment>" +
               xml_escape(comment) + "</comment>\n    <glob pattern=\"*." + ext +
               "\"/>\n  </mime-type>\n";
    };
    std::string package =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n" +
        type(kDataMimeType, data_description, "pvd") + type(kLogMimeType, log_description, "pvl") +
        "</mime-info>\n";
    bool mime_changed = false;
    ok = write_if_changed(mime + "/packages/pvedit-local.xml", package, mime_changed) && ok;

    // A default is taken only where there is none, and given back when another entry has come
    // to handle the type (the package installed after this copy first ran).
    if (make_dirs(config_home)) {
        std::string list = config_home + "/mimeapps.list";
        IniFile ini;
        ini.load(list);
        bool changed = false;
        for (const char* t : {kDataMimeType, kLogMimeType}) {
            auto current = ini.value("Default Applications", t);
            bool mine = std::find(ours.begin(), ours.end(), t) != ours.end();
            if (!current && mine) {
                ini.write_string("Default Applications", t, id);
                changed = true;
            } else if (current && *current == id && !mine) {
                changed = ini.remove_key("Default Applications", t) || changed;
            }
        }
        if (changed) ok = ini.save(list) && ok;
    }

    if (mime_changed && on_path("update-mime-database"))
        spawn_detached("update-mime-database", mime);
    if (entry_changed && on_path("update-desktop-database"))
        spawn_detached("update-desktop-database", apps);
    return ok;
}

bool open_with_default_program(const std::string& target) {
    if (target.empty() || !on_path("xdg-open")) return false;
    return spawn_detached("xdg-open", target);
}

}  // namespace pv
