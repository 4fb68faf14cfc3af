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

// Two coefficients that the data do not tell apart: within twice their
// combined standard error, or equal as shown.
bool alike(const expansion::AxisResult& x, const expansion::AxisResult& y) {
  const double gap = std::fabs(x.alpha.value - y.alpha.value);
  return gap <= 2 * std::hypot(x.alpha.su, y.alpha.su) || gap * kMega < 0.0005;
}

std::string axis_name(std::size_t k) {
  return "X" + std::to_string(k + 1);
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

// Temperatures at which a coefficient is negative, as "between A and B" or "at A".
std::string negative_span(const expansion::Analysis& an,
                          const std::vector<expansion::Estimate>& at) {
  double lo = INFINITY, hi = -INFINITY;
  for (std::size_t i = 0; i < at.size(); ++i) {
    if (shown(at[i].value * kMega, 3) < 0) {
      lo = std::min(lo, an.temperatures[i]);
      hi = std::max(hi, an.temperatures[i]);
    }
  }
  if (lo > hi) return "";
  if (lo == hi) return common::format_text("at %.2f K", lo);
  return common::format_text("between %.2f K and %.2f K", lo, hi);
}

}  // namespace

std::string text_report(const expansion::Analysis& an, const Source& source) {
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
  s += std::string(" Fit        : ") + expansion::fit_name(an.degree) +
       " in T, least squares; standard errors HC0 (heteroscedasticity-consistent)\n";
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
  s += " Axis   alpha(MK^-1)  su(MK^-1)     u       v       w     angle to a     b      c\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = an.axes[k];
    s += common::format_text(" %-4s %14.3f %10.3f   %7.4f %7.4f %7.4f   %8.2f %7.2f %7.2f\n",
                             axis_name(k).c_str(), shown(x.alpha.value * kMega, 3),
                             x.alpha.su * kMega, shown(x.uvw(0), 4), shown(x.uvw(1), 4),
                             shown(x.uvw(2), 4), x.angles[0], x.angles[1], x.angles[2]);
  }
  s += common::format_text(" %-4s %14.3f %10.3f\n", "V", shown(an.volume.alpha.value * kMega, 3),
                           an.volume.alpha.su * kMega);
  s += "\n";
  const expansion::AxisResult& least = an.axes[0];
  const expansion::AxisResult& most = an.axes[2];
  s += " Greatest expansion along X3 " + uvw_text(most.uvw) + "; least" +
       (shown(least.alpha.value * kMega, 3) < 0 ? " (negative)" : "") + " along X1 " +
       uvw_text(least.uvw) + ".\n";
  const bool low_pair = alike(an.axes[0], an.axes[1]), high_pair = alike(an.axes[1], an.axes[2]);
  if (low_pair && high_pair) {
    s += " X1, X2 and X3 expand alike (within their standard errors): every direction is a\n"
         " principal one, and the directions shown are one choice of many.\n";
  } else if (low_pair || high_pair) {
    s += std::string(low_pair ? " X1 and X2" : " X2 and X3") +
         " expand alike (within their standard errors): every direction in their plane\n"
         " is a principal one, and the two shown are one choice of many.\n";
  }
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string span = negative_span(an, an.axes[k].alpha_at);
    if (span.empty()) continue;
    if (line) {
      s += common::format_text(
          " NEGATIVE THERMAL EXPANSION along %s: alpha = %.3f MK^-1 (su %.3f).\n",
          axis_name(k).c_str(), an.axes[k].alpha.value * kMega, an.axes[k].alpha.su * kMega);
    } else {
      s += " NEGATIVE THERMAL EXPANSION along " + axis_name(k) + " " + span + ".\n";
    }
  }
  if (const std::string span = negative_span(an, an.volume.alpha_at); !span.empty())
    s += " NEGATIVE VOLUME EXPANSION " + span + ".\n";

  if (!line) {
    s += "\n Coefficients at each temperature, MK^-1 (su)\n";
    s += "    T(K)            X1                  X2                  X3                  V\n";
    for (std::size_t i = 0; i < n; ++i) {
      s += common::format_text(" %7.2f", an.temperatures[i]);
      for (const expansion::AxisResult& x : an.axes) {
        s += common::format_text(" %10.3f (%6.3f)", shown(x.alpha_at[i].value * kMega, 3),
                                 x.alpha_at[i].su * kMega);
      }
      s += common::format_text(" %10.3f (%6.3f)\n", shown(an.volume.alpha_at[i].value * kMega, 3),
                               an.volume.alpha_at[i].su * kMega);
    }
  }
  return s;
}

std::string json_report(const expansion::Analysis& an, const Source& source) {
  // A number that is not finite, as a fit can give, is written null.
  const bool line = an.degree == 1;
  nlohmann::ordered_json j;
  j["points"] = an.temperatures.size();
  j["strain"] = measure_key(an.measure);
  j["fit"] = expansion::fit_name(an.degree);
  j["reference_temperature"] = an.temperatures[an.reference];
  j["median_temperature"] = an.temperatures[an.median];
  j["temperatures"] = an.temperatures;
  nlohmann::ordered_json axes = nlohmann::ordered_json::array();
  for (const expansion::AxisResult& x : an.axes) {
    nlohmann::ordered_json axis;
    axis["alpha"] = x.alpha.value * kMega;
    axis["su"] = x.alpha.su * kMega;
    axis["uvw"] = {x.uvw(0), x.uvw(1), x.uvw(2)};
    axis["angles"] = x.angles;
    axis["strains"] = x.strains;
    if (!line) {
      axis["alpha_T"] = in_mega(x.alpha_at, false);
      axis["su_T"] = in_mega(x.alpha_at, true);
    }
    axes.push_back(std::move(axis));
  }
  j["axes"] = std::move(axes);
  nlohmann::ordered_json volume;
  volume["alpha"] = an.volume.alpha.value * kMega;
  volume["su"] = an.volume.alpha.su * kMega;
  volume["reference"] = an.volume.reference;
  volume["values"] = an.volume.values;
  if (!line) {
    volume["alpha_T"] = in_mega(an.volume.alpha_at, false);
    volume["su_T"] = in_mega(an.volume.alpha_at, true);
  }
  j["volume"] = std::move(volume);
  j["skipped_lines"] = source.skipped_lines;
  return j.dump() + "\n";
}

std::string csv_report(const expansion::Analysis& an) {
  std::string s = "axis,T_K,alpha_MK-1,su_MK-1,u,v,w,angle_a_deg,angle_b_deg,angle_c_deg\n";
  const auto rows = [&](const std::string& t, std::size_t i) {
    for (std::size_t k = 0; k < 3; ++k) {
      const expansion::AxisResult& x = an.axes[k];
      const expansion::Estimate& e = t.empty() ? x.alpha : x.alpha_at[i];
      s += axis_name(k) + "," + t + "," + number(e.value * kMega) + "," + number(e.su * kMega);
      for (int j = 0; j < 3; ++j) s += "," + number(x.uvw(j));
      for (const double a : x.angles) s += "," + number(a);
      s += "\n";
    }
    const expansion::Estimate& e = t.empty() ? an.volume.alpha : an.volume.alpha_at[i];
    s += "V," + t + "," + number(e.value * kMega) + "," + number(e.su * kMega) + ",,,,,,\n";
  };
  if (an.degree == 1) {
    rows("", 0);
  } else {
    for (std::size_t i = 0; i < an.temperatures.size(); ++i) rows(number(an.temperatures[i]), i);
  }
  return s;
}

}  // namespace korvex_expansion
