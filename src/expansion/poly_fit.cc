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
  PolyFit fit = polynomial_in(x, degree);
  const Eigen::MatrixXd design = design_matrix(fit, x);
  const Eigen::VectorXd values =
      Eigen::Map<const Eigen::VectorXd>(y.data(), static_cast<Eigen::Index>(y.size()));
  const Eigen::MatrixXd normal = design.transpose() * design;
  const Eigen::LDLT<Eigen::MatrixXd> solver(normal);
  fit.coefficients = solver.solve(design.transpose() * values);
  const Eigen::VectorXd residuals = values - design * fit.coefficients;
  const Eigen::MatrixXd bread = solver.solve(Eigen::MatrixXd::Identity(degree + 1, degree + 1));
  const Eigen::MatrixXd meat =
      design.transpose() * residuals.array().square().matrix().asDiagonal() * design;
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

}  // namespace expansion
