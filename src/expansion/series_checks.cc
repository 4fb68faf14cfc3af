#include "expansion/series_checks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <string_view>

#include "common/number_text.h"
#include "expansion/poly_fit.h"
#include "expansion/series_range.h"

namespace expansion {

namespace {

constexpr double kLeastJump = 0.001;       // a relative change that can be a jump, without SUs
constexpr double kJumpSus = 5;             // SUs of the change that a jump exceeds
constexpr double kJumpFactor = 10;         // times the median change per kelvin
constexpr double kUnmatched = 0.2;         // |ln| change of cells that are not one crystal's
constexpr double kExchangeMargin = 0.005;  // by which another match must beat the identity

// A temperature to the microkelvin, as a message gives it: -126.85 K for a
// sum in degrees Celsius, not -126.85000000000002 K.
std::string kelvin(double t) {
  return common::shortest(std::round(t * 1e6) / 1e6) + " K";
}
std::string exact_kelvin(double t) {
  return common::shortest(t) + " K";
}

// A pressure to the kilopascal, as kelvin() gives a temperature to the microkelvin.
std::string gigapascal(double p) {
  return common::shortest(std::round(p * 1e6) / 1e6) + " GPa";
}

std::string between(const crystal::CellEntry& x, const crystal::CellEntry& y,
                    crystal::Abscissa mode) {
  const auto text = mode == crystal::Abscissa::kPressure ? gigapascal : kelvin;
  return "between " + text(*crystal::abscissa(x, mode)) + " and " +
         text(*crystal::abscissa(y, mode)) + ": ";
}

// The points' indices in temperature order, points at one temperature in
// the order given.
std::vector<std::size_t> temperature_order(const std::vector<crystal::CellEntry>& cells,
                                           crystal::Abscissa mode) {
  std::vector<std::size_t> order(cells.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto before = [&](std::size_t i, std::size_t j) {
    return *crystal::abscissa(cells[i], mode) < *crystal::abscissa(cells[j], mode);
  };
  // A series is mostly given in order already.
  if (!std::is_sorted(order.begin(), order.end(), before))
    std::stable_sort(order.begin(), order.end(), before);
  return order;
}

// A label as given, or nothing for CIF's "unknown" and "not applicable".
std::string_view given(const std::string& label) {
  return label == "?" || label == "." ? std::string_view() : std::string_view(label);
}

// Space-group symbols compared without blanks and case: "P n ma" is "Pnma".
std::string symbol_key(std::string_view symbol) {
  std::string key;
  for (const char c : symbol)
    if (c != ' ' && c != '_') key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

// The labels the files give that differ between two neighbours.
void label_changes(const crystal::CellEntry& x, const crystal::CellEntry& y,
                   crystal::Abscissa variable, std::vector<std::string>& warnings) {
  const struct {
    const char* what;
    std::string_view from, to;
    bool symbol;
  } labels[] = {{"the crystal system", given(x.system), given(y.system), false},
                {"the space group", given(x.space_group), given(y.space_group), true},
                {"the lattice letter", given(x.lattice), given(y.lattice), false}};
  for (const auto& l : labels) {
    if (l.from.empty() || l.to.empty()) continue;
    if (l.symbol ? symbol_key(l.from) == symbol_key(l.to) : l.from == l.to) continue;
    warnings.push_back(between(x, y, variable) + l.what + " changes from " + std::string(l.from) +
                       " to " + std::string(l.to));
  }
}

using Lengths = std::array<double, 3>;
using Match = std::array<std::size_t, 3>;  // axis i of the cell is axis match[i] of the previous

Lengths lengths_of(const crystal::Cell& c) {
  return {c.a, c.b, c.c};
}

// ln(to[i] / from[j]) at [i][j]: every change of a length that a match of
// the axes can make.
using LogRatios = std::array<Lengths, 3>;
LogRatios log_ratios(const Lengths& from, const Lengths& to) {
  LogRatios r{};
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) r[i][j] = std::log(to[i] / from[j]);
  return r;
}

// The largest |ln| change of a length under a match.
double mismatch(const LogRatios& r, const Match& m) {
  double worst = 0;
  for (std::size_t i = 0; i < 3; ++i) worst = std::max(worst, std::fabs(r[i][m[i]]));
  return worst;
}

// The match of the axes that changes the lengths least; the identity unless
// another does better by kExchangeMargin.
Match best_match(const LogRatios& r) {
  Match m = {0, 1, 2}, best = m;
  const double identity = mismatch(r, m);
  double least = identity;
  while (std::next_permutation(m.begin(), m.end())) {
    const double d = mismatch(r, m);
    if (d < least) least = d, best = m;
  }
  return identity - least > kExchangeMargin ? best : Match{0, 1, 2};
}

std::string match_text(const Match& m) {
  static constexpr std::array<const char*, 3> kAxes = {"a", "b", "c"};
  std::string text;
  for (std::size_t i = 0; i < 3; ++i) {
    if (m[i] == i) continue;
    text += std::string(text.empty() ? "" : ", ") + kAxes[i] + " is the previous " + kAxes[m[i]];
  }
  return text;
}

// One quantity's relative change, ln(y/x), between each pair of neighbours,
// and the SU of that change (0 where neither cell gives one).
struct Quantity {
  const char* name;
  std::vector<double> change;
  std::vector<double> su;
};

// The relative SUs of a cell's a, b, c and volume (0 for none).
std::array<double, 4> relative_sus(const crystal::Cell& cell, const crystal::CellSu& su) {
  const double volume = crystal::cell_volume(cell);
  return {su.a.value_or(0) / cell.a, su.b.value_or(0) / cell.b, su.c.value_or(0) / cell.c,
          crystal::cell_volume_su(cell, su).value_or(0) / volume};
}

// Whether a change is more than its SU allows, or than kLeastJump without one.
bool beyond_su(double change, double su) {
  return su > 0 ? change > kJumpSus * su : change > kLeastJump;
}

// The lower median of the changes per kelvin at distinct temperatures.
double median_rate(const Quantity& q, const std::vector<double>& steps) {
  std::vector<double> rates;
  for (std::size_t i = 0; i < steps.size(); ++i)
    if (steps[i] > 0) rates.push_back(std::fabs(q.change[i]) / steps[i]);
  if (rates.empty()) return 0;
  std::nth_element(rates.begin(), rates.begin() + (rates.size() - 1) / 2, rates.end());
  return rates[(rates.size() - 1) / 2];
}

// The HC0 standard error of the slope, at the median temperature, of a
// quadratic through the values; infinite with too few temperatures for one
// to leave a point spare.
double quadratic_su(const Analysis& an, const std::vector<double>& values) {
  if (distinct_count(an.temperatures) < 4) return std::numeric_limits<double>::infinity();
  const PolyFit fit = fit_polynomial(an.temperatures, values, 2);
  return derivative_at(fit, an.temperatures[an.median]).su;
}

std::string percent(double change) {
  return common::fixed(100 * std::expm1(change), 2) + " %";
}

}  // namespace

common::Expected<void> check_temperatures(const std::vector<crystal::CellEntry>& cells) {
  for (const crystal::CellEntry& e : cells) {
    if (*e.temperature < 0) {
      return common::Error{
          0, e.source + ": a temperature of " + kelvin(*e.temperature) + " is below 0 K"};
    }
  }
  if (cells.size() < 2) return {};  // the analysis says how many points it needs
  const auto [low, high] = std::minmax_element(
      cells.begin(), cells.end(), [](const crystal::CellEntry& x, const crystal::CellEntry& y) {
        return *x.temperature < *y.temperature;
      });
  const double span = *high->temperature - *low->temperature;
  if (span < kLeastSpan) {
    return common::Error{0, "the temperatures span " + common::format_text("%.3g K", span) +
                                ", from " + exact_kelvin(*low->temperature) + " (" + low->source +
                                ") to " + exact_kelvin(*high->temperature) + " (" + high->source +
                                "): an expansion needs two temperatures at least 0.01 K apart"};
  }
  return {};
}

common::Expected<void> check_pressures(const std::vector<crystal::CellEntry>& cells) {
  for (const crystal::CellEntry& e : cells) {
    const double p = *e.pressure;
    const double su = e.pressure_su.value_or(0);
    if (p >= kLeastPressure || -p <= 3 * su) continue;
    const std::string value = su > 0 ? common::with_su(p, su) : common::shortest(p);
    return common::Error{0,
                         e.source + ": a pressure of " + value +
                             " GPa is below zero by more than three times its SU and more than " +
                             common::shortest(-kLeastPressure) + " GPa"};
  }
  return {};
}

namespace {

// What the neighbours of a series show, pair by pair in the abscissa's order:
// the step, each quantity's change and its SU, what is told of the pair
// already (the lengths of exchanged axes, every change of cells that cannot
// be matched), and the points after which a part of the series ends.
struct Neighbours {
  std::vector<double> steps;
  std::array<Quantity, 4> quantities = {Quantity{"a", {}, {}}, Quantity{"b", {}, {}},
                                        Quantity{"c", {}, {}}, Quantity{"the volume", {}, {}}};
  std::vector<std::size_t> told;
  std::vector<std::size_t> breaks;
};

// One pair's changes of setting, axes and labels, told in `found`; its
// changes and SUs added to `n`. Each cell's volume and relative SUs are
// given, found once: every cell is two pairs' end.
void pair_changes(const crystal::CellEntry& x, const crystal::CellEntry& y, double vx, double vy,
                  const std::array<double, 4>& sx, const std::array<double, 4>& sy,
                  crystal::Abscissa variable, Neighbours& n, SeriesChanges& found) {
  const std::size_t warned = found.warnings.size();
  label_changes(x, y, variable, found.warnings);
  const LogRatios ratios = log_ratios(lengths_of(x.cell), lengths_of(y.cell));
  const Match m = best_match(ratios);
  const double volume = std::log(vy / vx);
  const bool unmatched = mismatch(ratios, m) > kUnmatched || std::fabs(volume) > kUnmatched;
  if (unmatched) {
    found.unmatched.push_back(
        between(x, y, variable) + "the cells cannot be matched (the volume changes by " +
        percent(volume) + "): not one crystal's cell, or another setting of it");
  } else if (m != Match{0, 1, 2}) {
    found.warnings.push_back(between(x, y, variable) + "the axes exchange (" + match_text(m) + ")");
  }
  n.told.push_back(unmatched ? n.quantities.size() : m != Match{0, 1, 2} ? 3 : 0);
  if (found.warnings.size() > warned || n.told.back() > 0) n.breaks.push_back(n.steps.size());
  n.steps.push_back(*crystal::abscissa(y, variable) - *crystal::abscissa(x, variable));
  for (std::size_t i = 0; i < 4; ++i) {
    n.quantities[i].change.push_back(i < 3 ? ratios[i][i] : volume);
    n.quantities[i].su.push_back(std::hypot(sx[i], sy[i]));
  }
}

Neighbours neighbour_changes(const std::vector<crystal::CellEntry>& cells,
                             const std::vector<std::size_t>& order, crystal::Abscissa variable,
                             SeriesChanges& found) {
  std::vector<double> volumes;
  std::vector<std::array<double, 4>> sus;
  volumes.reserve(cells.size());
  sus.reserve(cells.size());
  for (const crystal::CellEntry& e : cells) {
    volumes.push_back(crystal::cell_volume(e.cell));
    sus.push_back(relative_sus(e.cell, e.su));
  }
  Neighbours n;
  n.steps.reserve(cells.size());
  n.told.reserve(cells.size());
  for (Quantity& q : n.quantities) {
    q.change.reserve(cells.size());
    q.su.reserve(cells.size());
  }
  for (std::size_t k = 1; k < order.size(); ++k) {
    const std::size_t i = order[k - 1], j = order[k];
    pair_changes(cells[i], cells[j], volumes[i], volumes[j], sus[i], sus[j], variable, n, found);
  }
  return n;
}

// The steps beyond the cells' SUs and more than ten times the series' own,
// told where nothing is told of the pair already; each ends a part.
void jumps(const std::vector<crystal::CellEntry>& cells, const std::vector<std::size_t>& order,
           crystal::Abscissa variable, Neighbours& n, SeriesChanges& found) {
  for (std::size_t i = 0; i < n.quantities.size(); ++i) {
    const Quantity& q = n.quantities[i];
    const double median = median_rate(q, n.steps);
    for (std::size_t k = 0; k < n.steps.size(); ++k) {
      const double change = std::fabs(q.change[k]);
      if (!beyond_su(change, q.su[k]) || i < n.told[k]) continue;
      if (n.steps[k] > 0 && change / n.steps[k] <= kJumpFactor * median) continue;
      found.warnings.push_back(between(cells[order[k]], cells[order[k + 1]], variable) + q.name +
                               " jumps by " + percent(q.change[k]) +
                               ", more than ten times the series' own steps");
      n.breaks.push_back(k);
    }
  }
}

}  // namespace

SeriesChanges check_changes(const std::vector<crystal::CellEntry>& cells,
                            crystal::Abscissa variable) {
  const std::vector<std::size_t> order = temperature_order(cells, variable);
  SeriesChanges found;
  Neighbours n = neighbour_changes(cells, order, variable, found);
  jumps(cells, order, variable, n, found);
  std::vector<double> sorted;
  sorted.reserve(order.size());
  for (const std::size_t i : order) sorted.push_back(*crystal::abscissa(cells[i], variable));
  if (const auto ranges = part_ranges(sorted, n.breaks); !ranges.empty()) {
    std::string hint = "fit each part of the series alone:";
    for (const std::string& r : ranges) hint += (hint.back() == ':' ? " " : ", ") + r;
    found.warnings.push_back(hint);
  }
  return found;
}

std::vector<std::string> check_scatter(const SeriesAnalysis& result) {
  if (!result.sus || !result.analysis.standard_errors) return {};
  const Analysis& an = result.analysis;
  std::vector<std::string> names;
  bool curved = an.degree == 1;  // every one flagged lies on a quadratic within the cells' SUs
  const auto check = [&](const std::string& name, double fit_su, double cells_su,
                         const std::vector<double>& values) {
    if (!(cells_su > 0 && fit_su > kScatterFactor * cells_su)) return;
    names.push_back(name);
    curved = curved && quadratic_su(an, values) <= kScatterFactor * cells_su;
  };
  for (std::size_t k = 0; k < 3; ++k)
    check(std::string("X").append(std::to_string(k + 1)), an.axes[k].alpha.su,
          result.sus->axes[k].alpha, an.axes[k].strains);
  std::vector<double> log_volume;
  for (const double v : an.volume.values) log_volume.push_back(std::log(v / an.volume.reference));
  check("V", an.volume.alpha.su, result.sus->volume.alpha, log_volume);
  if (names.empty()) return {};
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  if (curved) {
    return {"the straight line's standard error of " + list +
            " is more than 30 times the cells' SU, a quadratic's is not: the points curve; "
            "run with --fit quadratic"};
  }
  return {"the fit's standard error of " + list +
          " is more than 30 times the cells' SU: the scatter is far larger than the cells' SUs: "
          "a phase change, a misread file or wrong SUs?"};
}

std::optional<std::string> pressure_hint(const std::vector<crystal::CellEntry>& cells,
                                         bool comment_names_pressure) {
  constexpr double kHighest = 100, kCold = 20, kNoKelvin = 1;
  const auto [low, high] = std::minmax_element(
      cells.begin(), cells.end(), [](const crystal::CellEntry& x, const crystal::CellEntry& y) {
        return *x.temperature < *y.temperature;
      });
  if (low == cells.end()) return std::nullopt;
  const double lowest = *low->temperature, highest = *high->temperature;
  if (lowest < kLeastPressure || highest > kHighest) return std::nullopt;
  if (!(highest < kCold) && !(lowest < kNoKelvin)) return std::nullopt;
  std::string why =
      highest < kCold ? "every temperature lies below 20 K" : "the lowest temperature is below 1 K";
  if (comment_names_pressure) why += " and the file's comment speaks of pressure";
  return "warning: " + why + "; if the series is one of pressure in GPa, run with --pressure";
}

}  // namespace expansion
