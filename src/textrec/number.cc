// The conversion takes one pass over the value to find its significant digits
// and its order of magnitude, then lets the standard library round that decimal
// number exactly. In front of it stands one fast path, for the plain decimal
// numbers that DIRAX writes.
#include "textrec/number.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <system_error>

namespace textrec {
namespace {

// Significant digits kept when a number is converted. A rounding boundary
// between two floats (the overflow boundary included) has at most 113
// significant digits, so a value cut after more digits than that, with one
// non-zero digit standing in for non-zero digits dropped, rounds exactly like
// the whole value.
constexpr int kKeptDigits = 120;

// Exponents are saturated here: any number this far out is beyond the float
// range or rounds to zero, however many digits stand in front of it.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

// Decimal orders of magnitude outside which no conversion is needed: a value
// 0.d1d2... x 10^e with d1 non-zero lies in [10^(e-1), 10^e). Above order 39
// it is at least 10^39, beyond the float range; below order -45 it is under
// 10^-46, less than half the least float, and rounds to zero.
constexpr std::int64_t kOverflowOrder = 39;
constexpr std::int64_t kUnderflowOrder = -45;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_sign(char c) {
  return c == '+' || c == '-';
}
bool is_exponent_letter(char c) {
  switch (c) {
    case 'E':
    case 'e':
    case 'D':
    case 'd':
    case 'Q':
    case 'q':
      return true;
    default:
      return false;
  }
}

// Powers of ten that are exact floats: 10^k = 2^k * 5^k, and 5^10 < 2^24.
constexpr std::array<float, 11> kExactPow10{1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                            1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The fast path: [sign] digits [. digits], at least one digit, at most 7
// significant ones (an integer below 2^24, an exact float) and at most 10
// decimals (10^10 is an exact float too). One divide of two exact floats is
// correctly rounded, ties to even, as the exact path rounds. False, with *x
// untouched, for any other value.
bool convert_plain(std::string_view value, float* x) {
  // Only where float arithmetic is done in float: wider intermediates would
  // round twice.
  if constexpr (FLT_EVAL_METHOD != 0) return false;
  const char* p = value.data();
  const char* const end = p + value.size();
  const bool negative = p != end && *p == '-';
  if (p != end && is_sign(*p)) ++p;
  std::uint32_t digits = 0;
  int significant = 0;
  int decimals = 0;
  bool any_digit = false;
  bool after_point = false;
  for (; p != end; ++p) {
    if (is_digit(*p)) {
      any_digit = true;
      if (after_point) ++decimals;
      if (digits == 0 && *p == '0') continue;  // a leading zero
      digits = digits * 10 + static_cast<std::uint32_t>(*p - '0');
      ++significant;
    } else if (*p == '.' && !after_point) {
      after_point = true;
    } else {
      return false;
    }
  }
  if (!any_digit || significant > 7 || decimals > 10) return false;
  const auto d = static_cast<float>(digits);
  const float magnitude = d / kExactPow10[static_cast<std::size_t>(decimals)];
  *x = negative ? -magnitude : magnitude;
  return true;
}

// The mantissa of a number as the significant digits and their order of
// magnitude: the value is 0.DIGITS x 10^order.
struct Mantissa {
  std::array<char, kKeptDigits> digits{};
  int kept = 0;
  bool dropped_non_zero = false;
  bool any_digit = false;
  bool after_point = false;
  std::int64_t order = 0;

  void add(char d) {
    any_digit = true;
    if (kept == 0 && d == '0') {
      if (after_point) --order;  // a leading zero after the point
      return;
    }
    if (!after_point) ++order;
    if (kept < kKeptDigits) {
      digits[static_cast<std::size_t>(kept++)] = d;
    } else if (d != '0') {
      dropped_non_zero = true;
    }
  }
};

// The exact path for 0.DIGITS x 10^order, digits kept > 0; false beyond the
// float range.
bool convert_exact(const Mantissa& m, std::int64_t order, float* magnitude) {
  if (order > kOverflowOrder) return false;
  if (order < kUnderflowOrder) {
    *magnitude = 0.0f;
    return true;
  }
  // Normalised text "0.DIGITS[1]eORDER".
  std::array<char, kKeptDigits + 32> text{};
  char* p = text.data();
  *p++ = '0';
  *p++ = '.';
  p = std::copy(m.digits.data(), m.digits.data() + m.kept, p);
  if (m.dropped_non_zero) *p++ = '1';
  *p++ = 'e';
  p = std::to_chars(p, text.data() + text.size(), order).ptr;
  float result = 0.0f;
  const std::from_chars_result r = std::from_chars(text.data(), p, result);
  if (r.ec == std::errc::result_out_of_range) {
    if (order > 0) return false;
    result = 0.0f;  // rounds to zero
  }
  *magnitude = result;
  return true;
}

}  // namespace

bool convert_number(std::string_view value, float* x, std::vector<NumberFlaw>& flaws) {
  flaws.clear();
  if (convert_plain(value, x)) return true;

  using Kind = NumberFlaw::Kind;
  std::size_t i = 0;
  const bool negative = !value.empty() && value[0] == '-';
  if (!value.empty() && is_sign(value[0])) ++i;

  Mantissa m;
  bool has_exponent = false;
  for (; i < value.size(); ++i) {
    const char c = value[i];
    if (is_digit(c)) {
      m.add(c);
    } else if (c == '.' && !m.after_point) {
      m.after_point = true;
    } else if (is_exponent_letter(c)) {
      has_exponent = true;
      ++i;
      break;
    } else if (is_sign(c) && m.any_digit) {
      has_exponent = true;  // the sign is the exponent's own
      break;
    } else {
      flaws.push_back({Kind::kBadCharacter, value.substr(i, 1)});
      m.add('0');
    }
  }
  if (!m.any_digit) flaws.push_back({Kind::kNoDigits, value});

  std::int64_t exponent = 0;
  if (has_exponent) {
    const bool exponent_negative = i < value.size() && value[i] == '-';
    if (i < value.size() && is_sign(value[i])) ++i;
    bool any_digit = false;
    for (; i < value.size(); ++i) {
      int d = 0;
      if (is_digit(value[i])) {
        d = value[i] - '0';
      } else {
        flaws.push_back({Kind::kBadCharacter, value.substr(i, 1)});
      }
      any_digit = true;
      exponent = std::min(exponent * 10 + d, kExponentLimit);
    }
    if (!any_digit) flaws.push_back({Kind::kExponentWithoutDigits, value});
    if (exponent_negative) exponent = -exponent;
  }

  float magnitude = 0.0f;
  if (m.kept > 0 && !convert_exact(m, m.order + exponent, &magnitude)) return false;
  *x = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace textrec
