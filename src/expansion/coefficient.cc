#include "expansion/coefficient.h"

#include <cmath>

namespace expansion {

std::optional<std::vector<double>> log_ratios(const std::vector<double>& values, double reference) {
  if (!(reference > 0) || !std::isfinite(reference)) return std::nullopt;
  std::vector<double> out;
  out.reserve(values.size());
  for (const double x : values) {
    if (!(x > 0) || !std::isfinite(x)) return std::nullopt;
    out.push_back(std::log(x / reference));
  }
  return out;
}

std::optional<Estimate> line_coefficient(const std::vector<common::Point>& points) {
  if (points.empty()) return std::nullopt;
  std::vector<double> t, x;
  for (const common::Point& p : points) t.push_back(p.x), x.push_back(p.y);
  if (distinct_count(t) < 2) return std::nullopt;
  const auto logs = log_ratios(x, x.front());
  if (!logs) return std::nullopt;
  const PolyFit fit = fit_polynomial(t, *logs, 1);
  return derivative_at(fit, t.front());
}

std::optional<Estimate> expansion_coefficient(Estimate rate, double value) {
  if (!(value > 0) || !std::isfinite(value)) return std::nullopt;
  return Estimate{rate.value / value, rate.su / value};
}

std::optional<Estimate> expansion_coefficient(const PolyFit& fit, double t) {
  return expansion_coefficient(derivative_at(fit, t), value_at(fit, t));
}

}  // namespace expansion
