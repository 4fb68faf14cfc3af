#include "expansion/poly_fit.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace expansion {

namespace {

double scaled(const PolyFit& fit, double x) {
  return (x - fit.x_mean) / fit.x_scale;
}

}  // namespace

int distinct_count(const std::vector<double>& x) {
  std::vector<double> sorted = x;
  std::sort(sorted.begin(), sorted.end());
  return static_cast<int>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
}

PolyFit polynomial_in(const std::vector<double>& x, int degree) {
  PolyFit fit;
  fit.degree = degree;
  fit.x_mean = std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(x.size());
  const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
  const double half_range = (*hi - *lo) / 2;
  fit.x_scale = half_range > 0 ? half_range : 1;
  return fit;
}

Eigen::MatrixXd design_matrix(const PolyFit& fit, const std::vector<double>& x) {
  const auto n = static_cast<Eigen::Index>(x.size());
  Eigen::MatrixXd design(n, fit.degree + 1);
  for (Eigen::Index i = 0; i < n; ++i) {
    const double t = scaled(fit, x[static_cast<std::size_t>(i)]);
    double power = 1;
    for (int k = 0; k <= fit.degree; ++k, power *= t) design(i, k) = power;
  }
  return design;
}

PolyFit fit_polynomial(const std::vector<double>& x, const std::vector<double>& y, int degree) {
  return fit_polynomial(x, y, degree, std::vector<double>(x.size(), 1.0));
}

PolyFit fit_polynomial(const std::vector<double>& x, const std::vector<double>& y, int degree,
                       const std::vector<double>& w) {
  PolyFit fit = polynomial_in(x, degree);
  const Eigen::MatrixXd design = design_matrix(fit, x);
  const Eigen::VectorXd values =
      Eigen::Map<const Eigen::VectorXd>(y.data(), static_cast<Eigen::Index>(y.size()));
  const Eigen::VectorXd weights =
      Eigen::Map<const Eigen::VectorXd>(w.data(), static_cast<Eigen::Index>(w.size()));
  const Eigen::MatrixXd weighted = weights.asDiagonal() * design;  // W X
  const Eigen::LDLT<Eigen::MatrixXd> solver(design.transpose() * weighted);
  fit.coefficients = solver.solve(weighted.transpose() * values);
  const Eigen::VectorXd residuals = values - design * fit.coefficients;
  const Eigen::MatrixXd bread = solver.solve(Eigen::MatrixXd::Identity(degree + 1, degree + 1));
  const Eigen::MatrixXd meat =
      weighted.transpose() * residuals.array().square().matrix().asDiagonal() * weighted;
  fit.covariance = bread * meat * bread;
  return fit;
}

double value_at(const PolyFit& fit, double x) {
  const double t = scaled(fit, x);
  double sum = 0;
  for (Eigen::Index k = fit.coefficients.size() - 1; k >= 0; --k)
    sum = sum * t + fit.coefficients(k);
  return sum;
}

Estimate derivative_at(const PolyFit& fit, double x) {
  const double t = scaled(fit, x);
  Eigen::VectorXd gradient = Eigen::VectorXd::Zero(fit.coefficients.size());
  double power = 1;  // t^(k-1)
  for (Eigen::Index k = 1; k < gradient.size(); ++k, power *= t)
    gradient(k) = static_cast<double>(k) * power / fit.x_scale;
  const double variance = gradient.dot(fit.covariance * gradient);
  return {gradient.dot(fit.coefficients), std::sqrt(std::max(0.0, variance))};
}

std::vector<double> derivative_roots(const PolyFit& fit, double lo, double hi) {
  // dy/dt = b0 + b1 t + b2 t^2 in the scaled t; a cubic's at most.
  double b[3] = {0, 0, 0};
  for (Eigen::Index k = 1; k < fit.coefficients.size() && k <= 3; ++k)
    b[k - 1] = static_cast<double>(k) * fit.coefficients(k);
  std::vector<double> t;
  if (b[2] != 0) {
    const double discriminant = b[1] * b[1] - 4 * b[2] * b[0];
    if (discriminant >= 0) {
      // The root of larger size first, then the other from their product,
      // clear of cancellation.
      const double q = -0.5 * (b[1] + std::copysign(std::sqrt(discriminant), b[1]));
      t.push_back(q / b[2]);
      if (q != 0) t.push_back(b[0] / q);
    }
  } else if (b[1] != 0) {
    t.push_back(-b[0] / b[1]);
  }
  std::vector<double> roots;
  for (const double r : t) {
    const double x = fit.x_mean + r * fit.x_scale;
    if (x > lo && x < hi) roots.push_back(x);
  }
  std::sort(roots.begin(), roots.end());
  return roots;
}

}  // namespace expansion
