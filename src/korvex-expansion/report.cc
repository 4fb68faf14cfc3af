#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "common/number_text.h"
#include "common/safe_text.h"

namespace korvex_expansion {

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

nlohmann::ordered_json or_null(const std::optional<double>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json();
}

// A coefficient with the SU drawn from the cells, MK^-1.
// One the draws leave exact is written as the table's other values.
std::string drawn(double value, double su) {
  if (!(su > 0)) return common::fixed(shown(value * kMega, 3), 3);
  return common::with_su(value * kMega, su * kMega);
}

// One point's cell: source, T, T_su, a, a_su, ... gamma, gamma_su.
nlohmann::ordered_json json_cell(const crystal::CellEntry& e) {
  nlohmann::ordered_json j;
  j["source"] = common::safe_text(e.source, common::Charset::kUtf8);  // JSON holds UTF-8 alone
  j["T"] = or_null(e.temperature);
  j["T_su"] = or_null(e.temperature_su);
  const std::array<double, 6> values = crystal::parameters(e.cell);
  const std::array<std::optional<double>, 6> sus = crystal::parameters(e.su);
  for (std::size_t p = 0; p < 6; ++p) {
    const std::string name = crystal::kCellParameterNames[p];
    j[name] = values[p];
    j[name + "_su"] = or_null(sus[p]);
  }
  return j;
}

// The stretches of temperature where a coefficient is negative as shown:
// "between A K and B K, and between C K and D K"; empty where there is none.
std::string negative_text(const std::vector<expansion::NegativeSpan>& spans) {
  std::string s;
  for (const expansion::NegativeSpan& span : spans) {
    if (!(shown(span.least * kMega, 3) < 0)) continue;
    s += common::format_text("%sbetween %.2f K and %.2f K", s.empty() ? "" : ", and ", span.from,
                             span.to);
  }
  return s;
}

// A standard error in MK^-1 as the report shows it, `width` wide: "n/a"
// where the fit gives none.
std::string su_text(double su, int width) {
  return std::isnan(su) ? common::format_text("%*s", width, "n/a")
                        : common::format_text("%*.3f", width, su * kMega);
}

}  // namespace

std::string text_report(const expansion::SeriesAnalysis& result, const Source& source) {
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  const std::size_t n = an.temperatures.size();
  const auto [lo, hi] = std::minmax_element(an.temperatures.begin(), an.temperatures.end());
  const bool line = an.degree == 1;
  const double median_t = an.temperatures[an.median];
  std::string s;
  s += " Principal thermal expansion of " + common::safe_text(source.name) + "\n";
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
  s += " Strain     : " + measure_name(an.measure) + "\n";
  if (sus != nullptr && sus->weighted) {
    s += std::string(" Fit        : ") + expansion::fit_name(an.degree) +
         " in T, weighted least squares, 1/su^2 of each point's strain and volume\n"
         "              from the draws (the reference point left out of the strain fits);\n"
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
  s += an.direction_point == an.median
           ? common::format_text(" Directions : at the median point, %.2f K (row %zu)\n",
                                 an.temperatures[an.median], an.median + 1)
           : common::format_text(
                 " Directions : at %.2f K (row %zu), beside the median point, which is the "
                 "reference\n",
                 an.temperatures[an.direction_point], an.direction_point + 1);
  s += "\n";
  if (!line)
    s += common::format_text(" Coefficients at the median temperature, %.2f K\n", median_t);
  if (sus == nullptr) {
    s += " Axis   alpha(MK^-1)  su(MK^-1)     u       v       w     angle to a     b      c\n";
  } else {
    s += " Axis   alpha(MK^-1)  su(MK^-1)  su_cells     u       v       w     angle to a     b"
         "      c     su_dir(deg)\n";
  }
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = an.axes[k];
    const std::string direction = common::format_text(
        "   %7.4f %7.4f %7.4f   %8.2f %7.2f %7.2f", shown(x.uvw(0), 4), shown(x.uvw(1), 4),
        shown(x.uvw(2), 4), x.angles[0], x.angles[1], x.angles[2]);
    if (sus == nullptr) {
      s += common::format_text(" %-4s %14.3f ", axis_name(k).c_str(),
                               shown(x.alpha.value * kMega, 3)) +
           su_text(x.alpha.su, 10) + direction + "\n";
    } else {
      const expansion::AxisSus& d = sus->axes[k];
      s += common::format_text(" %-4s %14s ", axis_name(k).c_str(),
                               drawn(x.alpha.value, d.alpha).c_str()) +
           su_text(x.alpha.su, 10) + common::format_text(" %9.3f", d.alpha * kMega) + direction +
           (d.direction_deg ? common::format_text(" %12.2f", *d.direction_deg)
                            : std::string("            -")) +
           "\n";
    }
  }
  if (sus == nullptr) {
    s += common::format_text(" %-4s %14.3f ", "V", shown(an.volume.alpha.value * kMega, 3)) +
         su_text(an.volume.alpha.su, 10) + "\n";
  } else {
    s += common::format_text(" %-4s %14s ", "V",
                             drawn(an.volume.alpha.value, sus->volume.alpha).c_str()) +
         su_text(an.volume.alpha.su, 10) +
         common::format_text(" %9.3f\n", sus->volume.alpha * kMega);
  }
  s += "\n";
  const expansion::AxisResult& least = an.axes[0];
  const expansion::AxisResult& most = an.axes[2];
  s += " Greatest expansion along X3 " + uvw_text(most.uvw) + "; least" +
       (shown(least.alpha.value * kMega, 3) < 0 ? " (negative)" : "") + " along X1 " +
       uvw_text(least.uvw) + ".\n";
  const bool low_pair = expansion::expand_alike(an.axes[0], an.axes[1]),
             high_pair = expansion::expand_alike(an.axes[1], an.axes[2]);
  if (low_pair && high_pair) {
    s += " X1, X2 and X3 expand alike (within their standard errors): every direction is a\n"
         " principal one, and the directions shown are one choice of many.\n";
  } else if (low_pair || high_pair) {
    s += std::string(low_pair ? " X1 and X2" : " X2 and X3") +
         " expand alike (within their standard errors): every direction in their plane\n"
         " is a principal one, and the two shown are one choice of many.\n";
  }
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string span = negative_text(an.axes[k].negative);
    if (span.empty()) continue;
    if (line) {
      s += common::format_text(" NEGATIVE THERMAL EXPANSION along %s: alpha = %.3f MK^-1 (su ",
                               axis_name(k).c_str(), an.axes[k].alpha.value * kMega) +
           su_text(an.axes[k].alpha.su, 0);
      if (sus != nullptr) s += common::format_text(", su_cells %.3f", sus->axes[k].alpha * kMega);
      s += ").\n";
    } else {
      s += " NEGATIVE THERMAL EXPANSION along " + axis_name(k) + " " + span + ".\n";
    }
  }
  if (const std::string span = negative_text(an.volume.negative); !span.empty())
    s += " NEGATIVE VOLUME EXPANSION " + span + ".\n";

  if (!line) {
    s += "\n Coefficients at each temperature, MK^-1 (su)\n";
    s += sus == nullptr
             ? "    T(K)            X1                  X2                  X3                  V\n"
             : "    T(K)              X1                    X2                    X3              "
               "      V\n";
    // Each value with its fit's SU, and in the crystallographers' form with
    // the drawn one where there is one.
    const auto at = [&](const std::vector<expansion::Estimate>& estimates,
                        const std::vector<double>* drawn_sus, std::size_t i) {
      const expansion::Estimate& e = estimates[i];
      if (drawn_sus == nullptr)
        return common::format_text(" %10.3f (", shown(e.value * kMega, 3)) + su_text(e.su, 6) + ")";
      return common::format_text(" %12s (", drawn(e.value, (*drawn_sus)[i]).c_str()) +
             su_text(e.su, 6) + ")";
    };
    for (std::size_t i = 0; i < n; ++i) {
      s += common::format_text(" %7.2f", an.temperatures[i]);
      for (std::size_t k = 0; k < 3; ++k)
        s += at(an.axes[k].alpha_at, sus ? &sus->axes[k].alpha_at : nullptr, i);
      s += at(an.volume.alpha_at, sus ? &sus->volume.alpha_at : nullptr, i) + "\n";
    }
  }
  return s;
}

std::string json_report(const expansion::SeriesAnalysis& result, const Source& source) {
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
  j["temperatures"] = an.temperatures;
  Json axes = Json::array();
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = an.axes[k];
    const expansion::AxisSus* d = sus != nullptr ? &sus->axes[k] : nullptr;
    Json axis;
    axis["alpha"] = x.alpha.value * kMega;
    axis["su"] = x.alpha.su * kMega;
    axis["su_cells"] = d != nullptr ? Json(d->alpha * kMega) : Json();
    axis["direction_su_deg"] = d != nullptr ? or_null(angle_shown(d->direction_deg)) : Json();
    axis["uvw"] = {component_shown(x.uvw(0)), component_shown(x.uvw(1)), component_shown(x.uvw(2))};
    axis["angles"] = {angle_shown(x.angles[0]), angle_shown(x.angles[1]), angle_shown(x.angles[2])};
    axis["strains"] = x.strains;
    axis["strains_su"] = d != nullptr ? Json(d->strains) : Json();
    if (!line) {
      axis["alpha_T"] = in_mega(x.alpha_at, false);
      axis["su_T"] = in_mega(x.alpha_at, true);
      axis["su_cells_T"] = in_mega_or_null(d != nullptr ? &d->alpha_at : nullptr);
    }
    axes.push_back(std::move(axis));
  }
  j["axes"] = std::move(axes);
  const expansion::VolumeSus* v = sus != nullptr ? &sus->volume : nullptr;
  Json volume;
  volume["alpha"] = an.volume.alpha.value * kMega;
  volume["su"] = an.volume.alpha.su * kMega;
  volume["su_cells"] = v != nullptr ? Json(v->alpha * kMega) : Json();
  volume["reference"] = an.volume.reference;
  volume["values"] = an.volume.values;
  volume["values_su"] = v != nullptr ? Json(v->values) : Json();
  if (!line) {
    volume["alpha_T"] = in_mega(an.volume.alpha_at, false);
    volume["su_T"] = in_mega(an.volume.alpha_at, true);
    volume["su_cells_T"] = in_mega_or_null(v != nullptr ? &v->alpha_at : nullptr);
  }
  j["volume"] = std::move(volume);
  j["skipped_lines"] = source.skipped_lines;
  Json cells = Json::array();
  for (const crystal::CellEntry& e : source.cells) cells.push_back(json_cell(e));
  j["cells"] = std::move(cells);
  return j.dump() + "\n";
}

std::string csv_report(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  std::string s = "axis,T_K,alpha_MK-1,su_MK-1,u,v,w,angle_a_deg,angle_b_deg,angle_c_deg";
  s += sus != nullptr ? ",su_cells_MK-1,direction_su_deg\n" : "\n";
  // The drawn SU of a coefficient, at the row's temperature for a polynomial.
  const auto drawn_su = [&](double alpha, const std::vector<double>& alpha_at, bool at_t,
                            std::size_t i) {
    return std::string(1, ',').append(number((at_t ? alpha_at[i] : alpha) * kMega));
  };
  const auto rows = [&](const std::string& t, std::size_t i) {
    for (std::size_t k = 0; k < 3; ++k) {
      const expansion::AxisResult& x = an.axes[k];
      const expansion::Estimate& e = t.empty() ? x.alpha : x.alpha_at[i];
      s += axis_name(k) + "," + t + "," + number(e.value * kMega) + "," + number(e.su * kMega);
      for (const double v :
           {component_shown(x.uvw(0)), component_shown(x.uvw(1)), component_shown(x.uvw(2)),
            angle_shown(x.angles[0]), angle_shown(x.angles[1]), angle_shown(x.angles[2])}) {
        s += ',';
        s += number(v);
      }
      if (sus != nullptr) {
        const expansion::AxisSus& d = sus->axes[k];
        s += drawn_su(d.alpha, d.alpha_at, !t.empty(), i) + "," +
             (d.direction_deg ? number(angle_shown(*d.direction_deg)) : "");
      }
      s += "\n";
    }
    const expansion::Estimate& e = t.empty() ? an.volume.alpha : an.volume.alpha_at[i];
    s += "V," + t + "," + number(e.value * kMega) + "," + number(e.su * kMega) + ",,,,,,";
    if (sus != nullptr) s += drawn_su(sus->volume.alpha, sus->volume.alpha_at, !t.empty(), i) + ",";
    s += "\n";
  };
  if (an.degree == 1) {
    rows("", 0);
  } else {
    for (std::size_t i = 0; i < an.temperatures.size(); ++i) rows(number(an.temperatures[i]), i);
  }
  return s;
}

}  // namespace korvex_expansion
