#include "report/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "common/number_text.h"
#include "common/safe_text.h"
#include "report/axis_words.h"
#include "report/range_notes.h"

namespace report {

namespace {

constexpr double kMega = 1e6;  // 1/K to MK^-1

// A number of the CSV output: "null" for one that is not finite, as a fit
// can give.
std::string number(double value) {
  return std::isfinite(value) ? common::shortest(value) : "null";
}

// The value, or 0 when it would show as zero with `decimals` decimals, so that
// rounding noise is neither written "-0.000" nor taken for a negative value.
double shown(double value, int decimals) {
  return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

// Values that rounding leaves beside an exact zero, written as 0 in the CSV
// and JSON: an angle in degrees (the arc cosine of a cosine 1e-16 short of 1
// is 8.5e-07 degrees), and a component of a unit vector.
double angle_shown(double degrees) {
  return shown(degrees, 5);
}
double component_shown(double component) {
  return shown(component, 12);
}
std::optional<double> angle_shown(const std::optional<double>& degrees) {
  return degrees ? std::optional<double>(angle_shown(*degrees)) : std::nullopt;
}

std::string axis_name(std::size_t k) {
  return common::format_text("X%zu", k + 1);
}

std::string uvw_text(const Eigen::Vector3d& uvw) {
  return common::format_text("[%.4f %.4f %.4f]", shown(uvw(0), 4), shown(uvw(1), 4),
                             shown(uvw(2), 4));
}

// The coefficients (or their standard errors) at each temperature, in MK^-1.
std::vector<double> in_mega(const std::vector<expansion::Estimate>& at, bool su) {
  std::vector<double> v;
  v.reserve(at.size());
  for (const expansion::Estimate& e : at) v.push_back((su ? e.su : e.value) * kMega);
  return v;
}

// The su of each coefficient (su_of), in MK^-1.
std::vector<double> bounding_in_mega(const std::vector<expansion::Estimate>& at,
                                     const std::vector<double>* cells);

nlohmann::ordered_json or_null(const std::optional<double>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json();
}

// A standard error in MK^-1 as the report shows it, `width` wide: "n/a"
// where the fit gives none.
std::string su_text(double su, int width) {
  return std::isnan(su) ? common::format_text("%*s", width, "n/a")
                        : common::format_text("%*.3f", width, su * kMega);
}

// The SU that bounds a coefficient (monte_carlo.h), from the fit's and, where
// the cells carry SUs, theirs.
double su_of(const expansion::Estimate& e, const double* cells) {
  return expansion::bounding_su(e.su,
                                cells != nullptr ? std::optional<double>(*cells) : std::nullopt);
}

// A coefficient in MK^-1 with its su in parentheses, 20.43(76); with no su
// (an exact value, or a fit without one) the value alone. An su that rounds
// to nothing in the table's three decimals is rounding: the value is written
// as exact. The pictures' keys write them alike.
std::string with_su_text(double value, double su) {
  return common::with_su_at(value * kMega, su * kMega, 3);
}

// How a negative coefficient is told: an alarm only when it lies below zero
// by more than twice its su.
std::string negative_words(double alpha, double su) {
  if (std::isnan(su)) return "negative (no SU to judge it by)";
  return alpha < -2 * su ? "NEGATIVE THERMAL EXPANSION" : "negative, but within 2 SU of zero";
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

std::string table(const expansion::Analysis& an, const expansion::PropagatedSus* sus) {
  std::string s;
  if (an.degree != 1)
    s += common::format_text(" Coefficients at the median temperature, %.2f K\n",
                             an.temperatures[an.median]);
  s += " Axis   alpha(su) MK^-1   su_fit  su_cells     u       v       w     angle to a     b"
       "      c     su_dir(deg)\n";
  const auto cells_su = [](const double* su) {
    return su != nullptr ? common::format_text(" %9.3f", *su * kMega) : std::string("         -");
  };
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = an.axes[k];
    const expansion::AxisSus* d = sus != nullptr ? &sus->axes[k] : nullptr;
    const double* cells = d != nullptr ? &d->alpha : nullptr;
    s += common::format_text(" %-4s %16s ", axis_name(k).c_str(),
                             with_su_text(x.alpha.value, su_of(x.alpha, cells)).c_str()) +
         su_text(x.alpha.su, 8) + cells_su(cells) +
         common::format_text("   %7.4f %7.4f %7.4f   %8.2f %7.2f %7.2f", shown(x.uvw(0), 4),
                             shown(x.uvw(1), 4), shown(x.uvw(2), 4), x.angles[0], x.angles[1],
                             x.angles[2]) +
         (d != nullptr && d->direction_deg ? common::format_text(" %12.2f", *d->direction_deg)
                                           : std::string("            -")) +
         "\n";
  }
  const double* cells = sus != nullptr ? &sus->volume.alpha : nullptr;
  s += common::format_text(
           " %-4s %16s ", "V",
           with_su_text(an.volume.alpha.value, su_of(an.volume.alpha, cells)).c_str()) +
       su_text(an.volume.alpha.su, 8) + cells_su(cells) + "\n";
  return s + "\n";
}

// The axes' coefficients in MK^-1, each with its bounding su, as the
// symmetry words take them.
AxisRates rates_of(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  AxisRates r;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::Estimate& alpha = an.axes[k].alpha;
    r.rates[k] = {alpha.value * kMega,
                  su_of(alpha, result.sus ? &result.sus->axes[k].alpha : nullptr) * kMega};
  }
  r.directions = expansion::axis_directions(an);
  r.basis = an.crystal_axes;
  r.floor = 0.0005;
  r.verb = "expand";
  return r;
}

// Whether a stretch where a polynomial's coefficient is negative is so beyond
// 2 su: at a point of the series within it, or, with none there, where the
// coefficient is least, judged by the fit's standard error.
bool significant(const expansion::NegativeSpan& span, const std::vector<expansion::Estimate>& at,
                 const std::vector<double>* cells, const std::vector<double>& temperatures) {
  bool any_point = false;
  for (std::size_t i = 0; i < temperatures.size(); ++i) {
    if (temperatures[i] < span.from || temperatures[i] > span.to) continue;
    any_point = true;
    if (at[i].value < -2 * su_of(at[i], cells != nullptr ? &(*cells)[i] : nullptr)) return true;
  }
  return !any_point && span.least < -2 * span.least_su;
}

// "NEGATIVE THERMAL EXPANSION along X1 between A K and B K, and between ...",
// the stretches significant beyond 2 su; the others in quieter words.
std::string span_words(const std::string& what, const std::vector<expansion::NegativeSpan>& spans,
                       const std::vector<expansion::Estimate>& at, const std::vector<double>* cells,
                       const std::vector<double>& temperatures) {
  std::string alarm, quiet;
  for (const expansion::NegativeSpan& span : spans) {
    if (!(shown(span.least * kMega, 3) < 0)) continue;
    std::string& list = significant(span, at, cells, temperatures) ? alarm : quiet;
    list += common::format_text("%sbetween %.2f K and %.2f K", list.empty() ? "" : ", and ",
                                span.from, span.to);
  }
  const bool volume = what == "V";
  std::string s;
  if (!alarm.empty())
    s += (volume ? " NEGATIVE VOLUME EXPANSION "
                 : " NEGATIVE THERMAL EXPANSION along " + what + " ") +
         alarm + ".\n";
  if (!quiet.empty())
    s += " " + std::string(volume ? "Volume" : what) + ": negative, but within 2 SU of zero, " +
         quiet + ".\n";
  return s;
}

std::string remarks(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  const expansion::AxisResult& least = an.axes[0];
  const AxisRates rates = rates_of(result);
  // Neither is named of axes that symmetry makes one choice of many.
  const std::string greatest = equal_by_symmetry(rates, result.symmetry, 1, 2)
                                   ? ""
                                   : "expansion along X3 " + uvw_text(an.axes[2].uvw);
  const std::string least_text =
      equal_by_symmetry(rates, result.symmetry, 0, 1)
          ? ""
          : std::string(shown(least.alpha.value * kMega, 3) < 0 ? " (negative)" : "") +
                " along X1 " + uvw_text(least.uvw);
  std::string s;
  if (!greatest.empty())
    s = " Greatest " + greatest + (least_text.empty() ? "" : "; least" + least_text) + ".\n";
  else if (!least_text.empty())
    s = " Least expansion" + least_text + ".\n";
  s += alike_words(rates, result.symmetry);
  for (std::size_t k = 0; k <= 3; ++k) {
    const bool volume = k == 3;
    const expansion::Estimate& alpha = volume ? an.volume.alpha : an.axes[k].alpha;
    const std::string what = volume ? "V" : axis_name(k);
    if (an.degree == 1) {
      if (!(shown(alpha.value * kMega, 3) < 0)) continue;
      const double su = su_of(alpha, sus == nullptr ? nullptr
                                     : volume       ? &sus->volume.alpha
                                                    : &sus->axes[k].alpha);
      s += " " + what + ": " + negative_words(alpha.value, su) +
           ", alpha = " + with_su_text(alpha.value, su) + " MK^-1.\n";
    } else {
      const std::vector<double>* cells = sus == nullptr ? nullptr
                                         : volume       ? &sus->volume.alpha_at
                                                        : &sus->axes[k].alpha_at;
      s += span_words(what, volume ? an.volume.negative : an.axes[k].negative,
                      volume ? an.volume.alpha_at : an.axes[k].alpha_at, cells, an.temperatures);
    }
  }
  return s;
}

// The coefficients at each point's temperature, each with its su.
std::string at_each_temperature(const expansion::Analysis& an,
                                const expansion::PropagatedSus* sus) {
  std::string s = "\n Coefficients at each temperature, alpha(su) MK^-1\n";
  s += "    T(K)            X1              X2              X3               V\n";
  const auto at = [&](const std::vector<expansion::Estimate>& estimates,
                      const std::vector<double>* cells, std::size_t i) {
    const double su = su_of(estimates[i], cells != nullptr ? &(*cells)[i] : nullptr);
    return common::format_text(" %15s", with_su_text(estimates[i].value, su).c_str());
  };
  for (std::size_t i = 0; i < an.temperatures.size(); ++i) {
    s += common::format_text(" %7.2f", an.temperatures[i]);
    for (std::size_t k = 0; k < 3; ++k)
      s += at(an.axes[k].alpha_at, sus ? &sus->axes[k].alpha_at : nullptr, i);
    s += at(an.volume.alpha_at, sus ? &sus->volume.alpha_at : nullptr, i) + "\n";
  }
  return s;
}

std::vector<double> bounding_in_mega(const std::vector<expansion::Estimate>& at,
                                     const std::vector<double>* cells) {
  std::vector<double> v;
  for (std::size_t i = 0; i < at.size(); ++i)
    v.push_back(su_of(at[i], cells != nullptr ? &(*cells)[i] : nullptr) * kMega);
  return v;
}

}  // namespace

std::string subject(const Source& source) {
  if (source.title.empty()) return source.name;
  return source.title + " (" + source.name + ")";
}

nlohmann::ordered_json json_cell(const crystal::CellEntry& e, crystal::Abscissa abscissa) {
  nlohmann::ordered_json j;
  j["source"] = common::safe_text(e.source, common::Charset::kUtf8);  // JSON holds UTF-8 alone
  const std::string at = abscissa == crystal::Abscissa::kPressure ? "p" : "T";
  j[at] = or_null(crystal::abscissa(e, abscissa));
  j[at + "_su"] = or_null(crystal::abscissa_su(e, abscissa));
  const std::array<double, 6> values = crystal::parameters(e.cell);
  const std::array<std::optional<double>, 6> sus = crystal::parameters(e.su);
  for (std::size_t p = 0; p < 6; ++p) {
    const std::string name = crystal::kCellParameterNames[p];
    j[name] = values[p];
    j[name + "_su"] = or_null(sus[p]);
  }
  return j;
}

std::string text_report(const expansion::SeriesAnalysis& result, const Source& source) {
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  std::string s = header(an, sus, source) + table(an, sus) + remarks(result);
  if (an.degree != 1) s += at_each_temperature(an, sus);
  return s;
}

nlohmann::ordered_json json_document(const expansion::SeriesAnalysis& result,
                                     const Source& source) {
  // A number that is not finite, as a fit can give, is written null; so is
  // an SU that is not known.
  using Json = nlohmann::ordered_json;
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  const bool line = an.degree == 1;
  const auto in_mega_or_null = [](const std::vector<double>* values) {
    if (values == nullptr) return Json();
    std::vector<double> v = *values;
    for (double& x : v) x *= kMega;
    return Json(v);
  };
  Json j;
  j["points"] = an.temperatures.size();
  j["strain"] = measure_key(an.measure);
  j["fit"] = expansion::fit_name(an.degree);
  j["weighted"] = sus != nullptr && sus->weighted;
  j["draws"] = sus != nullptr ? Json(sus->draws.count) : Json();
  j["reference_temperature"] = an.temperatures[an.reference];
  j["median_temperature"] = an.temperatures[an.median];
  j["direction_temperature"] = an.temperatures[an.direction_point];
  j["symmetry"] = family_name(result.symmetry.family);
  j["symmetry_from"] = result.symmetry.from_files ? "files" : "metric";
  j["temperatures"] = an.temperatures;
  Json axes = Json::array();
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = an.axes[k];
    const expansion::AxisSus* d = sus != nullptr ? &sus->axes[k] : nullptr;
    Json axis;
    axis["alpha"] = x.alpha.value * kMega;
    axis["su"] = su_of(x.alpha, d != nullptr ? &d->alpha : nullptr) * kMega;
    axis["su_fit"] = x.alpha.su * kMega;
    axis["su_cells"] = d != nullptr ? Json(d->alpha * kMega) : Json();
    axis["direction_su_deg"] = d != nullptr ? or_null(angle_shown(d->direction_deg)) : Json();
    axis["uvw"] = {component_shown(x.uvw(0)), component_shown(x.uvw(1)), component_shown(x.uvw(2))};
    axis["angles"] = {angle_shown(x.angles[0]), angle_shown(x.angles[1]), angle_shown(x.angles[2])};
    axis["strains"] = x.strains;
    axis["strains_su"] = d != nullptr ? Json(d->strains) : Json();
    if (!line) {
      axis["alpha_T"] = in_mega(x.alpha_at, false);
      axis["su_T"] = bounding_in_mega(x.alpha_at, d != nullptr ? &d->alpha_at : nullptr);
      axis["su_fit_T"] = in_mega(x.alpha_at, true);
      axis["su_cells_T"] = in_mega_or_null(d != nullptr ? &d->alpha_at : nullptr);
    }
    axes.push_back(std::move(axis));
  }
  j["axes"] = std::move(axes);
  const expansion::VolumeSus* v = sus != nullptr ? &sus->volume : nullptr;
  Json volume;
  volume["alpha"] = an.volume.alpha.value * kMega;
  volume["su"] = su_of(an.volume.alpha, v != nullptr ? &v->alpha : nullptr) * kMega;
  volume["su_fit"] = an.volume.alpha.su * kMega;
  volume["su_cells"] = v != nullptr ? Json(v->alpha * kMega) : Json();
  volume["reference"] = an.volume.reference;
  volume["values"] = an.volume.values;
  volume["values_su"] = v != nullptr ? Json(v->values) : Json();
  if (!line) {
    volume["alpha_T"] = in_mega(an.volume.alpha_at, false);
    volume["su_T"] = bounding_in_mega(an.volume.alpha_at, v != nullptr ? &v->alpha_at : nullptr);
    volume["su_fit_T"] = in_mega(an.volume.alpha_at, true);
    volume["su_cells_T"] = in_mega_or_null(v != nullptr ? &v->alpha_at : nullptr);
  }
  j["volume"] = std::move(volume);
  j["skipped_lines"] = source.skipped_lines;
  if (source.range) j["range"] = range_json(source, crystal::Abscissa::kTemperature);
  if (!source.title.empty()) j["title"] = common::safe_text(source.title, common::Charset::kUtf8);
  Json cells = Json::array();
  for (const crystal::CellEntry& e : source.cells)
    cells.push_back(json_cell(e, crystal::Abscissa::kTemperature));
  j["cells"] = std::move(cells);
  return j;
}

std::string json_report(const expansion::SeriesAnalysis& result, const Source& source) {
  return json_document(result, source).dump() + "\n";
}

std::string csv_report(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  std::string s =
      "axis,T_K,alpha_MK-1,su_MK-1,u,v,w,angle_a_deg,angle_b_deg,angle_c_deg,su_fit_MK-1,"
      "su_cells_MK-1,direction_su_deg,alpha(su)_MK-1\n";
  // One row: the coefficient, its su, the direction's columns, su_fit,
  // su_cells, the direction's SU and the coefficient with its su as text.
  const auto row = [&](const std::string& name, const std::string& t, const expansion::Estimate& e,
                       const double* cells, const std::string& direction,
                       const std::string& direction_su) {
    const double su = su_of(e, cells);
    s += name + "," + t + "," + number(e.value * kMega) + "," + number(su * kMega) + "," +
         direction + "," + number(e.su * kMega) + "," +
         (cells != nullptr ? number(*cells * kMega) : "") + "," + direction_su + "," +
         with_su_text(e.value, su) + "\n";
  };
  const auto rows = [&](const std::string& t, std::size_t i) {
    for (std::size_t k = 0; k < 3; ++k) {
      const expansion::AxisResult& x = an.axes[k];
      std::string direction;
      for (const double v :
           {component_shown(x.uvw(0)), component_shown(x.uvw(1)), component_shown(x.uvw(2)),
            angle_shown(x.angles[0]), angle_shown(x.angles[1]), angle_shown(x.angles[2])})
        direction += (direction.empty() ? "" : ",") + number(v);
      const expansion::AxisSus* d = sus != nullptr ? &sus->axes[k] : nullptr;
      const double* cells = d == nullptr ? nullptr : t.empty() ? &d->alpha : &d->alpha_at[i];
      row(axis_name(k), t, t.empty() ? x.alpha : x.alpha_at[i], cells, direction,
          d != nullptr && d->direction_deg ? number(angle_shown(*d->direction_deg)) : "");
    }
    const double* cells = sus == nullptr ? nullptr
                          : t.empty()    ? &sus->volume.alpha
                                         : &sus->volume.alpha_at[i];
    row("V", t, t.empty() ? an.volume.alpha : an.volume.alpha_at[i], cells, ",,,,,", "");
  };
  if (an.degree == 1) {
    rows("", 0);
  } else {
    for (std::size_t i = 0; i < an.temperatures.size(); ++i) rows(number(an.temperatures[i]), i);
  }
  return s;
}

}  // namespace report
