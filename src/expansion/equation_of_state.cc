#include "expansion/equation_of_state.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "expansion/least_squares.h"

namespace expansion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int parameter_count(EosOrder order) {
  return order == EosOrder::kSecond ? 2 : 3;
}

// p - p_c at volume v for theta = (V0, B0[, B']), and its gradient.
double birch_murnaghan(const Eigen::VectorXd& theta, double v, Eigen::VectorXd& gradient) {
  const bool third = theta.size() == 3;
  const double v0 = theta(0);
  const double b0 = theta(1);
  const double k = third ? 0.75 * (theta(2) - 4) : 0.0;
  const double x = v0 / v;
  const double x23 = std::cbrt(x * x);
  const double x53 = x * x23;
  const double x73 = x53 * x23;
  const double f = x73 - x53;
  const double g = 1 + k * (x23 - 1);
  const double df_dx = (7.0 / 3.0 * x73 - 5.0 / 3.0 * x53) / x;
  const double dg_dx = k * 2.0 / 3.0 * x23 / x;
  gradient(0) = 1.5 * b0 * (df_dx * g + f * dg_dx) / v;
  gradient(1) = 1.5 * f * g;
  if (third) gradient(2) = 1.5 * b0 * f * 0.75 * (x23 - 1);
  return 1.5 * b0 * f * g;
}

// The root of c5 a^2 + c7 a + c9 = 0 that is positive and nearest 1 (V0
// nearest the largest volume of the series); none when no root is.
std::optional<double> volume_root(double c5, double c7, double c9) {
  std::vector<double> roots;
  if (c5 == 0) {
    if (c7 != 0) roots.push_back(-c9 / c7);
  } else {
    const double discriminant = c7 * c7 - 4 * c5 * c9;
    if (discriminant < 0) return std::nullopt;
    const double q = -0.5 * (c7 + std::copysign(std::sqrt(discriminant), c7));
    if (q != 0) roots.insert(roots.end(), {q / c5, c9 / q});
  }
  std::optional<double> best;
  for (double a : roots) {
    if (a > 0 && std::isfinite(a) && (!best || std::abs(a - 1) < std::abs(*best - 1))) best = a;
  }
  return best;
}

// V0, B0 (and B') from the linear least-squares fit in powers of V_r / V.
std::optional<Eigen::VectorXd> closed_form(int n, const Observations& data) {
  const double vr = *std::max_element(data.x.begin(), data.x.end());
  const auto rows = static_cast<Eigen::Index>(data.x.size());
  Eigen::MatrixXd design(rows, n);
  Eigen::VectorXd target(rows);
  for (Eigen::Index i = 0; i < rows; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const double u = vr / data.x[k];
    const double powers[] = {std::pow(u, 5.0 / 3.0), std::pow(u, 7.0 / 3.0), u * u * u};
    for (int j = 0; j < n; ++j) design(i, j) = powers[j] / data.sigma[k];
    target(i) = data.y[k] / data.sigma[k];
  }
  const Eigen::VectorXd c = design.colPivHouseholderQr().solve(target);
  const double c9 = n == 3 ? c(2) : 0.0;
  const auto a = volume_root(c(0), c(1), c9);
  if (!a) return std::nullopt;
  const double s = c9 / (*a * *a) - c(0);
  const double k = c9 / (s * *a * *a);
  Eigen::VectorXd theta(n);
  theta(0) = vr * std::pow(*a, 1.5);
  theta(1) = 2 * s / (3 * std::pow(*a, 2.5));
  if (n == 3) theta(2) = 4 + 4 * k / 3;
  if (!theta.allFinite() || theta(1) <= 0) return std::nullopt;
  return theta;
}

std::optional<std::string> unfit_input(int n, const std::vector<double>& p,
                                       const std::vector<double>& sigma_p,
                                       const std::vector<double>& v) {
  if (p.size() != sigma_p.size() || p.size() != v.size())
    return "pressures, SUs and volumes differ in number";
  if (p.size() < static_cast<std::size_t>(n) + 1)
    return "needs at least " + std::to_string(n + 1) + " points";
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (!std::isfinite(p[i]) || !(sigma_p[i] > 0) || !(v[i] > 0) || !std::isfinite(v[i]) ||
        !std::isfinite(sigma_p[i]))
      return "a pressure, SU or volume that is not a positive number";
  }
  if (distinct_count(p) < n || distinct_count(v) < n)
    return "needs at least " + std::to_string(n) + " distinct pressures and volumes";
  return std::nullopt;
}

}  // namespace

const char* eos_name(EosOrder order) {
  switch (order) {
    case EosOrder::kSecond:
      return "BM2";
    case EosOrder::kThird:
      return "BM3";
    case EosOrder::kThirdCritical:
      break;
  }
  return "BM3 with p_c";
}

common::Expected<EosFit> fit_eos(EosOrder order, const std::vector<double>& p,
                                 const std::vector<double>& sigma_p, const std::vector<double>& v,
                                 double pc) {
  const int n = parameter_count(order);
  if (const auto fault = unfit_input(n, p, sigma_p, v))
    return common::Error{0, std::string(eos_name(order)) + ": " + *fault};
  EosFit fit{order, 0, {}, {}, {4.0, kNaN}, 0};
  if (order == EosOrder::kThirdCritical)
    fit.pc = std::min(pc, *std::min_element(p.begin(), p.end()));
  Observations data{v, p, sigma_p};
  for (double& y : data.y) y -= fit.pc;
  auto start = closed_form(n, data);
  if (!start && n == 3) {
    // From the second-order curve, when the cubic has no positive root.
    if (const auto second = closed_form(2, data))
      start = Eigen::Vector3d((*second)(0), (*second)(1), 4);
  }
  if (!start)
    return common::Error{
        0, std::string(eos_name(order)) + ": no Birch-Murnaghan curve fits the volumes"};
  const Eigen::VectorXd theta = polish(birch_murnaghan, *start, data);
  const Eigen::MatrixXd covariance = scaled_covariance(birch_murnaghan, theta, data, n);
  fit.v0 = {theta(0), std::sqrt(covariance(0, 0))};
  fit.b0 = {theta(1), std::sqrt(covariance(1, 1))};
  if (n == 3) fit.bp = {theta(2), std::sqrt(covariance(2, 2))};
  fit.chi2 = chi_squared(birch_murnaghan, theta, data);
  return fit;
}

double eos_pressure(const EosFit& fit, double v) {
  Eigen::VectorXd theta(fit.order == EosOrder::kSecond ? 2 : 3);
  theta(0) = fit.v0.value;
  theta(1) = fit.b0.value;
  if (theta.size() == 3) theta(2) = fit.bp.value;
  Eigen::VectorXd gradient(theta.size());
  return fit.pc + birch_murnaghan(theta, v, gradient);
}

}  // namespace expansion
