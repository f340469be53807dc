#include "core/document/file_name.h"

#include <cstring>

namespace pv {

bool has_extension(const std::string& path, const char* ext) {
    size_t name = path.find_last_of('/');
    name = name == std::string::npos ? 0 : name + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < name) return false;
    std::string found = path.substr(dot, 4);
    if (found.size() != std::strlen(ext)) return false;
    for (size_t k = 0; k < found.size(); ++k) {
        char c = found[k];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != ext[k]) return false;
    }
    return true;
}

}  // namespace pv
