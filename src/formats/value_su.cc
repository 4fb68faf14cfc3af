#include "formats/value_su.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace formats {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The digits at `at`, passed over; their count.
std::size_t digits(std::string_view text, std::size_t& at) {
  const std::size_t from = at;
  while (at < text.size() && is_digit(text[at])) ++at;
  return at - from;
}

std::optional<double> finite_number(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

}  // namespace

std::optional<ValueWithSu> parse_value_with_su(std::string_view text) {
  // Longer texts are no number a cell file writes; the bound keeps the
  // exponent arithmetic below in range.
  if (text.empty() || text.size() > 64) return std::nullopt;
  std::size_t at = 0;
  if (text[at] == '+' || text[at] == '-') ++at;
  std::size_t mantissa_digits = digits(text, at);
  std::int64_t decimals = 0;
  if (at < text.size() && text[at] == '.') {
    ++at;
    decimals = static_cast<std::int64_t>(digits(text, at));
    mantissa_digits += static_cast<std::size_t>(decimals);
  }
  if (mantissa_digits == 0) return std::nullopt;
  std::int64_t exponent = 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t exp_at = at + 1;
    if (exp_at < text.size() && (text[exp_at] == '+' || text[exp_at] == '-')) ++exp_at;
    const std::size_t exp_digits_at = exp_at;
    if (digits(text, exp_at) == 0) return std::nullopt;
    const auto [end, error] =
        std::from_chars(text.data() + exp_digits_at, text.data() + exp_at, exponent);
    if (error != std::errc()) return std::nullopt;
    // Far beyond a double's range either way: bounded so that the SU's
    // exponent below stays in range too.
    constexpr std::int64_t kExponentBound = 100000;
    exponent = std::min(exponent, kExponentBound);
    if (text[at + 1] == '-') exponent = -exponent;
    at = exp_at;
  }
  const std::size_t number_end = at;
  // from_chars takes no "+" sign.
  const std::size_t number_from = text[0] == '+' ? 1 : 0;
  const std::optional<double> value =
      finite_number(text.substr(number_from, number_end - number_from));
  if (!value) return std::nullopt;
  ValueWithSu result{*value, std::nullopt};
  if (at == text.size()) return result;
  if (text[at] != '(' || text.back() != ')') return std::nullopt;
  ++at;
  const std::size_t su_from = at;
  if (digits(text, at) == 0 || at != text.size() - 1) return std::nullopt;
  // The SU's digits stand in units of the value's last digit.
  const std::string su_text =
      std::string(text.substr(su_from, at - su_from)) + "e" + std::to_string(exponent - decimals);
  result.su = finite_number(su_text);
  if (!result.su) return std::nullopt;
  return result;
}

double scaled_decimal(double value, int power) {
  if (!std::isfinite(value) || value == 0) return value;
  char text[64];
  const auto written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  const std::string_view digits(text, static_cast<std::size_t>(written.ptr - text));
  const std::size_t e = digits.find('e');
  int exponent = 0;
  const std::size_t sign = digits[e + 1] == '+' ? e + 2 : e + 1;
  std::from_chars(digits.data() + sign, digits.data() + digits.size(), exponent);
  const std::string shifted =
      std::string(digits.substr(0, e)) + "e" + std::to_string(exponent + power);
  return finite_number(shifted).value_or(value * std::pow(10.0, power));
}

std::optional<double> su_if_refined(std::optional<double> su) {
  if (su && *su > 0) return su;
  return std::nullopt;
}

}  // namespace formats
