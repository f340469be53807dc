// File types are told apart by the first four characters of the extension, in any case:
// "x.pvd" and "x.PVDX" are data files, "x.PV" is not.
#pragma once
#include <string>

namespace pv {

// `ext` is the dot and three letters, upper case (".PVD", ".PVL").
bool has_extension(const std::string& path, const char* ext);

}  // namespace pv
