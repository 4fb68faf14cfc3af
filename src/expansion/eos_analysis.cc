#include "expansion/eos_analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "common/number_text.h"
#include "expansion/symmetry.h"

namespace expansion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string weights_why(EosWeights weights, bool asked) {
  const std::string how =
      weights == EosWeights::kPv
          ? "effective variance, sigma^2 = sigma_p^2 + (K/V)^2 sigma_V^2, refitted until it "
            "settles"
      : weights == EosWeights::kP ? "1/sigma_p^2"
                                  : "every point alike";
  if (asked) return how + " (as asked)";
  switch (weights) {
    case EosWeights::kPv:
      return how + " (the volumes have SUs)";
    case EosWeights::kP:
      return how + " (the pressures have SUs, the volumes none)";
    case EosWeights::kNone:
      break;
  }
  return how + " (the pressures have no SU at every point, the volumes none)";
}

std::string refusal(const crystal::CellEntry& e, EosWeights weights) {
  if (weights == EosWeights::kP)
    return e.source +
           ": a pressure without an SU (or of SU 0) cannot be weighted by 1/sigma_p^2; " +
           "run with --weights pv (the volume's SU) or --weights none";
  return e.source + ": neither the pressure nor the volume has an SU to weight the point by; " +
         "run with --weights none";
}

std::vector<AxialEntry> axial_fits(const std::vector<crystal::CellEntry>& cells, const PvSeries& s,
                                   EosWeights weights) {
  std::vector<AxialEntry> out;
  for (const int axis : axial_lengths(series_symmetry(cells))) {
    std::vector<double> l, sigma_l;
    for (const crystal::CellEntry& e : cells) {
      const auto params = crystal::parameters(e.cell);
      const auto sus = crystal::parameters(e.su);
      l.push_back(params[static_cast<std::size_t>(axis)]);
      sigma_l.push_back(sus[static_cast<std::size_t>(axis)].value_or(kNaN));
    }
    // The lengths weigh by their own SUs where the series weighs by the volumes'.
    const EosWeights w = weights == EosWeights::kPv &&
                                 unweighable_point(PvSeries{s.p, s.sigma_p, l, sigma_l}, weights)
                             ? default_weights(PvSeries{s.p, s.sigma_p, l, sigma_l})
                             : weights;
    auto fit = fit_axial(axis, s.p, s.sigma_p, l, sigma_l, w);
    if (fit) {
      out.push_back({axis, std::move(fit.value()), {}});
    } else {
      out.push_back({axis, std::nullopt, fit.error().message});
    }
  }
  return out;
}

}  // namespace

PvSeries pv_series(const std::vector<crystal::CellEntry>& cells) {
  PvSeries s;
  for (const crystal::CellEntry& e : cells) {
    s.p.push_back(e.pressure.value_or(kNaN));
    s.sigma_p.push_back(e.pressure_su.value_or(kNaN));
    s.v.push_back(crystal::point_volume(e));
    s.sigma_v.push_back(crystal::point_volume_su(e).value_or(kNaN));
  }
  return s;
}

common::Expected<EosAnalysis> analyse_equations_of_state(
    const std::vector<crystal::CellEntry>& cells, const EosRequest& request) {
  EosAnalysis out;
  out.series = pv_series(cells);
  out.weights = request.weights.value_or(default_weights(out.series));
  out.weights_why = weights_why(out.weights, request.weights.has_value());
  if (const auto i = unweighable_point(out.series, out.weights))
    return common::Error{0, refusal(cells[*i], out.weights)};
  const EosOptions options{out.weights, request.fix_bp, request.fix_v0, request.pc};
  for (const Eos eos : request.equations) {
    auto fit = fit_equation_of_state(eos, out.series, options);
    EosEntry entry{eos, std::nullopt, {}, {}};
    if (fit) {
      if (eos_order(eos) == 3) entry.ellipses = confidence_ellipses(*fit);
      entry.fit = std::move(fit.value());
    } else {
      entry.why_not = fit.error().message;
    }
    out.equations.push_back(std::move(entry));
  }
  // F-f against V0 of BM3 as the weights give it, whether or not it is listed.
  if (const auto bm3 = fit_equation_of_state(Eos::kBm3, out.series, {out.weights, {}, {}, 0})) {
    if (auto ff = ff_plot(out.series, bm3->theta[kV0])) out.ff = std::move(ff.value());
  }
  out.axial = axial_fits(cells, out.series, out.weights);
  return out;
}

common::Expected<std::vector<Eos>> equations_named(std::string_view list) {
  std::vector<Eos> out;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string_view key = list.substr(start, comma - start);
    std::vector<Eos> named;
    if (key == "all") {
      named.assign(kEveryEos.begin(), kEveryEos.end() - 1);
    } else if (const auto eos = eos_named(key)) {
      named.push_back(*eos);
    } else {
      return common::Error{0,
                           "--eos takes bm2, bm3, bm4, vinet, murnaghan, tait, ns3, ns4, "
                           "bm3_pc or all, comma-separated, not '" +
                               std::string(key) + "'"};
    }
    for (const Eos eos : named) {
      if (std::find(out.begin(), out.end(), eos) == out.end()) out.push_back(eos);
    }
    start = comma + 1;
  }
  return out;
}

common::Expected<void> apply_fix(std::string_view text, EosRequest& request) {
  const common::Error refused{
      0, "--fix takes Bp=X or V0=X (V0 in A^3, above 0), not '" + std::string(text) + "'"};
  const std::size_t eq = text.find('=');
  if (eq == std::string_view::npos) return refused;
  const std::string_view name = text.substr(0, eq);
  const double number = common::parse_decimal(text.substr(eq + 1)).value_or(NAN);
  if ((name != "Bp" && name != "V0") || !std::isfinite(number) || (name == "V0" && !(number > 0)))
    return refused;
  (name == "Bp" ? request.fix_bp : request.fix_v0) = number;
  return {};
}

}  // namespace expansion
