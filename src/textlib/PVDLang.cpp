// Every text lives in one read-only pool that the build generates from catalog.txt; a lookup
// is two masks, a bounds check and an index. Nothing is allocated and nothing is written, so
// the exports may be called from any thread and never return null.
#include "PVDLang.h"

namespace {

struct TextTable {
    const uint32_t* en;  // offsets into kPool by text number; 0 is the empty text
    const uint32_t* ja;
    uint32_t count;
};

#include "pvdlang_texts.inc"

// Windows language identifier of Japanese. Callers may pass it with the high half set, so
// only the low 16 bits count, as for the text number.
constexpr uint32_t kJapanese = 1041;

const char* Lookup(const TextTable& table, uint32_t lang_id, uint32_t number) {
    const uint32_t n = number & 0xFFFFu;
    if (n >= table.count) return kPool;
    const uint32_t* offsets = (lang_id & 0xFFFFu) == kJapanese ? table.ja : table.en;
    return kPool + offsets[n];
}

}  // namespace

extern "C" {

// The font face and the web address are one text per language; the number is ignored.
const char* FontNameCall(uint32_t lang_id, uint32_t) {
    return Lookup(kFontNameCall, lang_id, 0);
}
const char* VerupCall(uint32_t lang_id, uint32_t) {
    return Lookup(kVerupCall, lang_id, 0);
}

const char* RegCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kRegCall, lang_id, number);
}
const char* MsgCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kMsgCall, lang_id, number);
}
const char* ErrorCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kErrorCall, lang_id, number);
}
const char* MenuCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kMenuCall, lang_id, number);
}
const char* MapCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kMapCall, lang_id, number);
}
const char* GraphCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kGraphCall, lang_id, number);
}
const char* LogCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kLogCall, lang_id, number);
}
const char* MntCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kMntCall, lang_id, number);
}
const char* NetCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kNetCall, lang_id, number);
}
const char* WritedlgCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kWritedlgCall, lang_id, number);
}
const char* PrmCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kPrmCall, lang_id, number);
}
const char* VerCall(uint32_t lang_id, uint32_t number) {
    return Lookup(kVerCall, lang_id, number);
}

}  // extern "C"
