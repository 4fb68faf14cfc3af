#include "report/picture_keys.h"

#include "report/eos_quantities.h"
#include "report/pressure_quantities.h"
#include "report/temperature_quantities.h"

namespace report {
namespace {

// A value with its SU and unit: "20.43(76) MK⁻¹"; "n/a" without its unit.
template <class Analysis>
std::string key_text(const Quantity<Analysis>& q, const Reading& r) {
  std::string text = shown(q, r, kMissingText);
  if (!r.value || q.unit.unicode.empty()) return text;
  return text + " " + std::string(q.unit.unicode);
}

// Each equation's V0, B0, B' and p_c; the F-f line's B0 and B'; BM2's B0.
void eos_keys(const expansion::EosAnalysis& eos, chart::KeyTexts& keys) {
  for (std::size_t i = 0; i < eos.equations.size(); ++i) {
    const Place at{i, std::nullopt};
    keys.eos.push_back({key_text(kV0, kV0(eos, at)), key_text(kB0, kB0(eos, at)),
                        key_text(kBp, kBp(eos, at)), key_text(kEosPc, kEosPc(eos, at))});
    if (eos.equations[i].eos == expansion::Eos::kBm2) keys.bm2_b0 = keys.eos.back().b0;
  }
  keys.ff_b0 = key_text(kFfB0, kFfB0(eos, {}));
  keys.ff_bp = key_text(kFfBp, kFfBp(eos, {}));
}

}  // namespace

chart::KeyTexts picture_keys(const expansion::SeriesAnalysis& result) {
  chart::KeyTexts keys;
  for (std::size_t k = 0; k < 3; ++k)
    keys.axes[k] = key_text(kAlpha, kAlpha(result, {k, std::nullopt}));
  keys.volume = key_text(kAlpha, kAlpha(result, {3, std::nullopt}));
  return keys;
}

chart::KeyTexts picture_keys(const expansion::PressureSeries& series,
                             const expansion::EosAnalysis& eos) {
  chart::KeyTexts keys;
  for (std::size_t k = 0; k < 3; ++k) {
    // The K the axis is named by: at the median pressure, else the line's.
    const PressureQuantity& q = series.analysis.axes[k].fit ? kK : kLinearK;
    keys.axes[k] = key_text(q, q(series, {k, std::nullopt}));
  }
  keys.volume = key_text(kLinearK, kLinearK(series, {3, std::nullopt}));
  eos_keys(eos, keys);
  return keys;
}

chart::KeyTexts picture_keys(const expansion::EosAnalysis& eos) {
  chart::KeyTexts keys;
  eos_keys(eos, keys);
  return keys;
}

}  // namespace report
