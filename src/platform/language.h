// The user's language as a 16-bit Windows language identifier (Japanese = 1041).
#pragma once
#include <cstdint>
#include <string>

namespace pv {

uint16_t user_lang_id();
// The identifier for a POSIX locale name such as "ja_JP.UTF-8"; English (1033) when unknown.
uint16_t lang_id_of_locale(const std::string& locale);

}  // namespace pv
