#include "expansion/compressibility.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "expansion/least_squares.h"

namespace expansion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPerTpa = 1000;  // GPa^-1 to TPa^-1
constexpr int kParameters = 4;
// Points beyond this many are thinned for the grid and the first polish; the
// last polish uses all of them, from the thinned minimum, within kFullBudget
// evaluations (each of them costs N powers).
constexpr std::size_t kGridPoints = 200;
constexpr int kFullBudget = 60;
// The budget of a polish from a nearby series' fit.
constexpr int kNearBudget = 80;
// The grid of p_c: at the lowest pressure, and from 1e-4 of the series' range
// below it to 1e4 times the range, in steps of 0.15 in log10.
constexpr int kDepths = 54;
// Beyond these the least squares have run off towards a bound at infinity:
// nu -> 0, or p_c -> -infinity (with nu growing with it towards an
// exponential).
constexpr double kFlatNu = 1e-4;
constexpr double kSteepNu = 50;
constexpr double kFarBelow = 1e4;  // times the range

// The data as the fit takes them: pressures, strains, and the SUs over the
// largest of them, which moves neither the minimum nor the scaled covariance
// and keeps the weights finite whatever the SUs' scale.
struct Series {
  Observations data;
  double lo = 0, top = 0;
};

// u^nu with u = (p - p_c) / (top - p_c): 0 at p = p_c (1 for nu = 0).
double scaled_power(double p, double pc, double top, double nu) {
  const double d = p - pc;
  if (!(d > 0)) return nu == 0 ? 1.0 : 0.0;
  return std::pow(d / (top - pc), nu);
}

// eps0 + mu u^nu for theta = (eps0, mu, p_c, nu), and its gradient.
double empirical(const Eigen::Ref<const Eigen::VectorXd>& theta, double p, double top,
                 Eigen::Ref<Eigen::VectorXd> gradient) {
  const double mu = theta(1), pc = theta(2), nu = theta(3);
  const double d = p - pc, span = top - pc;
  const double t = scaled_power(p, pc, top, nu);
  gradient(0) = 1;
  gradient(1) = t;
  // d ln t / d p_c = nu (1/span - 1/d); at d = 0 only nu = 1 has a slope.
  gradient(2) = d > 0 ? mu * t * nu * (1 / span - 1 / d) : (nu == 1 ? -mu / span : kNaN);
  gradient(3) = d > 0 ? mu * t * std::log(d / span) : 0.0;
  return theta(0) + mu * t;
}

struct Profiled {
  double chi2 = kInf;
  double eps0 = 0, mu = 0, pc = 0, nu = 0;
};

// The best eps0 and mu for a fixed p_c and nu: a weighted straight line in
// t = u^nu, centred for accuracy.
Profiled profile(const Series& s, double pc, double nu) {
  const Observations& d = s.data;
  double sw = 0, st = 0, sy = 0;
  std::vector<double> t(d.x.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    const double w = 1 / (d.sigma[i] * d.sigma[i]);
    t[i] = scaled_power(d.x[i], pc, s.top, nu);
    sw += w;
    st += w * t[i];
    sy += w * d.y[i];
  }
  const double tm = st / sw, ym = sy / sw;
  double stt = 0, sty = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const double w = 1 / (d.sigma[i] * d.sigma[i]);
    stt += w * (t[i] - tm) * (t[i] - tm);
    sty += w * (t[i] - tm) * (d.y[i] - ym);
  }
  Profiled best;
  if (!(stt > 0) || !std::isfinite(stt)) return best;
  best.mu = sty / stt;
  best.eps0 = ym - best.mu * tm;
  best.chi2 = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const double r = (best.eps0 + best.mu * t[i] - d.y[i]) / d.sigma[i];
    best.chi2 += r * r;
  }
  best.pc = pc;
  best.nu = nu;
  return best;
}

// The best grid point with p_c at the lowest pressure, and the best below it.
struct GridMinima {
  Profiled bound, inside;
};

GridMinima grid_minima(const Series& s) {
  const double range = s.top - s.lo;
  GridMinima best;
  for (int j = -1; j < kDepths; ++j) {
    const double below = j < 0 ? 0 : range * std::pow(10.0, -4 + 0.15 * j);
    Profiled& kept = j < 0 ? best.bound : best.inside;
    for (int k = 1; k <= 88; ++k) {
      const double nu = k <= 80 ? 0.05 * k : 4 + 0.5 * (k - 80);
      const Profiled here = profile(s, s.lo - below, nu);
      if (here.chi2 < kept.chi2) kept = here;
    }
  }
  return best;
}

// The box the search keeps to: p_c from the lowest pressure down to
// kFarBelow ranges below it, nu from kFlatNu to kSteepNu. Each is reached
// through the square of a sine, q -> from + (to - from) sin^2 q, which keeps
// the Levenberg-Marquardt steps inside and lets them rest on an edge, where
// the slope in q vanishes.
struct Box {
  double lo = 0, depth = 0;  // p_c = lo - depth sin^2 a

  double pc(double a) const { return lo - depth * std::sin(a) * std::sin(a); }
  double dpc(double a) const { return -depth * std::sin(2 * a); }
  static double nu(double b) { return kFlatNu + (kSteepNu - kFlatNu) * std::sin(b) * std::sin(b); }
  static double dnu(double b) { return (kSteepNu - kFlatNu) * std::sin(2 * b); }
  double a_of(double pc) const {
    return std::asin(std::sqrt(std::clamp((lo - pc) / depth, 0.0, 1.0)));
  }
  static double b_of(double nu) {
    return std::asin(std::sqrt(std::clamp((nu - kFlatNu) / (kSteepNu - kFlatNu), 0.0, 1.0)));
  }
};

// The form in (eps0, mu, a, b) through the box.
Model inside_model(const Box& box, double top) {
  return [box, top](const Eigen::VectorXd& q, double p, Eigen::VectorXd& gradient) {
    const Eigen::Vector4d theta(q(0), q(1), box.pc(q(2)), Box::nu(q(3)));
    Eigen::Vector4d g;
    const double value = empirical(theta, p, top, g);
    gradient << g(0), g(1), box.dpc(q(2)) * g(2), Box::dnu(q(3)) * g(3);
    if (!std::isfinite(gradient(2))) gradient(2) = 0;
    return value;
  };
}

// The form with p_c held at `pc`, in eps0, mu and b.
Model held_model(double pc, double top) {
  return [pc, top](const Eigen::VectorXd& q, double p, Eigen::VectorXd& gradient) {
    Eigen::Vector4d g;
    const double value = empirical(Eigen::Vector4d(q(0), q(1), pc, Box::nu(q(2))), p, top, g);
    gradient << g(0), g(1), Box::dnu(q(2)) * g(3);
    return value;
  };
}

Model plain_model(double top) {
  return [top](const Eigen::VectorXd& theta, double p, Eigen::VectorXd& gradient) {
    return empirical(theta, p, top, gradient);
  };
}

// Every point of a series of at most kGridPoints; else kGridPoints of them,
// evenly spread through it.
Observations thinned(const Observations& all) {
  if (all.x.size() <= kGridPoints) return all;
  Observations d;
  for (std::size_t k = 0; k < kGridPoints; ++k) {
    const std::size_t i = k * (all.x.size() - 1) / (kGridPoints - 1);
    d.x.push_back(all.x[i]);
    d.y.push_back(all.y[i]);
    d.sigma.push_back(all.sigma[i]);
  }
  return d;
}

// A candidate minimum: theta = (eps0, mu, p_c, nu) and whether p_c is at its
// bound.
struct Candidate {
  Eigen::Vector4d theta = Eigen::Vector4d::Zero();
  bool at_bound = false;
  double chi2 = kInf;
};

// Polished first through the thinned points, then through all of them.
Eigen::VectorXd polished(const Model& model, const Eigen::VectorXd& start, const Series& all,
                         const Series& few, int budget) {
  Eigen::VectorXd q = polish(model, start, few.data, budget);
  if (few.data.x.size() < all.data.x.size())
    q = polish(model, q, all.data, std::min(budget, kFullBudget));
  return q;
}

Candidate polish_held(const Profiled& start, const Series& all, const Series& few, int budget) {
  Candidate c;
  if (!std::isfinite(start.chi2)) return c;
  const Eigen::VectorXd q =
      polished(held_model(all.lo, all.top),
               Eigen::Vector3d(start.eps0, start.mu, Box::b_of(start.nu)), all, few, budget);
  c.theta = Eigen::Vector4d(q(0), q(1), all.lo, Box::nu(q(2)));
  c.at_bound = true;
  c.chi2 = chi_squared(plain_model(all.top), c.theta, all.data);
  return c;
}

Candidate polish_inside(const Profiled& start, const Series& all, const Series& few, int budget) {
  Candidate c;
  if (!std::isfinite(start.chi2)) return c;
  const Box box{all.lo, kFarBelow * (all.top - all.lo)};
  const Eigen::Vector4d q_start(start.eps0, start.mu, box.a_of(start.pc), Box::b_of(start.nu));
  const Eigen::VectorXd q = polished(inside_model(box, all.top), q_start, all, few, budget);
  c.theta = Eigen::Vector4d(q(0), q(1), box.pc(q(2)), Box::nu(q(3)));
  c.at_bound = all.lo - c.theta(2) <= 1e-12 * (all.top - all.lo);
  if (c.at_bound) c.theta(2) = all.lo;
  c.chi2 = chi_squared(plain_model(all.top), c.theta, all.data);
  return c;
}

// The covariance of (eps0, mu, p_c, nu), p_c left out (its row and column
// zero) when at its bound; through the pseudo-inverse when the parameters are
// not determined.
Eigen::Matrix4d covariance_at(const Candidate& c, const Series& s, bool determined) {
  const auto covariance = determined ? scaled_covariance : scaled_pseudo_covariance;
  if (!c.at_bound) return covariance(plain_model(s.top), c.theta, s.data, kParameters);
  const double pc = s.lo, top = s.top;
  const Model held = [pc, top](const Eigen::VectorXd& q, double p, Eigen::VectorXd& gradient) {
    Eigen::Vector4d g;
    const double value = empirical(Eigen::Vector4d(q(0), q(1), pc, q(2)), p, top, g);
    gradient << g(0), g(1), g(3);
    return value;
  };
  const Eigen::MatrixXd three =
      covariance(held, Eigen::Vector3d(c.theta(0), c.theta(1), c.theta(3)), s.data, kParameters);
  Eigen::Matrix4d full = Eigen::Matrix4d::Zero();
  const int index[] = {0, 1, 3};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) full(index[r], index[k]) = three(r, k);
  return full;
}

// Whether the least squares rest on an edge of the box, having run off
// towards nu -> 0 or p_c -> -infinity.
bool at_infinity(const Candidate& c, const Series& s) {
  const double nu = c.theta(3), below = s.lo - c.theta(2);
  return nu < 1.5 * kFlatNu || nu > kSteepNu / 1.5 || below > kFarBelow / 1.5 * (s.top - s.lo);
}

// Whether the covariance fixes nu and p_c: nu more than its SU from 0 (the
// logarithmic law), p_c more than its SU from the highest pressure (which
// p_c -> -infinity would not be).
bool settled(const Candidate& c, const Eigen::Matrix4d& covariance, const Series& s) {
  if (!covariance.allFinite()) return false;
  const double nu_su = std::sqrt(covariance(3, 3)), pc_su = std::sqrt(covariance(2, 2));
  return nu_su < c.theta(3) && (c.at_bound || pc_su < s.top - c.theta(2));
}

// lambda = mu (top - p_c)^-nu with its SU through the covariance.
Estimate lambda_of(const EmpiricalFit& f) {
  const double span = f.top - f.pc.value, nu = f.nu.value;
  const double scale = std::pow(span, -nu);
  const Eigen::Vector4d gradient(0, scale, f.mu * nu * scale / span,
                                 -f.mu * scale * std::log(span));
  return {f.mu * scale, std::sqrt(gradient.dot(f.covariance * gradient))};
}

EmpiricalFit fit_of(const Candidate& c, const Series& s) {
  EmpiricalFit fit;
  fit.determined = !at_infinity(c, s);
  fit.covariance = covariance_at(c, s, fit.determined);
  if (fit.determined && !settled(c, fit.covariance, s)) {
    fit.determined = false;
    fit.covariance = covariance_at(c, s, false);
  }
  fit.top = s.top;
  fit.mu = c.theta(1);
  const auto su = [&](int k) { return fit.determined ? std::sqrt(fit.covariance(k, k)) : kNaN; };
  fit.eps0 = {c.theta(0), su(0)};
  fit.pc = {c.theta(2), c.at_bound ? kNaN : su(2)};
  fit.nu = {c.theta(3), su(3)};
  fit.lambda = lambda_of(fit);
  if (!fit.determined) fit.lambda.su = kNaN;
  fit.chi2 = c.chi2;
  return fit;
}

// Why the points cannot be fitted, or nothing.
common::Expected<void> check_points(const std::vector<double>& p,
                                    const std::vector<double>& sigma_p,
                                    const std::vector<double>& eps) {
  if (p.size() != sigma_p.size() || p.size() != eps.size())
    return common::Error{0, "pressures, SUs and strains differ in number"};
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (!std::isfinite(p[i]) || !std::isfinite(eps[i]) || !(sigma_p[i] > 0) ||
        !std::isfinite(sigma_p[i]))
      return common::Error{0, "a pressure, SU or strain that is not a finite number"};
  }
  if (const int distinct = distinct_count(p); distinct <= kParameters) {
    std::string why = "the empirical fit cannot be judged: " + std::to_string(distinct) +
                      " points for " + std::to_string(kParameters) + " parameters";
    if (static_cast<std::size_t>(distinct) < p.size())
      why += " (" + std::to_string(p.size()) + " rows at " + std::to_string(distinct) +
             " distinct pressures)";
    return common::Error{0, why};
  }
  return {};
}

Series series_of(const std::vector<double>& p, const std::vector<double>& sigma_p,
                 const std::vector<double>& eps) {
  const double largest = *std::max_element(sigma_p.begin(), sigma_p.end());
  Series s{{p, eps, sigma_p},
           *std::min_element(p.begin(), p.end()),
           *std::max_element(p.begin(), p.end())};
  for (double& x : s.data.sigma) x /= largest;
  return s;
}

}  // namespace

common::Expected<EmpiricalFit> fit_empirical(const std::vector<double>& p,
                                             const std::vector<double>& sigma_p,
                                             const std::vector<double>& eps,
                                             const EmpiricalFit* near) {
  COMMON_TRY_VOID(check_points(p, sigma_p, eps));
  const Series all = series_of(p, sigma_p, eps);
  const Series few{thinned(all.data), all.lo, all.top};
  Candidate best;
  if (near != nullptr) {
    // Off the bound by a little, so that the polish can leave it.
    const double room = 1e-6 * (all.top - all.lo);
    best = polish_inside(profile(few, std::min(near->pc.value, all.lo - room), near->nu.value), all,
                         few, kNearBudget);
  }
  if (!std::isfinite(best.chi2)) {
    const GridMinima grid = grid_minima(few);
    best = polish_held(grid.bound, all, few, 2000);
    const Candidate inside = polish_inside(grid.inside, all, few, 2000);
    if (inside.chi2 < best.chi2) best = inside;
  }
  if (!std::isfinite(best.chi2))
    return common::Error{0, "no curve of the empirical form fits the strains"};
  return fit_of(best, all);
}

double empirical_strain(const EmpiricalFit& fit, double p) {
  return fit.eps0.value + fit.mu * scaled_power(p, fit.pc.value, fit.top, fit.nu.value);
}

// K = -mu nu t / d with d = p - p_c and t = (d / span)^nu; its partial
// derivatives in (eps0, mu, p_c, nu): 0, K / mu, K (nu / span - (nu - 1) / d),
// K (1 / nu + ln(d / span)).
Estimate compressibility(const EmpiricalFit& fit, double p) {
  const double mu = fit.mu, nu = fit.nu.value, pc = fit.pc.value;
  const double d = p - pc, span = fit.top - pc;
  if (!(d > 0)) {
    if (nu < 1) return {kNaN, kNaN};
    return {nu == 1 ? -mu / span * kPerTpa : 0.0, kNaN};
  }
  const double t = scaled_power(p, pc, fit.top, nu);
  const double k = -mu * nu * t / d;
  const Eigen::Vector4d gradient(0, -nu * t / d, k * (nu / span - (nu - 1) / d),
                                 -mu * t * (1 + nu * std::log(d / span)) / d);
  return {k * kPerTpa, std::sqrt(gradient.dot(fit.covariance * gradient)) * kPerTpa};
}

}  // namespace expansion
