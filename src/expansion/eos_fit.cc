#include "expansion/eos_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "expansion/equation_of_state.h"
#include "expansion/least_squares.h"

namespace expansion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double at(const std::vector<double>& values, std::size_t i) {
  return i < values.size() ? values[i] : kNaN;
}

bool positive(double x) {
  return x > 0 && std::isfinite(x);
}

// Which parameters the fit moves, and the values of those it holds.
struct Layout {
  Eos eos;
  double pc;
  std::array<bool, 4> fitted{};
  EosParameters held{};  // the values of the parameters not fitted
};

Layout layout_of(Eos eos, const EosOptions& options, double pc) {
  Layout l{eos, pc, {true, true, eos_order(eos) >= 3, eos_order(eos) == 4}, {0, 0, 4, kNaN}};
  if (options.fix_v0) {
    l.fitted[kV0] = false;
    l.held[kV0] = *options.fix_v0;
  }
  if (options.fix_bp && eos_order(eos) == 3) {
    l.fitted[kBp] = false;
    l.held[kBp] = *options.fix_bp;
  }
  return l;
}

int fitted_count(const Layout& l) {
  return static_cast<int>(std::count(l.fitted.begin(), l.fitted.end(), true));
}

EosParameters expand(const Layout& l, const Eigen::VectorXd& theta) {
  EosParameters full = l.held;
  Eigen::Index k = 0;
  for (std::size_t j = 0; j < 4; ++j) {
    if (l.fitted[j]) full[j] = theta(k++);
  }
  return full;
}

Eigen::VectorXd reduce(const Layout& l, const EosParameters& full) {
  Eigen::VectorXd theta(fitted_count(l));
  Eigen::Index k = 0;
  for (std::size_t j = 0; j < 4; ++j) {
    if (l.fitted[j]) theta(k++) = full[j];
  }
  return theta;
}

Model model_of(const Layout& l) {
  return [l](const Eigen::VectorXd& theta, double v, Eigen::VectorXd& gradient) {
    const PressureDerivatives d = eos_derivatives(l.eos, expand(l, theta), v, l.pc);
    Eigen::Index k = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      if (l.fitted[j]) gradient(k++) = d.d(static_cast<Eigen::Index>(j));
    }
    return d.p;
  };
}

// sigma of every point under the weights, K(V) from `full` for pv.
std::vector<double> sigmas(const PvSeries& s, EosWeights weights, const Layout& l,
                           const EosParameters& full) {
  std::vector<double> sigma(s.p.size(), 1.0);
  for (std::size_t i = 0; i < sigma.size(); ++i) {
    const double sp = at(s.sigma_p, i);
    if (weights == EosWeights::kP) sigma[i] = sp;
    if (weights != EosWeights::kPv) continue;
    const double sv = positive(at(s.sigma_v, i)) ? s.sigma_v[i] : 0.0;
    const double k_over_v = eos_bulk_modulus(l.eos, full, s.v[i], l.pc) / s.v[i];
    const double spp = positive(sp) ? sp : 0.0;
    sigma[i] = std::sqrt(spp * spp + k_over_v * k_over_v * sv * sv);
  }
  return sigma;
}

// The starting points: the closed-form Birch-Murnaghan fits (the pressures'
// SUs as weights where all are positive), K'' from the equation's own
// 3rd-order form, held parameters at their values.
std::vector<EosParameters> starts(const Layout& l, const PvSeries& s) {
  std::vector<double> sigma = s.sigma_p;
  if (sigma.size() != s.p.size() || !std::all_of(sigma.begin(), sigma.end(), positive))
    sigma.assign(s.p.size(), 1.0);
  std::vector<EosParameters> out;
  for (const EosOrder order : {EosOrder::kThird, EosOrder::kSecond}) {
    const auto bm = fit_eos(order, s.p, sigma, s.v);
    if (!bm) continue;
    EosParameters full{bm->v0.value, bm->b0.value, bm->bp.value, 0};
    full[kBpp] = implied_bpp(l.eos == Eos::kNs4 ? Eos::kNs3 : Eos::kBm3, full[kB0], full[kBp]);
    for (std::size_t j = 0; j < 4; ++j) {
      if (!l.fitted[j]) full[j] = l.held[j];
    }
    // Murnaghan and Tait need B' > 0; a curve of B' near 0 is no start.
    if (full[kBp] < 0.5 && l.fitted[kBp]) full[kBp] = 4;
    out.push_back(full);
  }
  return out;
}

// Levenberg-Marquardt from `start`, repeated from where it stopped until the
// sum of squares no longer falls: a stop on a small step is not taken for the
// minimum.
Eigen::VectorXd minimise(const Model& model, Eigen::VectorXd theta, const Observations& data) {
  double chi2 = chi_squared(model, theta, data);
  for (int round = 0; round < 8; ++round) {
    const Eigen::VectorXd next = polish(model, theta, data);
    const double reached = chi_squared(model, next, data);
    const bool settled = !(reached < chi2 * (1 - 1e-14));
    theta = next;
    chi2 = std::min(chi2, reached);
    if (settled) break;
  }
  return theta;
}

bool moved(const Eigen::VectorXd& a, const Eigen::VectorXd& b) {
  for (Eigen::Index k = 0; k < a.size(); ++k) {
    if (std::abs(a(k) - b(k)) > 1e-12 * std::max(std::abs(a(k)), 1e-3)) return true;
  }
  return false;
}

// The minimum from one start; under pv, refitted with the sigmas of each
// result until the parameters settle.
Eigen::VectorXd solve(const Layout& l, const PvSeries& s, EosWeights weights,
                      const EosParameters& start, Observations& data) {
  const Model model = model_of(l);
  Eigen::VectorXd theta = reduce(l, start);
  data.sigma = sigmas(s, weights, l, start);
  theta = minimise(model, theta, data);
  for (int round = 0; weights == EosWeights::kPv && round < 200; ++round) {
    data.sigma = sigmas(s, weights, l, expand(l, theta));
    const Eigen::VectorXd next = minimise(model, theta, data);
    const bool again = moved(theta, next);
    theta = next;
    if (!again) break;
  }
  data.sigma = sigmas(s, weights, l, expand(l, theta));
  return theta;
}

std::optional<std::string> unfit(const Layout& l, const PvSeries& s, EosWeights weights) {
  const std::size_t n = s.p.size();
  if (s.v.size() != n || (!s.sigma_p.empty() && s.sigma_p.size() != n) ||
      (!s.sigma_v.empty() && s.sigma_v.size() != n))
    return "pressures, volumes and their SUs differ in number";
  const int fitted = fitted_count(l);
  if (n < static_cast<std::size_t>(fitted) + 1)
    return "needs at least " + std::to_string(fitted + 1) + " points, the series holds " +
           std::to_string(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(s.p[i]) || !positive(s.v[i]))
      return "point " + std::to_string(i + 1) + " has no finite pressure and positive volume";
  }
  if (distinct_count(s.v) < std::min(fitted, 2) || distinct_count(s.p) < std::min(fitted, 2))
    return "needs at least 2 distinct volumes and pressures";
  if (const auto i = unweighable_point(s, weights))
    return "point " + std::to_string(*i + 1) + " has no SU to weigh it by under the weights " +
           weights_key(weights);
  return std::nullopt;
}

EosSolution result_of(const Layout& l, const PvSeries& s, EosWeights weights,
                      const Eigen::VectorXd& theta, const Observations& data) {
  const Model model = model_of(l);
  const int n = fitted_count(l);
  EosSolution r{l.eos, weights, l.pc, {}, l.fitted, {}, kNaN, 0, {}, {}, {}, data.sigma};
  const EosParameters full = expand(l, theta);
  r.covariance = scaled_covariance(model, theta, data, n);
  Eigen::Index k = 0;
  for (std::size_t j = 0; j < 4; ++j) {
    r.held[j] = !l.fitted[j] && (j != kBpp || eos_order(l.eos) == 4);
    if (j == kBp && eos_order(l.eos) == 2) r.held[j] = true;
    const double su = l.fitted[j] ? std::sqrt(r.covariance(k, k)) : kNaN;
    r.theta[j] = {full[j], su};
    if (l.fitted[j]) ++k;
  }
  const auto spare = static_cast<double>(s.p.size()) - n;
  if (spare > 0) r.chi2w = chi_squared(model, theta, data) / spare;
  const Eigen::VectorXd d = r.covariance.diagonal().cwiseSqrt();
  r.corr = r.covariance.cwiseQuotient(d * d.transpose());
  for (std::size_t i = 0; i < s.p.size(); ++i) {
    r.p_calc.push_back(eos_pressure(l.eos, full, s.v[i], l.pc));
    r.worst = std::max(r.worst, std::abs(r.p_calc[i] - s.p[i]) / data.sigma[i]);
  }
  return r;
}

}  // namespace

const char* weights_key(EosWeights weights) {
  switch (weights) {
    case EosWeights::kPv:
      return "pv";
    case EosWeights::kP:
      return "p";
    case EosWeights::kNone:
      break;
  }
  return "none";
}

std::optional<EosWeights> weights_named(std::string_view key) {
  for (const EosWeights w : {EosWeights::kPv, EosWeights::kP, EosWeights::kNone}) {
    if (key == weights_key(w)) return w;
  }
  return std::nullopt;
}

EosWeights default_weights(const PvSeries& s) {
  const std::size_t n = s.p.size();
  bool volume_sus = false;
  for (std::size_t i = 0; i < n; ++i) volume_sus = volume_sus || positive(at(s.sigma_v, i));
  if (volume_sus && !unweighable_point(s, EosWeights::kPv)) return EosWeights::kPv;
  bool pressure_sus = n > 0;
  for (std::size_t i = 0; i < n; ++i)
    pressure_sus = pressure_sus && std::isfinite(at(s.sigma_p, i));
  return pressure_sus ? EosWeights::kP : EosWeights::kNone;
}

std::optional<std::size_t> unweighable_point(const PvSeries& s, EosWeights weights) {
  for (std::size_t i = 0; i < s.p.size(); ++i) {
    const bool by_p = positive(at(s.sigma_p, i));
    const bool by_v = positive(at(s.sigma_v, i));
    if (weights == EosWeights::kP && !by_p) return i;
    if (weights == EosWeights::kPv && !by_p && !by_v) return i;
  }
  return std::nullopt;
}

common::Expected<EosSolution> fit_equation_of_state(Eos eos, const PvSeries& s,
                                                    const EosOptions& options) {
  double pc = 0;
  if (eos == Eos::kBm3Pc && !s.p.empty())
    pc = std::min(options.pc, *std::min_element(s.p.begin(), s.p.end()));
  const Layout l = layout_of(eos, options, pc);
  const std::string name = eos_label(eos);
  if (const auto fault = unfit(l, s, options.weights))
    return common::Error{0, name + ": " + *fault};
  std::optional<EosSolution> best;
  double best_chi2 = std::numeric_limits<double>::infinity();
  for (const EosParameters& start : starts(l, s)) {
    Observations data{s.v, s.p, {}};
    const Eigen::VectorXd theta = solve(l, s, options.weights, start, data);
    const double chi2 = chi_squared(model_of(l), theta, data);
    const EosParameters full = expand(l, theta);
    if (!std::isfinite(chi2) || !(full[kV0] > 0) || !(full[kB0] > 0) || chi2 >= best_chi2) continue;
    best_chi2 = chi2;
    best = result_of(l, s, options.weights, theta, data);
  }
  if (!best) return common::Error{0, name + ": no curve of the equation fits the volumes"};
  return *best;
}

EosParameters parameters_of(const EosSolution& fit) {
  return {fit.theta[kV0].value, fit.theta[kB0].value, fit.theta[kBp].value, fit.theta[kBpp].value};
}

double fitted_pressure(const EosSolution& fit, double v) {
  return eos_pressure(fit.eos, parameters_of(fit), v, fit.pc);
}

}  // namespace expansion
