// The conversion of a number value against the correctly rounded conversion of
// the same decimal value by the standard library, on both sides of the bounds
// of its short path (7 significant digits, a scale of at most 10^10); the
// plain-number read against the general conversion.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

#include "textrec/freeform.h"

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
  int bad = -1;
  EXPECT_TRUE(convert_number(text, &x, &bad));
  EXPECT_EQ(0, bad);
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
    int bad = -1;
    ASSERT_TRUE(convert_number(text, &x, &bad)) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(want), std::bit_cast<std::uint32_t>(x)) << text;
  }
}

// The plain-number read must store what the general conversion gives, or leave
// the record to it.
struct PlainCase {
  std::string record;
  bool plain;  // taken by the plain-number read
};

// The value of the record's first value by the general conversion, which the
// free-form read uses for every number that is not plain: true when it has no
// bad character and lies in range.
bool general_value(const std::string& record, float* x) {
  const std::size_t start = record.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  const std::size_t end = record.find_first_of(" \t,/", start);
  const std::string value =
      record.substr(start, end == std::string::npos ? std::string::npos : end - start);
  int bad = 0;
  return !value.empty() && convert_number(value, x, &bad) && bad == 0;
}

void expect_as_free_form(const PlainCase& c) {
  SCOPED_TRACE("|" + c.record + "|");
  float plain = 42.0f;
  ASSERT_EQ(c.plain, read_plain_real(c.record, &plain));
  if (!c.plain) {
    EXPECT_EQ(42.0f, plain) << "untouched";
    return;
  }
  float general = 42.0f;
  ASSERT_TRUE(general_value(c.record, &general));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(general), std::bit_cast<std::uint32_t>(plain));
}

TEST(ReadPlainReal, TakesPlainNumbersOnlyAndAgreesWithTheGeneralConversion) {
  const PlainCase cases[] = {
      {"   5.94434  ", true},
      {"  103.107  ", true},
      {"   61.593 ", true},
      {"    500.245 ", true},
      {"1", true},
      {"-0", true},
      {"-0.0", true},
      {"+7.", true},
      {".5", true},
      {"\t12.5\t", true},
      {"12.5,x", true},
      {"12.5/", true},
      {"12.5 junk", true},
      {"0.0000000001", true},
      {"0.00000000001", false},
      {"1234567", true},
      {"12345678", false},
      {"0001234567", true},
      {"1.234567", true},
      {"1.2345678", false},
      {"9999999.", true},
      {"16777215", false},
      {"", false},
      {"   ", false},
      {"-", false},
      {".", false},
      {"+.", false},
      {"1e5", false},
      {"1.5E-3", false},
      {"1.2.3", false},
      {"12a", false},
      {"'12'", false},
      {"3*1.5", false},
      {",1", false},
      {"/", false},
      {"1-2", false},
      {"--1", false},
      {"1d0", false},
      {"0.3333333", true},
  };
  for (const PlainCase& c : cases) expect_as_free_form(c);

  std::mt19937_64 rng(7);
  const std::string alphabet = "0123456789.-+ ,/eE\t";
  for (int n = 0; n < 100'000; ++n) {
    std::string record;
    const int length = static_cast<int>(rng() % 14);
    for (int i = 0; i < length; ++i) {
      // Mostly digits, so that many records are plain numbers.
      record +=
          rng() % 3 != 0 ? static_cast<char>('0' + rng() % 10) : alphabet[rng() % alphabet.size()];
    }
    float plain = 42.0f;
    if (!read_plain_real(record, &plain)) continue;
    float general = 42.0f;
    ASSERT_TRUE(general_value(record, &general)) << "|" << record << "|";
    ASSERT_EQ(std::bit_cast<std::uint32_t>(general), std::bit_cast<std::uint32_t>(plain))
        << "|" << record << "|";
  }
}

}  // namespace
}  // namespace textrec
