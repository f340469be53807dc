// Hostile data files: the reader must never crash, must refuse short files without touching
// the document, and whatever it reads must survive being written and read again unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "core/document/datafile.h"
#include "core/document/unit.h"

namespace {

const std::string& scratch_path() {
    static const std::string p = "/tmp/fuzz_datafile_" + std::to_string(getpid()) + ".pvd";
    return p;
}

bool same_document(const pv::ControllerData& a, const pv::ControllerData& b) {
    auto image_a = pv::encode_data_file(a, a.status_word);
    auto image_b = pv::encode_data_file(b, b.status_word);
    return image_a == image_b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    {
        std::ofstream out(scratch_path(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    }
    pv::data = pv::ControllerData{};
    pv::data.comment = "untouched";
    bool ok = pv::ReadDataFile(scratch_path());
    if (ok != (size >= pv::kDataFileSize)) std::abort();
    if (!ok) {
        if (pv::data.comment != "untouched") std::abort();
        return 0;
    }
    for (int id : pv::kTableIds)
        if (!pv::ReadMapFromFile(scratch_path(), id)) std::abort();

    pv::ControllerData first = pv::data;
    auto image = pv::encode_data_file(first, first.status_word);
    pv::ControllerData second;
    pv::decode_data_file(image.data(), second);
    if (!same_document(first, second)) std::abort();
    return 0;
}
