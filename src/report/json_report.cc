// The JSON of both modes: one schema, its keys in the man page's order, every
// number of the quantities from their rows (quantity.h).
#include <cmath>

#include "common/safe_text.h"
#include "expansion/symmetry.h"
#include "report/eos_report.h"
#include "report/json_text.h"
#include "report/pressure_quantities.h"
#include "report/pressure_report.h"
#include "report/range_notes.h"
#include "report/report.h"
#include "report/strain_quantities.h"
#include "report/temperature_quantities.h"
#include "report/volumes_report.h"

namespace report {
namespace {

// Text as JSON holds it: UTF-8 alone.
std::string utf8(const std::string& text) {
  return common::safe_text(text, common::Charset::kUtf8);
}

Json or_null(const std::optional<double>& value) {
  return json_number(value);
}

// A value at every point.
Json at_points(PointArrays& arrays, const std::vector<double>& values) {
  return arrays.array(values.size(), [&values](std::size_t i) { return Json(values[i]); });
}

// The keys every analysis begins with, whatever its mode.
// A series of volumes without cells has no strain or symmetry: both null.
Json head(const char* mode, crystal::Abscissa at, const Source& source,
          const expansion::StrainMeasure* measure, const expansion::Symmetry* symmetry,
          std::size_t points, const std::optional<expansion::Draws>& draws) {
  Json j;
  j["mode"] = mode;
  j["title"] = source.title.empty() ? Json() : Json(utf8(source.title));
  j["source"] = utf8(source.name);
  j["strain"] = measure != nullptr ? Json(expansion::measure_key(*measure)) : Json();
  j["symmetry"] = symmetry != nullptr ? Json(expansion::family_name(symmetry->family)) : Json();
  j["symmetry_from"] =
      symmetry != nullptr ? Json(symmetry->from_files ? "files" : "metric") : Json();
  j["skipped_lines"] = source.skipped_lines;
  if (source.range) j["range"] = range_json(source, at);
  j["warnings"] = Json::array();
  for (const std::string& w : source.warnings) j["warnings"].push_back(utf8(w));
  j["points"] = points;
  j["draws"] = draws ? Json(draws->count) : Json();
  return j;
}

// A principal axis's direction: uvw and the angles to a, b and c, the noise
// beside an exact zero written 0.
void direction_keys(Json& j, const expansion::AxisResult& x) {
  j["uvw"] = {cleaned(x.uvw(0), 12), cleaned(x.uvw(1), 12), cleaned(x.uvw(2), 12)};
  j["angles"] = {cleaned(x.angles[0], 5), cleaned(x.angles[1], 5), cleaned(x.angles[2], 5)};
}

// A quantity at every point, each of its keys an array with `suffix`; its
// cells' SUs null where the cells give none.
template <class Analysis>
void readings_at(PointArrays& arrays, Json& j, const Quantity<Analysis>& q, const Analysis& a,
                 std::size_t of, std::size_t n, const std::string& suffix) {
  const auto part = [&](std::optional<double> Reading::*member) {
    return arrays.array(n, [&q, &a, of, member](std::size_t i) {
      return json_number(q(a, {of, i}).*member);
    });
  };
  bool drawn = false;
  for (std::size_t i = 0; i < n && !drawn; ++i) drawn = q(a, {of, i}).su_cells.has_value();
  const std::string su_key(q.su_key);
  j[std::string(q.key) + suffix] = part(&Reading::value);
  j[su_key + suffix] = part(&Reading::su);
  j[su_key + "_fit" + suffix] = part(&Reading::su_fit);
  j[su_key + "_cells" + suffix] = drawn ? part(&Reading::su_cells) : Json();
}

// Each point's own pressure SU, never the weight a point without one is
// given.
Json pressures_su(PointArrays& arrays, const Source& source) {
  return arrays.array(source.cells.size(),
                      [&source](std::size_t i) { return or_null(source.cells[i].pressure_su); });
}

// A quantity's value at every point, one array under its key.
template <class Analysis>
void values_at(PointArrays& arrays, Json& j, const Quantity<Analysis>& q, const Analysis& a,
               std::size_t of, std::size_t n) {
  j[std::string(q.key)] = arrays.array(n, [&q, &a, of](std::size_t i) {
    return json_number(q(a, {of, i}).value);
  });
}

Json cells_json(PointArrays& arrays, const Source& source, crystal::Abscissa at) {
  return arrays.array(source.cells.size(),
                      [&source, at](std::size_t i) { return json_cell(source.cells[i], at); });
}

Json temperature_axis(PointArrays& arrays, const expansion::SeriesAnalysis& result, std::size_t k) {
  const expansion::AxisResult& x = result.analysis.axes[k];
  const expansion::AxisSus* d = result.sus ? &result.sus->axes[k] : nullptr;
  Json axis;
  json_reading(axis, kAlpha, kAlpha(result, {k, std::nullopt}), true);
  axis["direction_su_deg"] =
      d != nullptr && d->direction_deg ? Json(cleaned(*d->direction_deg, 5)) : Json();
  direction_keys(axis, x);
  const std::size_t n = result.analysis.temperatures.size();
  axis["strains"] = at_points(arrays, x.strains);
  axis["strains_su"] = d != nullptr ? at_points(arrays, d->strains) : Json();
  values_at(arrays, axis, kStrainFit, result, k, n);
  values_at(arrays, axis, kStrainResidual, result, k, n);
  if (result.analysis.degree != 1) readings_at(arrays, axis, kAlpha, result, k, n, "_T");
  return axis;
}

Json temperature_volume(PointArrays& arrays, const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  Json volume;
  json_reading(volume, kAlpha, kAlpha(result, {3, std::nullopt}), true);
  volume["reference"] = an.volume.reference;
  volume["values"] = at_points(arrays, an.volume.values);
  volume["values_su"] = result.sus ? at_points(arrays, result.sus->volume.values) : Json();
  if (an.degree != 1) readings_at(arrays, volume, kAlpha, result, 3, an.temperatures.size(), "_T");
  return volume;
}

Json pressure_axis(PointArrays& arrays, const expansion::PressureSeries& series, std::size_t k) {
  const expansion::PressureAnalysis& r = series.analysis;
  const expansion::CompressibilityAxis& axis = r.axes[k];
  const expansion::AxisResult& strain = r.strains.axes[axis.axis];
  const std::size_t n = r.strains.temperatures.size();
  Json j;
  readings_at(arrays, j, kK, series, k, n, "");
  direction_keys(j, strain);
  j["strains"] = at_points(arrays, strain.strains);
  values_at(arrays, j, kPressureStrainFit, series, k, n);
  values_at(arrays, j, kPressureStrainResidual, series, k, n);
  if (axis.fit) {
    Json fit;
    fit["determined"] = axis.fit->determined;
    for (const PressureQuantity* q : kFitQuantities)
      json_reading(fit, *q, (*q)(series, {k, std::nullopt}), false);
    j["fit"] = std::move(fit);
  } else {
    j["fit"] = nullptr;
  }
  Json linear;
  json_reading(linear, kLinearK, kLinearK(series, {k, std::nullopt}), true);
  j["linear"] = std::move(linear);
  j["negative_linear_compressibility"] =
      expansion::negative_linear_compressibility(expansion::shown_compressibility(series, k));
  return j;
}

}  // namespace

Json json_cell(const crystal::CellEntry& e, crystal::Abscissa abscissa) {
  Json j;
  j["source"] = utf8(e.source);
  const std::string at = abscissa == crystal::Abscissa::kPressure ? "p" : "T";
  j[at] = or_null(crystal::abscissa(e, abscissa));
  j[at + "_su"] = or_null(crystal::abscissa_su(e, abscissa));
  const std::array<double, 6> values = crystal::parameters(e.cell);
  const std::array<std::optional<double>, 6> sus = crystal::parameters(e.su);
  for (std::size_t p = 0; p < 6; ++p) {
    const std::string name = crystal::kCellParameterNames[p];
    // A point without a whole cell holds 0 for a parameter its file does
    // not give.
    j[name] = e.has_cell || values[p] != 0 ? Json(values[p]) : Json();
    j[name + "_su"] = or_null(sus[p]);
  }
  return j;
}

namespace {

// The documents of the three kinds of series, their arrays of a value a
// point from `arrays`.

Json temperature_document(PointArrays& arrays, const expansion::SeriesAnalysis& result,
                          const Source& source) {
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  Json j =
      head("temperature", crystal::Abscissa::kTemperature, source, &an.measure, &result.symmetry,
           an.temperatures.size(), sus != nullptr ? std::optional(sus->draws) : std::nullopt);
  j["fit"] = expansion::fit_name(an.degree);
  j["weighted"] = sus != nullptr && sus->weighted;
  j["reference_temperature"] = an.temperatures[an.reference];
  j["median_temperature"] = an.temperatures[an.median];
  j["direction_temperature"] = an.temperatures[an.direction_point];
  j["temperatures"] = at_points(arrays, an.temperatures);
  j["axes"] = Json::array();
  for (std::size_t k = 0; k < 3; ++k) j["axes"].push_back(temperature_axis(arrays, result, k));
  j["volume"] = temperature_volume(arrays, result);
  j["cells"] = cells_json(arrays, source, crystal::Abscissa::kTemperature);
  return j;
}

Json pressure_document(PointArrays& arrays, const expansion::PressureSeries& series,
                       const expansion::EosAnalysis& eos, const Source& source) {
  const expansion::PressureAnalysis& result = series.analysis;
  const expansion::Analysis& an = result.strains;
  const expansion::Symmetry symmetry = expansion::series_symmetry(source.cells);
  Json j =
      head("pressure", crystal::Abscissa::kPressure, source, &an.measure, &symmetry,
           an.temperatures.size(), series.sus ? std::optional(series.sus->draws) : std::nullopt);
  j["reference"] = an.temperatures[an.reference];
  j["median"] = an.temperatures[an.median];
  j["pressures"] = at_points(arrays, an.temperatures);
  j["pressures_su"] = pressures_su(arrays, source);
  j["lines_weighted"] = result.weighted;
  j["axes"] = Json::array();
  for (std::size_t k = 0; k < 3; ++k) j["axes"].push_back(pressure_axis(arrays, series, k));
  Json volume;
  json_reading(volume, kLinearK, kLinearK(series, {3, std::nullopt}), true);
  volume["definition"] = an.volume.logarithmic ? "-d ln(V/V_ref)/dp" : "-(dV/dp)/V_ref";
  volume["reference"] = an.volume.reference;
  volume["values"] = at_points(arrays, an.volume.values);
  j["volume"] = std::move(volume);
  add_eos_json(eos, j, arrays);
  j["cells"] = cells_json(arrays, source, crystal::Abscissa::kPressure);
  return j;
}

Json volumes_document(PointArrays& arrays, const expansion::EosAnalysis& eos,
                      const Source& source) {
  Json j = head("pressure", crystal::Abscissa::kPressure, source, nullptr, nullptr,
                eos.series.p.size(), std::nullopt);
  j["pressures"] = at_points(arrays, eos.series.p);
  j["pressures_su"] = pressures_su(arrays, source);
  j["axes"] = nullptr;
  j["volume"] = nullptr;
  add_eos_json(eos, j, arrays);
  j["cells"] = cells_json(arrays, source, crystal::Abscissa::kPressure);
  return j;
}

}  // namespace

Json json_document(const expansion::SeriesAnalysis& result, const Source& source) {
  PointArrays held(true);
  return temperature_document(held, result, source);
}

Json pressure_json_document(const expansion::PressureSeries& series,
                            const expansion::EosAnalysis& eos, const Source& source) {
  PointArrays held(true);
  return pressure_document(held, series, eos, source);
}

Json volumes_json_document(const expansion::EosAnalysis& eos, const Source& source) {
  PointArrays held(true);
  return volumes_document(held, eos, source);
}

// The reports' texts: each array of a value a point written as it is made,
// the same bytes as the document's dump().

std::string json_report(const expansion::SeriesAnalysis& result, const Source& source) {
  PointArrays streamed(false);
  return streamed.text(temperature_document(streamed, result, source));
}

std::string pressure_json_report(const expansion::PressureSeries& series,
                                 const expansion::EosAnalysis& eos, const Source& source) {
  PointArrays streamed(false);
  return streamed.text(pressure_document(streamed, series, eos, source));
}

std::string volumes_json_report(const expansion::EosAnalysis& eos, const Source& source) {
  PointArrays streamed(false);
  return streamed.text(volumes_document(streamed, eos, source));
}

}  // namespace report
