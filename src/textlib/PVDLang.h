// The text library's lookup functions. Each returns a NUL-terminated 8-bit text owned by
// the library (ASCII for English, Shift-JIS in its Windows form for Japanese), never null.
// The language is compared on its low 16 bits: 1041 selects Japanese, anything else English.
#pragma once
#include <stdint.h>

#if defined(PVDLANG_BUILD)
#define PVDLANG_API __attribute__((visibility("default")))
#else
#define PVDLANG_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

PVDLANG_API const char* FontNameCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* RegCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* MsgCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* ErrorCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* MenuCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* MapCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* GraphCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* LogCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* MntCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* NetCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* WritedlgCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* PrmCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* VerCall(uint32_t lang_id, uint32_t number);
PVDLANG_API const char* VerupCall(uint32_t lang_id, uint32_t number);

#ifdef __cplusplus
}
#endif
