#include "expansion/compressibility.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "expansion/least_squares.h"

namespace expansion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPerTpa = 1000;  // GPa^-1 to TPa^-1
// Points beyond this many are thinned for the grid and the first polish; the
// last polish uses all of them, from the thinned minimum, within kFullBudget
// evaluations (each of them costs N powers).
constexpr std::size_t kGridPoints = 200;
constexpr int kFullBudget = 60;

struct Profiled {
  double chi2 = std::numeric_limits<double>::infinity();
  double eps0 = 0, lambda = 0, pc = 0, nu = 0;
};

// The best eps0 and lambda for a fixed p_c and nu: a weighted straight line in
// t = (p - p_c)^nu, centred for accuracy.
Profiled profile(const Observations& d, double pc, double nu) {
  Profiled best;
  double sw = 0, st = 0, sy = 0;
  std::vector<double> t(d.x.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    const double w = 1 / (d.sigma[i] * d.sigma[i]);
    t[i] = std::pow(d.x[i] - pc, nu);
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
  if (!(stt > 0) || !std::isfinite(stt)) return best;
  best.lambda = sty / stt;
  best.eps0 = ym - best.lambda * tm;
  best.chi2 = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const double r = (best.eps0 + best.lambda * t[i] - d.y[i]) / d.sigma[i];
    best.chi2 += r * r;
  }
  best.pc = pc;
  best.nu = nu;
  return best;
}

// The best point of a grid of p_c below the lowest pressure (at it, and
// logarithmically down to a hundred times the range below) and of nu.
Profiled grid_minimum(const Observations& d, double lowest, double range) {
  Profiled best;
  for (int j = -1; j <= 40; ++j) {
    const double below = j < 0 ? 0 : range * std::pow(10.0, -4 + 6.0 * j / 40);
    for (int k = 1; k <= 88; ++k) {
      const double nu = k <= 80 ? 0.05 * k : 4 + 0.5 * (k - 80);
      const Profiled here = profile(d, lowest - below, nu);
      if (here.chi2 < best.chi2) best = here;
    }
  }
  return best;
}

double empirical(const Eigen::Ref<const Eigen::VectorXd>& theta, double p,
                 Eigen::Ref<Eigen::VectorXd> gradient) {
  const double d = p - theta(2);
  const double nu = theta(3);
  const double power = d > 0 ? std::pow(d, nu) : (nu == 0 ? 1.0 : 0.0);
  gradient(0) = 1;
  gradient(1) = power;
  gradient(2) = d > 0 ? -theta(1) * nu * power / d : (nu == 1 ? -theta(1) : kNaN);
  gradient(3) = d > 0 ? theta(1) * power * std::log(d) : 0.0;
  return theta(0) + theta(1) * power;
}

// The same with p_c = lowest - s^2 and nu = w^2, which keeps the
// Levenberg-Marquardt steps inside the bounds.
Model bounded(double lowest) {
  return [lowest](const Eigen::VectorXd& q, double p, Eigen::VectorXd& gradient) {
    const Eigen::Vector4d theta(q(0), q(1), lowest - q(2) * q(2), q(3) * q(3));
    Eigen::Vector4d g;
    const double value = empirical(theta, p, g);
    gradient << g(0), g(1), -2 * q(2) * g(2), 2 * q(3) * g(3);
    if (!std::isfinite(gradient(2))) gradient(2) = 0;
    return value;
  };
}

// The covariance, p_c left out (its row and column zero) when at its bound.
Eigen::Matrix4d covariance_at(const Eigen::Vector4d& theta, const Observations& data,
                              bool at_bound) {
  if (!at_bound) return scaled_covariance(empirical, theta, data, 4);
  const double pc = theta(2);
  const Model fixed = [pc](const Eigen::VectorXd& q, double p, Eigen::VectorXd& gradient) {
    Eigen::Vector4d g;
    const double value = empirical(Eigen::Vector4d(q(0), q(1), pc, q(2)), p, g);
    gradient << g(0), g(1), g(3);
    return value;
  };
  const Eigen::MatrixXd three =
      scaled_covariance(fixed, Eigen::Vector3d(theta(0), theta(1), theta(3)), data, 4);
  Eigen::Matrix4d full = Eigen::Matrix4d::Zero();
  const int index[] = {0, 1, 3};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) full(index[r], index[c]) = three(r, c);
  return full;
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

// Why the points cannot be fitted, or nothing.
common::Expected<void> check_points(const std::vector<double>& p,
                                    const std::vector<double>& sigma_p,
                                    const std::vector<double>& eps) {
  if (p.size() != sigma_p.size() || p.size() != eps.size())
    return common::Error{0, "pressures, SUs and strains differ in number"};
  if (p.size() < 5) return common::Error{0, "the empirical fit needs at least 5 points"};
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (!std::isfinite(p[i]) || !std::isfinite(eps[i]) || !(sigma_p[i] > 0) ||
        !std::isfinite(sigma_p[i]))
      return common::Error{0, "a pressure, SU or strain that is not a finite number"};
  }
  if (distinct_count(p) < 4)
    return common::Error{0, "the empirical fit needs at least 4 distinct pressures"};
  return {};
}

// The fit polished from `start` (eps0, lambda, p_c, nu): first through the
// thinned points, then through all of them.
EmpiricalFit polished_fit(const Eigen::Vector4d& start, const Observations& data,
                          const Observations& few, double lo, double hi) {
  const Eigen::Vector4d q_start(start(0), start(1), std::sqrt(lo - start(2)), std::sqrt(start(3)));
  const Model model = bounded(lo);
  Eigen::VectorXd q = polish(model, q_start, few);
  if (few.x.size() < data.x.size()) q = polish(model, q, data, kFullBudget);
  const Eigen::Vector4d theta(q(0), q(1), lo - q(2) * q(2), q(3) * q(3));
  const bool at_bound = q(2) * q(2) <= 1e-12 * (hi - lo);
  EmpiricalFit fit;
  fit.covariance = covariance_at(theta, data, at_bound);
  fit.eps0 = {theta(0), std::sqrt(fit.covariance(0, 0))};
  fit.lambda = {theta(1), std::sqrt(fit.covariance(1, 1))};
  fit.pc = {at_bound ? lo : theta(2), at_bound ? kNaN : std::sqrt(fit.covariance(2, 2))};
  fit.nu = {theta(3), std::sqrt(fit.covariance(3, 3))};
  fit.chi2 = chi_squared(empirical, theta, data);
  return fit;
}

}  // namespace

common::Expected<EmpiricalFit> fit_empirical(const std::vector<double>& p,
                                             const std::vector<double>& sigma_p,
                                             const std::vector<double>& eps,
                                             const EmpiricalFit* near) {
  if (const auto checked = check_points(p, sigma_p, eps); !checked) return checked.error();
  const auto [lo, hi] = std::minmax_element(p.begin(), p.end());
  const Observations data{p, eps, sigma_p};
  const Observations few = thinned(data);
  // Off the bound by a little, so that the polish can leave it.
  const double room = 1e-6 * (*hi - *lo);
  const Profiled start = near != nullptr
                             ? profile(few, std::min(near->pc.value, *lo - room), near->nu.value)
                             : grid_minimum(few, *lo, *hi - *lo);
  if (!std::isfinite(start.chi2)) return fit_empirical(p, sigma_p, eps, nullptr);
  return polished_fit(Eigen::Vector4d(start.eps0, start.lambda, start.pc, start.nu), data, few, *lo,
                      *hi);
}

double empirical_strain(const EmpiricalFit& fit, double p) {
  Eigen::VectorXd gradient(4);
  return empirical(Eigen::Vector4d(fit.eps0.value, fit.lambda.value, fit.pc.value, fit.nu.value), p,
                   gradient);
}

Estimate compressibility(const EmpiricalFit& fit, double p) {
  const double lambda = fit.lambda.value, nu = fit.nu.value;
  const double d = p - fit.pc.value;
  if (!(d > 0)) {
    if (nu < 1) return {kNaN, kNaN};
    return {nu == 1 ? -lambda * kPerTpa : 0.0, kNaN};
  }
  const double slope = std::pow(d, nu - 1);
  const Eigen::Vector4d gradient(0, -nu * slope, lambda * nu * (nu - 1) * slope / d,
                                 -lambda * slope * (1 + nu * std::log(d)));
  return {-lambda * nu * slope * kPerTpa,
          std::sqrt(gradient.dot(fit.covariance * gradient)) * kPerTpa};
}

}  // namespace expansion
