// Numbers as text: fixed decimals, scientific notation, the shortest text that
// reads back to the same double, and a value as a file holds it.
#pragma once

#include <cstdio>
#include <string>

namespace common {

// The value with `decimals` decimals; one that rounds to zero has no sign.
[[nodiscard]] std::string fixed(double value, int decimals);

// printf's %.*e.
[[nodiscard]] std::string scientific(double value, int decimals);

// As scientific, with "x10" and a superscript power (UTF-8).
[[nodiscard]] std::string scientific_with_power(double value, int decimals);

// A value as the plot file holds it: for a single-precision file the shortest
// text of the float, else five decimals.
[[nodiscard]] std::string file_value(double value, bool single_precision);

// The shortest text that reads back to the same double; "null" for a value
// that is not finite.
[[nodiscard]] std::string shortest(double value);

// The double that the shortest text of a float reads as: 6.08771F gives
// 6.08771, not the 6.0877099037... the float holds. Not finite stays so.
[[nodiscard]] double as_decimal(float value);

// printf into a string of at most 511 characters.
template <class... Args>
[[nodiscard]] std::string format_text(const char* fmt, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, fmt, args...);
  return text;
}

}  // namespace common
