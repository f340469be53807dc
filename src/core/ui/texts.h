// Texts of the text library in the current language (settings.lang_id), copied at once.
#pragma once
#include <cstdint>
#include <string>

namespace pv {

enum class Catalog {
    FontName,
    Reg,
    Msg,
    Error,
    Menu,
    Map,
    Graph,
    Log,
    Mnt,
    Net,
    Writedlg,
    Prm,
    Ver,
    Verup
};

std::string text(Catalog catalog, uint32_t number);
inline std::string msg_text(uint32_t n) {
    return text(Catalog::Msg, n);
}
inline std::string error_text(uint32_t n) {
    return text(Catalog::Error, n);
}

bool japanese();  // lang_id selects Japanese (low 16 bits equal 1041)

}  // namespace pv
