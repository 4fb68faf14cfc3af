// UTF-8 as the programs read and show it: one decoder for every text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// One character decoded from a text; length 0 when the bytes at that place do
// not begin a valid, shortest-form UTF-8 sequence (surrogates and values above
// U+10FFFF are not valid).
struct Utf8Char {
  char32_t code = 0;
  std::size_t length = 0;
};
[[nodiscard]] Utf8Char decode_utf8(std::string_view text, std::size_t at);

[[nodiscard]] bool is_valid_utf8(std::string_view text);

// Appends the UTF-8 bytes of a code point (at most U+10FFFF).
void append_utf8(std::string& out, char32_t code);

// Number of characters (code points) of a valid UTF-8 text: its width on the
// terminal, every character taken as one column.
[[nodiscard]] std::size_t display_width(std::string_view text);

// The first `width` characters of a valid UTF-8 text.
[[nodiscard]] std::string truncate_to_width(std::string_view text, std::size_t width);

}  // namespace common
