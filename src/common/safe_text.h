// Text from files and command lines, made safe to show: one policy for every
// message, report, terminal picture and SVG text of the three programs.
//
// A name or a title may hold any byte. Shown raw, an escape sequence in it
// would retitle or clear the user's terminal. So:
// - a text that is valid UTF-8 is read as UTF-8; any other text is read as
//   Latin-1, one character a byte (as older editors write it);
// - every control character (C0 but tab, DEL, and C1: U+0080 to U+009F, or
//   the bytes 0x80 to 0x9F of a Latin-1 text) is shown as "?";
// - every other character is written as the charset asks: kAsGiven keeps the
//   bytes it came as (a console shows what the user typed), kUtf8 writes
//   UTF-8 (the result is always valid UTF-8), kAscii shows each character
//   beyond ASCII as "?".
// Files keep their bytes; only what is shown is cleaned.
#pragma once

#include <string>
#include <string_view>

namespace common {

enum class Charset { kAsGiven, kUtf8, kAscii };

[[nodiscard]] std::string safe_text(std::string_view text, Charset charset = Charset::kAsGiven);

// The text with leading and trailing blanks (spaces and tabs) removed.
[[nodiscard]] std::string_view trim(std::string_view text);

}  // namespace common
