#include "console_text.h"

#include <cstddef>

namespace korvex {
namespace {

// Length of the valid UTF-8 sequence starting at text[at], or 0.
std::size_t utf8_length(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  char32_t min = 0;
  char32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, code = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, code = lead & 0x0FU;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, code = lead & 0x07U;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0U) != 0x80U) return 0;
    code = (code << 6U) | (next & 0x3FU);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < min || code > 0x10FFFF || surrogate ? 0 : length;
}

bool valid_utf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8_length(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

bool is_c0_or_del(unsigned char c) {
  return (c < 0x20 && c != '\t') || c == 0x7F;
}

}  // namespace

std::string shown_on_console(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  if (!valid_utf8(text)) {
    for (const char ch : text) {
      const auto c = static_cast<unsigned char>(ch);
      shown += is_c0_or_del(c) || (c >= 0x80 && c <= 0x9F) ? '?' : ch;
    }
    return shown;
  }
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8_length(text, at);
    const auto lead = static_cast<unsigned char>(text[at]);
    const bool c1 = length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
    if ((length == 1 && is_c0_or_del(lead)) || c1) {
      shown += '?';
    } else {
      shown.append(text.substr(at, length));
    }
    at += length;
  }
  return shown;
}

}  // namespace korvex
