#include <algorithm>
#include <array>
#include <cmath>

#include "common/number_text.h"
#include "common/safe_text.h"
#include "report/conclusions.h"
#include "report/range_notes.h"
#include "report/report.h"
#include "report/temperature_quantities.h"

namespace report {
namespace {

// A coefficient of axis k (3: the volume) as the report writes it, at point
// i where one is given.
std::string alpha_text(const expansion::SeriesAnalysis& result, std::size_t k,
                       std::optional<std::size_t> i = std::nullopt) {
  return shown(kAlpha, kAlpha(result, {k, i}), kMissingText);
}

// An SU column of the coefficients' table, `width` wide, `decimals`
// decimals, `missing` where there is none.
std::string su_column(std::optional<double> su, int width, std::string_view missing,
                      int decimals = 3) {
  return common::format_text(
      "%*s", width, common::value_with_su(su, std::nullopt, {decimals, false, missing}).c_str());
}

std::string coefficient_definition(const expansion::Analysis& an) {
  const bool natural = an.measure.kind == expansion::StrainKind::kNatural;
  std::string s = " Strain     : " + measure_name(an.measure) +
                  (natural ? ", ln U with U = (F^T F)^(1/2)\n" : "\n");
  s += " Coefficient: alpha = d(principal strain)/dT";
  if (natural) return s + " = d ln l/dT along each axis; alpha_V = d ln V/dT\n";
  return s + (an.degree == 1 ? "; alpha_V = (dV/dT) / V measured at the reference\n"
                             : "; alpha_V = (dV/dT) / V, both fitted\n");
}

std::string header(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                   const Source& source) {
  const std::size_t n = an.temperatures.size();
  const auto [lo, hi] = std::minmax_element(an.temperatures.begin(), an.temperatures.end());
  std::string s = " Principal thermal expansion of " + common::safe_text(subject(source)) + "\n";
  s +=
      common::format_text(" Points     : %zu, %.2f K to %.2f K, reference point %.2f K (row %zu)\n",
                          n, *lo, *hi, an.temperatures[an.reference], an.reference + 1);
  if (!source.skipped_lines.empty()) {
    s += common::format_text(" Skipped    : %zu row%s in overflow form (line",
                             source.skipped_lines.size(),
                             source.skipped_lines.size() == 1 ? "" : "s");
    for (const int l : source.skipped_lines) s += common::format_text(" %d", l);
    s += ")\n";
  }
  s += range_lines(source, crystal::Abscissa::kTemperature);
  s += coefficient_definition(an);
  if (n == 2) {
    s += " Pair       : two points give the secant, the strain between the two cells over\n"
         "              their temperature difference; no fit standard error (su_fit null)\n";
  } else if (sus != nullptr && sus->weighted) {
    s += std::string(" Fit        : ") + expansion::fit_name(an.degree) +
         " in T, weighted least squares, 1/su^2 of each point's strain and volume\n"
         "              from the draws (the reference point's strain at the others' RMS su);\n"
         "              standard errors scaled by the reduced chi-squared\n";
  } else {
    s += std::string(" Fit        : ") + expansion::fit_name(an.degree) +
         " in T, least squares; standard errors HC0 (heteroscedasticity-consistent)\n";
  }
  if (sus != nullptr) {
    s += common::format_text(
        " Cells' SUs : carried through the whole analysis by %zu Monte Carlo draws\n"
        "              (--seed %llu): su_cells their SD, su_dir the RMS angle of the axes\n",
        sus->draws.count, static_cast<unsigned long long>(sus->draws.start));
  }
  s += " Uncertainty: su: the larger of the fit's standard error and the cells' SU\n";
  s += common::format_text(
      " Directions : at %.2f K (row %zu), the median point of those away from the reference "
      "temperature\n",
      an.temperatures[an.direction_point], an.direction_point + 1);
  return s + "\n";
}

std::string table(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  std::string s;
  if (an.degree != 1)
    s += common::format_text(" Coefficients at the median temperature, %.2f K\n",
                             an.temperatures[an.median]);
  s += " Axis   alpha(su) MK^-1   su_fit  su_cells     u       v       w     angle to a     b"
       "      c     su_dir(deg)\n";
  for (std::size_t k = 0; k <= 3; ++k) {
    const Reading alpha = kAlpha(result, {k, std::nullopt});
    s += common::format_text(" %-4s %16s ", k == 3 ? "V" : axis_name(k).c_str(),
                             alpha_text(result, k).c_str()) +
         su_column(alpha.su_fit, 8, kMissingText) + " " +
         su_column(alpha.su_cells, 9, kNotGivenText);
    if (k == 3) {
      s += "\n";
      break;
    }
    const expansion::AxisResult& x = an.axes[k];
    const std::optional<double> su_dir =
        sus != nullptr ? sus->axes[k].direction_deg : std::optional<double>();
    s += common::format_text("   %7.4f %7.4f %7.4f   %8.2f %7.2f %7.2f", cleaned(x.uvw(0), 4),
                             cleaned(x.uvw(1), 4), cleaned(x.uvw(2), 4), x.angles[0], x.angles[1],
                             x.angles[2]) +
         " " + su_column(su_dir, 12, kNotGivenText, 2) + "\n";
  }
  return s + "\n";
}

// The coefficients at each point's temperature, each with its su.
std::string at_each_temperature(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  std::string s = "\n Coefficients at each temperature, alpha(su) MK^-1\n";
  s += "    T(K)            X1              X2              X3               V\n";
  for (std::size_t i = 0; i < an.temperatures.size(); ++i) {
    s += common::format_text(" %7.2f", an.temperatures[i]);
    for (std::size_t k = 0; k <= 3; ++k)
      s += common::format_text(" %15s", alpha_text(result, k, i).c_str());
    s += "\n";
  }
  return s;
}

}  // namespace

std::string text_report(const expansion::SeriesAnalysis& result, const Source& source) {
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  std::string s =
      header(an, sus, source) + table(result) + conclusions_text(conclusions(result, source));
  if (an.degree != 1) s += at_each_temperature(result);
  return s;
}

}  // namespace report
