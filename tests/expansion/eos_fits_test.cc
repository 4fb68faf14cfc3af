// The equations of state against a made-up series worked apart from the code
// (worked/eos_fits.py: scipy's curve_fit from many starts, the Tait inverted
// numerically, K by differences; its printed output is copied below), curves
// each equation must give back exactly, and input no fit can use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "expansion/eos_axial.h"
#include "expansion/eos_ellipse.h"
#include "expansion/eos_ff.h"
#include "expansion/eos_fit.h"

namespace {

using expansion::Eos;
using expansion::EosWeights;

const std::vector<double> kP = {0,     0.458, 0.966, 1.524, 2.127, 2.695,
                                3.351, 4.074, 4.768, 5.624, 6.525, 7.43};
const std::vector<double> kSp = {0,    0.02, 0.02, 0.02, 0.03, 0.03,
                                 0.03, 0.04, 0.04, 0.04, 0.05, 0.05};
const std::vector<double> kV = {100.006,     99.25438625, 98.46584012, 97.63572669,
                                96.83514572, 96.03161305, 95.13668588, 94.33794486,
                                93.44804251, 92.60055102, 91.65285446, 90.76783051};
const std::vector<double> kSv = {0.02, 0.02, 0.03, 0.03, 0.03, 0.04,
                                 0.04, 0.04, 0.05, 0.05, 0.06, 0.06};

expansion::PvSeries series(bool with_ambient) {
  expansion::PvSeries s{kP, kSp, kV, kSv};
  if (!with_ambient) {
    for (auto* column : {&s.p, &s.sigma_p, &s.v, &s.sigma_v}) column->erase(column->begin());
  }
  return s;
}

void expect_near(double got, double want, double relative, const std::string& what) {
  EXPECT_NEAR(got, want, relative * std::abs(want)) << what;
}

struct Worked {
  Eos eos;
  EosWeights weights;
  std::vector<double> want;  // value, SU of each fitted parameter, then chi2w
  std::optional<double> fix_bp = {}, fix_v0 = {};
};

TEST(EosFits, MatchTheWorkedFits) {
  const Worked cases[] = {
      {Eos::kBm2,
       EosWeights::kPv,
       {99.98532865, 0.01679929807, 62.27807318, 0.3489764659, 1.035286276}},
      {Eos::kBm2,
       EosWeights::kP,
       {99.93176387, 0.02766894759, 63.00632777, 0.4275015365, 1.621869739}},
      {Eos::kBm3,
       EosWeights::kPv,
       {100.006473, 0.01055735003, 59.84519174, 0.5519460523, 5.074370931, 0.2381816882,
        0.3275950925}},
      {Eos::kBm3,
       EosWeights::kP,
       {100.0149099, 0.03190140926, 59.47635084, 1.064281755, 5.197413571, 0.3604349421,
        0.7172471927}},
      {Eos::kBm4,
       EosWeights::kPv,
       {100.0041724, 0.01135503548, 60.52805257, 1.14021399, 4.270926819, 1.175564778, 0.2366745853,
        0.4656871791, 0.3485153274}},
      {Eos::kBm4,
       EosWeights::kP,
       {99.98535779, 0.0480780194, 61.45636719, 2.708781537, 3.598227068, 1.994552629, 0.4488657191,
        0.6176747167, 0.7537505596}},
      {Eos::kVinet,
       EosWeights::kPv,
       {100.0067508, 0.01063119648, 59.76290302, 0.5542969637, 5.172662208, 0.2386640778,
        0.3321303958}},
      {Eos::kVinet,
       EosWeights::kP,
       {100.0170698, 0.03208523807, 59.33587113, 1.064193554, 5.313031818, 0.3578500662,
        0.7253761805}},
      {Eos::kMurnaghan,
       EosWeights::kPv,
       {100.005877, 0.01037895083, 60.03273766, 0.5246098328, 4.846101108, 0.2080392379,
        0.3188980115}},
      {Eos::kMurnaghan,
       EosWeights::kP,
       {100.0100863, 0.03059918214, 59.80497325, 0.9921964247, 4.917823936, 0.3039734788,
        0.6992322142}},
      {Eos::kTait,
       EosWeights::kPv,
       {100.0064987, 0.01053689066, 59.84982023, 0.5384697863, 5.057454461, 0.2202364237,
        0.3275466829}},
      {Eos::kTait,
       EosWeights::kP,
       {100.0148995, 0.031408404, 59.48982595, 1.024863639, 5.170162887, 0.3252038231,
        0.7164769854}},
      {Eos::kNs3,
       EosWeights::kPv,
       {100.0072222, 0.01087554352, 59.58865447, 0.5978090149, 5.40529018, 0.2903764496,
        0.3440559878}},
      {Eos::kNs3,
       EosWeights::kP,
       {100.0217004, 0.03399920101, 59.00241386, 1.18082888, 5.624629314, 0.457754529,
        0.7484996931}},
      {Eos::kNs4,
       EosWeights::kPv,
       {100.0041318, 0.01139164636, 60.57022937, 1.20014633, 4.167472329, 1.320880044, 0.3458441344,
        0.6056126271, 0.3491533416}},
      {Eos::kNs4,
       EosWeights::kP,
       {99.98280086, 0.04936122789, 61.68986546, 2.892101897, 3.299546377, 2.262746367,
        0.6640340905, 0.8066502867, 0.7504392765}},
      {Eos::kBm3,
       EosWeights::kPv,
       {100.0012557, 0.009723822902, 60.44704415, 0.1980413804, 0.340849801},
       4.8,
       {}},
      {Eos::kVinet,
       EosWeights::kPv,
       {59.34410626, 0.4515977148, 5.300730951, 0.2218373056, 0.3504488857},
       {},
       100.02},
  };
  for (const Worked& c : cases) {
    SCOPED_TRACE(std::string(expansion::eos_key(c.eos)) + " " + expansion::weights_key(c.weights));
    expansion::EosOptions options{c.weights, c.fix_bp, c.fix_v0, 0};
    // The ambient point has no pressure SU: weighed by its volume's under pv,
    // left out under p.
    const auto fit =
        expansion::fit_equation_of_state(c.eos, series(c.weights == EosWeights::kPv), options);
    ASSERT_TRUE(fit) << fit.error().message;
    std::size_t k = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      if (!fit->fitted[j]) {
        EXPECT_TRUE(std::isnan(fit->theta[j].su)) << j;
        continue;
      }
      // To a ten-thousandth of the SU: scipy's own tolerance leaves B'' looser.
      EXPECT_NEAR(fit->theta[j].value, c.want[k], 1e-4 * c.want[k + 1]) << j;
      expect_near(fit->theta[j].su, c.want[k + 1], 1e-4, "SU " + std::to_string(j));
      k += 2;
    }
    ASSERT_EQ(k + 1, c.want.size());
    expect_near(fit->chi2w, c.want[k], 1e-6, "chi2w");
    // The largest residual is one of the points', and the correlations those
    // of a covariance.
    EXPECT_GT(fit->worst, 0);
    EXPECT_LT(fit->worst, 3);
    for (Eigen::Index i = 0; i < fit->corr.rows(); ++i) EXPECT_NEAR(fit->corr(i, i), 1, 1e-12);
  }
}

TEST(EosFits, EveryEquationGivesBackItsOwnCurve) {
  for (const Eos eos : expansion::kEveryEos) {
    SCOPED_TRACE(expansion::eos_key(eos));
    // V0 = 100 at p_c for bm3_pc; points on both sides of V0 (Vinet and
    // Murnaghan below zero pressure too).
    const expansion::EosParameters truth{100, 60, eos == Eos::kBm2 ? 4.0 : 5.5,
                                         eos_order(eos) == 4 ? -0.12 : NAN};
    expansion::PvSeries s;
    for (int i = 0; i < 10; ++i) {
      s.v.push_back((eos == Eos::kBm3Pc ? 99.9 : 101.5) - 1.3 * i);
      s.p.push_back(expansion::eos_pressure(eos, truth, s.v.back(), 0.4));
    }
    // V(p) gives back each point's volume from a bracket as wide as the
    // volume picture's, also where a small K' turns the curve back inside it.
    for (const double bp : {truth[expansion::kBp], 2.0}) {
      expansion::EosParameters theta = truth;
      theta[expansion::kBp] = bp;
      for (const double v : s.v) {
        const double p = expansion::eos_pressure(eos, theta, v, 0.4);
        EXPECT_NEAR(v, expansion::eos_volume(eos, theta, p, 0.5 * s.v.back(), 1.05 * s.v[0], 0.4),
                    1e-9 * v)
            << "K' " << bp;
      }
    }
    const expansion::EosOptions options{EosWeights::kNone, {}, {}, 0.4};
    const auto fit = expansion::fit_equation_of_state(eos, s, options);
    ASSERT_TRUE(fit) << fit.error().message;
    for (std::size_t j = 0; j < 4; ++j) {
      if (fit->fitted[j]) {
        EXPECT_NEAR(fit->theta[j].value, truth[j], 1e-7 * std::abs(truth[j])) << j;
      }
    }
    // A fit needs a point to spare beyond its parameters.
    const auto n =
        static_cast<std::size_t>(std::count(fit->fitted.begin(), fit->fitted.end(), true));
    for (const std::size_t points : {n, n + 1}) {
      expansion::PvSeries few = s;
      few.p.resize(points);
      few.v.resize(points);
      const auto fewer = expansion::fit_equation_of_state(eos, few, options);
      EXPECT_EQ(points > n, fewer.has_value()) << points << " points";
      if (fewer) {
        EXPECT_TRUE(std::isfinite(fewer->chi2w));
      }
    }
  }
}

TEST(EosFits, RefuseWhatTheyCannotFit) {
  struct Case {
    const char* what;
    expansion::PvSeries s;
    EosWeights weights;
  };
  const std::vector<double> six_p = {0.1, 1, 2, 3, 4, 5};
  const std::vector<double> six_v = {100, 98, 96, 94, 92, 90};
  const Case cases[] = {
      {"one volume", {{1.0}, {0.1}, {100}, {0.1}}, EosWeights::kPv},
      {"equal volumes", {six_p, {}, std::vector<double>(6, 95.0), {}}, EosWeights::kNone},
      {"a pressure SU of 0 under p",
       {six_p, {0.1, 0.1, 0, 0.1, 0.1, 0.1}, six_v, {}},
       EosWeights::kP},
      {"neither SU under pv", {six_p, {0.1, 0.1, 0, 0.1, 0.1, 0.1}, six_v, {}}, EosWeights::kPv},
      {"a volume below zero", {six_p, {}, {100, 98, -96, 94, 92, 90}, {}}, EosWeights::kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const Eos eos : {Eos::kBm2, Eos::kBm3, Eos::kVinet, Eos::kTait}) {
      EXPECT_FALSE(expansion::fit_equation_of_state(eos, c.s, {c.weights, {}, {}, 0}));
    }
  }
  EXPECT_EQ(expansion::unweighable_point(cases[2].s, EosWeights::kP), 2u);
  // The ambient point's SU of 0 is kept under pv, its volume's SU weighing it.
  EXPECT_EQ(expansion::default_weights(series(true)), EosWeights::kPv);
  EXPECT_EQ(expansion::default_weights({six_p, std::vector<double>(6, 0.1), six_v, {}}),
            EosWeights::kP);
  EXPECT_EQ(expansion::default_weights({six_p, {}, six_v, {}}), EosWeights::kNone);
}

TEST(EosFf, MatchesTheWorkedPlot) {
  const auto bm3 = expansion::fit_equation_of_state(Eos::kBm3, series(true), {});
  ASSERT_TRUE(bm3);
  const auto ff = expansion::ff_plot(series(true), bm3->theta[expansion::kV0]);
  ASSERT_TRUE(ff);
  const std::vector<double> f_su = {7.538040131e-05, 7.620952333e-05, 0.0001085998453,
                                    0.0001100439346, 0.0001114681894, 0.0001471585778,
                                    0.0001493892392, 0.0001514281313, 0.0001901996517,
                                    0.0001930443769, 0.0002342681827, 0.0002380295673};
  const std::vector<double> F = {0,           59.76270135, 60.31873126, 60.54599371,
                                 61.88383592, 61.26985712, 60.74595776, 62.12391361,
                                 61.37138609, 62.66390405, 62.82104851, 63.13392892};
  const std::vector<double> F_su = {0,
                                    3.186330871,
                                    1.796667506,
                                    1.170339236,
                                    1.099766017,
                                    0.9786487407,
                                    0.7952418586,
                                    0.8012348668,
                                    0.7610585375,
                                    0.6826980418,
                                    0.7392378234,
                                    0.6720226192};
  for (std::size_t i = 0; i < F.size(); ++i) {
    expect_near(ff->f_su[i], f_su[i], 1e-5, "f_su " + std::to_string(i));
    EXPECT_NEAR(ff->F[i], F[i], 1e-5) << i;
    EXPECT_NEAR(ff->F_su[i], F_su[i], 1e-5) << i;
  }
  expect_near(ff->b0.value, 59.830663, 1e-6, "line B0");
  expect_near(ff->b0.su, 0.4448309303, 1e-4, "line B0 su");
  expect_near(ff->bp.value, 5.080008114, 1e-6, "line B'");
  expect_near(ff->bp.su, 0.2162783108, 1e-4, "line B' su");
  // A point at V0 itself has no F.
  const auto at_v0 = expansion::ff_plot({{0, 1}, {}, {100, 99}, {}}, {100, 0});
  ASSERT_TRUE(at_v0);
  EXPECT_TRUE(std::isnan(at_v0->F[0]) && std::isnan(at_v0->f[0]));
}

// The 68.3 % ellipse reaches B0 +- 1.52 SU (sqrt 2.30), its shadow on each
// axis that of the joint region.
TEST(EosEllipses, ShadowsAreTheJointIntervals) {
  const auto fit = expansion::fit_equation_of_state(Eos::kBm3, series(true), {});
  ASSERT_TRUE(fit);
  const auto ellipses = expansion::confidence_ellipses(*fit);
  ASSERT_EQ(ellipses.size(), 3u);
  for (const auto& e : ellipses) {
    double b0_max = 0, bp_max = 0;
    for (const Eigen::Vector2d& q : expansion::ellipse_outline(e, 20000)) {
      b0_max = std::max(b0_max, q(0) - e.centre(0));
      bp_max = std::max(bp_max, q(1) - e.centre(1));
    }
    expect_near(b0_max, std::sqrt(e.delta_chi2) * fit->theta[expansion::kB0].su, 1e-6, "B0");
    expect_near(bp_max, std::sqrt(e.delta_chi2) * fit->theta[expansion::kBp].su, 1e-6, "B'");
  }
  expansion::EosOptions held;
  held.fix_bp = 4.5;
  EXPECT_TRUE(expansion::confidence_ellipses(
                  *expansion::fit_equation_of_state(Eos::kBm3, series(true), held))
                  .empty());
}

// Lengths whose cubes lie on a BM3 curve of K0 = 60 GPa: M0 = 180 GPa,
// beta0 = 1000/180 per TPa, l0 the cube root of V0.
TEST(EosAxial, CubedLengthsGiveTheLinearModulus) {
  std::vector<double> p, l;
  for (int i = 0; i < 8; ++i) {
    const double v = 100 - 1.2 * i;
    p.push_back(expansion::eos_pressure(Eos::kBm3, {100, 60, 5, 0}, v));
    l.push_back(std::cbrt(v));
  }
  const auto axial = expansion::fit_axial(2, p, {}, l, {}, EosWeights::kNone);
  ASSERT_TRUE(axial) << axial.error().message;
  EXPECT_NEAR(axial->l0.value, std::cbrt(100.0), 1e-9);
  EXPECT_NEAR(axial->m0.value, 180, 1e-6);
  EXPECT_NEAR(axial->mp.value, 15, 1e-6);
  EXPECT_NEAR(axial->beta0.value, 1000 / 180.0, 1e-8);

  using expansion::Family;
  struct Case {
    Family family;
    std::optional<Eigen::Vector3d> unique;
    std::vector<int> lengths;
  };
  const Case cases[] = {
      {Family::kOrthorhombic, {}, {0, 1, 2}},
      {Family::kTetragonal, Eigen::Vector3d(0, 0, 1), {0, 2}},
      {Family::kHexagonal, Eigen::Vector3d(0, 0, 1), {0, 2}},
      {Family::kTrigonal, Eigen::Vector3d(1, 1, 1), {}},
      {Family::kMonoclinic, Eigen::Vector3d(0, 1, 0), {1}},
      {Family::kCubic, {}, {0}},
      {Family::kTriclinic, {}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(expansion::axial_lengths({c.family, false, c.unique}), c.lengths)
        << expansion::family_name(c.family);
}

}  // namespace
