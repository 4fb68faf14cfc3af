// The cell's geometry against values worked by hand: its volume and the
// volume's SU in each crystal system with an SU on one parameter at a time,
// its basis, and the bounds of what a cell can be, on both sides.
#include "crystal/cell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>

namespace {

using crystal::Cell;
using crystal::CellSu;

constexpr double kRadian = std::numbers::pi / 180;

// An SU of 0.01 A on a length, or 0.1 degree on an angle, on parameter `i`
// (a, b, c, alpha, beta, gamma) alone.
CellSu su_on(std::size_t i) {
  std::array<std::optional<double>, 6> sus;
  sus[i] = i < 3 ? 0.01 : 0.1;
  return crystal::cell_su_of(sus);
}

// Each row gives V and sigma(V) for an SU on each parameter alone (0 where the
// derivative vanishes): a length x gives sigma(V) = V/x * 0.01; an angle
// gives |dV/d(angle)| * 0.1 * pi/180, the derivative per radian.
TEST(Cell, VolumeAndItsSuInEachSystem) {
  const struct {
    const char* system;
    Cell cell;
    double volume;
    std::array<double, 6> su;
  } cases[] = {
      {"cubic", {10, 10, 10, 90, 90, 90}, 1000, {1, 1, 1, 0, 0, 0}},
      // V = 5 * 5 * 8; V/a = V/b = 40, V/c = 25.
      {"tetragonal", {5, 5, 8, 90, 90, 90}, 200, {0.4, 0.4, 0.25, 0, 0, 0}},
      // V/a = 40, V/b = 32, V/c = 20: each length its own derivative.
      {"orthorhombic", {4, 5, 8, 90, 90, 90}, 160, {0.4, 0.32, 0.2, 0, 0, 0}},
      // V = abc sin(beta); dV/dbeta = abc cos(beta) = 160 * -0.173648.
      {"monoclinic",
       {4, 5, 8, 90, 100, 90},
       160 * std::sin(100 * kRadian),
       {0.3939231014, 0.3151384810, 0.1969615505, 0, 160 * 0.1736481777 * 0.1 * kRadian, 0}},
      // V = a^2 c sin(gamma); dV/dgamma = a^2 c cos(gamma) = 45 * -0.5.
      {"hexagonal",
       {3, 3, 5, 90, 90, 120},
       45 * std::sqrt(3.0) / 2,
       {0.1299038105, 0.1299038105, 0.07794228634, 0, 0, 22.5 * 0.1 * kRadian}},
      // dV/dalpha = a^3 sin(alpha) (cos(alpha) - cos^2(alpha)) / sqrt(1 - 3cos^2 + 2cos^3).
      {"rhombohedral",
       {5, 5, 5, 80, 80, 80},
       119.8965177298,
       {0.2397930356, 0.2397930356, 0.2397930356, 0.0321423407, 0.0321423407, 0.0321423407}},
      // By central differences of the volume: each angle its own derivative.
      {"triclinic",
       {5, 6, 7, 78, 85, 100},
       200.6274611217,
       {200.6274611217 / 5 * 0.01, 200.6274611217 / 6 * 0.01, 200.6274611217 / 7 * 0.01,
        0.08369984528, 0.04710741308, 0.07245279789}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.system);
    EXPECT_NEAR(c.volume, crystal::cell_volume(c.cell), 1e-9 * c.volume);
    for (std::size_t i = 0; i < 6; ++i) {
      const std::optional<double> su = crystal::cell_volume_su(c.cell, su_on(i));
      ASSERT_TRUE(su) << crystal::kCellParameterNames[i];
      EXPECT_NEAR(c.su[i], *su, 1e-8 * c.volume) << crystal::kCellParameterNames[i];
    }
  }
  // SUs together add in quadrature: 0.4 and 0.32 and 0.2.
  const CellSu lengths{0.01, 0.01, 0.01, {}, {}, {}};
  EXPECT_NEAR(std::sqrt(0.16 + 0.1024 + 0.04),
              crystal::cell_volume_su({4, 5, 8, 90, 90, 90}, lengths).value(), 1e-12);
  EXPECT_FALSE(crystal::cell_volume_su({4, 5, 8, 90, 90, 90}, {}));
}

// a along x, b in the x-y plane; the columns' lengths and angles give the
// cell back, and the determinant is the volume.
TEST(Cell, BasisPlacesAAlongXAndBInThePlane) {
  const Cell monoclinic{4, 5, 8, 90, 100, 90};
  const Eigen::Matrix3d m = crystal::basis(monoclinic);
  EXPECT_NEAR(4, m(0, 0), 1e-12);
  EXPECT_NEAR(0, m.col(0).tail<2>().norm(), 1e-12);
  EXPECT_NEAR(5, m(1, 1), 1e-12);  // gamma = 90: b along y
  EXPECT_NEAR(0, m(2, 1), 1e-12);
  // c in the x-z plane: 8 cos(100), 0, 8 sin(100).
  EXPECT_NEAR(8 * std::cos(100 * kRadian), m(0, 2), 1e-12);
  EXPECT_NEAR(0, m(1, 2), 1e-12);
  EXPECT_NEAR(8 * std::sin(100 * kRadian), m(2, 2), 1e-12);
  for (const Cell& cell : {monoclinic, Cell{5, 6, 7, 78, 85, 100}, Cell{3, 3, 5, 90, 90, 120}}) {
    const Eigen::Matrix3d b = crystal::basis(cell);
    EXPECT_NEAR(crystal::cell_volume(cell), b.determinant(), 1e-9);
    const auto back = crystal::parameters(crystal::cell_of_basis(b));
    const auto want = crystal::parameters(cell);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(want[i], back[i], 1e-9) << i;
  }
}

// A length from 0.1 to 10000 A, an angle strictly between 0 and 180 degrees,
// angles that close a volume; each bound from both sides, and the message
// names the bound that refused.
TEST(Cell, BoundsOfACellOnBothSides) {
  const std::string length = " is not between 0.1 and 10000 A";
  const std::string angle = " is not between 0 and 180 degrees";
  const struct {
    Cell cell;
    std::string error;  // empty for a cell
  } cases[] = {
      {{10000, 5, 5, 90, 90, 90}, ""},
      {{5, 1001, 5, 90, 90, 90}, ""},
      {{5, 5, 10000.01, 90, 90, 90}, "a cell length of 10000.01" + length},
      {{0.1, 5, 5, 90, 90, 90}, ""},
      {{5, 0.0999, 5, 90, 90, 90}, "a cell length of 0.0999" + length},
      {{5, 5, 5, 0.01, 90, 90}, ""},
      {{5, 5, 5, 0.001, 90, 90}, "the angles 0.001, 90.000, 90.000 close no volume: not a cell"},
      {{5, 5, 5, 90, 0, 90}, "a cell angle of 0" + angle},
      {{5, 5, 5, 90, 90, 179.99}, ""},
      {{5, 5, 5, 90, 90, 179.999},
       "the angles 90.000, 90.000, 179.999 close no volume: not a cell"},
      {{5, 5, 5, 90, 90, 180}, "a cell angle of 180" + angle},
      {{5, 5, 5, 120, 120, 120},
       "the angles 120.000, 120.000, 120.000 close no volume: not a cell"},
      {{5, 5, 5, 119, 119, 119}, ""},
      {{5, 5, 5, 60, 60, 60}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const auto checked = crystal::check_cell(c.cell);
    EXPECT_EQ(c.error.empty(), checked.has_value());
    if (!checked) {
      EXPECT_EQ(c.error, checked.error().message);
    }
  }
  EXPECT_TRUE(crystal::check_temperature(-1e5));
  EXPECT_TRUE(crystal::check_temperature(1e5));
  ASSERT_FALSE(crystal::check_temperature(100000.5));
  EXPECT_EQ("a temperature of 100000.5 K is beyond 100000 K",
            crystal::check_temperature(100000.5).error().message);
}

}  // namespace

namespace {

// The texts of a point, kept in one string, read back slot by slot whatever
// the order they were set in; one set again replaced, the others kept.
TEST(GivenTexts, EachSlotReadsBackAsSet) {
  crystal::GivenTexts texts;
  texts.set(crystal::GivenTexts::kPressure, {"0.190", "1"});
  texts.set(0, {"16.119(2)", ""});
  texts.set(4, {"90.5", "0.03"});
  texts.set(0, {"16.12(1)", ""});
  EXPECT_EQ("16.12(1)", texts[0].value);
  EXPECT_EQ("", texts[0].su);
  EXPECT_EQ("90.5", texts[4].value);
  EXPECT_EQ("0.03", texts[4].su);
  EXPECT_EQ("0.190", texts[crystal::GivenTexts::kPressure].value);
  EXPECT_EQ("1", texts[crystal::GivenTexts::kPressure].su);
  EXPECT_EQ("", texts[crystal::GivenTexts::kTemperature].value);
  texts.set(1, {std::string(70000, '1'), ""});  // too long to keep: nothing changes
  EXPECT_EQ("", texts[1].value);
  EXPECT_EQ("90.5", texts[4].value);
}

}  // namespace
