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
#include "chart/expansion_pictures.h"
#include "chart/indicatrix.h"
#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "chart/units.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "expansion/poly_fit.h"

namespace chart {
namespace {

Abscissa pressure_axis(const expansion::PressureAnalysis& r) {
  return {r.strains.temperatures, "Pressure (GPa)",
          measure_name(r.strains.measure) + " strain, empirical fits"};
}

std::string pressure_strain_picture(const expansion::PressureSeries& analysed,
                                    std::string_view source, const KeyTexts& keys,
                                    const PictureOptions& options) {
  const expansion::PressureAnalysis& r = analysed.analysis;
  const expansion::Analysis& an = r.strains;
  const double median = an.temperatures[an.median];
  std::vector<Series> series;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::CompressibilityAxis& axis = r.axes[k];
    const expansion::AxisResult& x = an.axes[axis.axis];
    std::function<double(double)> fitted;
    RichText key = axis_name(k) + plain(true_minus(common::format_text(
                                      " [%.3f %.3f %.3f]  K = ", x.uvw(0), x.uvw(1), x.uvw(2))));
    if (axis.fit) {
      const expansion::EmpiricalFit& fit = *axis.fit;
      fitted = [&fit](double p) { return expansion::empirical_strain(fit, p); };
      key = key +
            plain(true_minus(keys.axes[k]) + " at " + common::format_text("%.4g", median) + " GPa");
    } else {
      const expansion::PolyFit& line = x.fit;
      fitted = [&line](double p) { return value_at(line, p); };
      key = key + plain(true_minus(keys.axes[k]) + ", straight line");
    }
    series.push_back({x.strains, std::nullopt, fitted, key});
  }
  return series_figure(pressure_axis(r), series, 100, "Principal strains against pressure",
                       "Principal strain (%)", source, options);
}

// Each fitted equation's V(p), keyed by its parameters. V(p) is sought where
// the curve falls: from well inside the smallest volume to a little beyond
// the largest and V0 (a third-order curve of large B' turns back up at some
// 1.3 V0).
std::vector<Series> eos_curves(const expansion::EosAnalysis& eos, const KeyTexts& keys) {
  std::vector<Series> series;
  const std::vector<double>& v = eos.series.v;
  const auto [v_lo, v_hi] = std::minmax_element(v.begin(), v.end());
  for (std::size_t i = 0; i < eos.equations.size() && v_lo != v.end(); ++i) {
    const expansion::EosEntry& e = eos.equations[i];
    if (!e.fit) continue;
    const expansion::EosSolution& fit = *e.fit;
    const EosKeyTexts texts = i < keys.eos.size() ? keys.eos[i] : EosKeyTexts{};
    const double low = 0.5 * *v_lo, high = 1.05 * std::max(*v_hi, fit.theta[expansion::kV0].value);
    RichText key = plain(expansion::eos_label(e.eos));
    if (e.eos == expansion::Eos::kBm3Pc)
      key = plain("BM3, p") + RichText{{"c", true}} + plain(" = " + true_minus(texts.pc));
    key = key + plain(": V") + RichText{{"0", true}} + plain(" = " + true_minus(texts.v0) + ", B") +
          RichText{{"0", true}} +
          plain(" = " + true_minus(texts.b0) + ", B\u2032 = " + true_minus(texts.bp));
    series.push_back({{},
                      std::nullopt,
                      [&fit, low, high](double p) {
                        return expansion::eos_volume(fit.eos, expansion::parameters_of(fit), p, low,
                                                     high, fit.pc);
                      },
                      key});
  }
  return series;
}

std::string pressure_volume_picture(const expansion::PressureSeries& analysed,
                                    const expansion::EosAnalysis& eos, std::string_view source,
                                    const KeyTexts& keys, const PictureOptions& options) {
  const expansion::PressureAnalysis& r = analysed.analysis;
  const expansion::VolumeResult& volume = r.strains.volume;
  std::vector<Series> series;
  series.push_back({volume.values, std::nullopt,
                    [&volume](double p) { return expansion::fitted_volume(volume, p); },
                    RichText{{"K", false}, {"V", true}} +
                        plain(" = " + true_minus(keys.volume) + ", straight line")});
  for (Series& curve : eos_curves(eos, keys)) series.push_back(std::move(curve));
  return series_figure(pressure_axis(r), series, 1, "Volume against pressure",
                       "Volume (\u00c5\u00b3)", source, options);
}

// The volume picture of a series of volumes without cells: the points, each
// with its volume's SU, and the equations' curves.
std::string eos_volume_picture(const expansion::EosAnalysis& eos, std::string_view source,
                               const KeyTexts& keys, const PictureOptions& options) {
  const expansion::PvSeries& pv = eos.series;
  std::vector<Series> series;
  Series points{pv.v, std::nullopt, {}, plain("V, the volumes given")};
  if (std::any_of(pv.sigma_v.begin(), pv.sigma_v.end(), [](double su) { return su > 0; })) {
    points.sus.emplace();
    for (const double su : pv.sigma_v) points.sus->push_back(std::isfinite(su) ? su : 0);
  }
  series.push_back(std::move(points));
  for (Series& curve : eos_curves(eos, keys)) series.push_back(std::move(curve));
  return series_figure({pv.p, "Pressure (GPa)", "equations of state fitted to p(V)"}, series, 1,
                       "Volume against pressure", "Volume (\u00c5\u00b3)", source, options);
}

// The compressibility indicatrix: each axis's K as the report names it (at
// the median pressure, the straight line's without the empirical fit).
Indicatrix compressibility_indicatrix(const expansion::PressureSeries& series,
                                      const KeyTexts& keys) {
  const expansion::PressureAnalysis& r = series.analysis;
  const expansion::Analysis& an = r.strains;
  Indicatrix ind;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = an.axes[r.axes[k].axis];
    ind.values[k] = expansion::shown_compressibility(series, k).value;
    ind.directions[k] = x.direction;
    ind.labels[k] =
        axis_name(k) +
        plain(
            true_minus(common::format_text(" [%.3f %.3f %.3f]  K", x.uvw(0), x.uvw(1), x.uvw(2)))) +
        RichText{{std::to_string(k + 1), true}} + plain(" = " + true_minus(keys.axes[k]));
  }
  ind.crystal_axes = an.crystal_axes;
  ind.symbol = "K";
  ind.unit = "TPa\u207b\u00b9";
  ind.title = "Compressibility indicatrix: sections through the principal axes";
  ind.about = measure_name(an.measure) + " strain, K at " +
              common::format_text("%.4g", an.temperatures[an.median]) + " GPa";
  return ind;
}

}  // namespace

std::vector<Picture> render_pressure_pictures(const expansion::PressureSeries& series,
                                              const expansion::EosAnalysis& eos,
                                              const std::vector<crystal::CellEntry>& cells,
                                              std::string_view source, const KeyTexts& keys,
                                              const PictureOptions& options) {
  const expansion::Analysis& an = series.analysis.strains;
  std::vector<Picture> pictures = {
      {"_strain.svg", pressure_strain_picture(series, source, keys, options),
       "The principal strains against pressure, each with its empirical fit (the straight line "
       "where the series is too short for it)."},
      {"_volume.svg", pressure_volume_picture(series, eos, source, keys, options),
       "The volume against pressure with its straight line and the equations of state fitted, "
       "over the whole range of pressure."}};
  if (cells.size() == an.temperatures.size()) {
    pictures.push_back(
        {"_lattice.svg", lattice_picture(an, nullptr, cells, Unit::kGigapascal, source, options),
         "The cell's lengths and volume relative to those of the reference cell against "
         "pressure, with their fits; the angles that vary in a panel of their own."});
  }
  pictures.push_back(
      {"_indicatrix.svg",
       indicatrix_picture(compressibility_indicatrix(series, keys), source, options),
       "The compressibility indicatrix: K along every direction, in the three planes that hold "
       "two principal axes each; negative lobes dashed."});
  for (Picture& picture : eos_pictures(eos, source, keys, options))
    pictures.push_back(std::move(picture));
  return pictures;
}

std::vector<Picture> render_eos_pictures(const expansion::EosAnalysis& eos, std::string_view source,
                                         const KeyTexts& keys, const PictureOptions& options) {
  std::vector<Picture> pictures = {
      {"_volume.svg", eos_volume_picture(eos, source, keys, options),
       "The volumes against pressure, each with its SU where given, and the equations of state "
       "fitted, over the whole range of pressure."}};
  for (Picture& picture : eos_pictures(eos, source, keys, options))
    pictures.push_back(std::move(picture));
  return pictures;
}

}  // namespace chart
