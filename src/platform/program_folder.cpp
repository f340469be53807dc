#include "platform/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace pv {

std::string program_file_path(const char* argv0) {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) return std::string(buf, static_cast<size_t>(n));
    std::string a = argv0 ? argv0 : "pvedit";
    if (!a.empty() && a.front() == '/') return a;
    if (char* cwd = getcwd(buf, sizeof buf)) return std::string(cwd) + "/" + a;
    return a;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

namespace {

// $VAR when set, else ~/fallback; then its pvedit folder, made when missing.
std::string user_folder(const char* var, const char* fallback) {
    std::string base;
    if (const char* x = std::getenv(var); x && *x) {
        base = x;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/" + fallback;
    }
    // Each level may be missing on a fresh account (~/.local before ~/.local/share).
    for (size_t pos = 1; pos <= base.size(); ++pos)
        if (pos == base.size() || base[pos] == '/') mkdir(base.substr(0, pos).c_str(), 0700);
    std::string dir = base + "/pvedit";
    mkdir(dir.c_str(), 0700);
    return dir;
}

bool is_folder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool installed_program(const std::string& program_dir) {
    return resource_folder(program_dir) != program_dir;
}

namespace {

// A shared bin folder is never the place for the program's own files, even where it could
// write there (root writing beside /usr/bin/pvedit would leave a file the package does not own).
bool writes_beside_itself(const std::string& program_dir) {
    return !installed_program(program_dir) && access(program_dir.c_str(), W_OK) == 0;
}

}  // namespace

std::string writable_folder(const std::string& program_dir) {
    if (writes_beside_itself(program_dir)) return program_dir;
    return user_folder("XDG_CONFIG_HOME", ".config");
}

std::string writable_data_folder(const std::string& program_dir) {
    if (writes_beside_itself(program_dir)) return program_dir;
    return user_folder("XDG_DATA_HOME", ".local/share");
}

std::string resource_folder(const std::string& program_dir) {
    if (file_exists(program_dir + "/SPLASH.BMP")) return program_dir;
    std::string installed = program_dir + "/" PV_BIN_TO_SHARE;
    if (is_folder(installed)) {
        char real[PATH_MAX];
        if (realpath(installed.c_str(), real)) return real;
    }
    return program_dir;
}

bool file_exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool change_directory(const std::string& dir) {
    return chdir(dir.c_str()) == 0;
}

}  // namespace pv
