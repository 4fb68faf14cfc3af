#include "expansion/weighted_fit.h"

namespace expansion {

PolyFit fit_polynomial_weighted(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& su, int degree) {
  PolyFit fit = polynomial_in(x, degree);
  const std::size_t m = x.size();
  // Each row and value divided by its SU: ordinary least squares on those is
  // the weighted fit.
  Eigen::MatrixXd design = design_matrix(fit, x);
  Eigen::VectorXd values(static_cast<Eigen::Index>(m));
  for (std::size_t i = 0; i < m; ++i) {
    const auto row = static_cast<Eigen::Index>(i);
    design.row(row) /= su[i];
    values(row) = y[i] / su[i];
  }
  const Eigen::LDLT<Eigen::MatrixXd> solver(design.transpose() * design);
  fit.coefficients = solver.solve(design.transpose() * values);
  fit.covariance = solver.solve(Eigen::MatrixXd::Identity(degree + 1, degree + 1));
  const auto spare = static_cast<double>(m) - (degree + 1);
  if (spare > 0) fit.covariance *= (values - design * fit.coefficients).squaredNorm() / spare;
  return fit;
}

}  // namespace expansion
