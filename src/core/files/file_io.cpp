#include "core/files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>

#include "core/files/temporaries.h"

namespace pv {
namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { close(); }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void release() { fd_ = -1; }
    bool close() {
        if (fd_ < 0) return true;
        int r = ::close(fd_);
        fd_ = -1;
        return r == 0;
    }

  private:
    int fd_;
};

bool write_all(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string folder_part(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a path finally names when its last part is a symbolic link (or a chain of them).
// A link that points nowhere yet names where the new file is to be made.
std::string final_target(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char buf[PATH_MAX];
        ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
        if (n <= 0) return path;
        std::string target(buf, static_cast<size_t>(n));
        path = target.front() == '/' ? target : folder_part(path) + "/" + target;
    }
    return path;  // a loop: the caller finds a link here and refuses it
}

// A short hidden name, so that a target name near the file system's limit still leaves
// room, and so that a temporary left by a killed save is never listed as a data file.
Fd create_temporary(const std::string& folder, std::string& name, mode_t mode) {
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rd;
    std::mt19937 gen(rd());
    std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string leaf = ".~pv";
        for (int k = 0; k < 6; ++k) leaf += kChars[pick(gen)];
        name = folder + "/" + leaf;
        // O_EXCL also refuses a symbolic link planted under the chosen name.
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return Fd(fd);
        if (errno != EEXIST) break;
    }
    name.clear();
    return Fd(-1);
}

void sync_folder(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a folder; the rename has happened all the same.
    if (dir.ok()) ::fsync(dir.get());
}

bool write_in_place(const std::string& path, std::string_view bytes) {
    Fd f(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!f.ok()) return false;
    // Reserve the space first so that a full disk fails before the old contents are touched.
    if (!bytes.empty()) {
        int r = ::posix_fallocate(f.get(), 0, static_cast<off_t>(bytes.size()));
        if (r != 0 && r != EOPNOTSUPP && r != EINVAL) return false;
    }
    if (!write_all(f.get(), bytes)) return false;
    if (::ftruncate(f.get(), static_cast<off_t>(bytes.size())) != 0) return false;
    if (::fsync(f.get()) != 0) return false;
    return f.close();
}

}  // namespace

std::optional<std::string> read_regular_file(const std::string& path, size_t max_bytes,
                                             bool* truncated) {
    if (truncated) *truncated = false;
    // Non-blocking, so that opening a FIFO does not wait for a writer that never comes.
    Fd f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!f.ok()) return std::nullopt;
    struct stat st {};
    if (::fstat(f.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::string out;
    char buf[65536];
    while (out.size() < max_bytes) {
        size_t want = std::min(sizeof buf, max_bytes - out.size());
        ssize_t n = ::read(f.get(), buf, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return out;
        out.append(buf, static_cast<size_t>(n));
    }
    if (truncated) {
        char probe;
        ssize_t n;
        do n = ::read(f.get(), &probe, 1);
        while (n < 0 && errno == EINTR);
        *truncated = n > 0;
    }
    return out;
}

std::FILE* open_regular_file(const std::string& path) {
    // Non-blocking for the opening only: a FIFO opened so answers at once, and is refused.
    Fd f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!f.ok()) return nullptr;
    struct stat st {};
    if (::fstat(f.get(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    const int flags = ::fcntl(f.get(), F_GETFL);
    if (flags < 0 || ::fcntl(f.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return nullptr;
    std::FILE* file = ::fdopen(f.get(), "rb");
    if (file) f.release();
    return file;
}

bool is_regular_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool save_file(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    const std::string target = final_target(path);
    const std::string folder = folder_part(target);

    struct stat st {};
    bool exists = ::lstat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists) {
        if (!S_ISREG(st.st_mode)) return false;
        // The write bits count even for the superuser: a file the user made read-only stays
        // as it is.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
        if (::access(target.c_str(), W_OK) != 0) return false;
        if (st.st_nlink > 1) return write_in_place(target, bytes);
    }

    std::string tmp;
    // A new file gets the usual mode less the umask; a replaced one gets its old mode below.
    Fd f = create_temporary(folder, tmp, exists ? S_IRUSR | S_IWUSR : 0666);
    if (!f.ok()) return false;
    const TemporaryName registered(tmp);
    bool ok = write_all(f.get(), bytes);
    if (ok && exists) {
        // The owner first: changing it clears set-id bits that the mode then puts back.
        if (::fchown(f.get(), st.st_uid, st.st_gid) != 0)
            (void)::fchown(f.get(), static_cast<uid_t>(-1), st.st_gid);
        ok = ::fchmod(f.get(), st.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(f.get()) == 0;
    ok = f.close() && ok;
    if (!ok || ::rename(tmp.c_str(), target.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    sync_folder(folder);
    return true;
}

}  // namespace pv
