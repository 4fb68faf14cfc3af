// Texts taken from a plot file, made safe to show.
//
// The legends of a plot file are the bytes of the buffer file's title line:
// they may be UTF-8, Latin-1 or hold control characters. Before a legend goes
// to the terminal or into the SVG picture it is cleaned: control characters
// (C0 and C1, tab read as a blank) and U+FFFE, U+FFFF become "?", so that no escape sequence
// reaches the terminal and no byte that XML forbids reaches the picture; a byte that does not start
// valid UTF-8 is read as Latin-1. Without UTF-8 output only printable ASCII is kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// The text with leading and trailing blanks (spaces and tabs) removed.
[[nodiscard]] std::string_view trim(std::string_view text);

// The cleaned text: valid UTF-8 when utf8 is true, printable ASCII otherwise.
[[nodiscard]] std::string printable(std::string_view bytes, bool utf8);

// Number of characters (code points) of a valid UTF-8 text: its width on the
// terminal, every character taken as one column.
[[nodiscard]] std::size_t display_width(std::string_view text);

// The first `width` characters of a valid UTF-8 text.
[[nodiscard]] std::string truncate_to_width(std::string_view text, std::size_t width);

}  // namespace common
