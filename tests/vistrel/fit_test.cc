#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/axis.h"
#include "chart/series_picture.h"
#include "chart/units.h"
#include "common/number_text.h"
#include "expansion/line_fit.h"
#include "summary.h"
#include "test_util.h"

namespace {

using common::Point;

// a = 5 + 1e-4 * T at 100, 150, ... 300 K, as korvex writes the rows.
formats::PgfFile known_slope_file() {
  std::vector<std::string> lines = {"# MAIN LEGEND TEXT: known slope",
                                    "# X LEGEND TEXT   : Temperature (K)",
                                    "# Y LEGEND TEXT   : a unit cell parameter (A)",
                                    "#   TK              a(A)",
                                    "#             TITLE : a(A)=f(T)",
                                    "#  NUMBER OF POINTS :        5",
                                    "#   DATA: X Y"};
  for (int t = 100; t <= 300; t += 50) {
    char row[32];
    std::snprintf(row, sizeof row, "%6.2f%20.5f", t * 1.0, 5 + 1e-4 * t);
    lines.push_back(row);
  }
  lines.push_back("# END OF FILE");
  return formats::parse_pgf(testutil::crlf(lines)).value();
}

TEST(Fit, KnownSlopeGivesSlopeInterceptAndExpansion) {
  const formats::PgfFile pgf = known_slope_file();
  ASSERT_EQ(5u, pgf.points.size());
  const auto fit = expansion::fit_line(pgf.points);
  ASSERT_TRUE(fit.has_value());
  EXPECT_NEAR(1e-4, fit->slope, 1e-13);
  EXPECT_NEAR(5.0, fit->intercept, 1e-11);
  // The coefficient divides by a fitted at the first point, 5.01 at 100 K.
  const auto c = chart::line_coefficient(formats::quantity_of(pgf), *fit, 100);
  ASSERT_TRUE(c && c->alpha);
  EXPECT_NEAR(1e-4 / 5.01, *c->alpha, 1e-15);

  const auto summary = vistrel::summary_lines(pgf, fit, false, true);
  std::string all;
  for (const auto& l : summary) all += l + "\n";
  EXPECT_NE(std::string::npos, all.find(" Points shown      : 5 of 5 declared\n")) << all;
  EXPECT_NE(std::string::npos, all.find(" Temperature range : 100.00 to 300.00 K\n")) << all;
  EXPECT_NE(std::string::npos, all.find("a = 5.00000 + 1.00000e-04 * T")) << all;
  EXPECT_NE(std::string::npos, all.find(" Slope             : 1.00000e-04 A/K\n")) << all;
  EXPECT_NE(std::string::npos,
            all.find(" Expansion (linear): 1.9960e-05 1/K = 19.960 x 10^-6/K (slope / fitted value "
                     "at 100.00 K)\n"))
      << all;

  // On a UTF-8 terminal the units are symbols.
  std::string utf8;
  for (const auto& l : vistrel::summary_lines(pgf, fit, true, true)) utf8 += l + "\n";
  EXPECT_NE(std::string::npos, utf8.find(" Slope             : 1.00000e-04 \u00C5/K\n")) << utf8;
  EXPECT_NE(std::string::npos, utf8.find(": a unit cell parameter (\u00C5) against")) << utf8;
}

TEST(Units, SymbolsOnlyForTheUnitsAPlotFileWrites) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a unit cell parameter (A)", "a unit cell parameter (\u00C5)"},
      {"Unit cell volume (A3)", "Unit cell volume (\u00C5\u00B3)"},
      {"beta angle (deg.)", "beta angle (\u00B0)"},
      {"alpha(deg)=f(T)", "alpha(\u00B0)=f(T)"},
      {"Temperature (K) (A", "Temperature (K) (A"},
      {"Phase (A) or (B)", "Phase (\u00C5) or (B)"},
  };
  for (const auto& [ascii, utf8] : cases) {
    EXPECT_EQ(utf8, chart::with_unit_symbols(ascii, true));
    EXPECT_EQ(ascii, chart::with_unit_symbols(ascii, false));
  }
  EXPECT_EQ("1.00000\u00D710\u207B\u2074", common::scientific_with_power(1e-4, 5));
  EXPECT_EQ("2.5\u00D710\u00B9\u2070", common::scientific_with_power(2.5e10, 1));
}

TEST(Fit, SlopeOfABinaryExactSeriesIsExact) {
  // y = 90 - T / 8192: every value and sum is exact in binary.
  std::vector<common::Point> points;
  for (int t = 0; t <= 400; t += 40) points.push_back({t * 1.0, 90 - t / 8192.0});
  const auto fit = expansion::fit_line(points);
  ASSERT_TRUE(fit.has_value());
  EXPECT_EQ(-1 / 8192.0, fit->slope);
  EXPECT_EQ(90.0, fit->intercept);
}

TEST(Fit, NoLineWithoutTwoTemperatures) {
  struct Case {
    std::vector<common::Point> points;
    expansion::NoFit why;
  };
  const std::vector<Case> cases = {
      {{}, expansion::NoFit::kNoPoints},
      {{{100, 5}}, expansion::NoFit::kOnePoint},
      {{{0.1, 5}, {0.1, 6}, {0.1, 7}}, expansion::NoFit::kSameTemperature},
      {{{100, 5}, {200, 5}}, expansion::NoFit::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.why, expansion::why_no_fit(c.points));
    EXPECT_EQ(c.why == expansion::NoFit::kNone, expansion::fit_line(c.points).has_value());
  }
}

TEST(Fit, SummaryOfOnePointSaysWhyThereIsNoLine) {
  formats::PgfFile pgf;
  pgf.points = {{100, 5.4321}};
  const auto lines = vistrel::summary_lines(pgf, std::nullopt, false, false);
  std::string all;
  for (const auto& l : lines) all += l + "\n";
  EXPECT_NE(std::string::npos, all.find("Least-squares line: none, one point only")) << all;
  EXPECT_EQ(std::string::npos, all.find("nan")) << all;
  EXPECT_EQ(std::string::npos, all.find("inf")) << all;
}

TEST(Axis, TicksAreRoundAndCoverTheData) {
  struct Case {
    double min, max;
    int wanted;
    double lo, hi, step;
    int decimals;
  };
  const std::vector<Case> cases = {
      {100, 295, 5, 100, 300, 50, 0},
      {5.4321, 5.4445, 5, 5.43, 5.445, 0.005, 3},
      {-12.5, 7, 4, -15, 10, 5, 0},
      {0, 0, 4, -1, 1, 0.5, 1},  // one value is widened around it
      {100, 100, 4, 99, 101, 0.5, 1},
      {-5e-324, 5e-324, 4, -1, 1, 0.5, 1},  // too narrow for any step: flat, around 0
      {3e-31, 3e-31, 4, -1, 1, 0.5, 1},
      {1e300, -1e300, 4, -1e300, 1e300, 5e299, 0},
  };
  for (const Case& c : cases) {
    const chart::Axis a = chart::nice_axis(c.min, c.max, c.wanted);
    EXPECT_NEAR(c.lo, a.lo, 1e-9) << c.min << ".." << c.max;
    EXPECT_NEAR(c.hi, a.hi, 1e-9) << c.min << ".." << c.max;
    EXPECT_NEAR(c.step, a.step, 1e-12) << c.min << ".." << c.max;
    EXPECT_EQ(c.decimals, a.decimals) << c.min << ".." << c.max;
    ASSERT_FALSE(a.ticks.empty());
    EXPECT_NEAR(a.lo, a.ticks.front(), 1e-9);
    EXPECT_NEAR(a.hi, a.ticks.back(), 1e-9);
  }
  // Ends at the data: the ticks within; too few of those, round ends again.
  const chart::Axis at_data = chart::nice_axis(100, 325, 5, chart::AxisEnds::kAtData);
  EXPECT_EQ(100, at_data.lo);
  EXPECT_EQ(325, at_data.hi);
  EXPECT_EQ((std::vector<double>{100, 150, 200, 250, 300}), at_data.ticks);
  const chart::Axis few = chart::nice_axis(101, 149, 2, chart::AxisEnds::kAtData);
  EXPECT_EQ(100, few.lo);
  EXPECT_EQ(150, few.hi);
  const chart::Axis millis = chart::nice_axis(0, 0.01, 5);
  ASSERT_EQ(3, millis.decimals);
  EXPECT_EQ("0.000", chart::tick_label(millis, -1e-17));
  EXPECT_EQ("-0.002", chart::tick_label(millis, -0.002));
  EXPECT_EQ("0.00000", common::fixed(-1e-9, 5));
  EXPECT_EQ("-0.00001", common::fixed(-1e-5, 5));
}

}  // namespace
