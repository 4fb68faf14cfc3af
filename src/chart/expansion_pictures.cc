#include "chart/expansion_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <string_view>
#include <utility>

#include "chart/analysis_figure.h"
#include "chart/eos_pictures.h"
#include "chart/indicatrix.h"
#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "chart/units.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "expansion/poly_fit.h"

namespace chart {
namespace {

std::string strain_picture(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                           std::string_view source, const KeyTexts& keys,
                           const PictureOptions& options) {
  std::vector<Series> series;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::PolyFit& fit = an.axes[k].fit;
    series.push_back({an.axes[k].strains, std::nullopt,
                      [&fit](double t) { return value_at(fit, t); }, axis_label(an, keys, k)});
    if (sus != nullptr) series.back().sus = sus->axes[k].strains;
  }
  return series_figure(temperature_axis(an), series, 100, "Principal strains against temperature",
                       "Principal strain (%)", source, options);
}

std::string volume_picture(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                           std::string_view source, const KeyTexts& keys,
                           const PictureOptions& options) {
  Series volume{an.volume.values, std::nullopt,
                [&an](double t) { return expansion::fitted_volume(an.volume, t); },
                RichText{{"\u03b1", false}, {"V", true}} + plain(" = " + true_minus(keys.volume))};
  if (sus != nullptr) volume.sus = sus->volume.values;
  return series_figure(temperature_axis(an), {volume}, 1, "Volume against temperature",
                       "Volume (\u00c5\u00b3)", source, options);
}

// The expansivity indicatrix of an analysis.
Indicatrix expansivity(const expansion::Analysis& an, const KeyTexts& keys) {
  Indicatrix ind;
  for (std::size_t k = 0; k < 3; ++k) {
    ind.values[k] = an.axes[k].alpha.value;
    ind.directions[k] = an.axes[k].direction;
    ind.labels[k] = axis_label(an, keys, k);
  }
  ind.crystal_axes = an.crystal_axes;
  ind.symbol = "\u03b1";
  ind.shown = 1e6;
  ind.unit = "MK\u207b\u00b9";
  ind.title = "Expansivity indicatrix: sections through the principal axes";
  ind.about = subtitle_about(an);
  return ind;
}

}  // namespace

// The inputs with their folders left out: "a.cif, b.cif" for
// "/data/run1/a.cif, /data/run1/b.cif".
std::string base_names(std::string_view source) {
  std::string out;
  std::size_t word = 0;  // where the current name began in out
  for (const char c : source) {
    if (c == ' ' || c == ',') {
      out += c;
      word = out.size();
    } else if (c == '/') {
      out.erase(word);
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<Picture> render_pictures(const expansion::Analysis& analysis,
                                     const expansion::PropagatedSus* sus,
                                     const std::vector<crystal::CellEntry>& cells,
                                     std::string_view source, const KeyTexts& keys,
                                     const PictureOptions& options) {
  std::vector<Picture> pictures = {
      {"_strain.svg", strain_picture(analysis, sus, source, keys, options),
       "The principal strains against temperature, each with its fit; error bars of one SU "
       "drawn from the cells, where they carry SUs."},
      {"_volume.svg", volume_picture(analysis, sus, source, keys, options),
       "The volume against temperature with its fit."}};
  if (cells.size() == analysis.temperatures.size())
    pictures.push_back(
        {"_lattice.svg", lattice_picture(analysis, sus, cells, Unit::kKelvin, source, options),
         "The cell's lengths and volume relative to those of the reference cell against "
         "temperature, with their fits; the angles that vary in a panel of their own."});
  pictures.push_back(
      {"_indicatrix.svg", indicatrix_picture(expansivity(analysis, keys), source, options),
       "The expansivity indicatrix: the coefficient along every direction, in the three planes "
       "that hold two principal axes each; negative lobes dashed."});
  return pictures;
}

}  // namespace chart
