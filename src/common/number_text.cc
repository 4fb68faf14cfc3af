#include "common/number_text.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace common {
namespace {

// The printf text of one value, however long.
std::string printed(const char* format, int decimals, double value) {
  const int length = std::snprintf(nullptr, 0, format, decimals, value);
  std::string text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, decimals, value);
  return text;
}

template <class Real>
std::string shortest_text(Real value, Notation notation) {
  // Room for the longest: a double's fixed form takes up to 330 characters.
  std::array<char, 512> text{};
  const auto [end, error] =
      notation == Notation::kFixed
          ? std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed)
          : std::to_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return {};
  return {text.data(), end};
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Skips the digits at the front; how many there were.
std::size_t skip_digits(std::string_view& text) {
  std::size_t n = 0;
  while (n < text.size() && is_digit(text[n])) ++n;
  text.remove_prefix(n);
  return n;
}

}  // namespace

std::string fixed(double value, int decimals) {
  std::string text = printed("%.*f", decimals, value);
  // A value that rounds to zero is written without a sign.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string scientific(double value, int decimals) {
  return printed("%.*e", decimals, value);
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

std::string shortest(double value, Notation notation) {
  return shortest_text(value, notation);
}

std::string shortest(float value, Notation notation) {
  return shortest_text(value, notation);
}

std::string file_value(double value, bool single_precision) {
  return single_precision ? shortest(static_cast<float>(value), Notation::kFixed) : fixed(value, 5);
}

std::string value_with_su(std::optional<double> value, std::optional<double> su,
                          const SuStyle& style) {
  if (!value || !std::isfinite(*value)) return std::string(style.missing);
  if (su && *su > 0 && std::isfinite(*su))
    return style.su_at_decimals ? with_su_at(*value, *su, style.decimals) : with_su(*value, *su);
  return style.decimals < 0 ? shortest(*value) : fixed(*value, style.decimals);
}

std::string with_su_at(double value, double su, int decimals) {
  const double half_unit = 0.5 * std::pow(10.0, -decimals);
  if (!(su >= half_unit) || !std::isfinite(su))
    return fixed(std::fabs(value) < half_unit ? 0.0 : value, decimals);
  return with_su(value, su);
}

std::string counted(long long count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string with_su(double value, std::optional<double> su) {
  if (!su || !(*su > 0) || !std::isfinite(*su) || !std::isfinite(value)) return shortest(value);
  // printf rounds the su to two significant digits, carries included (0.0996
  // gives 1.0e-01), at any magnitude: "d.de±x".
  const std::string rounded = scientific(*su, 1);
  const std::string digits{rounded[0], rounded[2]};
  const int decimals = 1 - std::atoi(rounded.c_str() + 4);
  if (decimals >= 0) return fixed(value, decimals) + "(" + digits + ")";
  // A place left of the units: the value rounded there, both written whole.
  const double place = std::pow(10.0, -decimals);
  return fixed(std::nearbyint(value / place) * place, 0) + "(" + digits +
         std::string(static_cast<std::size_t>(-decimals), '0') + ")";
}

std::optional<double> parse_decimal(std::string_view text) {
  std::string_view rest = text;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) rest.remove_prefix(1);
  std::size_t digits = skip_digits(rest);
  if (!rest.empty() && rest.front() == '.') {
    rest.remove_prefix(1);
    digits += skip_digits(rest);
  }
  if (digits == 0) return std::nullopt;
  if (!rest.empty() && (rest.front() == 'e' || rest.front() == 'E')) {
    rest.remove_prefix(1);
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) rest.remove_prefix(1);
    if (skip_digits(rest) == 0) return std::nullopt;
  }
  if (!rest.empty()) return std::nullopt;
  // from_chars takes no "+"; the grammar above has been checked.
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<unsigned long long> parse_whole(std::string_view text, unsigned long long least,
                                              unsigned long long most) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  errno = 0;
  const std::string digits(text);
  const unsigned long long v = std::strtoull(digits.c_str(), nullptr, 10);
  if (errno != 0 || v < least || v > most) return std::nullopt;
  return v;
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
