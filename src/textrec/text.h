// Fixed-length texts.
//
// A text of the program is a std::string of a set length, padded with blanks on
// the right. These helpers keep that length when a value is stored, and give the
// views that the records need: the text without its trailing blanks, or the text
// left-justified.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace textrec {

// A text of n blanks.
[[nodiscard]] std::string blank_text(std::size_t n);

// Stores v into t without changing the length of t: a longer v keeps its first
// characters, a shorter one is padded with blanks.
void set_text(std::string& t, std::string_view v);

// The text up to its last non-blank character (possibly empty).
[[nodiscard]] std::string_view trim_right(std::string_view t);

// Moves the leading blanks of t to its end; the length stays.
void left_justify(std::string& t);

}  // namespace textrec
