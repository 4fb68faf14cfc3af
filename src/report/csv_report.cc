// The CSV of both modes: the columns of each quantity named from its row
// (key and unit), a value not known left empty.
#include "report/eos_report.h"
#include "report/pressure_quantities.h"
#include "report/pressure_report.h"
#include "report/report.h"
#include "report/strain_quantities.h"
#include "report/temperature_quantities.h"

namespace report {
namespace {

// A column's name: the key and the unit as the report writes it without its
// carets, "alpha_MK-1", "V0_A3", "Bp" for a number without a unit.
std::string column(std::string_view key, const Unit& unit) {
  std::string name(key);
  if (unit.text.empty()) return name;
  name += '_';
  for (const char c : unit.text)
    if (c != '^') name += c;
  return name;
}

// The direction's columns: u, v, w, and `angles` the angles to a, b and c.
std::string direction_columns(const expansion::AxisResult& x, bool angles) {
  std::string s = csv_number(cleaned(x.uvw(0), 12)) + "," + csv_number(cleaned(x.uvw(1), 12)) +
                  "," + csv_number(cleaned(x.uvw(2), 12));
  if (angles)
    for (std::size_t c = 0; c < 3; ++c) s += "," + csv_number(cleaned(x.angles[c], 5));
  return s;
}

// One row of the temperature CSV: the coefficient of k (3: the volume) at
// point i, or the fitted one.
std::string alpha_row(const expansion::SeriesAnalysis& result, std::size_t k,
                      std::optional<std::size_t> i) {
  const Reading r = kAlpha(result, {k, i});
  const std::string t = i ? csv_number(result.analysis.temperatures[*i]) : std::string();
  std::string direction = ",,,,,", direction_su;
  if (k < 3) {
    direction = direction_columns(result.analysis.axes[k], true);
    if (result.sus && result.sus->axes[k].direction_deg)
      direction_su = csv_number(cleaned(*result.sus->axes[k].direction_deg, 5));
  }
  return (k < 3 ? axis_name(k) : "V") + "," + t + "," + csv_number(r.value) + "," +
         csv_number(r.su) + "," + direction + "," + csv_number(r.su_fit) + "," +
         csv_number(r.su_cells) + "," + direction_su + "," + shown(kAlpha, r, kMissingCsv) + "\n";
}

// A compressibility's columns: K, its bounding SU, the direction, the fit's
// SU and the cells'.
std::string k_columns(const Reading& r, const std::string& direction) {
  return csv_number(r.value) + "," + csv_number(r.su) + "," + direction + "," +
         csv_number(r.su_fit) + "," + csv_number(r.su_cells) + "\n";
}

// After an empty line, the principal strains at every point: axis, the
// abscissa (`column_name`), and the columns of `rows` (strain_quantities.h),
// the strain with its SU, the fit's value and the residual.
template <class Analysis>
std::string strains_csv(const Analysis& a, const Quantity<Analysis>* const (&rows)[3],
                        const std::vector<double>& at, const std::string& column_name) {
  std::string s = "\naxis," + column_name + "," + column(rows[0]->key, rows[0]->unit) + "," +
                  column(rows[0]->su_key, rows[0]->unit) + "," +
                  column(rows[1]->key, rows[1]->unit) + "," + column(rows[2]->key, rows[2]->unit) +
                  "\n";
  for (std::size_t k = 0; k < 3; ++k) {
    for (std::size_t i = 0; i < at.size(); ++i) {
      const Reading strain = (*rows[0])(a, {k, i});
      s += axis_name(k) + "," + csv_number(at[i]) + "," + csv_number(strain.value) + "," +
           csv_number(strain.su) + "," + csv_number((*rows[1])(a, {k, i}).value) + "," +
           csv_number((*rows[2])(a, {k, i}).value) + "\n";
    }
  }
  return s;
}

}  // namespace

std::string csv_report(const expansion::SeriesAnalysis& result) {
  const std::string alpha = column(kAlpha.key, kAlpha.unit),
                    su = column(kAlpha.su_key, kAlpha.unit);
  std::string s = "axis,T_K," + alpha + "," + su + ",u,v,w,angle_a_deg,angle_b_deg,angle_c_deg," +
                  column(std::string(kAlpha.su_key) + "_fit", kAlpha.unit) + "," +
                  column(std::string(kAlpha.su_key) + "_cells", kAlpha.unit) +
                  ",direction_su_deg," + column(std::string(kAlpha.key) + "(su)", kAlpha.unit) +
                  "\n";
  const std::vector<double>& t = result.analysis.temperatures;
  if (result.analysis.degree == 1) {
    for (std::size_t k = 0; k <= 3; ++k) s += alpha_row(result, k, std::nullopt);
  } else {
    for (std::size_t i = 0; i < t.size(); ++i)
      for (std::size_t k = 0; k <= 3; ++k) s += alpha_row(result, k, i);
  }
  return s + strains_csv(result, kStrainQuantities, t, "T_K");
}

std::string pressure_csv_report(const expansion::PressureSeries& series,
                                const expansion::EosAnalysis& eos) {
  const expansion::PressureAnalysis& result = series.analysis;
  const std::string su(kK.su_key);
  std::string s = "axis,p_GPa," + column(kK.key, kK.unit) + "," + column(su, kK.unit) + ",u,v,w," +
                  column(su + "_fit", kK.unit) + "," + column(su + "_cells", kK.unit) + "\n";
  const std::vector<double>& p = result.strains.temperatures;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::CompressibilityAxis& axis = result.axes[k];
    const std::string direction = direction_columns(result.strains.axes[axis.axis], false);
    for (std::size_t i = 0; i < p.size() && axis.fit; ++i)
      s += axis_name(k) + "," + csv_number(p[i]) + "," + k_columns(kK(series, {k, i}), direction);
    s += axis_name(k) + ",," + k_columns(kLinearK(series, {k, std::nullopt}), direction);
  }
  s += "V,," + k_columns(kLinearK(series, {3, std::nullopt}), ",,");
  return s + eos_csv(eos) + strains_csv(series, kPressureStrainQuantities, p, "p_GPa");
}

}  // namespace report
