// Conversion between UTF-8 and the 8-bit code page of a language: code page 932 (the
// Windows form of Shift-JIS) for Japanese, Windows-1252 otherwise. Data file comments and
// settings files move between machines in these code pages.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace pv {

// Never fails: bytes the code page does not define come out as U+FFFD, except that the
// five holes of Windows-1252 keep their byte value as a C1 control so that a text survives
// a round trip.
std::string codepage_to_utf8(const std::string& bytes, uint16_t lang_id);
// nullopt when the text holds a character the code page cannot encode, or is not UTF-8.
std::optional<std::string> utf8_to_codepage(const std::string& utf8, uint16_t lang_id);

}  // namespace pv
