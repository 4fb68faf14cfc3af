#include "textrec/edit.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

using textrec::Item;

// Texts are compared with a bar after them so that trailing blanks show.
std::string bar(const std::string& s) {
  return s + "|";
}

std::string f_field(float x, int w, int d) {
  std::string out;
  textrec::edit_f(out, x, w, d);
  return out;
}

std::string record(std::string_view layout, const std::vector<Item>& items) {
  std::string out;
  textrec::format_record(out, textrec::parse_layout(layout), items);
  return out;
}

// The field codes of a layout written back in layout notation, one per field.
std::string describe(const textrec::Layout& layout) {
  std::string s;
  for (const textrec::FieldCode& f : layout.fields) {
    if (!s.empty()) s += ',';
    switch (f.code) {
      case textrec::Code::kA:
        s += "A";
        break;
      case textrec::Code::kAw:
        s += "A" + std::to_string(f.w);
        break;
      case textrec::Code::kF:
        s += "F" + std::to_string(f.w) + "." + std::to_string(f.d);
        break;
      case textrec::Code::kI:
        s += "I" + std::to_string(f.w);
        break;
      case textrec::Code::kX:
        s += std::to_string(f.w) + "X";
        break;
    }
  }
  return s;
}

struct FCase {
  float x;
  int w;
  int d;
  const char* expected;
};

TEST(EditF, WritesFixedPointByTheRoundingRule) {
  const float inf = std::numeric_limits<float>::infinity();
  const FCase cases[] = {
      {0.0f, 6, 2, "  0.00|"},
      {-0.0f, 6, 2, "  0.00|"},
      {0.0f, 12, 9, " 0.000000000|"},
      {0.0f, 11, 10, ".0000000000|"},
      {-0.0f, 33, 30, " 0.000000000000000000000000000000|"},
      {0.0f, 0, 0, "|"},
      {0.0f, 1, 0, ".|"},
      {0.0f, 2, 0, "0.|"},
      {-1.0f, 2, 0, "**|"},
      {-1.0f, 3, 0, "-1.|"},
      {-0.004f, 6, 2, "  0.00|"},
      {0.125f, 6, 2, "  0.13|"},  // exact tie goes away from zero
      {-0.125f, 6, 2, " -0.13|"},
      {0.5f, 4, 2, "0.50|"},
      {0.5f, 3, 2, ".50|"},
      {-0.5f, 4, 2, "-.50|"},
      {-0.5f, 5, 2, "-0.50|"},
      {-0.5f, 3, 2, "***|"},
      {-99.99f, 6, 2, "-99.99|"},
      {295.15f, 6, 2, "295.15|"},
      {1000.0f, 6, 2, "******|"},
      {-100.0f, 6, 2, "******|"},
      {100.0f, 6, 2, "100.00|"},
      {5.4321f, 12, 5, "     5.43210|"},
      {315.4321f, 13, 3, "      315.432|"},
      {12345.678f, 20, 5, "         12345.67770|"},
      {1234.56789f, 20, 5, "          1234.56787|"},
      {10.1234f, 20, 5, "            10.12340|"},
      // Carries that add a digit.
      {9.999f, 6, 2, " 10.00|"},
      {-9.999f, 6, 2, "-10.00|"},
      {999.996f, 6, 2, "******|"},
      {99999.5f, 7, 0, "100000.|"},
      {99999.5f, 6, 0, "******|"},
      {99999.5f, 8, 1, " 99999.5|"},
      {0.996f, 5, 2, " 1.00|"},
      {0.7f, 3, 0, " 1.|"},
      {0.3f, 2, 0, "0.|"},
      {0.3f, 1, 0, ".|"},
      // More than nine significant digits: the rest are zeros.
      {123456789.0f, 15, 2, "   123456792.00|"},
      {16777217.0f, 12, 2, " 16777216.00|"},
      {16777215.0f, 20, 5, "      16777215.00000|"},
      {1234567.125f, 15, 5, "  1234567.13000|"},  // tie at the ninth digit
      {1e10f, 20, 2, "      10000000000.00|"},
      {1e20f, 30, 2, "      100000002000000000000.00|"},
      {0.1f, 33, 30, " 0.100000001000000000000000000000|"},
      {FLT_MAX, 50, 2, "        340282347000000000000000000000000000000.00|"},
      {-FLT_MAX, 43, 2, "-340282347000000000000000000000000000000.00|"},
      {FLT_MAX, 41, 2, "*****************************************|"},
      // Thirty decimals, around half a unit of the last place.
      {1e-30f, 33, 30, " 0.000000000000000000000000000001|"},
      {5e-31f, 33, 30, " 0.000000000000000000000000000001|"},  // just above 5E-31
      {std::nextafter(5e-31f, 0.0f), 33, 30, " 0.000000000000000000000000000000|"},
      // Denormals and the smallest normal are zero at every d.
      {std::numeric_limits<float>::denorm_min(), 33, 30, " 0.000000000000000000000000000000|"},
      {-std::numeric_limits<float>::denorm_min(), 6, 2, "  0.00|"},
      {-FLT_MIN, 33, 30, " 0.000000000000000000000000000000|"},
      // Not a number and the infinities.
      {std::nanf(""), 6, 2, "   NaN|"},
      {-std::nanf(""), 3, 0, "NaN|"},
      {std::nanf(""), 2, 0, "**|"},
      {inf, 8, 2, "Infinity|"},
      {inf, 7, 2, "    Inf|"},
      {inf, 2, 0, "**|"},
      {-inf, 9, 2, "-Infinity|"},
      {-inf, 8, 2, "    -Inf|"},
      {-inf, 3, 0, "***|"},
  };
  for (const FCase& c : cases) {
    EXPECT_EQ(c.expected, bar(f_field(c.x, c.w, c.d))) << "x=" << c.x << " F" << c.w << "." << c.d;
  }
}

TEST(EditF, AppendsToWhatIsThere) {
  std::string out = "T=";
  textrec::edit_f(out, 2.5f, 5, 1);
  EXPECT_EQ("T=  2.5|", bar(out));
}

TEST(EditF, RejectsDecimalsBeyondTheLimit) {
  std::string out;
  EXPECT_THROW(textrec::edit_f(out, 1.0f, 40, 31), std::logic_error);
  EXPECT_THROW(textrec::edit_f(out, 1.0f, 40, -1), std::logic_error);
}

TEST(EditI, WritesIntegersRightJustified) {
  const struct {
    std::int64_t v;
    int w;
    const char* expected;
  } cases[] = {
      {0, 1, "0|"},
      {7, 6, "     7|"},
      {12, 1, "*|"},
      {-1, 2, "-1|"},
      {-1, 1, "*|"},
      {123456, 6, "123456|"},
      {1234567, 6, "******|"},
      {-12345, 6, "-12345|"},
      {-123456, 6, "******|"},
      {INT64_MAX, 19, "9223372036854775807|"},
      {INT64_MIN, 20, "-9223372036854775808|"},
      {INT64_MIN, 19, "*******************|"},
      {5, 0, "|"},
  };
  for (const auto& c : cases) {
    std::string out;
    textrec::edit_i(out, c.v, c.w);
    EXPECT_EQ(c.expected, bar(out)) << c.v << " in I" << c.w;
  }
}

TEST(EditText, WritesAAwAndBlanks) {
  std::string out;
  textrec::edit_a(out, "hexagonal       ");
  EXPECT_EQ("hexagonal       |", bar(out));

  const struct {
    const char* text;
    int w;
    const char* expected;
  } cases[] = {
      {"tetragonal      ", 12, "tetragonal  |"},
      {"P", 4, "   P|"},
      {"abc", 3, "abc|"},
      {"", 3, "   |"},
      {"abc", 0, "|"},
  };
  for (const auto& c : cases) {
    out.clear();
    textrec::edit_aw(out, c.text, c.w);
    EXPECT_EQ(c.expected, bar(out)) << c.text << " in A" << c.w;
  }

  out.clear();
  textrec::edit_x(out, 3);
  EXPECT_EQ("   |", bar(out));
}

TEST(ParseLayout, ExpandsRepeatCounts) {
  const struct {
    const char* layout;
    const char* fields;
  } cases[] = {
      {"F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4",
       "F6.2,F12.5,F12.5,F12.5,F12.3,F12.3,F12.3,F13.3,2X,A12,A4"},
      {"A,I1", "A,I1"},
      {"A, I6", "A,I6"},
      {"4A", "A,A,A,A"},
      {"  A ,  A  ", "A,A"},
      {"X", "1X"},
      {"F1000.30, I1000, A1000, 1000X", "F1000.30,I1000,A1000,1000X"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.fields, describe(textrec::parse_layout(c.layout))) << c.layout;
  }

  const textrec::Layout rule = textrec::parse_layout("A1,200A1");
  ASSERT_EQ(201u, rule.fields.size());
  EXPECT_EQ(textrec::Code::kAw, rule.fields.back().code);
  EXPECT_EQ(1, rule.fields.back().w);
}

TEST(ParseLayout, RejectsMalformedLayoutsNamingThem) {
  const char* const bad[] = {
      "",      " ",         ",A",     "A,",     "A,,A",  // missing fields
      "A B",   "F6.2 F6.2", "A12;A4",                    // missing commas
      "F6",    "F6.",       "F.2",    "F6.2.1", "I",     // incomplete field codes
      "Q5",    "f6.2",      "3(A1)",  "3",               // unknown field codes and groups
      "A0",    "0A",        "I0",     "0X",              // zero widths and counts
      "F6.31", "F1001.2",   "2001A1", "1001X",  "A,I99999999999999999999",  // beyond the limits
  };
  for (const char* layout : bad) {
    try {
      (void)textrec::parse_layout(layout);
      ADD_FAILURE() << "accepted \"" << layout << "\"";
    } catch (const std::logic_error& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("\"" + std::string(layout) + "\""))
          << e.what();
    }
  }
}

TEST(FormatRecord, WritesTheParameterTableRow) {
  const std::string row =
      record("F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4",
             {100.0f, 5.4321f, 5.4321f, 12.3456f, 90.0f, 90.0f, 120.0f, 315.4321f,
              std::string_view("hexagonal       "), std::string_view("P")});
  EXPECT_EQ(
      "100.00     5.43210     5.43210    12.34560      90.000      90.000     120.000      "
      "315.432  hexagonal      P|",
      bar(row));
  EXPECT_EQ(109u, row.size());
}

TEST(FormatRecord, LaysOutTheRecordsInUse) {
  using SV = std::string_view;
  const struct {
    const char* layout;
    std::vector<Item> items;
    const char* expected;
  } cases[] = {
      {"F6.2, F20.5", {295.15f, 1234.56789f}, "295.15          1234.56787|"},
      {"4A", {SV("  T(K)"), SV("   a"), SV("  b")}, "  T(K)   a  b|"},
      {"A, I1", {SV("pattern "), std::int64_t{7}}, "pattern 7|"},
      {"A, I8", {SV("n="), std::int64_t{-42}}, "n=     -42|"},
      {"A, A", {SV("vistrel "), SV("TK_cell_a.pgf")}, "vistrel TK_cell_a.pgf|"},
      // Items running out: the record ends at the first field that needs one,
      // blanks passed over before it are still written.
      {"A, I6", {SV("# PATTERNS ")}, "# PATTERNS |"},
      {"A, 2X, I6, 3X", {SV("N")}, "N  |"},
      {"2X, A", {}, "  |"},
      {"F6.2, F20.5", {}, "|"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, bar(record(c.layout, c.items))) << c.layout;
  }

  std::vector<Item> rule(201, SV("-"));
  rule[0] = SV("#");
  EXPECT_EQ("#" + std::string(200, '-') + "|", bar(record("A1,200A1", rule)));
}

TEST(FormatRecord, RejectsItemsThatDoNotSuitTheLayout) {
  using SV = std::string_view;
  EXPECT_THROW((void)record("F6.2", {SV("x")}), std::logic_error);
  EXPECT_THROW((void)record("I6", {1.0f}), std::logic_error);
  EXPECT_THROW((void)record("A", {std::int64_t{1}}), std::logic_error);
  EXPECT_THROW((void)record("A4", {2.0f}), std::logic_error);
  EXPECT_THROW((void)record("A, I6", {SV("a"), std::int64_t{1}, SV("b")}), std::logic_error);
  EXPECT_THROW((void)record("2X", {SV("a")}), std::logic_error);
}

// --- Comparison with a slow reference ---------------------------------------

// The exact value of |x| as decimal digits: the value is digits * 10^-scale.
struct Decimal {
  std::string digits;  // most significant first, no sign
  int scale = 0;
};

void multiply_small(std::string& digits, int factor) {
  int carry = 0;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    const int v = (*it - '0') * factor + carry;
    *it = static_cast<char>('0' + v % 10);
    carry = v / 10;
  }
  while (carry != 0) {
    digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
    carry /= 10;
  }
}

// |x| = m * 2^e with an integer m, by frexp; then m * 2^e, or m * 5^-e / 10^-e.
Decimal exact_decimal(float x) {
  int exponent = 0;
  const float fraction = std::frexp(std::fabs(x), &exponent);
  const auto m = static_cast<std::uint32_t>(std::ldexp(fraction, 24));
  const int e = exponent - 24;
  Decimal dec{std::to_string(m), 0};
  for (int i = 0; i < e; ++i) multiply_small(dec.digits, 2);
  for (int i = 0; i < -e; ++i) multiply_small(dec.digits, 5);
  dec.scale = e < 0 ? -e : 0;
  return dec;
}

// Fw.d written out from the exact digits, place by place.
std::string reference_f(float x, const Decimal& dec, int w, int d) {
  // Digit at place 10^q of the exact value.
  auto digit_at = [&](int q) -> int {
    const long index = static_cast<long>(dec.digits.size()) - 1 - dec.scale - q;
    if (index < 0 || index >= static_cast<long>(dec.digits.size())) return 0;
    return dec.digits[static_cast<std::size_t>(index)] - '0';
  };
  const std::size_t first = dec.digits.find_first_not_of('0');
  int last = -d;
  if (first != std::string::npos) {
    const int lead = static_cast<int>(dec.digits.size() - 1 - first) - dec.scale;
    last = std::max(-d, lead - 8);
  }
  // Kept digits from place 40 down to `last`, then rounded up by the next digit.
  std::string kept;
  for (int q = 40; q >= last; --q) kept += static_cast<char>('0' + digit_at(q));
  if (digit_at(last - 1) >= 5) {
    std::size_t i = kept.size();
    while (i-- > 0) {
      if (kept[i] == '9') {
        kept[i] = '0';
      } else {
        ++kept[i];
        break;
      }
    }
  }
  kept.append(static_cast<std::size_t>(last + d), '0');  // places below the ninth digit
  const std::string whole = kept.substr(0, kept.size() - static_cast<std::size_t>(d));
  const std::string decimals = kept.substr(kept.size() - static_cast<std::size_t>(d));
  const std::size_t nonzero = whole.find_first_not_of('0');
  const std::string integer = nonzero == std::string::npos ? "" : whole.substr(nonzero);
  const bool negative = std::signbit(x) && kept.find_first_not_of('0') != std::string::npos;
  const std::string sign = negative ? "-" : "";
  std::string text = sign + integer + "." + decimals;
  if (integer.empty() && static_cast<int>(text.size()) < w) text = sign + "0." + decimals;
  if (static_cast<int>(text.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

void compare_with_reference(float x, int d) {
  const Decimal dec = exact_decimal(x);
  for (int w : {80, 1 + d, 2 + d, 3 + d, 5 + d, 8 + d, 11 + d}) {
    ASSERT_EQ(reference_f(x, dec, w, d), f_field(x, w, d))
        << "x=" << x << " (bits " << std::hex << std::bit_cast<std::uint32_t>(x) << std::dec
        << ") F" << w << "." << d;
  }
}

TEST(EditF, AgreesWithExactDecimalExpansion) {
  std::mt19937 gen(20240611u);
  std::uniform_int_distribution<std::uint32_t> any_bits(0, 0x7F7FFFFFu);  // finite, positive
  std::uniform_real_distribution<double> log_magnitude(-8.0, 12.0);
  std::uniform_int_distribution<int> small_d(0, 6);
  std::uniform_int_distribution<int> any_d(0, 30);
  std::uniform_int_distribution<int> coin(0, 1);
  std::uniform_int_distribution<std::int32_t> ticks(-4000000, 4000000);
  std::uniform_int_distribution<int> tick_shift(0, 12);

  for (int i = 0; i < 20000; ++i) {
    float x = 0.0f;
    switch (i % 4) {
      case 0:  // every exponent, denormals included
        x = std::bit_cast<float>(any_bits(gen));
        break;
      case 1:  // the magnitudes of the program's data
        x = static_cast<float>(std::pow(10.0, log_magnitude(gen)));
        break;
      case 2:  // exact binary fractions, many of them ties at some decimal
        x = std::ldexp(static_cast<float>(ticks(gen)), -tick_shift(gen));
        break;
      case 3:  // just below a power of ten
        x = std::nextafter(static_cast<float>(std::pow(10.0, i % 50 - 12)), 0.0f);
        break;
    }
    if (coin(gen) != 0) x = -x;
    compare_with_reference(x, small_d(gen));
    if (i % 8 == 0) compare_with_reference(x, any_d(gen));
  }
}

}  // namespace
