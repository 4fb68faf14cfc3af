#include "report/eos_report.h"

#include <cmath>

#include "common/number_text.h"
#include "report/eos_quantities.h"

namespace report {
namespace {

using expansion::EosEntry;
using expansion::EosSolution;
using expansion::Estimate;
using Json = nlohmann::ordered_json;

constexpr const char* kAxisNames[] = {"a", "b", "c"};

std::string cell(double x) {
  return std::isfinite(x) ? common::shortest(x) : std::string();
}

// A quantity as the report's tables write it: "-" where it has no value.
std::string text_of(const EosQuantity& q, const expansion::EosAnalysis& a, Place place) {
  return shown(q, q(a, place), kNotGivenText);
}

std::string entry_name(const EosEntry& e) {
  std::string name = expansion::eos_label(e.eos);
  if (e.eos == expansion::Eos::kBm3Pc && e.fit)
    name += " " + common::format_text("%.4g", e.fit->pc);
  return name;
}

std::string equations_table(const expansion::EosAnalysis& a) {
  std::string s = "\n Equations of state, p(V) fitted with weights " +
                  std::string(expansion::weights_key(a.weights)) + ": " + a.weights_why + "\n";
  s += common::format_text(" %-13s %-16s %-15s %-15s %-15s %-9s %s\n", "", "V0 A^3", "B0 GPa", "B'",
                           "B'' 1/GPa", "chi2w", "max|dp|/sigma");
  for (std::size_t i = 0; i < a.equations.size(); ++i) {
    const EosEntry& e = a.equations[i];
    if (!e.fit) {
      s += common::format_text(" %-13s none: %s\n", entry_name(e).c_str(), e.why_not.c_str());
      continue;
    }
    const Place at{i, std::nullopt};
    s += common::format_text(" %-13s %-16s %-15s %-15s %-15s %-9s %s\n", entry_name(e).c_str(),
                             text_of(kV0, a, at).c_str(), text_of(kB0, a, at).c_str(),
                             text_of(kBp, a, at).c_str(), text_of(kBpp, a, at).c_str(),
                             text_of(kChi2w, a, at).c_str(), text_of(kMaxResidual, a, at).c_str());
  }
  return s;
}

std::string residuals_table(const expansion::EosAnalysis& a) {
  std::string s = "\n Residuals p_calc - p, GPa\n   p GPa      V A^3";
  std::vector<std::size_t> fitted;
  for (std::size_t k = 0; k < a.equations.size(); ++k) {
    if (!a.equations[k].fit) continue;
    fitted.push_back(k);
    s += common::format_text(" %12s", entry_name(a.equations[k]).c_str());
  }
  s += "\n";
  for (std::size_t i = 0; i < a.series.p.size(); ++i) {
    s += common::format_text(" %7.4g %10.4f", a.series.p[i], a.series.v[i]);
    for (const std::size_t k : fitted)
      s += common::format_text(" %12s", text_of(kResidual, a, {k, i}).c_str());
    s += "\n";
  }
  return s;
}

std::string axial_table(const expansion::EosAnalysis& a) {
  if (a.axial.empty()) return "";
  std::string s =
      "\n Axial equations of state (BM3 of the cubed length; M0 = 3 K0 and M' = 3 K' of the\n"
      " cube, beta0 = 1000/M0)\n"
      " Axis  l0 A            M0 GPa          M'              beta0 TPa^-1\n";
  for (std::size_t k = 0; k < a.axial.size(); ++k) {
    const expansion::AxialEntry& e = a.axial[k];
    const char* name = kAxisNames[e.axis];
    if (!e.fit) {
      s += common::format_text(" %-5s none: %s\n", name, e.why_not.c_str());
      continue;
    }
    const Place at{k, std::nullopt};
    s += common::format_text(" %-5s %-15s %-15s %-15s %s\n", name, text_of(kL0, a, at).c_str(),
                             text_of(kM0, a, at).c_str(), text_of(kMp, a, at).c_str(),
                             text_of(kBeta0, a, at).c_str());
  }
  return s;
}

std::string ff_text(const expansion::EosAnalysis& a) {
  if (!a.ff) return "";
  const expansion::FfPlot& ff = *a.ff;
  const std::string v0 =
      common::value_with_su(known(ff.v0.value), ff.v0.su > 0 ? known(ff.v0.su) : std::nullopt,
                            {-1, false, kNotGivenText});
  return "\n F-f (f Eulerian against V0 " + v0 +
         " A^3 of BM3, F = p/(3f(1+2f)^(5/2))): the line\n F = B0 + 3/2 B0 (B' - 4) f, weighted "
         "1/sigma_F^2, gives B0 " +
         text_of(kFfB0, a, {}) + " GPa, B' " + text_of(kFfBp, a, {}) + "\n";
}

Json fit_json(PointArrays& arrays, const expansion::EosAnalysis& a, std::size_t i) {
  const EosEntry& e = a.equations[i];
  if (!e.fit) return nullptr;
  const EosSolution& f = *e.fit;
  const Place at{i, std::nullopt};
  Json j;
  for (const EosQuantity* q : kEosParameters) json_reading(j, *q, (*q)(a, at), false);
  j["fixed"] = Json::array();
  for (std::size_t k = 0; k < 4; ++k) {
    if (f.held[k]) j["fixed"].push_back(std::string(kEosParameters[k]->key));
  }
  j["weights"] = expansion::weights_key(f.weights);
  j["chi2w"] = json_number(kChi2w(a, at).value);
  j["max_residual"] = json_number(kMaxResidual(a, at).value);
  j["corr"] = Json::array();
  for (Eigen::Index r = 0; r < f.corr.rows(); ++r) {
    Json row = Json::array();
    for (Eigen::Index c = 0; c < f.corr.cols(); ++c) row.push_back(json_number(f.corr(r, c)));
    j["corr"].push_back(std::move(row));
  }
  j["p_calc"] = arrays.array(f.p_calc.size(), [&a, i](std::size_t p) {
    return json_number(kPCalc(a, {i, p}).value);
  });
  if (e.eos == expansion::Eos::kBm3Pc) j["pc"] = json_number(kEosPc(a, at).value);
  return j;
}

Json ff_line_json(const expansion::EosAnalysis& a) {
  Json line;
  json_reading(line, kFfB0, kFfB0(a, {}), false);
  json_reading(line, kFfBp, kFfBp(a, {}), false);
  return line;
}

Json ff_json(PointArrays& arrays, const expansion::EosAnalysis& a) {
  if (!a.ff) return nullptr;
  const expansion::FfPlot& ff = *a.ff;
  const auto numbers = [&arrays](const std::vector<double>& xs) {
    return arrays.array(xs.size(), [&xs](std::size_t i) { return json_number(xs[i]); });
  };
  return {{"f", numbers(ff.f)},
          {"f_su", numbers(ff.f_su)},
          {"F", numbers(ff.F)},
          {"F_su", numbers(ff.F_su)},
          {"V0", json_number(ff.v0.value)},
          {"V0_su", json_number(ff.v0.su)},
          {"line", ff_line_json(a)}};
}

}  // namespace

std::string eos_text(const expansion::EosAnalysis& eos) {
  return equations_table(eos) + residuals_table(eos) + axial_table(eos) + ff_text(eos);
}

void add_eos_json(const expansion::EosAnalysis& eos, Json& j, PointArrays& arrays) {
  Json fits = Json::object();
  for (std::size_t i = 0; i < eos.equations.size(); ++i)
    fits[expansion::eos_key(eos.equations[i].eos)] = fit_json(arrays, eos, i);
  j["eos"] = std::move(fits);
  j["eos_weights"] = {{"weights", expansion::weights_key(eos.weights)}, {"why", eos.weights_why}};
  Json axial = Json::object();
  for (std::size_t k = 0; k < eos.axial.size(); ++k) {
    const expansion::AxialEntry& e = eos.axial[k];
    Json& j_axis = axial[kAxisNames[e.axis]];
    if (!e.fit) continue;  // null
    j_axis["eos"] = "bm3";
    for (const EosQuantity* q : kAxialQuantities)
      json_reading(j_axis, *q, (*q)(eos, {k, std::nullopt}), false);
  }
  j["axial"] = std::move(axial);
  j["ff"] = ff_json(arrays, eos);
}

std::string eos_csv(const expansion::EosAnalysis& eos) {
  const auto csv = [&eos](const EosQuantity& q, Place place) {
    const Reading r = q(eos, place);
    return "," + csv_number(r.value) + (q.su_key.empty() ? "" : "," + csv_number(r.su));
  };
  std::string s =
      "\neos,V0_A3,V0_su_A3,B0_GPa,B0_su_GPa,Bp,Bp_su,pc_GPa,Bpp_GPa-1,Bpp_su_GPa-1,chi2w,"
      "weights\n";
  for (std::size_t i = 0; i < eos.equations.size(); ++i) {
    const EosEntry& e = eos.equations[i];
    s += expansion::eos_key(e.eos);
    if (!e.fit) {
      s += ",,,,,,,,,,,\n";
      continue;
    }
    const Place at{i, std::nullopt};
    s += csv(kV0, at) + csv(kB0, at) + csv(kBp, at) + csv(kEosPc, at) + csv(kBpp, at) +
         csv(kChi2w, at) + "," + expansion::weights_key(e.fit->weights) + "\n";
  }
  s += "\neos,p_GPa,V_A3,p_calc_GPa,residual_GPa,sigma_GPa\n";
  for (std::size_t k = 0; k < eos.equations.size(); ++k) {
    const EosEntry& e = eos.equations[k];
    for (std::size_t i = 0; e.fit && i < eos.series.p.size(); ++i) {
      s += std::string(expansion::eos_key(e.eos)) + "," + cell(eos.series.p[i]) + "," +
           cell(eos.series.v[i]) + csv(kPCalc, {k, i}) + csv(kResidual, {k, i}) + "," +
           cell(e.fit->sigma[i]) + "\n";
    }
  }
  s += "\naxis,l0_A,l0_su_A,M0_GPa,M0_su_GPa,Mp,Mp_su,beta0_TPa-1,beta0_su_TPa-1\n";
  for (std::size_t k = 0; k < eos.axial.size(); ++k) {
    const expansion::AxialEntry& e = eos.axial[k];
    s += kAxisNames[e.axis];
    if (!e.fit) {
      s += ",,,,,,,,\n";
      continue;
    }
    for (const EosQuantity* q : kAxialQuantities) s += csv(*q, {k, std::nullopt});
    s += "\n";
  }
  return s;
}

}  // namespace report
