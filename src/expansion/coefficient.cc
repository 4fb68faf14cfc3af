#include "expansion/coefficient.h"

#include <cmath>

namespace expansion {

std::optional<Estimate> expansion_coefficient(Estimate rate, double value) {
  if (!(value > 0) || !std::isfinite(value)) return std::nullopt;
  return Estimate{rate.value / value, rate.su / value};
}

std::optional<double> expansion_coefficient(const LineFit& fit, double reference_t) {
  const auto alpha =
      expansion_coefficient(Estimate{fit.slope, 0}, fit.intercept + fit.slope * reference_t);
  if (!alpha) return std::nullopt;
  return alpha->value;
}

std::optional<Estimate> expansion_coefficient(const PolyFit& fit, double t) {
  return expansion_coefficient(derivative_at(fit, t), value_at(fit, t));
}

std::optional<Estimate> strain_expansion_coefficient(const PolyFit& fit, double t) {
  return expansion_coefficient(derivative_at(fit, t), 1 + value_at(fit, t));
}

}  // namespace expansion
