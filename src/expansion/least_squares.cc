#include "expansion/least_squares.h"

#include <cmath>
#include <limits>
#include <optional>
#include <unsupported/Eigen/LevenbergMarquardt>

namespace expansion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The weighted residuals and their Jacobian, as Eigen's minimizer asks.
struct Residuals : Eigen::DenseFunctor<double> {
  Residuals(const Model& m, const Observations& d, Eigen::Index parameters)
      : DenseFunctor<double>(static_cast<int>(parameters), static_cast<int>(d.x.size())),
        model(m),
        data(d) {}

  int operator()(const Eigen::VectorXd& theta, Eigen::VectorXd& r) const {
    Eigen::VectorXd gradient(theta.size());
    for (Eigen::Index i = 0; i < r.size(); ++i) {
      const auto k = static_cast<std::size_t>(i);
      r(i) = (model(theta, data.x[k], gradient) - data.y[k]) / data.sigma[k];
    }
    return 0;
  }
  int df(const Eigen::VectorXd& theta, Eigen::MatrixXd& jacobian) const {
    Eigen::VectorXd gradient(theta.size());
    for (Eigen::Index i = 0; i < jacobian.rows(); ++i) {
      const auto k = static_cast<std::size_t>(i);
      (void)model(theta, data.x[k], gradient);
      jacobian.row(i) = gradient.transpose() / data.sigma[k];
    }
    return 0;
  }

  const Model& model;
  const Observations& data;
};

Eigen::MatrixXd jacobian_at(const Model& model, const Eigen::VectorXd& theta,
                            const Observations& data) {
  const Residuals residuals(model, data, theta.size());
  Eigen::MatrixXd j(static_cast<Eigen::Index>(data.x.size()), theta.size());
  residuals.df(theta, j);
  return j;
}

}  // namespace

double chi_squared(const Model& model, const Eigen::VectorXd& theta, const Observations& data) {
  const Residuals residuals(model, data, theta.size());
  Eigen::VectorXd r(static_cast<Eigen::Index>(data.x.size()));
  residuals(theta, r);
  return r.squaredNorm();
}

Eigen::VectorXd polish(const Model& model, const Eigen::VectorXd& start, const Observations& data,
                       int evaluations) {
  Residuals residuals(model, data, start.size());
  Eigen::LevenbergMarquardt<Residuals> lm(residuals);
  lm.setMaxfev(evaluations);
  lm.setXtol(1e-14);
  lm.setFtol(1e-15);
  Eigen::VectorXd theta = start;
  lm.minimize(theta);
  const double reached = chi_squared(model, theta, data);
  if (!theta.allFinite() || !std::isfinite(reached) || reached > chi_squared(model, start, data))
    return start;
  return theta;
}

namespace {

// The Jacobian at theta and the observations to spare beyond the `counted`
// parameters; none where none are spare or the Jacobian is not finite.
struct SpareJacobian {
  Eigen::MatrixXd j;
  double spare = 0;
};
std::optional<SpareJacobian> spare_jacobian(const Model& model, const Eigen::VectorXd& theta,
                                            const Observations& data, int counted) {
  const auto spare = static_cast<double>(data.x.size()) - counted;
  if (spare <= 0) return std::nullopt;
  Eigen::MatrixXd j = jacobian_at(model, theta, data);
  if (!j.allFinite()) return std::nullopt;
  return SpareJacobian{std::move(j), spare};
}

}  // namespace

Eigen::MatrixXd scaled_covariance(const Model& model, const Eigen::VectorXd& theta,
                                  const Observations& data, int counted) {
  const auto n = theta.size();
  const auto nan = [n] { return Eigen::MatrixXd::Constant(n, n, kNaN); };
  const auto at = spare_jacobian(model, theta, data, counted);
  if (!at) return nan();
  const auto& [j, spare] = *at;
  // Columns scaled to unit length first, so that parameters of very different
  // sizes (a volume in cubic angstroms, a modulus in GPa) do not decide the rank.
  const Eigen::VectorXd scale = j.colwise().norm().transpose();
  if ((scale.array() <= 0).any()) return nan();
  const Eigen::MatrixXd js = j * scale.cwiseInverse().asDiagonal();
  Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(js);
  qr.setThreshold(1e-12);
  if (qr.rank() < n) return nan();
  const Eigen::MatrixXd inverse =
      (js.transpose() * js).ldlt().solve(Eigen::MatrixXd::Identity(n, n));
  return scale.cwiseInverse().asDiagonal() * inverse * scale.cwiseInverse().asDiagonal() *
         (chi_squared(model, theta, data) / spare);
}

Eigen::MatrixXd scaled_pseudo_covariance(const Model& model, const Eigen::VectorXd& theta,
                                         const Observations& data, int counted) {
  const auto n = theta.size();
  const auto at = spare_jacobian(model, theta, data, counted);
  if (!at) return Eigen::MatrixXd::Constant(n, n, kNaN);
  const auto& [j, spare] = *at;
  Eigen::VectorXd scale = j.colwise().norm().transpose();
  for (double& s : scale) s = s > 0 ? s : 1;
  const Eigen::MatrixXd js = j * scale.cwiseInverse().asDiagonal();
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(js, Eigen::ComputeThinV);
  const Eigen::VectorXd& singular = svd.singularValues();
  Eigen::VectorXd inverse_square = Eigen::VectorXd::Zero(n);
  for (Eigen::Index k = 0; k < n; ++k)
    if (singular(k) > 1e-10 * singular(0)) inverse_square(k) = 1 / (singular(k) * singular(k));
  const Eigen::MatrixXd& v = svd.matrixV();
  return scale.cwiseInverse().asDiagonal() * v * inverse_square.asDiagonal() * v.transpose() *
         scale.cwiseInverse().asDiagonal() * (chi_squared(model, theta, data) / spare);
}

}  // namespace expansion
