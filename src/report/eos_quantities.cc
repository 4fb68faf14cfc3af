#include "report/eos_quantities.h"

#include <cmath>

namespace report {
namespace {

using expansion::EosAnalysis;
using expansion::EosSolution;
using expansion::Estimate;

const EosSolution* fit_of(const EosAnalysis& eos, Place place) {
  if (place.of >= eos.equations.size() || !eos.equations[place.of].fit) return nullptr;
  return &*eos.equations[place.of].fit;
}

Reading estimate(const Estimate& e) {
  const std::optional<double> su = e.su > 0 ? known(e.su) : std::nullopt;
  return {known(e.value), su, su, std::nullopt, {}};
}

template <std::size_t kParameter>
Reading parameter(const EosAnalysis& eos, Place place) {
  const EosSolution* f = fit_of(eos, place);
  if (f == nullptr) return {};
  const Estimate& e = f->theta[kParameter];
  if (f->held[kParameter]) return {known(e.value), {}, {}, {}, "held"};
  return estimate(e);
}

Reading pc(const EosAnalysis& eos, Place place) {
  const EosSolution* f = fit_of(eos, place);
  if (f == nullptr || f->eos != expansion::Eos::kBm3Pc) return {};
  return {known(f->pc), {}, {}, {}, {}};
}

Reading chi2w(const EosAnalysis& eos, Place place) {
  const EosSolution* f = fit_of(eos, place);
  return f == nullptr ? Reading{} : Reading{known(f->chi2w), {}, {}, {}, {}, 4};
}

Reading max_residual(const EosAnalysis& eos, Place place) {
  const EosSolution* f = fit_of(eos, place);
  return f == nullptr ? Reading{} : Reading{known(f->worst), {}, {}, {}, {}, 3};
}

Reading p_calc(const EosAnalysis& eos, Place place) {
  const EosSolution* f = fit_of(eos, place);
  if (f == nullptr || !place.at || *place.at >= f->p_calc.size()) return {};
  return {known(f->p_calc[*place.at]), {}, {}, {}, {}};
}

Reading residual(const EosAnalysis& eos, Place place) {
  const EosSolution* f = fit_of(eos, place);
  if (f == nullptr || !place.at || *place.at >= f->p_calc.size()) return {};
  return {known(f->p_calc[*place.at] - eos.series.p[*place.at]), {}, {}, {}, {}};
}

template <Estimate expansion::AxialEos::*member>
Reading axial(const EosAnalysis& eos, Place place) {
  if (place.of >= eos.axial.size() || !eos.axial[place.of].fit) return {};
  return estimate((*eos.axial[place.of].fit).*member);
}

template <Estimate expansion::FfPlot::*member>
Reading ff_line(const EosAnalysis& eos, Place /*place*/) {
  return eos.ff ? estimate((*eos.ff).*member) : Reading{};
}

constexpr Unit kPerGigaPascal{"1/GPa", "GPa<sup>&minus;1</sup>", "GPa\u207b\u00b9"};
constexpr Unit kAngstrom{"A", "&Aring;", "\u00c5"};

}  // namespace

// Parameters with an SU are written as crystallographers write them; without
// one (held, or a fit that gives none) in their shortest digits.
const EosQuantity kV0{"V0", "V0_su",        "V0", "V<sub>0</sub>", "V",
                      "0",  kCubicAngstrom, -1,   false,           parameter<expansion::kV0>};
const EosQuantity kB0{"B0", "B0_su",     "B0", "B<sub>0</sub>", "B",
                      "0",  kGigaPascal, -1,   false,           parameter<expansion::kB0>};
const EosQuantity kBp{"Bp", "Bp_su", "B'", "B&prime;", "B\u2032",
                      "",   kNoUnit, -1,   false,      parameter<expansion::kBp>};
const EosQuantity kBpp{"Bpp", "Bpp_su",       "B''", "B&Prime;", "B\u2033",
                       "",    kPerGigaPascal, -1,    false,      parameter<expansion::kBpp>};
const EosQuantity kEosPc{"pc", "", "p_c", "p<sub>c</sub>", "p", "c", kGigaPascal, -1, false, pc};
const EosQuantity kChi2w{"chi2w",        "",   "chi2w", "&chi;<sup>2</sup><sub>w</sub>",
                         "\u03c7\u00b2", "w",  kNoUnit, 4,
                         false,          chi2w};
const EosQuantity kMaxResidual{"max_residual",
                               "",
                               "max|dp|/sigma",
                               "max |&Delta;p|/&sigma;",
                               "max |\u0394p|/\u03c3",
                               "",
                               kNoUnit,
                               3,
                               false,
                               max_residual};
const EosQuantity kPCalc{"p_calc", "",    "p_calc", "p<sub>calc</sub>", "p", "calc", kGigaPascal,
                         5,        false, p_calc};
const EosQuantity kResidual{"residual", "",      "p_calc - p", "p<sub>calc</sub> &minus; p",
                            "p\u2212p", "",      kGigaPascal,  5,
                            false,      residual};
const EosQuantity kL0{"l0", "l0_su",   "l0", "l<sub>0</sub>", "l",
                      "0",  kAngstrom, -1,   false,           axial<&expansion::AxialEos::l0>};
const EosQuantity kM0{"M0", "M0_su",     "M0", "M<sub>0</sub>", "M",
                      "0",  kGigaPascal, -1,   false,           axial<&expansion::AxialEos::m0>};
const EosQuantity kMp{"Mp", "Mp_su", "M'", "M&prime;", "M\u2032",
                      "",   kNoUnit, -1,   false,      axial<&expansion::AxialEos::mp>};
const EosQuantity kBeta0{"beta0",        "beta0_su",
                         "beta0",        "&beta;<sub>0</sub>",
                         "\u03b2",       "0",
                         kPerTeraPascal, -1,
                         false,          axial<&expansion::AxialEos::beta0>};
const EosQuantity kFfB0{"B0", "B0_su",     "B0", "B<sub>0</sub>", "B",
                        "0",  kGigaPascal, -1,   false,           ff_line<&expansion::FfPlot::b0>};
const EosQuantity kFfBp{"Bp", "Bp_su", "B'", "B&prime;", "B\u2032",
                        "",   kNoUnit, -1,   false,      ff_line<&expansion::FfPlot::bp>};

}  // namespace report
