#include "report/pressure_report.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "common/number_text.h"
#include "common/safe_text.h"
#include "report/conclusions.h"
#include "report/eos_report.h"
#include "report/pressure_quantities.h"
#include "report/range_notes.h"

namespace report {
namespace {

using expansion::CompressibilityAxis;
using expansion::Estimate;
// A quantity as the report writes it.
std::string text_of(const PressureQuantity& q, const expansion::PressureSeries& series,
                    Place place) {
  return shown(q, q(series, place), kMissingText);
}

std::string uvw_text(const Eigen::Vector3d& uvw) {
  return common::format_text("[%.4f %.4f %.4f]", cleaned(uvw(0), 4), cleaned(uvw(1), 4),
                             cleaned(uvw(2), 4));
}

std::string header(const expansion::PressureSeries& series, const Source& source) {
  const expansion::PressureAnalysis& r = series.analysis;
  const std::vector<double>& p = r.strains.temperatures;
  const auto [lo, hi] = std::minmax_element(p.begin(), p.end());
  std::string s = " Principal compressibilities of " + common::safe_text(subject(source)) + "\n";
  s += " Mode       : pressure in GPa; compressibility K = -d(strain)/dp in TPa^-1\n";
  s += common::format_text(
      " Points     : %zu, %.4g GPa to %.4g GPa, reference point %.4g GPa (row %zu)\n", p.size(),
      *lo, *hi, p[r.strains.reference], r.strains.reference + 1);
  s += range_lines(source, crystal::Abscissa::kPressure);
  s += " Strain     : " + expansion::measure_name(r.strains.measure) + "\n";
  s += " Fits       : each principal strain eps = eps0 + lambda (p - p_c)^nu, weighted by\n"
       "              1/sigma_p^2, SUs scaled by chi^2/(N - 4): K(p) = -lambda nu (p - "
       "p_c)^(nu-1);\n"
       "              linear K: minus the least-squares slope of the strain, " +
       std::string(r.weighted ? "weighted by\n              1/sigma_p"
                              : "unweighted (no\n              pressure has an SU)") +
       " (HC0 standard error); of the volume, minus the slope\n              " +
       std::string(r.strains.volume.logarithmic ? "of ln(V/V_ref)\n"
                                                : "of V over V at the reference point\n");
  if (series.sus) {
    s += common::format_text(
        " Cells' SUs : carried through the whole analysis by %zu Monte Carlo draws\n"
        "              (--seed %llu): su_cells their SD\n",
        series.sus->draws.count, static_cast<unsigned long long>(series.sus->draws.start));
  }
  s += " Uncertainty: K(su): the larger of the fit's standard error and the cells' SU\n";
  s += common::format_text(" Directions : at the point %.4g GPa (row %zu)\n",
                           p[r.strains.direction_point], r.strains.direction_point + 1);
  return s;
}

// An SU column of the table of compressibilities, 8 wide, three decimals,
// "-" where the series gives none.
std::string su_column(std::optional<double> su) {
  return common::format_text(
      "%8s", common::value_with_su(su, std::nullopt, {3, false, kNotGivenText}).c_str());
}

std::string axes_table(const expansion::PressureSeries& series) {
  const expansion::PressureAnalysis& r = series.analysis;
  const double median_p = r.strains.temperatures[r.strains.median];
  std::string s = common::format_text(
      "\n Axis  K at %.4g GPa    su_fit su_cells      linear K    direction [u v w]          "
      "angles to a, b, c\n",
      median_p);
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& strain = r.strains.axes[r.axes[k].axis];
    const Reading median = kK(series, {k, std::nullopt});
    const std::string at_median =
        r.axes[k].fit ? shown(kK, median, kMissingText) : std::string("no fit");
    s += common::format_text(
        " %s  %14s  %s %s  %12s  %-26s %7.2f %7.2f %7.2f\n", axis_name(k).c_str(),
        at_median.c_str(), su_column(median.su_fit).c_str(), su_column(median.su_cells).c_str(),
        text_of(kLinearK, series, {k, std::nullopt}).c_str(), uvw_text(strain.uvw).c_str(),
        strain.angles[0], strain.angles[1], strain.angles[2]);
  }
  s += common::format_text(" V   %14s  %8s %8s  %12s\n", "", "", "",
                           text_of(kLinearK, series, {3, std::nullopt}).c_str());
  return s;
}

// The values of a row of a table, each as wide as `widths` says (18 past
// its end) but the last.
template <std::size_t N>
std::string columns(const PressureQuantity* const (&rows)[N],
                    const expansion::PressureSeries& series, std::size_t of,
                    std::span<const int> widths = {}) {
  std::string s;
  for (std::size_t c = 0; c < N; ++c) {
    const std::string text = text_of(*rows[c], series, {of, std::nullopt});
    const int width = c < widths.size() ? widths[c] : 18;
    s += c + 1 < N ? common::format_text("%-*s ", width, text.c_str()) : text;
  }
  return s;
}

// A fit whose parameters are not determined: where the search stopped, each
// parameter in four significant digits, which claim no SU.
std::string undetermined_row(const expansion::PressureSeries& series, std::size_t k) {
  return "parameters not determined; K(p) is: the least squares lie towards\n"
         "                 nu -> 0 or p_c -> -infinity; where the search stopped: eps0 " +
         text_of(kEps0, series, {k, std::nullopt}) + ",\n                 lambda " +
         text_of(kLambda, series, {k, std::nullopt}) + ", p_c " +
         text_of(kFitPc, series, {k, std::nullopt}) + " GPa, nu " +
         text_of(kNu, series, {k, std::nullopt});
}

std::string fits_table(const expansion::PressureSeries& series) {
  const expansion::PressureAnalysis& r = series.analysis;
  std::string s = "\n Empirical fits  eps0               lambda             p_c GPa          nu\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& axis = r.axes[k];
    s += " " + axis_name(k) + "             ";
    static constexpr int kWidths[] = {18, 18, 16};
    if (!axis.fit)
      s += "none: " + axis.why_not;
    else if (!axis.fit->determined)
      s += undetermined_row(series, k);
    else
      s += columns(kFitQuantities, series, k, kWidths);
    s += "\n";
  }
  return s;
}

// K at each pressure with its bounding SU; where no axis has the empirical
// fit, the words why instead.
std::string pressures_table(const expansion::PressureSeries& series) {
  const expansion::PressureAnalysis& r = series.analysis;
  const std::vector<double>& p = r.strains.temperatures;
  if (std::none_of(r.axes.begin(), r.axes.end(),
                   [](const CompressibilityAxis& axis) { return axis.fit.has_value(); })) {
    return common::format_text(
        "\n K at each pressure: not given; %s\n"
        " (the series holds %zu), so each axis has only its straight-line K\n",
        r.axes[0].why_not.c_str(), p.size());
  }
  std::string s =
      "\n K at each pressure, TPa^-1\n   p GPa                X1                X2                "
      "X3\n";
  for (std::size_t i = 0; i < p.size(); ++i) {
    s += common::format_text(" %7.4g", p[i]);
    for (std::size_t k = 0; k < 3; ++k)
      s += common::format_text(" %17s", text_of(kK, series, {k, i}).c_str());
    s += "\n";
  }
  return s;
}

// The conclusions after an empty line; nothing where there are none.
std::string conclusions_part(const expansion::PressureSeries& series, const Source& source) {
  const std::string s = conclusions_text(pressure_conclusions(series, source));
  return s.empty() ? s : "\n" + s;
}

}  // namespace

std::string pressure_text_report(const expansion::PressureSeries& series,
                                 const expansion::EosAnalysis& eos, const Source& source) {
  return header(series, source) + axes_table(series) + fits_table(series) +
         pressures_table(series) + eos_text(eos) + conclusions_part(series, source);
}

}  // namespace report
