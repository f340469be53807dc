// Hostile desktop entries found among the system's and the user's applications: reading their
// MimeType key must never crash, and an entry without one opens nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/desktop.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string text(reinterpret_cast<const char*>(bytes), size);
    for (const char* type : {pv::kDataMimeType, pv::kLogMimeType, ""}) {
        bool listed = pv::entry_lists_type(text, type);
        if (listed && text.find("MimeType=") == std::string::npos) std::abort();
    }
    return 0;
}
