// The SUs drawn against what first-order propagation gives by hand, the
// cell's symmetry kept in the draws, repeatable draws, and weighted fits:
// against ordinary least squares worked on paper, and against a point whose
// large SU should count for little.
#include "expansion/monte_carlo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "expansion/weighted_fit.h"

namespace {

using crystal::Cell;
using crystal::CellEntry;
using crystal::CellSu;

// Ten points, 100 K to 325 K: S = sum (T - mean)^2 = 25^2 * 82.5.
const double kSumOfSquares = 625 * 82.5;

// Lengths growing at rates[i] from `lengths` at 100 K, each with SU su[i]
// (absent where 0); angles 90 and exact.
std::vector<CellEntry> series(const std::array<double, 3>& lengths,
                              const std::array<double, 3>& rates, const std::array<double, 3>& su) {
  std::vector<CellEntry> out;
  for (int i = 0; i < 10; ++i) {
    const double t = 100 + 25.0 * i;
    CellEntry e;
    e.source = "p" + std::to_string(i);
    e.temperature = t;
    std::array<double, 3> l{};
    for (std::size_t k = 0; k < 3; ++k) l[k] = lengths[k] * (1 + rates[k] * (t - 100));
    e.cell = Cell{l[0], l[1], l[2], 90, 90, 90};
    const auto given = [](double s) { return s > 0 ? std::optional<double>(s) : std::nullopt; };
    e.su = CellSu{given(su[0]), given(su[1]), given(su[2]), {}, {}, {}};
    out.push_back(e);
  }
  return out;
}

expansion::SeriesAnalysis run(const std::vector<CellEntry>& cells, bool weighted = false,
                              std::size_t draws = 10000, std::uint64_t start = 1) {
  const auto r = expansion::analyse_series(
      cells, {0, {expansion::StrainKind::kLagrangian, false}, 1, weighted}, {draws, start});
  if (!r) ADD_FAILURE() << r.error().message;
  return r.value();
}

// Lagrangian infinitesimal strains are L/L0 - 1 along each length, so to first
// order the slope's SU is su / (L0 sqrt(S)); the volume's sums the three
// relative SUs in quadrature, or adds them where one draw moves all three.
TEST(MonteCarlo, SusFollowFirstOrderPropagationAndKeepTheSymmetry) {
  struct Case {
    const char* name;
    std::array<double, 3> lengths, rates, su;
    std::array<double, 3> axis_su;  // in the order of the axes, alpha ascending
    double volume_su;
  };
  const double root_s = std::sqrt(kSumOfSquares);
  const Case cases[] = {
      {"cubic",
       {5, 5, 5},
       {1e-5, 1e-5, 1e-5},
       {2e-4, 2e-4, 2e-4},
       {4e-5 / root_s, 4e-5 / root_s, 4e-5 / root_s},
       3 * 4e-5 / root_s},
      {"tetragonal",
       {5, 5, 8},
       {1e-5, 1e-5, 3e-5},
       {2e-4, 2e-4, 4e-4},
       {4e-5 / root_s, 4e-5 / root_s, 5e-5 / root_s},
       std::hypot(2 * 4e-5, 5e-5) / root_s},
      {"orthorhombic",
       {5, 6, 8},
       {2e-5, -1e-5, 4e-5},
       {1e-4, 3e-4, 8e-4},
       {5e-5 / root_s, 2e-5 / root_s, 1e-4 / root_s},
       std::sqrt(2e-5 * 2e-5 + 5e-5 * 5e-5 + 1e-4 * 1e-4) / root_s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const expansion::SeriesAnalysis r = run(series(c.lengths, c.rates, c.su));
    ASSERT_TRUE(r.sus);
    for (std::size_t k = 0; k < 3; ++k)
      EXPECT_NEAR(c.axis_su[k], r.sus->axes[k].alpha, 0.03 * c.axis_su[k]) << "X" << k + 1;
    EXPECT_NEAR(c.volume_su, r.sus->volume.alpha, 0.03 * c.volume_su);
    EXPECT_NEAR(2e-4, r.sus->volume.values[0] / (c.lengths[0] * c.lengths[1] * c.lengths[2]),
                3 * 2e-4);
  }
}

TEST(MonteCarlo, DirectionsGetAnSuUnlessTheyExpandAlike) {
  const auto cubic = run(series({5, 5, 5}, {1e-5, 1e-5, 1e-5}, {2e-4, 2e-4, 2e-4}), false, 200);
  for (const auto& axis : cubic.sus->axes) EXPECT_FALSE(axis.direction_deg);
  const auto tetragonal =
      run(series({5, 5, 8}, {1e-5, 1e-5, 3e-5}, {2e-4, 2e-4, 4e-4}), false, 200);
  EXPECT_FALSE(tetragonal.sus->axes[0].direction_deg);
  EXPECT_FALSE(tetragonal.sus->axes[1].direction_deg);
  // c stays c in every draw, a = b and the angles being kept.
  EXPECT_NEAR(0, tetragonal.sus->axes[2].direction_deg.value(), 1e-9);
}

// The SU of a direction is the RMS angle between the drawn and the nominal
// axis, in degrees: worked here from the same drawn series, each analysed and
// its axes matched to the nominal ones by direction.
TEST(MonteCarlo, DirectionSuIsTheRmsAngleOfTheDrawnAxes) {
  std::vector<CellEntry> cells;
  for (int i = 0; i < 6; ++i) {
    const double t = 100 + 40.0 * i;
    CellEntry e;
    e.source = "p";
    e.temperature = t;
    e.cell = {5 + 1e-4 * t, 6 + 2e-5 * t, 8 + 3e-4 * t, 90, 100 + 2e-3 * t, 90};
    e.su = CellSu{3e-4, 3e-4, 4e-4, {}, 0.01, {}};
    cells.push_back(e);
  }
  const expansion::Draws draws{300, 5};
  const expansion::Settings settings{0, {expansion::StrainKind::kLagrangian, false}, 1, false};
  const auto r = expansion::analyse_series(cells, settings, draws);
  ASSERT_TRUE(r && r->sus) << (r ? "" : r.error().message);
  std::vector<double> temperatures;
  for (const CellEntry& e : cells) temperatures.push_back(*e.temperature);
  std::array<double, 3> squares{};
  const auto visited = expansion::for_each_drawn_series(
      cells, draws, [&](const std::vector<Eigen::Matrix3d>& bases) -> common::Expected<void> {
        const auto drawn = expansion::analyse(temperatures, bases, 0, settings.measure, 1);
        if (!drawn) return drawn.error();
        for (std::size_t k = 0; k < 3; ++k) {
          const Eigen::Vector3d& n = r->analysis.axes[k].direction;
          double cosine = 0;
          for (const auto& axis : drawn->axes)
            cosine = std::max(cosine, std::fabs(axis.direction.dot(n)));
          const double degrees = std::acos(std::min(cosine, 1.0)) * 180 / std::numbers::pi;
          squares[k] += degrees * degrees;
        }
        return {};
      });
  ASSERT_TRUE(visited);
  // b stays a principal axis in every draw; the other two turn about it.
  int turning = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    const double rms = std::sqrt(squares[k] / 300);
    ASSERT_TRUE(r->sus->axes[k].direction_deg) << k;
    turning += rms > 0.01 ? 1 : 0;
    EXPECT_NEAR(rms, *r->sus->axes[k].direction_deg, 1e-9 + 1e-6 * rms) << "X" << k + 1;
  }
  EXPECT_EQ(2, turning);
}

TEST(MonteCarlo, OneStartGivesTheSameNumbers) {
  const auto cells = series({5, 6, 8}, {2e-5, -1e-5, 4e-5}, {1e-4, 3e-4, 8e-4});
  const auto a = run(cells, false, 50, 7), b = run(cells, false, 50, 7),
             c = run(cells, false, 50, 8);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(a.sus->axes[k].alpha, b.sus->axes[k].alpha);
    EXPECT_EQ(a.sus->axes[k].strains, b.sus->axes[k].strains);
    EXPECT_NE(a.sus->axes[k].alpha, c.sus->axes[k].alpha);
  }
  EXPECT_EQ(a.sus->volume.values, b.sus->volume.values);
}

// x 0 1 2 3, y 0 2 1 3 with equal SUs: the weights cancel, slope 0.8 as by
// ordinary least squares, and its variance s^2 / Sxx = (1.8 / 2) / 5 whatever
// the SU.
TEST(WeightedFit, EqualSusGiveOrdinaryLeastSquares) {
  for (const double su : {0.01, 1.0, 30.0}) {
    const auto fit = expansion::fit_polynomial_weighted({0, 1, 2, 3}, {0, 2, 1, 3},
                                                        std::vector<double>(4, su), 1);
    const auto slope = expansion::derivative_at(fit, 1);
    EXPECT_NEAR(0.8, slope.value, 1e-12);
    EXPECT_NEAR(std::sqrt(0.18), slope.su, 1e-12);
  }
  // Two points and a line: none to spare, and the SUs alone give the slope's,
  // sqrt(0.3^2 + 0.4^2) / 2.
  const auto two = expansion::fit_polynomial_weighted({1, 3}, {5, 6}, {0.3, 0.4}, 1);
  EXPECT_NEAR(0.5, expansion::derivative_at(two, 0).value, 1e-12);
  EXPECT_NEAR(0.25, expansion::derivative_at(two, 0).su, 1e-12);
}

TEST(MonteCarlo, WeightedFitGivesLittleWeightToAPointWithALargeSu) {
  auto cells = series({5, 6, 8}, {2e-5, -1e-5, 4e-5}, {1e-4, 1e-4, 1e-4});
  cells[6].cell.a += 0.02;  // far off the line, and said to be
  cells[6].su.a = 0.05;
  const auto plain = run(cells, false, 300), weighted = run(cells, true, 300);
  const auto along_a = [](const expansion::Analysis& an) {
    for (const auto& axis : an.axes)
      if (axis.uvw(0) > 0.99) return axis.alpha.value;
    return 0.0;
  };
  EXPECT_GT(std::fabs(along_a(plain.analysis) - 2e-5), 1e-6);
  EXPECT_NEAR(2e-5, along_a(weighted.analysis), 2e-7);
}

// Four points with equal SUs, the second off the line by 3 SU: weighting
// keeps every point, the reference among them, and so moves no coefficient
// by as much as its SU. Where the cells leave a strain exact (b and c here
// carry no SU) the points are weighted by the fit's own scatter.
TEST(MonteCarlo, WeightingEqualSusKeepsTheReferencePoint) {
  for (const std::array<double, 3> su : {std::array<double, 3>{1e-4, 1e-4, 1e-4}, {1e-4, 0, 0}}) {
    auto cells = series({5, 6, 8}, {2e-5, -1e-5, 4e-5}, su);
    cells.resize(4);
    cells[1].cell.a += 3e-4, cells[1].cell.b -= 2e-4, cells[2].cell.c += 2e-4;
    const auto plain = run(cells, false, 300), weighted = run(cells, true, 300);
    for (std::size_t k = 0; k < 3; ++k) {
      const double moved =
          weighted.analysis.axes[k].alpha.value - plain.analysis.axes[k].alpha.value;
      EXPECT_LT(std::fabs(moved), plain.analysis.axes[k].alpha.su) << k;
    }
  }
}

TEST(MonteCarlo, FaultsAreToldWithTheirReason) {
  struct Case {
    std::vector<CellEntry> cells;
    bool weighted;
    const char* message;
  };
  auto exact = series({5, 6, 8}, {2e-5, -1e-5, 4e-5}, {0, 0, 0});
  auto mixed = series({5, 6, 8}, {2e-5, -1e-5, 4e-5}, {1e-4, 1e-4, 1e-4});
  mixed[3].su = {};
  auto a_only = series({5, 6, 8}, {2e-5, -1e-5, 4e-5}, {1e-4, 0, 0});
  a_only.resize(2);  // and no spare point to give a scatter
  auto wide = series({5, 6, 8}, {2e-5, -1e-5, 4e-5}, {1e-4, 1e-4, 1e-4});
  wide[2].su.b = 3.0;
  const Case cases[] = {
      {exact, true, "--weighted needs cells with standard uncertainties; these give none"},
      {mixed, true, "--weighted needs SUs at every point; the cell at 175.00 K (p3) has none"},
      {a_only, true,
       "--weighted: the strain along X1 at 100.00 K (p0) has no SU, and the fit's scatter gives "
       "none"},
      {wide, false,
       "p2: a cell drawn with its SUs is no cell (a cell length of 0.04263823358734964 is not "
       "between 0.1 and 10000 A): the SUs are too large for the values"},
  };
  for (const Case& c : cases) {
    const auto r = expansion::analyse_series(c.cells, {0, {}, 1, c.weighted}, {2000, 1});
    ASSERT_FALSE(r) << c.message;
    EXPECT_EQ(c.message, r.error().message);
  }
}

}  // namespace
