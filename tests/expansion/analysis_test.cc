// The analysis against series whose answers follow by hand: isotropic and
// orthorhombic cells built to expand at chosen rates, a monoclinic cell whose
// beta changes (turned in the Cartesian frame, and written with its axes
// relabelled), the two finite strains of one deformation, and least-squares
// slopes with HC0 standard errors worked out on paper.
#include "expansion/analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "crystal/cell.h"
#include "expansion/poly_fit.h"
#include "expansion/strain.h"
#include "expansion/symmetry.h"

namespace {

using crystal::Cell;
using expansion::Analysis;
using expansion::StrainMeasure;

const expansion::StrainMeasure kMeasures[] = {{expansion::StrainKind::kNatural, true},
                                              {expansion::StrainKind::kEulerian, true},
                                              {expansion::StrainKind::kLagrangian, true},
                                              {expansion::StrainKind::kEulerian, false},
                                              {expansion::StrainKind::kLagrangian, false}};

std::vector<double> temperatures(int n) {
  std::vector<double> t;
  t.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) t.push_back(100 + 25.0 * i);
  return t;
}

expansion::Analysis run(const std::vector<double>& t, const std::vector<Eigen::Matrix3d>& bases,
                        expansion::StrainMeasure m, std::size_t reference = 0, int degree = 1) {
  auto r = expansion::analyse(t, bases, reference, m, degree);
  if (!r) ADD_FAILURE() << r.error().message;
  return r.value();
}

std::vector<Eigen::Matrix3d> bases_of(const std::vector<double>& t,
                                      const std::function<crystal::Cell(double)>& cell_at) {
  std::vector<Eigen::Matrix3d> b;
  b.reserve(t.size());
  for (const double x : t) b.push_back(crystal::basis(cell_at(x)));
  return b;
}

// The stretch whose strain under measure m is s along its direction: each
// definition solved for the stretch.
double stretch_for(expansion::StrainMeasure m, double s) {
  const bool lagrangian = m.kind == expansion::StrainKind::kLagrangian;
  if (m.kind == expansion::StrainKind::kNatural) return std::exp(s);
  if (m.finite) return lagrangian ? std::sqrt(1 + 2 * s) : 1 / std::sqrt(1 - 2 * s);
  return lagrangian ? 1 + s : 1 / (1 - s);
}

TEST(Analysis, CubicSeriesGivesThreeEqualCoefficientsAndThreeTimesInVolume) {
  const double alpha = 12e-6;
  const std::vector<double> t = temperatures(8);
  for (const expansion::StrainMeasure m : kMeasures) {
    SCOPED_TRACE(expansion::measure_key(m));
    const auto bases = bases_of(t, [&](double x) {
      const double a = 5.43 * stretch_for(m, alpha * (x - 100));
      return crystal::Cell{a, a, a, 90, 90, 90};
    });
    const expansion::Analysis an = run(t, bases, m);
    for (const auto& axis : an.axes) {
      EXPECT_NEAR(alpha, axis.alpha.value, 1e-12);
      EXPECT_NEAR(0, axis.alpha.su, 1e-12);
    }
    EXPECT_NEAR(3 * alpha, an.volume.alpha.value, 3 * alpha * 0.01);
  }
}

TEST(Analysis, OrthorhombicCoefficientsLieAlongTheCellAxes) {
  // b shrinks; a's strain starts below c's... every axis its own rate.
  const double rates[] = {25e-6, -4e-6, 9e-6};  // along a, b, c
  const std::vector<double> t = temperatures(6);
  for (const expansion::StrainMeasure m : kMeasures) {
    SCOPED_TRACE(expansion::measure_key(m));
    const auto bases = bases_of(t, [&](double x) {
      return crystal::Cell{7 * stretch_for(m, rates[0] * (x - 100)),
                           9 * stretch_for(m, rates[1] * (x - 100)),
                           11 * stretch_for(m, rates[2] * (x - 100)),
                           90,
                           90,
                           90};
    });
    const expansion::Analysis an = run(t, bases, m);
    // Ascending: b, c, a.
    const int along[] = {1, 2, 0};
    for (int k = 0; k < 3; ++k) {
      const auto& axis = an.axes[static_cast<std::size_t>(k)];
      EXPECT_NEAR(rates[along[k]], axis.alpha.value, 1e-12) << "X" << k + 1;
      Eigen::Vector3d expected = Eigen::Vector3d::Zero();
      expected(along[k]) = 1;
      EXPECT_TRUE(axis.uvw.isApprox(expected, 1e-9)) << axis.uvw.transpose();
      EXPECT_NEAR(0, axis.angles[static_cast<std::size_t>(along[k])], 1e-5);
    }
  }
}

TEST(Analysis, CrossingStrainsKeepEachAxisItsOwn) {
  // a starts shrinking, then grows: its strain passes those of b and c, so a
  // sort by value would hand a's values to other axes halfway.
  const std::vector<double> t = temperatures(9);
  const auto bases = bases_of(t, [](double x) {
    const double d = x - 100;
    return crystal::Cell{
        6 * (1 - 4e-5 * d + 4e-7 * d * d), 7 * (1 + 1e-5 * d), 8 * (1 + 2e-5 * d), 90, 90, 90};
  });
  const expansion::Analysis an = run(t, bases, {expansion::StrainKind::kLagrangian, false}, 0, 2);
  for (const auto& axis : an.axes) {
    EXPECT_NEAR(1, axis.uvw.cwiseAbs().maxCoeff(), 1e-9);
    // alpha = dε/dT at the median point, 200 K.
    if (axis.uvw(0) > 0.5) {  // the a axis: dε/dT = -4e-5 + 8e-7 (T - 100), ε(200 K) = 0
      EXPECT_NEAR(4e-5, axis.alpha.value, 1e-9);
      EXPECT_NEAR(-4e-5, axis.alpha_at.front().value, 1e-9);
    } else {
      const double rate = axis.uvw(1) > 0.5 ? 1e-5 : 2e-5;
      EXPECT_NEAR(rate, axis.alpha.value, 1e-12);
    }
  }
}

// A monoclinic cell (unique axis b) whose beta opens while a, b, c grow at
// different rates.
crystal::Cell monoclinic(double t) {
  const double d = t - 100;
  return {
      10.2 * (1 + 8e-6 * d), 6.1 * (1 + 4e-6 * d), 8.3 * (1 + 15e-6 * d), 90, 105.3 + 4e-4 * d, 90};
}

TEST(Analysis, MonoclinicAxesTurnInTheAcPlaneAndDoNotDependOnTheFrame) {
  const std::vector<double> t = temperatures(10);
  const auto bases = bases_of(t, monoclinic);
  const Eigen::Matrix3d turn =
      (Eigen::AngleAxisd(0.7, Eigen::Vector3d(1, 2, 3).normalized())).toRotationMatrix();
  std::vector<Eigen::Matrix3d> turned;
  turned.reserve(bases.size());
  for (const auto& b : bases) turned.push_back(turn * b);
  // Relabelled: a' = c, b' = a, c' = b (alpha' = beta), so [u v w] = [v' w' u'].
  const auto relabelled = bases_of(t, [](double x) {
    const crystal::Cell c = monoclinic(x);
    return crystal::Cell{c.c, c.a, c.b, c.gamma, c.alpha, c.beta};
  });
  for (const expansion::StrainMeasure m : kMeasures) {
    SCOPED_TRACE(expansion::measure_key(m));
    const expansion::Analysis an = run(t, bases, m);
    int in_ac_plane = 0;
    for (const auto& axis : an.axes) {
      if (std::fabs(axis.uvw(1)) > 0.999) continue;  // along b
      ++in_ac_plane;
      EXPECT_NEAR(0, axis.uvw(1), 1e-9);
      for (const double angle : {axis.angles[0], axis.angles[2]})
        EXPECT_GT(std::fabs(std::remainder(angle, 90.0)), 1.0) << angle;
    }
    EXPECT_EQ(2, in_ac_plane);

    const expansion::Analysis other = run(t, turned, m);
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_NEAR(an.axes[k].alpha.value, other.axes[k].alpha.value, 1e-12);
      EXPECT_NEAR(an.axes[k].alpha.su, other.axes[k].alpha.su, 1e-12);
      EXPECT_TRUE(an.axes[k].uvw.isApprox(other.axes[k].uvw, 1e-9));
    }
    EXPECT_NEAR(an.volume.alpha.value, other.volume.alpha.value, 1e-12);

    // Relabelling turns each cell by its own angle: finite strains are blind
    // to that, infinitesimal ones only to first order.
    const expansion::Analysis named = run(t, relabelled, m);
    const double tolerance = m.finite ? 1e-12 : 1e-8;
    const double turn_tolerance = m.finite ? 1e-9 : 1e-3;
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_NEAR(an.axes[k].alpha.value, named.axes[k].alpha.value, tolerance);
      const Eigen::Vector3d& p = named.axes[k].uvw;
      EXPECT_TRUE(an.axes[k].uvw.isApprox(Eigen::Vector3d(p(1), p(2), p(0)), turn_tolerance))
          << an.axes[k].uvw.transpose() << " vs " << p.transpose();
    }
  }
}

// Lagrangian directions, lines of the reference state, are carried into the
// median cell and read there: both finite measures then name one set of
// lines, [uvw] and angles alike (read against the reference cell, the angles
// were those of the reference state).
TEST(Analysis, LagrangianDirectionsAreReadInTheMedianCell) {
  const std::vector<double> t = temperatures(5);
  const auto bases = bases_of(t, [](double x) {
    return crystal::Cell{10 * (1 + 1e-5 * (x - 100)), 6, 7, 90, 100 + 0.01 * (x - 100), 90};
  });
  const Analysis euler = run(t, bases, {expansion::StrainKind::kEulerian, true});
  const Analysis lagrange = run(t, bases, {expansion::StrainKind::kLagrangian, true});
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_TRUE(euler.axes[k].uvw.isApprox(lagrange.axes[k].uvw, 1e-9)) << k;
    for (std::size_t j = 0; j < 3; ++j)
      EXPECT_NEAR(euler.axes[k].angles[j], lagrange.axes[k].angles[j], 1e-7) << k << j;
  }
}

// Coefficients within twice their combined standard error, or equal as
// shown, are not told apart.
TEST(Analysis, AxesExpandAlikeWithinTwiceTheirCombinedStandardError) {
  const auto axis = [](double alpha, double su) {
    expansion::AxisResult a;
    a.alpha = {alpha, su};
    return a;
  };
  EXPECT_TRUE(expansion::expand_alike(axis(10e-6, 1e-6), axis(12.8e-6, 1e-6)));  // 2.8 < 2.83
  EXPECT_FALSE(expansion::expand_alike(axis(10e-6, 1e-6), axis(12.9e-6, 1e-6)));
  EXPECT_TRUE(expansion::expand_alike(axis(10e-6, 0), axis(10.0004e-6, 0)));
  EXPECT_FALSE(expansion::expand_alike(axis(10e-6, 0), axis(10.0006e-6, 0)));
}

TEST(Strain, LagrangianAndEulerianFiniteStrainsAgreeThroughF) {
  Eigen::Matrix3d f;
  f << 1.02, 0.01, -0.03, 0.004, 0.97, 0.02, 0.015, -0.01, 1.05;
  const Eigen::Matrix3d lagrangian =
      expansion::strain_tensor(f, {expansion::StrainKind::kLagrangian, true});
  const Eigen::Matrix3d eulerian =
      expansion::strain_tensor(f, {expansion::StrainKind::kEulerian, true});
  EXPECT_TRUE(lagrangian.isApprox(f.transpose() * eulerian * f, 1e-12));
  // A stretch of 1.1 along x alone: E = (1.21 - 1) / 2, e = (1 - 1 / 1.21) / 2.
  const Eigen::Matrix3d stretch = Eigen::Vector3d(1.1, 1, 1).asDiagonal();
  EXPECT_NEAR(0.105,
              expansion::strain_tensor(stretch, {expansion::StrainKind::kLagrangian, true})(0, 0),
              1e-15);
  EXPECT_NEAR(0.5 * (1 - 1 / 1.21),
              expansion::strain_tensor(stretch, {expansion::StrainKind::kEulerian, true})(0, 0),
              1e-15);
}

TEST(PolyFit, LineWithHc0StandardErrorWorkedByHand) {
  // x 0 1 2 3, y 0 2 1 3: slope Sxy / Sxx = 4 / 5 = 0.8, intercept 0.3,
  // residuals -0.3 0.9 -0.9 0.3; HC0 var = sum (x - 1.5)^2 e^2 / Sxx^2 = 0.81 / 25.
  const auto fit = expansion::fit_polynomial({0, 1, 2, 3}, {0, 2, 1, 3}, 1);
  const auto slope = expansion::derivative_at(fit, 7);
  EXPECT_NEAR(0.8, slope.value, 1e-14);
  EXPECT_NEAR(0.18, slope.su, 1e-14);
  EXPECT_NEAR(0.3, expansion::value_at(fit, 0), 1e-14);
}

TEST(PolyFit, PolynomialDerivativesOfExactData) {
  std::vector<double> x = {100, 150, 175, 200, 260, 300}, quadratic, cubic;
  for (const double v : x) {
    quadratic.push_back(1 + 2e-3 * v + 3e-6 * v * v);
    cubic.push_back(1e-8 * v * v * v);
  }
  const auto q = expansion::fit_polynomial(x, quadratic, 2);
  const auto c = expansion::fit_polynomial(x, cubic, 3);
  for (const double at : {100.0, 180.0, 300.0}) {
    EXPECT_NEAR(2e-3 + 6e-6 * at, expansion::derivative_at(q, at).value, 1e-12);
    EXPECT_NEAR(3e-8 * at * at, expansion::derivative_at(c, at).value, 1e-12);
    EXPECT_NEAR(0, expansion::derivative_at(c, at).su, 1e-12);
  }
}

TEST(Analysis, TooFewPointsOrTemperaturesAndTheReference) {
  const auto cell = [](double x) { return crystal::Cell{5 + x * 1e-4, 6, 7, 90, 90, 90}; };
  struct Case {
    std::vector<double> t;
    int degree;
    const char* message;
  };
  const Case cases[] = {
      {{100}, 1, "at least 2 points are needed; the series holds 1"},
      {{100, 100, 100},
       1,
       "the points lie at 1 distinct temperature; a linear fit needs at least 2"},
      {{100, 200, 100},
       2,
       "the points lie at 2 distinct temperatures; a quadratic fit needs at least 3"},
  };
  for (const Case& c : cases) {
    const auto r = expansion::analyse(c.t, bases_of(c.t, cell), 0, {}, c.degree);
    ASSERT_FALSE(r) << c.message;
    EXPECT_EQ(c.message, r.error().message);
  }
  const std::vector<double> t = {100, 150, 200.004};
  // A reference in mid-series: the strains vanish there, not at the first point.
  const expansion::Analysis an = run(t, bases_of(t, cell), {}, 1);
  EXPECT_NEAR(0, an.axes[2].strains[1], 1e-15);
  EXPECT_LT(an.axes[2].strains[0], 0);
}

}  // namespace

namespace {

// The metric symmetry of one cell and its unique axis, each family in each
// setting, and the tolerances of twice the combined SU on both sides.
TEST(Symmetry, MetricFamilyAndUniqueAxisOfACell) {
  using expansion::Family;
  const Eigen::Vector3d none(0, 0, 0), a(1, 0, 0), b(0, 1, 0), c(0, 0, 1);
  const Eigen::Vector3d diagonal = Eigen::Vector3d(1, 1, 1).normalized();
  const crystal::CellSu milli{0.001, 0.001, 0.001, 0.01, 0.01, 0.01};
  const struct {
    Cell cell;
    crystal::CellSu su;
    Family family;
    Eigen::Vector3d unique;  // zero for none
  } cases[] = {
      {{5, 5, 5, 90, 90, 90}, {}, Family::kCubic, none},
      {{5, 5, 8, 90, 90, 90}, {}, Family::kTetragonal, c},
      {{8, 5, 5, 90, 90, 90}, {}, Family::kTetragonal, a},
      {{5, 8, 5, 90, 90, 90}, {}, Family::kTetragonal, b},
      {{4, 5, 6, 90, 90, 90}, {}, Family::kOrthorhombic, none},
      {{3, 3, 5, 90, 90, 120}, {}, Family::kHexagonal, c},
      {{5, 3, 3, 120, 90, 90}, {}, Family::kHexagonal, a},
      {{4, 5, 6, 90, 100, 90}, {}, Family::kMonoclinic, b},
      {{4, 5, 6, 100, 90, 90}, {}, Family::kMonoclinic, a},
      {{4, 5, 6, 90, 90, 100}, {}, Family::kMonoclinic, c},
      {{3, 4, 5, 90, 90, 120}, {}, Family::kMonoclinic, c},
      {{5, 5, 5, 80, 80, 80}, {}, Family::kTrigonal, diagonal},
      {{5, 5, 5, 80, 80, 81}, {}, Family::kTriclinic, none},
      // Within twice the combined SU, 2 sqrt(2) 0.001 for two lengths.
      {{5, 5.0028, 8, 90, 90, 90}, milli, Family::kTetragonal, c},
      {{5, 5.0029, 8, 90, 90, 90}, milli, Family::kOrthorhombic, none},
      {{4, 5, 6, 90, 90.019, 90}, milli, Family::kOrthorhombic, none},
      {{4, 5, 6, 90, 90.021, 90}, milli, Family::kMonoclinic, b},
      // Without SUs, to 1e-4 relative.
      {{5, 5.0004, 8, 90, 90, 90}, {}, Family::kTetragonal, c},
      {{5, 5.0006, 8, 90, 90, 90}, {}, Family::kOrthorhombic, none},
  };
  for (const auto& x : cases) {
    SCOPED_TRACE(::testing::Message() << x.cell.a << " " << x.cell.b << " " << x.cell.c << " "
                                      << x.cell.alpha << " " << x.cell.beta << " " << x.cell.gamma);
    const expansion::Symmetry s = expansion::metric_symmetry(x.cell, x.su);
    EXPECT_STREQ(expansion::family_name(x.family), expansion::family_name(s.family));
    EXPECT_EQ(x.unique.isZero(), !s.unique_uvw.has_value());
    if (s.unique_uvw && !x.unique.isZero()) {
      EXPECT_NEAR(0, (*s.unique_uvw - x.unique).norm(), 1e-12);
    }
  }
  // The files' family, with the unique axis the metric shows.
  std::vector<crystal::CellEntry> cells(2);
  cells[0].cell = {8, 5, 5, 90, 90, 90};
  cells[1].cell = {8.01, 5.01, 5.01, 90, 90, 90};
  for (auto& e : cells) e.system = "tetragonal";
  const expansion::Symmetry named = expansion::series_symmetry(cells);
  EXPECT_TRUE(named.from_files);
  ASSERT_TRUE(named.unique_uvw);
  EXPECT_NEAR(0, (*named.unique_uvw - a).norm(), 1e-12);
}

}  // namespace
