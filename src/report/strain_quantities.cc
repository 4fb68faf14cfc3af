#include "report/strain_quantities.h"

#include "expansion/compressibility.h"
#include "expansion/poly_fit.h"

namespace report {
namespace {

// The strains of an axis at point i and the fit's value there, with the
// cells' SU of the strain where drawn.
struct AtPoint {
  double strain = 0, fitted = 0;
  std::optional<double> su;
};

AtPoint temperature_point(const expansion::SeriesAnalysis& result, Place place) {
  const expansion::Analysis& an = result.analysis;
  const expansion::AxisResult& x = an.axes[place.of];
  const std::size_t i = *place.at;
  std::optional<double> su;
  if (result.sus && i < result.sus->axes[place.of].strains.size())
    su = known(result.sus->axes[place.of].strains[i]);
  return {x.strains[i], expansion::value_at(x.fit, an.temperatures[i]), su};
}

AtPoint pressure_point(const expansion::PressureSeries& series, Place place) {
  const expansion::PressureAnalysis& r = series.analysis;
  const expansion::CompressibilityAxis& axis = r.axes[place.of];
  const std::size_t i = *place.at;
  const double p = r.strains.temperatures[i];
  return {r.strains.axes[axis.axis].strains[i],
          axis.fit ? expansion::empirical_strain(*axis.fit, p) : expansion::value_at(axis.line, p),
          std::nullopt};
}

template <class Analysis, AtPoint (*point)(const Analysis&, Place)>
Reading strain(const Analysis& a, Place place) {
  const AtPoint at = point(a, place);
  return {known(at.strain), at.su, std::nullopt, at.su, {}};
}

template <class Analysis, AtPoint (*point)(const Analysis&, Place)>
Reading fitted(const Analysis& a, Place place) {
  return {known(point(a, place).fitted), {}, {}, {}, {}};
}

template <class Analysis, AtPoint (*point)(const Analysis&, Place)>
Reading residual(const Analysis& a, Place place) {
  const AtPoint at = point(a, place);
  return {known(at.strain - at.fitted), {}, {}, {}, {}};
}

constexpr int kDecimals = 7;

}  // namespace

const TemperatureQuantity kStrain{"strains", "strains_su",
                                  "strain",  "&epsilon;",
                                  "\u03b5",  "",
                                  kNoUnit,   kDecimals,
                                  true,      strain<expansion::SeriesAnalysis, temperature_point>};
const TemperatureQuantity kStrainFit{
    "strains_fit", "",
    "fit",         "&epsilon;<sub>fit</sub>",
    "\u03b5",      "fit",
    kNoUnit,       kDecimals,
    true,          fitted<expansion::SeriesAnalysis, temperature_point>};
const TemperatureQuantity kStrainResidual{"strains_residual",
                                          "",
                                          "residual",
                                          "&Delta;&epsilon;",
                                          "\u0394\u03b5",
                                          "",
                                          kNoUnit,
                                          kDecimals,
                                          true,
                                          residual<expansion::SeriesAnalysis, temperature_point>};
const PressureQuantity kPressureStrain{
    "strains", "strains_su",
    "strain",  "&epsilon;",
    "\u03b5",  "",
    kNoUnit,   kDecimals,
    true,      strain<expansion::PressureSeries, pressure_point>};
const PressureQuantity kPressureStrainFit{
    "strains_fit", "",
    "fit",         "&epsilon;<sub>fit</sub>",
    "\u03b5",      "fit",
    kNoUnit,       kDecimals,
    true,          fitted<expansion::PressureSeries, pressure_point>};
const PressureQuantity kPressureStrainResidual{"strains_residual",
                                               "",
                                               "residual",
                                               "&Delta;&epsilon;",
                                               "\u0394\u03b5",
                                               "",
                                               kNoUnit,
                                               kDecimals,
                                               true,
                                               residual<expansion::PressureSeries, pressure_point>};

}  // namespace report
