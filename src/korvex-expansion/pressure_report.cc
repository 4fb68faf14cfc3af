#include "pressure_report.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "common/number_text.h"
#include "common/safe_text.h"

namespace korvex_expansion {
namespace {

using expansion::CompressibilityAxis;
using expansion::Estimate;
using Json = nlohmann::ordered_json;

Json finite_or_null(double value) {
  return std::isfinite(value) ? Json(value) : Json();
}

// "12.34(56)", the SU in parentheses where the fit gives one; "n/a" for no value.
std::string k_text(const Estimate& k) {
  if (!std::isfinite(k.value)) return "n/a";
  if (!(k.su > 0) || !std::isfinite(k.su)) return common::fixed(k.value, 3);
  return common::with_su(k.value, k.su);
}

std::string uvw_text(const Eigen::Vector3d& uvw) {
  const auto shown = [](double x) { return std::fabs(x) < 5e-5 ? 0.0 : x; };
  return common::format_text("[%.4f %.4f %.4f]", shown(uvw(0)), shown(uvw(1)), shown(uvw(2)));
}

std::string header(const expansion::PressureAnalysis& r, const Source& source) {
  const std::vector<double>& p = r.strains.temperatures;
  const auto [lo, hi] = std::minmax_element(p.begin(), p.end());
  std::string s = " Principal compressibilities of " + common::safe_text(source.name) + "\n";
  s += " Mode       : pressure in GPa; compressibility K = -d(strain)/dp in TPa^-1\n";
  s += common::format_text(
      " Points     : %zu, %.4g GPa to %.4g GPa, reference point %.4g GPa (row %zu)\n", p.size(),
      *lo, *hi, p[r.strains.reference], r.strains.reference + 1);
  s += " Strain     : " + expansion::measure_name(r.strains.measure) + "\n";
  s += " Fits       : each principal strain eps = eps0 + lambda (p - p_c)^nu, weighted by\n"
       "              1/sigma_p^2, SUs scaled by chi^2/(N - 4): K(p) = -lambda nu (p - "
       "p_c)^(nu-1);\n"
       "              linear K: minus the least-squares slope of the strain (HC0 standard\n"
       "              error); of the volume, " +
       std::string(r.strains.volume.logarithmic
                       ? "minus the slope of ln(V/V_ref)\n"
                       : "minus the slope of V over V at the reference point\n");
  s += common::format_text(" Directions : at the point %.4g GPa (row %zu)\n",
                           p[r.strains.direction_point], r.strains.direction_point + 1);
  return s;
}

std::string axes_table(const expansion::PressureAnalysis& r) {
  const double median_p = r.strains.temperatures[r.strains.median];
  std::string s = common::format_text(
      "\n Axis  K at %.4g GPa      linear K    direction [u v w]          angles to a, b, c\n",
      median_p);
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& axis = r.axes[k];
    const expansion::AxisResult& strain = r.strains.axes[axis.axis];
    s += common::format_text(" X%zu  %16s  %12s  %-26s %7.2f %7.2f %7.2f\n", k + 1,
                             k_text(axis.k_median).c_str(), k_text(axis.linear).c_str(),
                             uvw_text(strain.uvw).c_str(), strain.angles[0], strain.angles[1],
                             strain.angles[2]);
  }
  s += common::format_text(" V   %16s  %12s\n", "", k_text(r.volume).c_str());
  return s;
}

std::string fits_table(const expansion::PressureAnalysis& r) {
  std::string s = "\n Empirical fits  eps0               lambda             p_c GPa          nu\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& axis = r.axes[k];
    if (!axis.fit) {
      s += common::format_text(" X%zu             none: the fit needs at least 5 points\n", k + 1);
      continue;
    }
    const expansion::EmpiricalFit& f = *axis.fit;
    s += common::format_text(" X%zu             %-18s %-18s %-16s %s\n", k + 1,
                             common::with_su(f.eps0.value, f.eps0.su).c_str(),
                             common::with_su(f.lambda.value, f.lambda.su).c_str(),
                             std::isnan(f.pc.su)
                                 ? (common::fixed(f.pc.value, 4) + " (bound)").c_str()
                                 : common::with_su(f.pc.value, f.pc.su).c_str(),
                             common::with_su(f.nu.value, f.nu.su).c_str());
  }
  return s;
}

std::string eos_table(const expansion::PressureAnalysis& r) {
  std::string s =
      "\n Equations of state (Birch-Murnaghan, fitted to p(V) weighted by 1/sigma_p^2)\n"
      "               V0 A^3             B0 GPa             B'\n";
  for (const expansion::EosResult& e : r.eos) {
    std::string name = expansion::eos_name(e.order);
    if (e.order == expansion::EosOrder::kThirdCritical && e.fit)
      name = common::format_text("BM3 p_c %.4g", e.fit->pc);
    if (!e.fit) {
      s += common::format_text(" %-13s none: %s\n", name.c_str(), e.why_not.c_str());
      continue;
    }
    const expansion::EosFit& f = *e.fit;
    s += common::format_text(
        " %-13s %-18s %-18s %s\n", name.c_str(), common::with_su(f.v0.value, f.v0.su).c_str(),
        common::with_su(f.b0.value, f.b0.su).c_str(),
        std::isnan(f.bp.su) ? "4 (fixed)" : common::with_su(f.bp.value, f.bp.su).c_str());
  }
  return s;
}

std::string pressures_table(const expansion::PressureAnalysis& r) {
  std::string s =
      "\n K at each pressure, TPa^-1\n   p GPa                X1                X2                "
      "X3\n";
  const std::vector<double>& p = r.strains.temperatures;
  for (std::size_t i = 0; i < p.size(); ++i) {
    s += common::format_text(" %7.4g", p[i]);
    for (const CompressibilityAxis& axis : r.axes)
      s += common::format_text(" %17s", k_text(axis.k_at[i]).c_str());
    s += "\n";
  }
  return s;
}

std::string words(const expansion::PressureAnalysis& r) {
  std::string s = "\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& axis = r.axes[k];
    const Estimate& k_shown = axis.fit ? axis.k_median : axis.linear;
    if (expansion::negative_linear_compressibility(k_shown)) {
      s += common::format_text(
          " X%zu: negative linear compressibility (K below zero by more than twice its SU)\n",
          k + 1);
    } else if (k_shown.value < 0) {
      s += common::format_text(" X%zu: K negative, but within 2 SU of zero\n", k + 1);
    }
  }
  return s.size() > 1 ? s : std::string();
}

Json axis_json(const expansion::PressureAnalysis& r, const CompressibilityAxis& axis) {
  const expansion::AxisResult& strain = r.strains.axes[axis.axis];
  Json j;
  j["K"] = Json::array();
  j["K_su"] = Json::array();
  for (const Estimate& k : axis.k_at) {
    j["K"].push_back(finite_or_null(k.value));
    j["K_su"].push_back(finite_or_null(k.su));
  }
  j["uvw"] = {strain.uvw(0), strain.uvw(1), strain.uvw(2)};
  j["angles"] = {strain.angles[0], strain.angles[1], strain.angles[2]};
  j["strains"] = strain.strains;
  if (axis.fit) {
    const expansion::EmpiricalFit& f = *axis.fit;
    j["fit"] = {{"eps0", f.eps0.value},
                {"lambda", f.lambda.value},
                {"pc", f.pc.value},
                {"nu", f.nu.value},
                {"eps0_su", finite_or_null(f.eps0.su)},
                {"lambda_su", finite_or_null(f.lambda.su)},
                {"pc_su", finite_or_null(f.pc.su)},
                {"nu_su", finite_or_null(f.nu.su)}};
  } else {
    j["fit"] = nullptr;
  }
  j["linear"] = {{"K", finite_or_null(axis.linear.value)},
                 {"K_su", finite_or_null(axis.linear.su)}};
  j["negative_linear_compressibility"] =
      expansion::negative_linear_compressibility(axis.fit ? axis.k_median : axis.linear);
  return j;
}

Json eos_json(const expansion::EosResult& e) {
  if (!e.fit) return nullptr;
  const expansion::EosFit& f = *e.fit;
  Json j = {{"V0", f.v0.value}, {"V0_su", finite_or_null(f.v0.su)},
            {"B0", f.b0.value}, {"B0_su", finite_or_null(f.b0.su)},
            {"Bp", f.bp.value}, {"Bp_su", finite_or_null(f.bp.su)}};
  if (e.order == expansion::EosOrder::kThirdCritical) j["pc"] = f.pc;
  return j;
}

}  // namespace

std::string pressure_text_report(const expansion::PressureAnalysis& result, const Source& source) {
  return header(result, source) + axes_table(result) + fits_table(result) +
         pressures_table(result) + eos_table(result) + words(result);
}

std::string pressure_json_report(const expansion::PressureAnalysis& result, const Source& source) {
  const expansion::Analysis& an = result.strains;
  Json j;
  j["mode"] = "pressure";
  j["source"] = common::safe_text(source.name, common::Charset::kUtf8);
  j["strain"] = expansion::measure_key(an.measure);
  j["points"] = an.temperatures.size();
  j["reference"] = an.temperatures[an.reference];
  j["median"] = an.temperatures[an.median];
  j["pressures"] = an.temperatures;
  j["pressures_su"] = result.sigma_p;
  j["axes"] = Json::array();
  for (const CompressibilityAxis& axis : result.axes) j["axes"].push_back(axis_json(result, axis));
  j["volume"] = {{"K", finite_or_null(result.volume.value)},
                 {"K_su", finite_or_null(result.volume.su)},
                 {"definition", an.volume.logarithmic ? "-d ln(V/V_ref)/dp" : "-(dV/dp)/V_ref"},
                 {"reference", an.volume.reference},
                 {"values", an.volume.values}};
  j["eos"] = {{"bm2", eos_json(result.eos[0])},
              {"bm3", eos_json(result.eos[1])},
              {"bm3_pc", eos_json(result.eos[2])}};
  return j.dump(2) + "\n";
}

std::string pressure_csv_report(const expansion::PressureAnalysis& result) {
  const auto cell = [](double x) { return std::isfinite(x) ? common::shortest(x) : std::string(); };
  std::string s = "axis,p_GPa,K_TPa-1,K_su_TPa-1,u,v,w\n";
  const std::vector<double>& p = result.strains.temperatures;
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& axis = result.axes[k];
    const Eigen::Vector3d& uvw = result.strains.axes[axis.axis].uvw;
    const std::string direction = "," + cell(uvw(0)) + "," + cell(uvw(1)) + "," + cell(uvw(2));
    const std::string name = "X" + std::to_string(k + 1);
    for (std::size_t i = 0; i < p.size() && axis.fit; ++i)
      s += name + "," + cell(p[i]) + "," + cell(axis.k_at[i].value) + "," + cell(axis.k_at[i].su) +
           direction + "\n";
    s += name + ",," + cell(axis.linear.value) + "," + cell(axis.linear.su) + direction + "\n";
  }
  s += "V,," + cell(result.volume.value) + "," + cell(result.volume.su) + ",,,\n";
  return s;
}

}  // namespace korvex_expansion
