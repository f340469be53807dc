#include <cstdio>
#include <cstring>

#include "app/shell/app.h"
#include "core/ui/about.h"

namespace {

constexpr const char* kUsageText =
    "usage: pvedit [FILE.PVD | FILE.PVL]\n"
    "       pvedit --help | --version\n"
    "Edits the data of a Pavex5 boost controller. A .PVD file opens as the document, a .PVL\n"
    "file in the log window. The serial port of COM n is the device in PVEDIT_PORT when set,\n"
    "else the settings file's PORTS/COMn, else /dev/ttyS(n-1).\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before any window exists, so that scripts and packaging can ask without a
    // display and without taking the single-instance lock.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsageText, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("pvedit %s\n", pv::program_version_text().c_str());
        return 0;
    }
    return pv::run_pvedit(argc, argv);
}
