#include "report/pressure_quantities.h"

#include <cmath>

namespace report {
namespace {

using expansion::Estimate;

// A compressibility with the SU that bounds it, the fit's and the cells'.
Reading compressibility(const Estimate& fitted, const Estimate& bounded,
                        std::optional<double> cells) {
  return {known(fitted.value),
          known(bounded.su),
          known(fitted.su),
          cells ? known(*cells) : std::nullopt,
          {}};
}

Reading k(const expansion::PressureSeries& series, Place place) {
  const expansion::CompressibilityAxis& axis = series.analysis.axes[place.of];
  if (!axis.fit) return {};
  const expansion::CompressibilitySus* d = series.sus ? &series.sus->axes[place.of] : nullptr;
  if (place.at) {
    const std::size_t i = *place.at;
    return compressibility(
        axis.k_at[i], expansion::bounded_k_at(series, place.of, i),
        d != nullptr && !d->k_at.empty() ? std::optional(d->k_at[i]) : std::nullopt);
  }
  return compressibility(axis.k_median, expansion::bounded_k_median(series, place.of),
                         d != nullptr ? std::optional(d->k_median) : std::nullopt);
}

Reading linear_k(const expansion::PressureSeries& series, Place place) {
  if (place.of == 3)
    return compressibility(series.analysis.volume, expansion::bounded_volume(series),
                           series.sus ? std::optional(series.sus->volume) : std::nullopt);
  return compressibility(
      series.analysis.axes[place.of].linear, expansion::bounded_linear(series, place.of),
      series.sus ? std::optional(series.sus->axes[place.of].linear) : std::nullopt);
}

// A fitted parameter with its own SU.
Reading fitted(const Estimate& e, std::string_view exact = {}) {
  return {known(e.value), known(e.su), known(e.su), std::nullopt,
          std::isnan(e.su) ? exact : std::string_view()};
}

template <Estimate expansion::EmpiricalFit::*member>
Reading fit_parameter(const expansion::PressureSeries& series, Place place) {
  const auto& fit = series.analysis.axes[place.of].fit;
  if (!fit) return {};
  if (!fit->determined) return {known(((*fit).*member).value), {}, {}, {}, {}, 4};
  // Only p_c lies at a bound: the lowest pressure, where it has no SU.
  return fitted((*fit).*member, member == &expansion::EmpiricalFit::pc ? "bound" : "");
}

}  // namespace

const PressureQuantity kK{"K", "K_su", "K", "K", "K", "", kPerTeraPascal, 3, false, k};
const PressureQuantity kLinearK{"K", "K_su",         "linear K", "linear K", "K",
                                "",  kPerTeraPascal, 3,          false,      linear_k};
const PressureQuantity kEps0{"eps0",   "eps0_su",
                             "eps0",   "&epsilon;<sub>0</sub>",
                             "\u03b5", "0",
                             kNoUnit,  4,
                             false,    fit_parameter<&expansion::EmpiricalFit::eps0>};
const PressureQuantity kLambda{
    "lambda", "lambda_su", "lambda", "&lambda;", "\u03bb",
    "",       kNoUnit,     4,        false,      fit_parameter<&expansion::EmpiricalFit::lambda>};
const PressureQuantity kFitPc{
    "pc", "pc_su",     "p_c", "p<sub>c</sub>", "p",
    "c",  kGigaPascal, 4,     false,           fit_parameter<&expansion::EmpiricalFit::pc>};
const PressureQuantity kNu{
    "nu", "nu_su", "nu", "&nu;", "\u03bd",
    "",   kNoUnit, 4,    false,  fit_parameter<&expansion::EmpiricalFit::nu>};
}  // namespace report
