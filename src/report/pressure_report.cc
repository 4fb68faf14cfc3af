#include "report/pressure_report.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "common/number_text.h"
#include "common/safe_text.h"
#include "report/axis_words.h"
#include "report/eos_report.h"
#include "report/range_notes.h"

namespace report {
namespace {

using expansion::CompressibilityAxis;
using expansion::Estimate;
using Json = nlohmann::ordered_json;

Json finite_or_null(double value) {
  return std::isfinite(value) ? Json(value) : Json();
}

// The drawn SUs of axis k, or null where the cells carry none.
const expansion::CompressibilitySus* drawn_of(const expansion::PressureSeries& r, std::size_t k) {
  return r.sus ? &r.sus->axes[k] : nullptr;
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

// The SU in TPa^-1 as the table shows it: "-" for none.
std::string su_column(double su) {
  return std::isfinite(su) ? common::format_text("%8.3f", su) : std::string("       -");
}

std::string axes_table(const expansion::PressureSeries& series) {
  const expansion::PressureAnalysis& r = series.analysis;
  const double median_p = r.strains.temperatures[r.strains.median];
  std::string s = common::format_text(
      "\n Axis  K at %.4g GPa    su_fit su_cells      linear K    direction [u v w]          "
      "angles to a, b, c\n",
      median_p);
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& axis = r.axes[k];
    const expansion::AxisResult& strain = r.strains.axes[axis.axis];
    const expansion::CompressibilitySus* d = drawn_of(series, k);
    const std::string at_median =
        axis.fit ? k_text(expansion::bounded_k_median(series, k)) : std::string("no fit");
    s += common::format_text(
        " X%zu  %14s  %s %s  %12s  %-26s %7.2f %7.2f %7.2f\n", k + 1, at_median.c_str(),
        su_column(axis.fit ? axis.k_median.su : NAN).c_str(),
        su_column(d != nullptr && axis.fit ? d->k_median : NAN).c_str(),
        k_text(expansion::bounded_linear(series, k)).c_str(), uvw_text(strain.uvw).c_str(),
        strain.angles[0], strain.angles[1], strain.angles[2]);
  }
  s += common::format_text(" V   %14s  %8s %8s  %12s\n", "", "", "",
                           k_text(expansion::bounded_volume(series)).c_str());
  return s;
}

// A parameter of a fit that is not determined: four significant digits,
// which claim no SU.
std::string undetermined(double value) {
  return common::format_text("%.4g", value);
}

std::string fits_table(const expansion::PressureAnalysis& r) {
  std::string s = "\n Empirical fits  eps0               lambda             p_c GPa          nu\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& axis = r.axes[k];
    if (!axis.fit) {
      s += common::format_text(" X%zu             none: %s\n", k + 1, axis.why_not.c_str());
      continue;
    }
    const expansion::EmpiricalFit& f = *axis.fit;
    if (!f.determined) {
      s += common::format_text(
          " X%zu             parameters not determined; K(p) is: the least squares lie towards\n"
          "                 nu -> 0 or p_c -> -infinity; where the search stopped: eps0 %s,\n"
          "                 lambda %s, p_c %s GPa, nu %s\n",
          k + 1, undetermined(f.eps0.value).c_str(), undetermined(f.lambda.value).c_str(),
          undetermined(f.pc.value).c_str(), undetermined(f.nu.value).c_str());
      continue;
    }
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
      s += common::format_text(" %17s", k_text(expansion::bounded_k_at(series, k, i)).c_str());
    s += "\n";
  }
  return s;
}

// The axes' K as the symmetry words take them: each that the axis is named
// by, with its bounding SU.
AxisRates rates_of(const expansion::PressureSeries& series) {
  const expansion::PressureAnalysis& r = series.analysis;
  AxisRates rates;
  for (std::size_t k = 0; k < 3; ++k) {
    rates.rates[k] = expansion::shown_compressibility(series, k);
    rates.directions.col(static_cast<Eigen::Index>(k)) = r.strains.axes[r.axes[k].axis].direction;
  }
  rates.basis = r.strains.crystal_axes;
  rates.floor = 0.0005;  // TPa^-1
  rates.verb = "compress";
  return rates;
}

std::string words(const expansion::PressureSeries& series, const Source& source) {
  std::string s = "\n" + alike_words(rates_of(series), expansion::series_symmetry(source.cells));
  for (std::size_t k = 0; k < 3; ++k) {
    const Estimate k_shown = expansion::shown_compressibility(series, k);
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

// An estimate's keys: `name`, name_su (the bounding SU), name_su_fit and
// name_su_cells (null where the cells carry no SUs).
void estimate_keys(Json& j, const std::string& name, const Estimate& e, const Estimate& bounded,
                   const double* drawn) {
  j[name] = finite_or_null(e.value);
  j[name + "_su"] = finite_or_null(bounded.su);
  j[name + "_su_fit"] = finite_or_null(e.su);
  j[name + "_su_cells"] = drawn != nullptr ? finite_or_null(*drawn) : Json();
}

Json axis_json(const expansion::PressureSeries& series, std::size_t k) {
  const expansion::PressureAnalysis& r = series.analysis;
  const CompressibilityAxis& axis = r.axes[k];
  const expansion::AxisResult& strain = r.strains.axes[axis.axis];
  const expansion::CompressibilitySus* d = drawn_of(series, k);
  const bool drawn = d != nullptr && !d->k_at.empty();
  Json j;
  for (const char* key : {"K", "K_su", "K_su_fit", "K_su_cells"}) j[key] = Json::array();
  for (std::size_t i = 0; i < axis.k_at.size(); ++i) {
    const Estimate& k_at = axis.k_at[i];
    j["K"].push_back(finite_or_null(k_at.value));
    j["K_su"].push_back(finite_or_null(expansion::bounded_k_at(series, k, i).su));
    j["K_su_fit"].push_back(finite_or_null(k_at.su));
  }
  if (drawn) {
    for (const double su : d->k_at) j["K_su_cells"].push_back(finite_or_null(su));
  } else {
    j["K_su_cells"] = nullptr;
  }
  j["uvw"] = {strain.uvw(0), strain.uvw(1), strain.uvw(2)};
  j["angles"] = {strain.angles[0], strain.angles[1], strain.angles[2]};
  j["strains"] = strain.strains;
  if (axis.fit) {
    const expansion::EmpiricalFit& f = *axis.fit;
    j["fit"] = {{"determined", f.determined},
                {"eps0", f.eps0.value},
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
  Json linear;
  estimate_keys(linear, "K", axis.linear, expansion::bounded_linear(series, k),
                d != nullptr ? &d->linear : nullptr);
  j["linear"] = std::move(linear);
  j["negative_linear_compressibility"] =
      expansion::negative_linear_compressibility(expansion::shown_compressibility(series, k));
  return j;
}

}  // namespace

std::string pressure_text_report(const expansion::PressureSeries& series,
                                 const expansion::EosAnalysis& eos, const Source& source) {
  const expansion::PressureAnalysis& result = series.analysis;
  return header(series, source) + axes_table(series) + fits_table(result) +
         pressures_table(series) + eos_text(eos) + words(series, source);
}

Json pressure_json_document(const expansion::PressureSeries& series,
                            const expansion::EosAnalysis& eos, const Source& source) {
  const expansion::PressureAnalysis& result = series.analysis;
  const expansion::Analysis& an = result.strains;
  Json j;
  j["mode"] = "pressure";
  j["source"] = common::safe_text(source.name, common::Charset::kUtf8);
  if (!source.title.empty()) j["title"] = common::safe_text(source.title, common::Charset::kUtf8);
  j["strain"] = expansion::measure_key(an.measure);
  j["points"] = an.temperatures.size();
  j["draws"] = series.sus ? Json(series.sus->draws.count) : Json();
  j["reference"] = an.temperatures[an.reference];
  j["median"] = an.temperatures[an.median];
  j["pressures"] = an.temperatures;
  Json sus = Json::array();
  for (const double su : result.sigma_p) sus.push_back(result.weighted ? Json(su) : Json());
  j["pressures_su"] = std::move(sus);
  j["lines_weighted"] = result.weighted;
  if (source.range) j["range"] = range_json(source, crystal::Abscissa::kPressure);
  j["axes"] = Json::array();
  for (std::size_t k = 0; k < 3; ++k) j["axes"].push_back(axis_json(series, k));
  Json volume;
  estimate_keys(volume, "K", result.volume, expansion::bounded_volume(series),
                series.sus ? &series.sus->volume : nullptr);
  volume["definition"] = an.volume.logarithmic ? "-d ln(V/V_ref)/dp" : "-(dV/dp)/V_ref";
  volume["reference"] = an.volume.reference;
  volume["values"] = an.volume.values;
  j["volume"] = std::move(volume);
  add_eos_json(eos, j);
  Json cells = Json::array();
  for (const crystal::CellEntry& e : source.cells)
    cells.push_back(json_cell(e, crystal::Abscissa::kPressure));
  j["cells"] = std::move(cells);
  return j;
}

std::string pressure_json_report(const expansion::PressureSeries& series,
                                 const expansion::EosAnalysis& eos, const Source& source) {
  return pressure_json_document(series, eos, source).dump(2) + "\n";
}

std::string pressure_csv_report(const expansion::PressureSeries& series,
                                const expansion::EosAnalysis& eos) {
  const expansion::PressureAnalysis& result = series.analysis;
  const auto cell = [](double x) { return std::isfinite(x) ? common::shortest(x) : std::string(); };
  // K, its bounding SU, the direction, the fit's SU and the cells'.
  const auto k_cells = [&](const Estimate& k, const Estimate& bounded, const double* drawn,
                           const std::string& direction) {
    return cell(k.value) + "," + cell(bounded.su) + direction + "," + cell(k.su) + "," +
           (drawn != nullptr ? cell(*drawn) : std::string()) + "\n";
  };
  std::string s = "axis,p_GPa,K_TPa-1,K_su_TPa-1,u,v,w,K_su_fit_TPa-1,K_su_cells_TPa-1\n";
  const std::vector<double>& p = result.strains.temperatures;
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& axis = result.axes[k];
    const expansion::CompressibilitySus* d = drawn_of(series, k);
    const Eigen::Vector3d& uvw = result.strains.axes[axis.axis].uvw;
    const std::string direction = "," + cell(uvw(0)) + "," + cell(uvw(1)) + "," + cell(uvw(2));
    const std::string name = "X" + std::to_string(k + 1);
    for (std::size_t i = 0; i < p.size() && axis.fit; ++i) {
      const double* drawn = d != nullptr && !d->k_at.empty() ? &d->k_at[i] : nullptr;
      s += name + "," + cell(p[i]) + "," +
           k_cells(axis.k_at[i], expansion::bounded_k_at(series, k, i), drawn, direction);
    }
    s += name + ",," +
         k_cells(axis.linear, expansion::bounded_linear(series, k),
                 d != nullptr ? &d->linear : nullptr, direction);
  }
  s += "V,," + k_cells(result.volume, expansion::bounded_volume(series),
                       series.sus ? &series.sus->volume : nullptr, ",,,");
  return s + eos_csv(eos);
}

}  // namespace report
