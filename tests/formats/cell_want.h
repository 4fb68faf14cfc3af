// A cell entry as a test expects it, written as the files write cells: each
// value with its SU in parentheses in units of its last digit (value_su.h,
// tested on its own), "7.9492(7)".
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "crystal/cell.h"
#include "formats/value_su.h"

namespace cellwant {

struct CellWant {
  std::string source;
  std::string cell;         // the six values, blanks between
  std::string temperature;  // empty for none
  std::string system;
  std::string lattice;
};

inline void expect_value(std::string_view want, std::optional<double> value,
                         std::optional<double> su, const char* what) {
  SCOPED_TRACE(what);
  const auto w = formats::parse_value_with_su(want);
  ASSERT_TRUE(w) << want;
  ASSERT_TRUE(value);
  EXPECT_NEAR(w->value, *value, 1e-9 * std::abs(w->value));
  ASSERT_EQ(w->su.has_value(), su.has_value());
  if (su) {
    EXPECT_NEAR(*w->su, *su, 1e-8 * *w->su);
  }
}

inline void expect_entry(const crystal::CellEntry& entry, const CellWant& want) {
  EXPECT_EQ(want.source, entry.source);
  std::istringstream values(want.cell);
  const auto cell = crystal::parameters(entry.cell);
  const auto su = crystal::parameters(entry.su);
  for (std::size_t i = 0; i < 6; ++i) {
    std::string value;
    values >> value;
    expect_value(value, cell[i], su[i], crystal::kCellParameterNames[i]);
  }
  ASSERT_EQ(want.temperature.empty(), !entry.temperature);
  if (entry.temperature)
    expect_value(want.temperature, entry.temperature, entry.temperature_su, "temperature");
  EXPECT_EQ(want.system, entry.system);
  EXPECT_EQ(want.lattice, entry.lattice);
}

}  // namespace cellwant
