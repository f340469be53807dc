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

std::string writable_folder(const std::string& program_dir) {
    if (access(program_dir.c_str(), W_OK) == 0) return program_dir;
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        base = x;
    else
        base = std::string(std::getenv("HOME") ? std::getenv("HOME") : "/tmp") + "/.config";
    mkdir(base.c_str(), 0700);
    std::string dir = base + "/pvedit";
    mkdir(dir.c_str(), 0700);
    return dir;
}

bool file_exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool change_directory(const std::string& dir) {
    return chdir(dir.c_str()) == 0;
}

}  // namespace pv
