#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(NumberText, ValueWithItsStandardUncertainty) {
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    std::optional<double> su;
    std::string text;
  };
  const std::vector<Case> cases = {
      {35.4357, 0.3712, "35.44(37)"},
      {21.4213, 0.187, "21.42(19)"},
      {10.2134, 0.00047, "10.21340(47)"},
      {0.01234, 0.0000456, "0.012340(46)"},
      {5.0, 0.0996, "5.00(10)"},  // the su's rounding carries into a third digit
      {7.25, 1.0, "7.2(10)"},
      {1234.5, 23.4, "1234(23)"},  // half to even, as printf rounds
      {1234.5, 123, "1230(120)"},
      {-0.0004, 0.012, "0.000(12)"},  // no sign on a value that rounds to zero
      {-3.14159, 0.0021, "-3.1416(21)"},
      {90, std::nullopt, "90"},  // none, zero, or not a number: the value alone
      {90, 0.0, "90"},
      {89.5, nan, "89.5"},
      {89.5, inf, "89.5"},
      {89.5, -0.1, "89.5"},
      {inf, 0.1, "inf"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, common::with_su(c.value, c.su))
        << c.value << " " << (c.su ? std::to_string(*c.su) : "none");
  }
}

// The report's and the pictures' coefficients: an SU that shows at three
// decimals is written; one below half a unit of the third is rounding.
TEST(NumberText, ValueWithAnSuThatShowsAtItsDecimals) {
  const struct {
    double value, su;
    std::string text;
  } cases[] = {
      {20.4213, 2.6, "20.4(26)"},       {0.01234, 0.003, "0.0123(30)"},
      {0.01234, 0.0005, "0.01234(50)"}, {0.01234, 0.0004, "0.012"},
      {20.4, 1e-12, "20.400"},          {-0.0004, 1e-9, "0.000"},
      {1.5, std::nan(""), "1.500"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.text, common::with_su_at(c.value, c.su, 3)) << c.value << " " << c.su;
}

TEST(NumberText, DecimalNumbersOnly) {
  struct Case {
    const char* text;
    std::optional<double> value;
  };
  const std::vector<Case> cases = {
      {"150", 150.0},  {"+150.5", 150.5}, {"-2.5e2", -250.0}, {".5", 0.5}, {"5.", 5.0},
      {"1E3", 1000.0}, {"0x96", {}},      {"inf", {}},        {"nan", {}}, {"1e999", {}},
      {"", {}},        {"+", {}},         {".", {}},          {"1e", {}},  {"1e+", {}},
      {" 150", {}},    {"150 ", {}},      {"150K", {}},       {"--1", {}}, {"1.2.3", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value, common::parse_decimal(c.text)) << c.text;
}

TEST(NumberText, WholeNumbersWithinTheirRange) {
  struct Case {
    const char* text;
    std::optional<unsigned long long> value;
  };
  const std::vector<Case> cases = {
      {"2", 2ULL}, {"1000000", 1000000ULL},
      {"1", {}},   {"1000001", {}},
      {"-3", {}},  {"+3", {}},
      {" 3", {}},  {"3.0", {}},
      {"", {}},    {"99999999999999999999", {}},  // beyond 2^64
  };
  for (const Case& c : cases) EXPECT_EQ(c.value, common::parse_whole(c.text, 2, 1000000)) << c.text;
  EXPECT_EQ(~0ULL, common::parse_whole("18446744073709551615", 0, ~0ULL));
}

TEST(NumberText, ShortestRoundTripAndFixedDecimals) {
  EXPECT_EQ("100", common::shortest(100.0));
  EXPECT_EQ("0.1", common::shortest(0.1));
  EXPECT_EQ("1e-05", common::shortest(1e-05));
  EXPECT_EQ("7e-04", common::shortest(0.0007));
  EXPECT_EQ("0.0007", common::shortest(0.0007, common::Notation::kFixed));
  EXPECT_EQ("0.00001", common::shortest(1e-05, common::Notation::kFixed));
  EXPECT_EQ("500.404", common::shortest(500.404f));
  EXPECT_EQ("500.40399169921875", common::shortest(static_cast<double>(500.404f)));
  EXPECT_EQ("1e+20", common::shortest(1e20f));
  EXPECT_EQ("100000002004087734272", common::shortest(1e20f, common::Notation::kFixed));
  EXPECT_EQ("inf", common::shortest(std::numeric_limits<double>::infinity()));
  EXPECT_EQ("500.40399", common::file_value(500.404f, false));
  EXPECT_EQ("500.404", common::file_value(500.404f, true));
  EXPECT_EQ("0.00", common::fixed(-0.001, 2));
  // Never cut short, however long the text.
  const std::string long_text = common::fixed(1e100, 1);
  EXPECT_EQ(103U, long_text.size());
  EXPECT_TRUE(long_text.starts_with("10000000000000000159") && long_text.ends_with(".0"));
}

}  // namespace
