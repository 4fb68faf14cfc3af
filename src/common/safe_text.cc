#include "common/safe_text.h"

#include "common/utf8.h"

namespace common {
namespace {

bool is_control(char32_t code) {
  return (code < 0x20 && code != '\t') || (code >= 0x7F && code <= 0x9F);
}

}  // namespace

std::string safe_text(std::string_view text, Charset charset) {
  std::string shown;
  shown.reserve(text.size());
  const bool utf8 = is_valid_utf8(text);
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Char c =
        utf8 ? decode_utf8(text, at) : Utf8Char{static_cast<unsigned char>(text[at]), 1};
    if (is_control(c.code) || (charset == Charset::kAscii && c.code > 0x7F)) {
      shown += '?';
    } else if (charset == Charset::kUtf8) {
      append_utf8(shown, c.code);
    } else {
      shown.append(text.substr(at, c.length));
    }
    at += c.length;
  }
  return shown;
}

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace common
