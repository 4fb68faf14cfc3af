#include "expansion/weighted_fit.h"

namespace expansion {

PolyFit fit_polynomial_weighted(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& su, int degree,
                                std::optional<std::size_t> left_out) {
  PolyFit fit = polynomial_in(x, degree);
  const Eigen::MatrixXd all = design_matrix(fit, x);
  const std::size_t m = x.size() - (left_out && *left_out < x.size() ? 1 : 0);
  // Each row and value divided by its SU: ordinary least squares on those is
  // the weighted fit.
  Eigen::MatrixXd design(static_cast<Eigen::Index>(m), degree + 1);
  Eigen::VectorXd values(static_cast<Eigen::Index>(m));
  Eigen::Index row = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (left_out && i == *left_out) continue;
    const auto from = static_cast<Eigen::Index>(i);
    design.row(row) = all.row(from) / su[i];
    values(row) = y[i] / su[i];
    ++row;
  }
  const Eigen::LDLT<Eigen::MatrixXd> solver(design.transpose() * design);
  fit.coefficients = solver.solve(design.transpose() * values);
  fit.covariance = solver.solve(Eigen::MatrixXd::Identity(degree + 1, degree + 1));
  const auto spare = static_cast<double>(m) - (degree + 1);
  if (spare > 0) fit.covariance *= (values - design * fit.coefficients).squaredNorm() / spare;
  return fit;
}

}  // namespace expansion
