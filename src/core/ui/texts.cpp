#include "core/ui/texts.h"

#include "PVDLang.h"
#include "core/document/unit.h"

namespace pv {

std::string text(Catalog catalog, uint32_t number) {
    using Lookup = const char* (*)(uint32_t, uint32_t);
    static constexpr Lookup lookups[] = {
        FontNameCall, RegCall, MsgCall, ErrorCall,    MenuCall, MapCall, GraphCall,
        LogCall,      MntCall, NetCall, WritedlgCall, PrmCall,  VerCall, VerupCall,
    };
    const char* t = lookups[static_cast<int>(catalog)](settings.lang_id, number);
    return t ? std::string(t) : std::string();
}

bool japanese() {
    return (settings.lang_id & 0xFFFF) == kLangJapanese;
}

}  // namespace pv
