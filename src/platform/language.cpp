#include "platform/language.h"

#include <cstdlib>

namespace pv {

uint16_t lang_id_of_locale(const std::string& locale) {
    struct Entry {
        const char* prefix;
        uint16_t id;
    };
    // Longest prefixes first: a region decides where the language alone does not.
    static constexpr Entry table[] = {
        {"en_GB", 2057}, {"en_AU", 3081}, {"en_CA", 4105}, {"zh_TW", 1028}, {"zh_HK", 3076},
        {"zh", 2052},    {"ja", 1041},    {"ko", 1042},    {"de", 1031},    {"fr", 1036},
        {"it", 1040},    {"es", 3082},    {"pt_BR", 1046}, {"pt", 2070},    {"nl", 1043},
        {"sv", 1053},    {"ru", 1049},    {"pl", 1045},    {"en", 1033},
    };
    for (const auto& e : table) {
        std::string p = e.prefix;
        if (locale.compare(0, p.size(), p) == 0 &&
            (locale.size() == p.size() || locale[p.size()] == '_' || locale[p.size()] == '.' ||
             locale[p.size()] == '@'))
            return e.id;
    }
    return 1033;
}

uint16_t user_lang_id() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return lang_id_of_locale(v);
    }
    return 1033;
}

}  // namespace pv
