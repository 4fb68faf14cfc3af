#include "common/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace common {

std::string fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  // A value that rounds to zero is written without a sign.
  const std::string_view text = buf;
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos) {
    return std::string(text.substr(1));
  }
  return buf;
}

std::string scientific(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", decimals, value);
  return buf;
}

std::string scientific_with_power(double value, int decimals) {
  std::string plain = scientific(value, decimals);
  const auto e = plain.find('e');
  if (e == std::string::npos) return plain;  // inf or nan
  static constexpr const char* kSuperscript[] = {"\u2070", "\u00B9", "\u00B2", "\u00B3", "\u2074",
                                                 "\u2075", "\u2076", "\u2077", "\u2078", "\u2079"};
  std::string out = plain.substr(0, e) + "\u00D710";
  std::string_view exponent = std::string_view(plain).substr(e + 1);
  if (exponent.front() == '-') out += "\u207B";
  exponent.remove_prefix(1);  // the sign
  while (exponent.size() > 1 && exponent.front() == '0') exponent.remove_prefix(1);
  for (const char d : exponent) out += kSuperscript[d - '0'];
  return out;
}

std::string file_value(double value, bool single_precision) {
  if (single_precision) {
    char buf[64];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, static_cast<float>(value), std::chars_format::fixed);
    if (ec == std::errc()) return std::string(buf, end);
  }
  return fixed(value, 5);
}

std::string shortest(double value) {
  if (!std::isfinite(value)) return "null";  // JSON has no NaN; a fit can give one
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return {text, result.ptr};
}

double as_decimal(float value) {
  if (!std::isfinite(value)) return value;
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  double out = value;
  std::from_chars(text, written.ptr, out);
  return out;
}

}  // namespace common
