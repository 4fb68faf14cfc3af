// The one definition of the expansion coefficient, worked by hand, and the
// analysis's edges: the median point of a series that heats and cools, fits
// without a spare point, negative expansion over two stretches, and Lagrangian
// directions read in the median cell.
#include "expansion/coefficient.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "expansion/analysis.h"
#include "expansion/cell.h"

namespace {

std::vector<Eigen::Matrix3d> bases_of(const std::vector<double>& t, double (*a)(double),
                                      double beta = 90) {
  std::vector<Eigen::Matrix3d> b;
  for (const double x : t) b.push_back(expansion::basis({a(x), 6, 7, 90, beta, 90}));
  return b;
}

expansion::Analysis run(const std::vector<double>& t, const std::vector<Eigen::Matrix3d>& bases,
                        std::size_t reference, expansion::StrainMeasure m, int degree) {
  auto r = expansion::analyse(t, bases, reference, m, degree);
  if (!r) ADD_FAILURE() << r.error().message;
  return r.value();
}

TEST(Coefficient, RateOverTheFittedValue) {
  // A line: slope / X_fit(T_ref).
  EXPECT_NEAR(1e-4 / 5.01, *expansion::expansion_coefficient(expansion::LineFit{1e-4, 5}, 100),
              1e-18);
  EXPECT_NEAR(1e-4 / 5.03, *expansion::expansion_coefficient(expansion::LineFit{1e-4, 5}, 300),
              1e-18);
  EXPECT_FALSE(expansion::expansion_coefficient(expansion::LineFit{1e-4, -0.01}, 100));
  EXPECT_FALSE(expansion::expansion_coefficient(expansion::LineFit{1e-4, -1}, 100));
  // A polynomial: X = 5 + 1e-3 T + 1e-6 T^2, at 200 K X' = 1.4e-3, X = 5.24;
  // a strain eps = 1e-5 d + 2e-8 d^2 (d = T - 100), at 200 K eps' = 1.4e-5,
  // eps = 1.2e-3.
  std::vector<double> t = {100, 150, 200, 250, 300}, x, eps;
  for (const double v : t) {
    x.push_back(5 + 1e-3 * v + 1e-6 * v * v);
    eps.push_back(1e-5 * (v - 100) + 2e-8 * (v - 100) * (v - 100));
  }
  const auto quantity = expansion::expansion_coefficient(expansion::fit_polynomial(t, x, 2), 200);
  EXPECT_NEAR(1.4e-3 / 5.24, quantity->value, 1e-15);
  const auto strain =
      expansion::strain_expansion_coefficient(expansion::fit_polynomial(t, eps, 2), 200);
  EXPECT_NEAR(1.4e-5 / 1.0012, strain->value, 1e-15);
}

// a = 5, 5.02, 5.03 at 100, 200, 300 K, b and c fixed: the line through a has
// slope 1.5e-4 and 5.0016667 at 100 K, and V is a times 42.
double noisy_a(double t) {
  return t < 150 ? 5 : t < 250 ? 5.02 : 5.03;
}

TEST(Coefficient, AxisVolumeAndPlotLineAgreeOnOneSeries) {
  const std::vector<double> t = {100, 200, 300};
  const auto bases = bases_of(t, noisy_a);
  const std::vector<formats::Point> a_points = {{100, 5}, {200, 5.02}, {300, 5.03}};
  for (const std::size_t reference : {0, 1}) {
    const double expected = 1.5e-4 / (5.0166666666666667 - 1.5e-4 * (200 - t[reference]));
    const expansion::Analysis an = run(t, bases, reference, {true, false}, 1);
    EXPECT_NEAR(expected, an.volume.alpha.value, 1e-16) << reference;
    EXPECT_NEAR(expected, an.axes[2].alpha.value, 1e-16) << reference;
    EXPECT_NEAR(expected,
                *expansion::expansion_coefficient(*expansion::fit_line(a_points), t[reference]),
                1e-16);
  }
}

double slow_a(double t) {
  return 5 * (1 + 1e-5 * (t - 100));
}

TEST(Analysis, MedianPointIsThatOfTheMedianTemperature) {
  // Heated to 300 K and cooled again: the median temperature is 200 K, the
  // first point there (row 2), not the middle row (300 K).
  const std::vector<double> t = {100, 200, 300, 200, 100};
  const auto bases = bases_of(t, slow_a);
  const expansion::Analysis an = run(t, bases, 0, {true, false}, 2);
  EXPECT_EQ(1U, an.median);
  EXPECT_EQ(1U, an.direction_point);
  EXPECT_NEAR(1e-5 / (1 + 1e-3), an.axes[2].alpha.value, 1e-12);
  // With the reference there, the directions come from the next temperature.
  EXPECT_EQ(2U, run(t, bases, 1, {}, 1).direction_point);
}

TEST(Analysis, AFitWithoutSparePointHasNoStandardErrors) {
  struct Case {
    std::vector<double> t;
    int degree;
    bool standard_errors;
  };
  const Case cases[] = {{{100, 200, 300}, 2, false},
                        {{100, 200, 300, 400}, 2, true},
                        {{100, 200, 300, 400}, 3, false},
                        {{100, 200, 300}, 1, true}};
  for (const Case& c : cases) {
    const expansion::Analysis an = run(c.t, bases_of(c.t, noisy_a), 0, {}, c.degree);
    EXPECT_EQ(c.standard_errors, an.standard_errors) << c.t.size() << " " << c.degree;
    EXPECT_EQ(!c.standard_errors, std::isnan(an.volume.alpha.su));
    EXPECT_EQ(!c.standard_errors, std::isnan(an.axes[0].alpha_at.back().su));
  }
}

// eps' = -1e-9 ((T - 200)^2 - 2500): negative below 150 K and above 250 K.
double two_dips_a(double t) {
  const double d = t - 200;
  return 5 * (1 - 1e-9 * (d * d * d / 3 - 2500 * d) - 1e-9 * (1e6 / 3 - 250000));
}

TEST(Analysis, NegativeExpansionOverEachStretch) {
  std::vector<double> t;
  for (double x = 100; x <= 300; x += 25) t.push_back(x);
  const expansion::Analysis an = run(t, bases_of(t, two_dips_a), 0, {true, false}, 3);
  for (const auto* spans : {&an.axes[2].negative, &an.volume.negative}) {
    ASSERT_EQ(2U, spans->size());
    EXPECT_NEAR(100, (*spans)[0].from, 1e-9);
    EXPECT_NEAR(150, (*spans)[0].to, 1e-6);
    EXPECT_NEAR(250, (*spans)[1].from, 1e-6);
    EXPECT_NEAR(300, (*spans)[1].to, 1e-9);
    EXPECT_NEAR(-7.5e-6, (*spans)[1].least, 1e-8);
  }
  // b and c stay: what rounding leaves of their strains is no expansion.
  for (const auto& span : an.axes[0].negative) EXPECT_GT(span.least, -1e-15);
}

// beta opens by 2 degrees over the series while a grows.
TEST(Analysis, LagrangianDirectionsAreReadInTheMedianCell) {
  std::vector<double> t = {100, 150, 200, 250, 300};
  std::vector<Eigen::Matrix3d> bases;
  for (const double x : t)
    bases.push_back(expansion::basis({slow_a(x) * 2, 6, 7, 90, 100 + 0.01 * (x - 100), 90}));
  const expansion::Analysis euler = run(t, bases, 0, {false, true}, 1);
  const expansion::Analysis lagrange = run(t, bases, 0, {true, true}, 1);
  // Finite strains of either kind have one set of principal lines.
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_TRUE(euler.axes[k].uvw.isApprox(lagrange.axes[k].uvw, 1e-9)) << k;
    for (std::size_t j = 0; j < 3; ++j)
      EXPECT_NEAR(euler.axes[k].angles[j], lagrange.axes[k].angles[j], 1e-7) << k << j;
  }
}

}  // namespace
