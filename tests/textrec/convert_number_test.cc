// The conversion of a number value against the correctly rounded conversion of
// the same decimal value by the standard library, on both sides of the bounds
// of its fast path (7 significant digits, at most 10 decimals).
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "textrec/number.h"

namespace textrec {
namespace {

// The value the library gives; false when it is outside the range.
bool library_value(const std::string& text, float* x) {
  const std::from_chars_result r = std::from_chars(text.data(), text.data() + text.size(), *x);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

void expect_as_library(const std::string& text) {
  SCOPED_TRACE("|" + text + "|");
  float want = 0.0f;
  ASSERT_TRUE(library_value(text, &want));
  float x = 42.0f;
  std::vector<NumberFlaw> flaws;
  EXPECT_TRUE(convert_number(text, &x, flaws));
  EXPECT_TRUE(flaws.empty());
  EXPECT_EQ(std::bit_cast<std::uint32_t>(want), std::bit_cast<std::uint32_t>(x));
}

TEST(ConvertNumber, AtTheBoundsOfTheShortPath) {
  const char* const texts[] = {
      "9999999",      "16777216",     "16777217",    "16777218",   "33554433",     "83886100",
      "83886120",     "8388610e1",    "1234567e10",  "1234567e11", "1234567e-10",  "1234567e-11",
      "0.0000000001", "1e-10",        "1e-11",       "1e10",       "1e11",         "9.999999e-4",
      "1.0000001",    "1.00000005",   "123.4560000", "0.33333333", "0.3333333",    "-12.345",
      "-0.000123",    "3.4028235e38", "1e-38",       "1.5e-45",    "5.9604645e-8", "11.4371",
  };
  for (const char* text : texts) expect_as_library(text);
}

TEST(ConvertNumber, RandomValuesAsTheLibrary) {
  std::mt19937_64 rng(20261207);
  for (int n = 0; n < 200'000; ++n) {
    std::string text;
    if (rng() % 3 == 0) text += '-';
    const int digits = 1 + static_cast<int>(rng() % 10);
    const int point = static_cast<int>(rng() % static_cast<std::uint64_t>(digits + 1));
    for (int i = 0; i < digits; ++i) {
      if (i == point) text += '.';
      text += static_cast<char>('0' + rng() % 10);
    }
    if (rng() % 2 == 0) text += "e" + std::to_string(static_cast<int>(rng() % 31) - 15);
    float want = 0.0f;
    if (!library_value(text, &want)) continue;
    float x = 42.0f;
    std::vector<NumberFlaw> flaws;
    ASSERT_TRUE(convert_number(text, &x, flaws)) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(want), std::bit_cast<std::uint32_t>(x)) << text;
  }
}

// Every byte: the characters of the grammar, and no other (none of the
// characters that differ from them by one bit, as 'e' from 'E', among them).
TEST(NumberCharacter, TheGrammarsCharactersAlone) {
  const std::string grammar = "0123456789.+-EeDdQq";
  for (int byte = 0; byte < 256; ++byte) {
    const auto c = static_cast<char>(byte);
    EXPECT_EQ(grammar.find(c) != std::string::npos, is_number_character(c)) << byte;
  }
}

}  // namespace
}  // namespace textrec
