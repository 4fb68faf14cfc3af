#include "expansion/series_range.h"

#include <gtest/gtest.h>

namespace {

std::vector<crystal::CellEntry> at(const std::vector<double>& x, crystal::Abscissa abscissa) {
  std::vector<crystal::CellEntry> cells;
  for (const double v : x) {
    crystal::CellEntry e;
    (abscissa == crystal::Abscissa::kPressure ? e.pressure : e.temperature) = v;
    cells.push_back(e);
  }
  return cells;
}

// One lookup serves both modes, each to the decimals its tables write.
TEST(SeriesRange, ReferenceFoundByEitherAbscissa) {
  using crystal::Abscissa;
  struct Case {
    std::vector<double> x;
    Abscissa abscissa;
    std::optional<double> wanted;
    std::string found;  // the index, or the message
  };
  const Case cases[] = {
      {{100, 150, 200.004}, Abscissa::kTemperature, 200, "2"},
      {{100, 150, 200.004}, Abscissa::kTemperature, std::nullopt, "0"},
      {{100, 150, 200.004},
       Abscissa::kTemperature,
       250,
       "no point at 250.00 K for the reference (the series runs from 100.00 K to 200.00 K)"},
      {{1.2, 0.0001, 3.5}, Abscissa::kPressure, std::nullopt, "1"},
      {{1.2, 0.0001, 3.5}, Abscissa::kPressure, 1.20004, "0"},
      // 0.0001 GPa apart is another point, where 0.0001 K is not.
      {{1.2, 0.0001, 3.5},
       Abscissa::kPressure,
       1.2001,
       "no point at 1.2001 GPa for the reference (the series runs from 0.0001 GPa to 3.5 GPa)"},
  };
  for (const Case& c : cases) {
    const auto r = expansion::find_reference(at(c.x, c.abscissa), c.wanted, c.abscissa);
    EXPECT_EQ(c.found, r ? std::to_string(*r) : r.error().message);
  }
}

}  // namespace
