#include "expansion/eos_ff.h"

#include <cmath>
#include <limits>

namespace expansion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double su_or_zero(const std::vector<double>& sus, std::size_t i) {
  return i < sus.size() && std::isfinite(sus[i]) ? sus[i] : 0.0;
}

// The line through (x, y) weighted by 1/sigma^2, its covariance scaled by
// chi^2 / (m - 2) (NaN with no spare point).
void fit_line(const std::vector<double>& x, const std::vector<double>& y,
              const std::vector<double>& sigma, FfPlot& out) {
  Eigen::Matrix2d normal = Eigen::Matrix2d::Zero();
  Eigen::Vector2d rhs = Eigen::Vector2d::Zero();
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double w = 1 / (sigma[i] * sigma[i]);
    const Eigen::Vector2d row(1, x[i]);
    normal += w * row * row.transpose();
    rhs += w * y[i] * row;
  }
  const Eigen::FullPivLU<Eigen::Matrix2d> lu(normal);
  if (x.size() < 2 || !lu.isInvertible()) return;
  const Eigen::Vector2d c = lu.solve(rhs);
  double chi2 = 0;
  for (std::size_t i = 0; i < x.size(); ++i)
    chi2 += std::pow((c(0) + c(1) * x[i] - y[i]) / sigma[i], 2);
  const double spare = static_cast<double>(x.size()) - 2;
  const Eigen::Matrix2d cov = lu.inverse() * (spare > 0 ? chi2 / spare : kNaN);
  out.intercept = c(0);
  out.slope = c(1);
  out.b0 = {c(0), std::sqrt(cov(0, 0))};
  // B' = 4 + 2 s / (3 B0), its SU by first-order propagation.
  const Eigen::Vector2d grad(-2 * c(1) / (3 * c(0) * c(0)), 2 / (3 * c(0)));
  out.bp = {4 + 2 * c(1) / (3 * c(0)), std::sqrt(grad.dot(cov * grad))};
}

}  // namespace

common::Expected<FfPlot> ff_plot(const PvSeries& s, Estimate v0) {
  if (!(v0.value > 0) || !std::isfinite(v0.value))
    return common::Error{0, "F-f: no positive V0 to take the strains from"};
  FfPlot out{v0, {}, {}, {}, {}, {kNaN, kNaN}, {kNaN, kNaN}, kNaN, kNaN};
  std::vector<double> x, y, sigma;
  const double rel_v0 = std::isfinite(v0.su) ? v0.su / v0.value : 0.0;
  for (std::size_t i = 0; i < s.p.size(); ++i) {
    const double eta = s.v[i] / v0.value;
    const double e23 = std::pow(eta, -2.0 / 3.0);
    const double f = (e23 - 1) / 2;
    const double rel_v = su_or_zero(s.sigma_v, i) / s.v[i];
    const double sigma_eta = eta * std::sqrt(rel_v * rel_v + rel_v0 * rel_v0);
    const double scale = 3 * f * std::pow(1 + 2 * f, 2.5);
    const bool kept = f != 0 && std::isfinite(f);
    const double F = kept ? s.p[i] / scale : kNaN;
    const double sigma_prime = (7 * e23 - 5) * sigma_eta / (3 * (e23 - 1) * eta);
    const double from_p = su_or_zero(s.sigma_p, i) / scale;
    const double F_su = kept ? std::sqrt(from_p * from_p + std::pow(F * sigma_prime, 2)) : kNaN;
    out.f.push_back(kept ? f : kNaN);
    out.f_su.push_back(kept ? std::pow(eta, -5.0 / 3.0) * sigma_eta / 3 : kNaN);
    out.F.push_back(F);
    out.F_su.push_back(F_su);
    if (kept) {
      x.push_back(f);
      y.push_back(F);
      sigma.push_back(F_su);
    }
  }
  // A point of sigma_F 0 (no SU on p = 0 exactly) cannot be weighed: the
  // line is fitted to the others, or unweighted when no point has an SU.
  std::vector<double> lx, ly, ls;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!(sigma[i] > 0) || !std::isfinite(sigma[i])) continue;
    lx.push_back(x[i]);
    ly.push_back(y[i]);
    ls.push_back(sigma[i]);
  }
  if (lx.empty()) {
    fit_line(x, y, std::vector<double>(x.size(), 1.0), out);
  } else {
    fit_line(lx, ly, ls, out);
  }
  return out;
}

}  // namespace expansion
