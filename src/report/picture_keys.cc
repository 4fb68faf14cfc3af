#include "report/picture_keys.h"

#include "report/pressure_quantities.h"
#include "report/temperature_quantities.h"

namespace report {
namespace {

// A value with its SU and unit: "20.43(76) MK⁻¹"; "n/a" without its unit.
template <class Analysis>
std::string key_text(const Quantity<Analysis>& q, const Reading& r) {
  const std::string text = shown(q, r, kMissingText);
  if (!r.value || q.unit.unicode.empty()) return text;
  return text + " " + std::string(q.unit.unicode);
}

}  // namespace

chart::KeyTexts picture_keys(const expansion::SeriesAnalysis& result) {
  chart::KeyTexts keys;
  for (std::size_t k = 0; k < 3; ++k)
    keys.axes[k] = key_text(kAlpha, kAlpha(result, {k, std::nullopt}));
  keys.volume = key_text(kAlpha, kAlpha(result, {3, std::nullopt}));
  return keys;
}

chart::KeyTexts picture_keys(const expansion::PressureSeries& series) {
  chart::KeyTexts keys;
  for (std::size_t k = 0; k < 3; ++k) {
    // The K the axis is named by: at the median pressure, else the line's.
    const PressureQuantity& q = series.analysis.axes[k].fit ? kK : kLinearK;
    keys.axes[k] = key_text(q, q(series, {k, std::nullopt}));
  }
  keys.volume = key_text(kLinearK, kLinearK(series, {3, std::nullopt}));
  return keys;
}

}  // namespace report
