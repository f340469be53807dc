// Hostile settings files: the reader must never crash, a rewrite of what it read must read
// the same, and every value written must come back exactly.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/settings/ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string text(reinterpret_cast<const char*>(bytes), size);
    pv::IniFile first;
    first.parse(text);
    (void)first.read_int("FORM", "LEFT", 0);
    (void)first.read_string("FILEDIR", "PVDDIR", "");

    // The first line of the input, without line breaks, as a value to store and read back.
    std::string value = text.substr(0, text.find_first_of("\r\n"));
    first.write_string("FUZZ", "VALUE", value);
    pv::IniFile second;
    second.parse(first.text());
    if (second.text() != first.text()) std::abort();
    if (second.read_string("FUZZ", "VALUE", "?") != value) std::abort();
    return 0;
}
