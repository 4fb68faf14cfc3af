#include "report/temperature_quantities.h"

namespace report {
namespace {

constexpr double kMega = 1e6;  // 1/K to MK^-1

Reading alpha(const expansion::SeriesAnalysis& result, Place place) {
  const expansion::Analysis& an = result.analysis;
  const bool volume = place.of == 3;
  const expansion::Estimate& e =
      volume ? (place.at ? an.volume.alpha_at[*place.at] : an.volume.alpha)
             : (place.at ? an.axes[place.of].alpha_at[*place.at] : an.axes[place.of].alpha);
  std::optional<double> cells;
  if (result.sus) {
    const expansion::PropagatedSus& s = *result.sus;
    if (volume)
      cells = place.at ? s.volume.alpha_at[*place.at] : s.volume.alpha;
    else
      cells = place.at ? s.axes[place.of].alpha_at[*place.at] : s.axes[place.of].alpha;
  }
  const auto mega = [](std::optional<double> x) { return x ? known(*x * kMega) : std::nullopt; };
  return {known(e.value * kMega),
          mega(expansion::bounding_su(e.su, cells)),
          mega(e.su),
          mega(cells),
          {}};
}

}  // namespace

const TemperatureQuantity kAlpha{"alpha", "su",           "alpha", "&alpha;", "\u03b1",
                                 "",      kPerMegaKelvin, 3,       true,      alpha};

}  // namespace report
