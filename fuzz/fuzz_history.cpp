// Hostile names in the restore point folder: the first bytes name a file (the rest is its
// contents); the listing must never crash, must list only whole data files with a name it
// understands, and every point it lists must read back.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/document/datafile.h"
#include "core/history/restore_points.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static const std::string folder = "/tmp/fuzz_history_" + std::to_string(getpid());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const size_t name_length = size > 0 ? bytes[0] % 64 : 0;
    if (size < 1 + name_length) return 0;
    std::string name(reinterpret_cast<const char*>(bytes + 1), name_length);
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos || name == "." || name == "..")
        return 0;
    {
        std::ofstream out(folder + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes + 1 + name_length),
                  static_cast<std::streamsize>(size - 1 - name_length));
    }
    for (const pv::RestorePoint& p : pv::list_restore_points(folder)) {
        pv::ControllerData d;
        if (!pv::read_restore_point(p, d) || p.when.size() != 19 || p.cause.empty()) std::abort();
    }
    return 0;
}
