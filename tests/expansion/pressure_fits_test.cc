// The equations of state and the empirical strain fit against a made-up
// series worked apart from the code (worked/pressure_fits.py, scipy's
// curve_fit from many starts; its printed output is copied below), a curve
// the closed forms must give back exactly, and input no fit can use.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "expansion/compressibility.h"
#include "expansion/equation_of_state.h"

namespace {

using expansion::EosOrder;

const std::vector<double> kP = {0.05, 0.31, 0.62, 0.95, 1.40, 1.88, 2.45,
                                3.10, 3.90, 4.70, 5.60, 6.50, 7.45};
const std::vector<double> kSigma = {0.01, 0.02, 0.02, 0.03, 0.03, 0.04, 0.05,
                                    0.05, 0.06, 0.07, 0.08, 0.09, 0.10};
const std::vector<double> kV = {510.9737051, 504.1893918, 497.0901579, 490.146738,  481.4597178,
                                473.2547296, 464.7360629, 456.0359292, 446.4147801, 438.067121,
                                429.6980511, 422.0530995, 414.8403825};

void expect_near(double got, double want, double relative, const char* what) {
  EXPECT_NEAR(got, want, relative * std::abs(want)) << what;
}

TEST(EquationOfState, MatchesTheWorkedFits) {
  struct Case {
    EosOrder order;
    double pc;  // asked for; 0.5 lies above the series and is lowered to 0.05
    double v0, v0_su, b0, b0_su, bp, bp_su;
  };
  const Case cases[] = {
      {EosOrder::kSecond, 0, 511.3147466, 0.5111552994, 22.08663684, 0.4014145264, 4, NAN},
      {EosOrder::kThird, 0, 512.3203094, 0.02960925737, 18.68385452, 0.04746327799, 6.105412559,
       0.03126553508},
      {EosOrder::kThirdCritical, 0.05, 510.9623044, 0.02724930573, 18.98715745, 0.04597012644,
       6.080448202, 0.03076157355},
      {EosOrder::kThirdCritical, 0.5, 510.9623044, 0.02724930573, 18.98715745, 0.04597012644,
       6.080448202, 0.03076157355},
      {EosOrder::kThirdCritical, 0, 512.3203094, 0.02960925737, 18.68385452, 0.04746327799,
       6.105412559, 0.03126553508},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(expansion::eos_name(c.order)) + " p_c " + std::to_string(c.pc));
    const auto fit = expansion::fit_eos(c.order, kP, kSigma, kV, c.pc);
    ASSERT_TRUE(fit) << fit.error().message;
    expect_near(fit->v0.value, c.v0, 1e-8, "V0");
    expect_near(fit->b0.value, c.b0, 1e-6, "B0");
    expect_near(fit->bp.value, c.bp, 1e-6, "B'");
    expect_near(fit->v0.su, c.v0_su, 1e-4, "V0 su");
    expect_near(fit->b0.su, c.b0_su, 1e-4, "B0 su");
    if (std::isnan(c.bp_su)) {
      EXPECT_TRUE(std::isnan(fit->bp.su));
    } else {
      expect_near(fit->bp.su, c.bp_su, 1e-4, "B' su");
    }
    if (c.order != EosOrder::kSecond) {  // B' = 4 is far from this curve's 6.1
      EXPECT_NEAR(expansion::eos_pressure(*fit, kV[4]), kP[4], 3 * kSigma[4]);
    }
  }
}

// Volumes that lie exactly on a curve give its parameters back, from any
// scale of volume: the closed form is the minimum, not a start near it.
TEST(EquationOfState, ClosedFormsRecoverAnExactCurve) {
  const expansion::EosFit truth{EosOrder::kThirdCritical, 0.3, {61.25, 0}, {143.0, 0}, {4.6, 0}};
  std::vector<double> v, p;
  for (int i = 0; i < 9; ++i) {
    v.push_back(61.0 - 1.1 * i);
    p.push_back(expansion::eos_pressure(truth, v.back()));
  }
  const std::vector<double> sigma(v.size(), 0.05);
  const auto fit = expansion::fit_eos(EosOrder::kThirdCritical, p, sigma, v, 0.3);
  ASSERT_TRUE(fit) << fit.error().message;
  EXPECT_NEAR(fit->v0.value, 61.25, 1e-8);
  EXPECT_NEAR(fit->b0.value, 143.0, 1e-6);
  EXPECT_NEAR(fit->bp.value, 4.6, 1e-7);
}

struct Worked {
  std::vector<double> eps;
  double eps0, lambda, pc, nu;
  double eps0_su, lambda_su, pc_su, nu_su;
  std::vector<double> k, k_su;
};

const Worked kGrow{{0.002482567102, 0.00454579353, 0.006662354207, 0.008568638703, 0.01077364572,
                    0.01288368984, 0.01521201888, 0.01758977621, 0.02017957591, 0.02263330319,
                    0.02519148437, 0.02751041416, 0.02984942155},
                   -0.004488519009,
                   0.0111973723,
                   -0.3688629507,
                   0.5449690065,
                   0.0006940023979,
                   0.0004610064271,
                   0.03738767392,
                   0.01204305359,
                   {-9.06685977, -7.278338948, -6.133397961, -5.380137157, -4.707381437,
                    -4.220207966, -3.807941957, -3.464862702, -3.152654142, -2.915625731,
                    -2.706656809, -2.539097492, -2.393756121},
                   {0.1084376261, 0.02241481269, 0.01708220242, 0.01765391011, 0.01443801355,
                    0.01058813417, 0.007896778645, 0.008108162459, 0.01066454592, 0.01341940478,
                    0.01607746327, 0.01824361061, 0.02009324766}};

const Worked kShrink{
    {-0.001926592413, -0.008237272193, -0.01430225398, -0.02015271361, -0.02750464436,
     -0.03477630214, -0.04300228869, -0.05194688772, -0.0623956786, -0.07239951377, -0.08330892442,
     -0.09389900649, -0.1046904289},
    9.330895218e-05,
    -0.02103196554,
    -0.003380561042,
    0.7995025484,
    9.512586053e-05,
    4.839472206e-05,
    0.002861512044,
    0.0009562055376,
    {30.25911016, 21.21954088, 18.48634966, 16.97683663, 15.71055075, 14.81069126, 14.04600571,
     13.39948302, 12.79726967, 12.3277324, 11.90247759, 11.55227139, 11.24074514},
    {0.214532488, 0.01308495922, 0.01290808076, 0.01021825008, 0.007072540325, 0.004971228897,
     0.00415842245, 0.004776636343, 0.00617383726, 0.007531637654, 0.008852546176, 0.009968166041,
     0.0109657166}};

// Both series, and the growing one again with every pressure 0.5 GPa lower
// (below zero at first): the same curve, p_c moved with it.
TEST(EmpiricalFit, ReachesTheWorkedMinimum) {
  for (const double shift : {0.0, -0.5}) {
    for (const Worked* w : {&kGrow, &kShrink}) {
      SCOPED_TRACE(w == &kGrow ? "grow" : "shrink");
      std::vector<double> p = kP;
      for (double& x : p) x += shift;
      const auto fit = expansion::fit_empirical(p, kSigma, w->eps);
      ASSERT_TRUE(fit) << fit.error().message;
      expect_near(fit->eps0.value, w->eps0, 1e-5, "eps0");
      expect_near(fit->lambda.value, w->lambda, 1e-5, "lambda");
      EXPECT_NEAR(fit->pc.value, w->pc + shift, 1e-5);
      expect_near(fit->nu.value, w->nu, 1e-5, "nu");
      expect_near(fit->eps0.su, w->eps0_su, 1e-3, "eps0 su");
      expect_near(fit->lambda.su, w->lambda_su, 1e-3, "lambda su");
      expect_near(fit->pc.su, w->pc_su, 1e-3, "pc su");
      expect_near(fit->nu.su, w->nu_su, 1e-3, "nu su");
      for (std::size_t i = 0; i < p.size(); ++i) {
        const expansion::Estimate k = expansion::compressibility(*fit, p[i]);
        expect_near(k.value, w->k[i], 1e-5, "K");
        expect_near(k.su, w->k_su[i], 1e-3, "K su");
      }
    }
  }
}

// A fit started from that of a nearby series (as each series drawn from the
// cells' SUs is) reaches the same minimum as from the grid: from the fit of
// strains 2 % larger, and from one whose p_c sits at its bound, which the
// polish must leave.
TEST(EmpiricalFit, StartedNearbyReachesTheWorkedMinimum) {
  for (const Worked* w : {&kGrow, &kShrink}) {
    std::vector<double> larger = w->eps;
    for (double& e : larger) e *= 1.02;
    const auto nearby = expansion::fit_empirical(kP, kSigma, larger);
    ASSERT_TRUE(nearby) << nearby.error().message;
    expansion::EmpiricalFit at_bound = *nearby;
    at_bound.pc.value = kP[0];
    const expansion::EmpiricalFit* starts[] = {&*nearby, &at_bound};
    for (const expansion::EmpiricalFit* near : starts) {
      SCOPED_TRACE(std::string(w == &kGrow ? "grow" : "shrink") +
                   (near == &at_bound ? ", from the bound" : ""));
      const auto fit = expansion::fit_empirical(kP, kSigma, w->eps, near);
      ASSERT_TRUE(fit) << fit.error().message;
      expect_near(fit->lambda.value, w->lambda, 1e-5, "lambda");
      EXPECT_NEAR(fit->pc.value, w->pc, 1e-5);
      expect_near(fit->nu.value, w->nu, 1e-5, "nu");
      expect_near(fit->pc.su, w->pc_su, 1e-3, "pc su");
    }
  }
}

// A dense series reaches the minimum over all its points, not over those the
// grid thins it to: the residuals orthogonal to each column of the Jacobian.
TEST(EmpiricalFit, DenseSeriesReachesTheMinimumOverAllPoints) {
  std::vector<double> p, sigma, eps;
  for (int i = 0; i < 3000; ++i) {
    p.push_back(0.05 + 7.4 * i / 2999.0);
    sigma.push_back(0.01 + 0.01 * p.back());
    const double noise = 2e-5 * (((i * 7919) % 23) - 11) / 11.0;
    eps.push_back(1e-4 - 0.021 * std::pow(p.back() + 0.003, 0.8) + noise);
  }
  const auto fit = expansion::fit_empirical(p, sigma, eps);
  ASSERT_TRUE(fit) << fit.error().message;
  ASSERT_FALSE(std::isnan(fit->pc.su));  // inside its bound: all four are free
  const double lambda = fit->lambda.value, nu = fit->nu.value;
  double dot[4] = {}, norm[4] = {}, r2 = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const double d = p[i] - fit->pc.value, t = std::pow(d, nu);
    const double r = (expansion::empirical_strain(*fit, p[i]) - eps[i]) / sigma[i];
    const double column[4] = {1, t, -lambda * nu * t / d, lambda * t * std::log(d)};
    for (int k = 0; k < 4; ++k) {
      dot[k] += column[k] / sigma[i] * r;
      norm[k] += column[k] * column[k] / (sigma[i] * sigma[i]);
    }
    r2 += r * r;
  }
  for (int k = 0; k < 4; ++k) EXPECT_LT(std::abs(dot[k]), 1e-6 * std::sqrt(norm[k] * r2)) << k;
}

// Three series whose least squares were found by a dense scan of the profile
// (worked/empirical_minimum.py, no optimizer): one with its minimum just below
// the lowest pressure, where a polish from the bound stops short, and two
// whose sums of squares fall on towards nu -> 0, where the parameters are not
// determined but the curve and K are. The fit's chi^2 is its own: at most
// the scan's (a little more for the last two, which the scan follows to
// nu = 0.002 and the fit to its edge at 1e-4).
TEST(EmpiricalFit, ReachesTheScannedMinimum) {
  const std::vector<double> p = {0.12, 0.55, 1.04, 1.61, 2.30, 3.05, 3.92, 4.86};
  const std::vector<double> sigma = {0.02, 0.02, 0.03, 0.03, 0.04, 0.04, 0.05, 0.05};
  struct Case {
    const char* name;
    std::vector<double> eps;
    double chi2, k_median;
    bool determined;
    double chi2_room, k_room;  // relative
  };
  const Case cases[] = {
      {"near",
       {-0.005074165576, -0.0151415719, -0.01956552849, -0.0230871888, -0.02636590503,
        -0.02920970548, -0.03195270202, -0.0345436701},
       5.342539988e-07,
       4.684039354,
       true,
       1e-6,
       1e-4},
      {"logarithmic",
       {0.009217003406, 0.004957113577, 0.002249982316, 0.0001333805476, -0.00174306867,
        -0.003257762075, -0.004621010768, -0.005859619477},
       7.723174006e-07,
       2.657469756,
       true,
       1e-6,
       1e-3},
      {"exponential",
       {-0.0008860339935, -0.0038548695, -0.006868152426, -0.009939809832, -0.01311935394,
        -0.01600523836, -0.01873976703, -0.02109939957},
       8.001337946e-05,
       4.443058398,
       false,
       1e-3,
       1e-3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto fit = expansion::fit_empirical(p, sigma, c.eps);
    ASSERT_TRUE(fit) << fit.error().message;
    double chi2 = 0;
    for (std::size_t i = 0; i < p.size(); ++i)
      chi2 += std::pow((expansion::empirical_strain(*fit, p[i]) - c.eps[i]) / sigma[i], 2);
    EXPECT_LE(chi2, c.chi2 * (1 + c.chi2_room));
    EXPECT_EQ(fit->determined, c.determined);
    const expansion::Estimate k = expansion::compressibility(*fit, 1.955);
    expect_near(k.value, c.k_median, c.k_room, "K at the median pressure");
    EXPECT_TRUE(std::isfinite(k.su) && k.su > 0 && k.su < std::abs(k.value));
  }
}

// Pressures' SUs of any scale give the same fit, and a fit with no pressure
// to spare is refused as one that cannot be judged.
TEST(EmpiricalFit, SuScaleAndExactFits) {
  const std::vector<double> eps = kGrow.eps;
  for (const double scale : {1e-150, 1e155}) {
    std::vector<double> sigma = kSigma;
    for (double& s : sigma) s *= scale;
    const auto fit = expansion::fit_empirical(kP, sigma, eps);
    ASSERT_TRUE(fit) << fit.error().message;
    expect_near(fit->nu.value, kGrow.nu, 1e-5, "nu");
    expect_near(fit->nu.su, kGrow.nu_su, 1e-3, "nu su");
  }
  const auto exact = expansion::fit_empirical({1, 2, 3, 4, 4}, std::vector<double>(5, 0.1),
                                              {0, -1e-3, -1.8e-3, -2.5e-3, -2.6e-3});
  ASSERT_FALSE(exact);
  EXPECT_EQ(exact.error().message,
            "the empirical fit cannot be judged: 4 points for 4 parameters (5 rows at 4 "
            "distinct pressures)");
}

// A straight line weighted by w = 1/sigma_p, with its HC0 standard error: the
// slope and error numpy gives for the sandwich (X'WX)^-1 X'W diag(e^2) WX
// (X'WX)^-1; unweighted it is another line.
TEST(PressureFits, LinesWeightedByOneOverSigma) {
  const std::vector<double> p = {0.28, 0.55, 0.82, 1.12, 1.42, 1.80, 2.24, 2.82};
  const std::vector<double> sigma = {0.004, 0.007, 0.008, 0.009, 0.011, 0.013, 0.018, 0.025};
  const std::vector<double> y = {0, -0.0061, -0.0117, -0.0178, -0.0236, -0.0305, -0.0391, -0.0489};
  std::vector<double> w;
  for (const double s : sigma) w.push_back(1 / s);
  const expansion::Estimate slope =
      expansion::derivative_at(expansion::fit_polynomial(p, y, 1, w), 1);
  expect_near(slope.value, -0.01965099809, 1e-9, "slope");
  expect_near(slope.su, 0.0003643965979, 1e-8, "HC0 su");
  const expansion::Estimate plain = expansion::derivative_at(expansion::fit_polynomial(p, y, 1), 1);
  EXPECT_GT(std::abs(plain.value - slope.value), 1e-4);
}

TEST(PressureFits, RefuseSeriesTheyCannotFit) {
  struct Case {
    const char* what;
    std::vector<double> p, v;
  };
  const Case cases[] = {
      {"one pressure", {1.0}, {400.0}},
      {"equal pressures", {1, 1, 1, 1, 1, 1}, {400, 399, 398, 397, 396, 395}},
      {"equal volumes", {1, 2, 3, 4, 5, 6}, {400, 400, 400, 400, 400, 400}},
      {"a volume below zero", {1, 2, 3, 4, 5, 6}, {400, 399, -398, 397, 396, 395}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<double> sigma(c.p.size(), 0.1);
    for (EosOrder order : {EosOrder::kSecond, EosOrder::kThird, EosOrder::kThirdCritical})
      EXPECT_FALSE(expansion::fit_eos(order, c.p, sigma, c.v, 0));
  }
  // A point to spare beyond the parameters fitted: 3 for BM2, 4 otherwise.
  for (const auto& [order, least] :
       {std::pair{EosOrder::kSecond, std::size_t{3}}, std::pair{EosOrder::kThird, std::size_t{4}},
        std::pair{EosOrder::kThirdCritical, std::size_t{4}}}) {
    for (const std::size_t n : {least - 1, least}) {
      const std::vector<double> p(kP.begin(), kP.begin() + static_cast<long>(n));
      const std::vector<double> sigma(kSigma.begin(), kSigma.begin() + static_cast<long>(n));
      const std::vector<double> v(kV.begin(), kV.begin() + static_cast<long>(n));
      EXPECT_EQ(n == least, expansion::fit_eos(order, p, sigma, v, 0).has_value())
          << expansion::eos_name(order) << ", " << n << " points";
    }
  }
  EXPECT_FALSE(expansion::fit_empirical({1.0}, {0.1}, {0.0}));
  EXPECT_FALSE(expansion::fit_empirical({2, 2, 2, 2, 2, 2}, std::vector<double>(6, 0.1),
                                        {0, 1e-3, 2e-3, 3e-3, 4e-3, 5e-3}));
  EXPECT_FALSE(expansion::fit_empirical({1, 2, 3, 4, 5}, {0.1, 0.1, 0, 0.1, 0.1},
                                        {0, 1e-3, 2e-3, 3e-3, 4e-3}));
}

}  // namespace
