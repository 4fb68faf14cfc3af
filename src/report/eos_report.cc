#include "report/eos_report.h"

#include <cmath>

#include "common/number_text.h"

namespace report {
namespace {

using expansion::EosEntry;
using expansion::EosSolution;
using expansion::Estimate;
using Json = nlohmann::ordered_json;

constexpr const char* kParameterKeys[] = {"V0", "B0", "Bp", "Bpp"};
constexpr const char* kAxisNames[] = {"a", "b", "c"};

Json number(double x) {
  return std::isfinite(x) ? Json(x) : Json();
}

std::string cell(double x) {
  return std::isfinite(x) ? common::shortest(x) : std::string();
}

// "12.34(56)"; the value alone without an SU; "-" without a value.
std::string su_text(const Estimate& e) {
  if (!std::isfinite(e.value)) return "-";
  if (!(e.su > 0) || !std::isfinite(e.su)) return common::shortest(e.value);
  return common::with_su(e.value, e.su);
}

std::string entry_name(const EosEntry& e) {
  std::string name = expansion::eos_label(e.eos);
  if (e.eos == expansion::Eos::kBm3Pc && e.fit)
    name += " " + common::format_text("%.4g", e.fit->pc);
  return name;
}

std::string parameter_text(const EosSolution& f, std::size_t j) {
  if (!std::isfinite(f.theta[j].value)) return "-";
  if (f.held[j]) return common::shortest(f.theta[j].value) + " (held)";
  return su_text(f.theta[j]);
}

std::string equations_table(const expansion::EosAnalysis& a) {
  std::string s = "\n Equations of state, p(V) fitted with weights " +
                  std::string(expansion::weights_key(a.weights)) + ": " + a.weights_why + "\n";
  s += common::format_text(" %-13s %-16s %-15s %-15s %-15s %-9s %s\n", "", "V0 A^3", "B0 GPa", "B'",
                           "B'' 1/GPa", "chi2w", "max|dp|/sigma");
  for (const EosEntry& e : a.equations) {
    if (!e.fit) {
      s += common::format_text(" %-13s none: %s\n", entry_name(e).c_str(), e.why_not.c_str());
      continue;
    }
    const EosSolution& f = *e.fit;
    s += common::format_text(
        " %-13s %-16s %-15s %-15s %-15s %-9s %s\n", entry_name(e).c_str(),
        parameter_text(f, 0).c_str(), parameter_text(f, 1).c_str(), parameter_text(f, 2).c_str(),
        parameter_text(f, 3).c_str(),
        cell(f.chi2w).empty() ? "-" : common::format_text("%.4g", f.chi2w).c_str(),
        common::format_text("%.3g", f.worst).c_str());
  }
  return s;
}

std::string residuals_table(const expansion::EosAnalysis& a) {
  std::string s = "\n Residuals p_calc - p, GPa\n   p GPa      V A^3";
  std::vector<const EosSolution*> fits;
  for (const EosEntry& e : a.equations) {
    if (!e.fit) continue;
    fits.push_back(&*e.fit);
    s += common::format_text(" %12s", entry_name(e).c_str());
  }
  s += "\n";
  for (std::size_t i = 0; i < a.series.p.size(); ++i) {
    s += common::format_text(" %7.4g %10.4f", a.series.p[i], a.series.v[i]);
    for (const EosSolution* f : fits)
      s += common::format_text(" %12.5f", f->p_calc[i] - a.series.p[i]);
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
  for (const expansion::AxialEntry& e : a.axial) {
    const char* name = kAxisNames[e.axis];
    if (!e.fit) {
      s += common::format_text(" %-5s none: %s\n", name, e.why_not.c_str());
      continue;
    }
    const expansion::AxialEos& f = *e.fit;
    s +=
        common::format_text(" %-5s %-15s %-15s %-15s %s\n", name, su_text(f.l0).c_str(),
                            su_text(f.m0).c_str(), su_text(f.mp).c_str(), su_text(f.beta0).c_str());
  }
  return s;
}

std::string ff_text(const expansion::EosAnalysis& a) {
  if (!a.ff) return "";
  const expansion::FfPlot& ff = *a.ff;
  return "\n F-f (f Eulerian against V0 " + su_text(ff.v0) +
         " A^3 of BM3, F = p/(3f(1+2f)^(5/2))): the line\n F = B0 + 3/2 B0 (B' - 4) f, weighted "
         "1/sigma_F^2, gives B0 " +
         su_text(ff.b0) + " GPa, B' " + su_text(ff.bp) + "\n";
}

Json fit_json(const EosEntry& e) {
  if (!e.fit) return nullptr;
  const EosSolution& f = *e.fit;
  Json j;
  for (std::size_t k = 0; k < 4; ++k) {
    j[kParameterKeys[k]] = number(f.theta[k].value);
    j[std::string(kParameterKeys[k]) + "_su"] = number(f.theta[k].su);
  }
  j["fixed"] = Json::array();
  for (std::size_t k = 0; k < 4; ++k) {
    if (f.held[k]) j["fixed"].push_back(kParameterKeys[k]);
  }
  j["weights"] = expansion::weights_key(f.weights);
  j["chi2w"] = number(f.chi2w);
  j["max_residual"] = number(f.worst);
  j["corr"] = Json::array();
  for (Eigen::Index r = 0; r < f.corr.rows(); ++r) {
    Json row = Json::array();
    for (Eigen::Index c = 0; c < f.corr.cols(); ++c) row.push_back(number(f.corr(r, c)));
    j["corr"].push_back(std::move(row));
  }
  j["p_calc"] = Json::array();
  for (const double p : f.p_calc) j["p_calc"].push_back(number(p));
  if (e.eos == expansion::Eos::kBm3Pc) j["pc"] = f.pc;
  return j;
}

Json ff_json(const expansion::EosAnalysis& a) {
  if (!a.ff) return nullptr;
  const expansion::FfPlot& ff = *a.ff;
  const auto numbers = [](const std::vector<double>& xs) {
    Json out = Json::array();
    for (const double x : xs) out.push_back(number(x));
    return out;
  };
  return {{"f", numbers(ff.f)},
          {"f_su", numbers(ff.f_su)},
          {"F", numbers(ff.F)},
          {"F_su", numbers(ff.F_su)},
          {"V0", number(ff.v0.value)},
          {"V0_su", number(ff.v0.su)},
          {"line",
           {{"B0", number(ff.b0.value)},
            {"B0_su", number(ff.b0.su)},
            {"Bp", number(ff.bp.value)},
            {"Bp_su", number(ff.bp.su)}}}};
}

}  // namespace

std::string eos_text(const expansion::EosAnalysis& eos) {
  return equations_table(eos) + residuals_table(eos) + axial_table(eos) + ff_text(eos);
}

void add_eos_json(const expansion::EosAnalysis& eos, Json& j) {
  Json fits = Json::object();
  for (const EosEntry& e : eos.equations) fits[expansion::eos_key(e.eos)] = fit_json(e);
  j["eos"] = std::move(fits);
  j["eos_weights"] = {{"weights", expansion::weights_key(eos.weights)}, {"why", eos.weights_why}};
  Json axial = Json::object();
  for (const expansion::AxialEntry& e : eos.axial) {
    if (!e.fit) {
      axial[kAxisNames[e.axis]] = nullptr;
      continue;
    }
    const expansion::AxialEos& f = *e.fit;
    axial[kAxisNames[e.axis]] = {{"eos", "bm3"},
                                 {"l0", number(f.l0.value)},
                                 {"l0_su", number(f.l0.su)},
                                 {"M0", number(f.m0.value)},
                                 {"M0_su", number(f.m0.su)},
                                 {"Mp", number(f.mp.value)},
                                 {"Mp_su", number(f.mp.su)},
                                 {"beta0", number(f.beta0.value)},
                                 {"beta0_su", number(f.beta0.su)}};
  }
  j["axial"] = std::move(axial);
  j["ff"] = ff_json(eos);
}

std::string eos_csv(const expansion::EosAnalysis& eos) {
  std::string s =
      "\neos,V0_A3,V0_su_A3,B0_GPa,B0_su_GPa,Bp,Bp_su,pc_GPa,Bpp_GPa-1,Bpp_su_GPa-1,chi2w,"
      "weights\n";
  for (const EosEntry& e : eos.equations) {
    s += expansion::eos_key(e.eos);
    if (!e.fit) {
      s += ",,,,,,,,,,,\n";
      continue;
    }
    const EosSolution& f = *e.fit;
    for (std::size_t k = 0; k < 3; ++k)
      s += "," + cell(f.theta[k].value) + "," + cell(f.theta[k].su);
    s += "," + (e.eos == expansion::Eos::kBm3Pc ? cell(f.pc) : std::string());
    s += "," + cell(f.theta[3].value) + "," + cell(f.theta[3].su) + "," + cell(f.chi2w) + "," +
         expansion::weights_key(f.weights) + "\n";
  }
  s += "\neos,p_GPa,V_A3,p_calc_GPa,residual_GPa,sigma_GPa\n";
  for (const EosEntry& e : eos.equations) {
    for (std::size_t i = 0; e.fit && i < eos.series.p.size(); ++i) {
      const double p = eos.series.p[i], calc = e.fit->p_calc[i];
      s += std::string(expansion::eos_key(e.eos)) + "," + cell(p) + "," + cell(eos.series.v[i]) +
           "," + cell(calc) + "," + cell(calc - p) + "," + cell(e.fit->sigma[i]) + "\n";
    }
  }
  s += "\naxis,l0_A,l0_su_A,M0_GPa,M0_su_GPa,Mp,Mp_su,beta0_TPa-1,beta0_su_TPa-1\n";
  for (const expansion::AxialEntry& e : eos.axial) {
    s += kAxisNames[e.axis];
    if (!e.fit) {
      s += ",,,,,,,,\n";
      continue;
    }
    for (const Estimate& q : {e.fit->l0, e.fit->m0, e.fit->mp, e.fit->beta0})
      s += "," + cell(q.value) + "," + cell(q.su);
    s += "\n";
  }
  return s;
}

}  // namespace report
