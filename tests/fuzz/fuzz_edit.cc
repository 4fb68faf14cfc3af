// Fuzz target: Fw.d and Iw editing against slow references.
//
// The Fw.d reference writes out the exact decimal value of the float with a
// digit array (m * 2^e as m * 5^-e / 10^-e, or m doubled e times), finds the
// first significant place, keeps down to the d-th decimal but at most nine
// significant digits, rounds on the next digit (half away from zero) and lays
// the text out by the rules of the field: integer digits only when the rounded
// magnitude is at least 1, the "0" before the point only where the field has
// room, "-" only for a non-zero rounded magnitude, asterisks when the text does
// not fit. It shares nothing with the product's 128-bit scaling.
//
// Input: a byte whose lowest bit selects Iw, then 4 bytes of float bits, w and
// d for Fw.d, or 8 bytes of an integer and w for Iw.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "textrec/edit.h"

namespace {

// Right-justified in w, or w asterisks.
std::string justified(const std::string& text, int w) {
  const auto width = static_cast<std::size_t>(w);
  if (text.size() > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

// A non-negative integer as decimal digits, least significant first.
using Digits = std::vector<int>;

void multiply(Digits& n, int factor) {
  int carry = 0;
  for (int& digit : n) {
    const int v = digit * factor + carry;
    digit = v % 10;
    carry = v / 10;
  }
  while (carry != 0) {
    n.push_back(carry % 10);
    carry /= 10;
  }
}

std::string reference_f(float x, int w, int d) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  const bool negative = (bits >> 31) != 0;
  const std::uint32_t biased = (bits >> 23) & 0xFF;
  const std::uint32_t fraction = bits & 0x7FFFFF;
  if (biased == 0xFF) {
    if (fraction != 0) return justified("NaN", w);
    if (!negative) return justified(w >= 8 ? "Infinity" : "Inf", w);
    return justified(w >= 9 ? "-Infinity" : "-Inf", w);
  }

  // |x| = m * 2^e exactly.
  const std::uint32_t m = biased == 0 ? fraction : (fraction | 0x800000);
  const int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;

  // The exact value as digits n[i] at place 10^(i - shift).
  Digits n;
  for (std::uint32_t v = m; v != 0; v /= 10) n.push_back(static_cast<int>(v % 10));
  int shift = 0;
  if (e >= 0) {
    for (int i = 0; i < e; ++i) multiply(n, 2);
  } else {
    for (int i = 0; i < -e; ++i) multiply(n, 5);
    shift = -e;
  }
  auto digit_at = [&](int place) {
    const int i = place + shift;
    return i >= 0 && i < static_cast<int>(n.size()) ? n[static_cast<std::size_t>(i)] : 0;
  };

  // Places kept: from the first significant digit down to the d-th decimal, at
  // most nine digits. kept[j] is the digit at place k + j.
  Digits kept;
  int k = -d;
  if (!n.empty()) {
    const int first = static_cast<int>(n.size()) - 1 - shift;
    if (first - 8 > k) k = first - 8;
    for (int place = k; place <= first; ++place) kept.push_back(digit_at(place));
    if (digit_at(k - 1) >= 5) {
      // Half a unit added at the last kept place, the rest cut off.
      std::size_t j = 0;
      for (; j < kept.size() && kept[j] == 9; ++j) kept[j] = 0;
      if (j == kept.size()) {
        kept.push_back(1);
      } else {
        ++kept[j];
      }
    }
  }
  auto rounded_at = [&](int place) {
    const int j = place - k;
    return j >= 0 && j < static_cast<int>(kept.size()) ? kept[static_cast<std::size_t>(j)] : 0;
  };
  bool non_zero = false;
  int top = -1;  // highest place of a non-zero rounded digit at or above 10^0
  for (std::size_t j = 0; j < kept.size(); ++j) {
    if (kept[j] == 0) continue;
    non_zero = true;
    const int place = k + static_cast<int>(j);
    if (place > top) top = place;
  }

  std::string body;
  for (int place = top; place >= 0; --place) body += static_cast<char>('0' + rounded_at(place));
  body += '.';
  for (int place = -1; place >= -d; --place) body += static_cast<char>('0' + rounded_at(place));
  const std::string sign = negative && non_zero ? "-" : "";
  if (top < 0 && sign.size() + body.size() < static_cast<std::size_t>(w)) body = "0" + body;
  return justified(sign + body, w);
}

std::string reference_i(std::int64_t v, int w) {
  return justified(std::to_string(v), w);
}

[[noreturn]] void mismatch(const char* what, const std::string& detail, const std::string& expected,
                           const std::string& actual) {
  std::fprintf(stderr, "%s %s\n  reference |%s|\n  product   |%s|\n", what, detail.c_str(),
               expected.c_str(), actual.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 7) return 0;
  if ((data[0] & 1) != 0) {
    if (size < 10) return 0;
    std::uint64_t raw = 0;
    std::memcpy(&raw, data + 1, sizeof raw);
    const auto v = static_cast<std::int64_t>(raw);
    const int w = data[9] % 40;
    std::string actual;
    textrec::edit_i(actual, v, w);
    const std::string expected = reference_i(v, w);
    if (actual != expected)
      mismatch("Iw", "v=" + std::to_string(v) + " w=" + std::to_string(w), expected, actual);
    return 0;
  }
  float x = 0;
  std::memcpy(&x, data + 1, sizeof x);
  const int w = data[5] % 80;
  const int d = data[6] % 31;
  std::string actual;
  textrec::edit_f(actual, x, w, d);
  const std::string expected = reference_f(x, w, d);
  if (actual != expected) {
    char detail[96];
    std::uint32_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    std::snprintf(detail, sizeof detail, "x=%.9g (0x%08x) w=%d d=%d", static_cast<double>(x), bits,
                  w, d);
    mismatch("Fw.d", detail, expected, actual);
  }
  return 0;
}
