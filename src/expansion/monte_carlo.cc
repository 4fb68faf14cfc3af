#include "expansion/monte_carlo.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <utility>

#include "crystal/cell.h"
#include "expansion/principal_axes.h"

namespace expansion {

namespace {

using crystal::Cell;
using crystal::CellEntry;

// A spread below this, in strain or relative volume, is rounding: the
// quantity follows from exact parameters alone.
constexpr double kRoundingSpread = 1e-12;

// Normal deviates by the Box-Muller transform, two from each pair of uniform
// numbers.
class NormalDeviates {
 public:
  explicit NormalDeviates(std::uint64_t start) : bits_(start) {}
  double next() {
    if (spare_) return *std::exchange(spare_, std::nullopt);
    const double radius = std::sqrt(-2 * std::log(uniform()));
    const double angle = 2 * std::numbers::pi * uniform();
    spare_ = radius * std::sin(angle);
    return radius * std::cos(angle);
  }

 private:
  // In (0, 1), never 0: 53 bits and half a step.
  double uniform() { return (static_cast<double>(bits_() >> 11) + 0.5) * 0x1.0p-53; }
  std::mt19937_64 bits_;
  std::optional<double> spare_;
};

double usable(const std::optional<double>& su) {
  return su && std::isfinite(*su) && *su > 0 ? *su : 0;
}

// What a drawn series is made from: for each parameter, the one whose draw it
// takes (itself, or the first of its kind equal to it at every point), and
// the width of each point's draw of it (0: exact).
struct Plan {
  std::array<int, 6> drawn_with{};
  std::vector<std::array<double, 6>> width;
};

Plan plan_draws(const std::vector<CellEntry>& cells) {
  Plan plan;
  for (int p = 0; p < 6; ++p) {
    plan.drawn_with[p] = p;
    for (int q = p / 3 * 3; q < p; ++q) {
      const bool equal = std::all_of(cells.begin(), cells.end(), [&](const CellEntry& e) {
        const std::array<double, 6> v = crystal::parameters(e.cell);
        return v[static_cast<std::size_t>(p)] == v[static_cast<std::size_t>(q)];
      });
      if (equal && plan.drawn_with[q] == q) {
        plan.drawn_with[p] = q;
        break;
      }
    }
  }
  for (const CellEntry& e : cells) {
    std::array<double, 6> width{};
    const std::array<std::optional<double>, 6> sus = crystal::parameters(e.su);
    for (std::size_t p = 0; p < 6; ++p) {
      double& w = width[static_cast<std::size_t>(plan.drawn_with[p])];
      w = std::max(w, usable(sus[p]));
    }
    plan.width.push_back(width);
  }
  return plan;
}

common::Expected<std::vector<Eigen::Matrix3d>> drawn_bases(const std::vector<CellEntry>& cells,
                                                           const Plan& plan, NormalDeviates& z) {
  std::vector<Eigen::Matrix3d> bases;
  bases.reserve(cells.size());
  for (std::size_t i = 0; i < cells.size(); ++i) {
    std::array<double, 6> shift{};
    for (std::size_t p = 0; p < 6; ++p) {
      if (plan.width[i][p] > 0) shift[p] = z.next() * plan.width[i][p];
    }
    std::array<double, 6> values = crystal::parameters(cells[i].cell);
    for (std::size_t p = 0; p < 6; ++p)
      values[p] += shift[static_cast<std::size_t>(plan.drawn_with[p])];
    const Cell cell = crystal::cell_of(values);
    if (const auto checked = crystal::check_cell(cell); !checked) {
      return common::Error{0, cells[i].source + ": a cell drawn with its SUs is no cell (" +
                                  checked.error().message +
                                  "): the SUs are too large for the values"};
    }
    bases.push_back(basis(cell));
  }
  return bases;
}

std::vector<double> sds(const std::vector<Spread>& spreads) {
  std::vector<double> out;
  out.reserve(spreads.size());
  for (const Spread& s : spreads) out.push_back(s.sd());
  return out;
}

struct AxisTally {
  Spread alpha;
  std::vector<Spread> alpha_at, strains;
  double squared_angles = 0;  // degrees^2
};

struct Tally {
  std::array<AxisTally, 3> axes;
  Spread volume_alpha;
  std::vector<Spread> volume_alpha_at, volumes;
  double draws = 0;  // made so far
};

void add_draw(const Analysis& drawn, const Analysis& nominal, Tally& t) {
  const std::array<int, 3> order = closest_order(axis_directions(drawn), axis_directions(nominal));
  for (std::size_t k = 0; k < 3; ++k) {
    const AxisResult& x = drawn.axes[static_cast<std::size_t>(order[k])];
    AxisTally& a = t.axes[k];
    a.alpha.add(x.alpha.value);
    for (std::size_t i = 0; i < x.strains.size(); ++i) {
      a.alpha_at[i].add(x.alpha_at[i].value);
      a.strains[i].add(x.strains[i]);
    }
    // The angle by its sine and cosine both: acos alone loses small angles.
    const Eigen::Vector3d& n = nominal.axes[k].direction;
    const double angle = std::atan2(x.direction.cross(n).norm(), std::fabs(x.direction.dot(n))) *
                         180 / std::numbers::pi;
    a.squared_angles += angle * angle;
  }
  t.volume_alpha.add(drawn.volume.alpha.value);
  for (std::size_t i = 0; i < drawn.volume.values.size(); ++i) {
    t.volume_alpha_at[i].add(drawn.volume.alpha_at[i].value);
    t.volumes[i].add(drawn.volume.values[i]);
  }
  t.draws += 1;
}

// The analysis repeated on `draws` drawn series, each matched to `nominal`.
common::Expected<Tally> run_draws(const std::vector<CellEntry>& cells,
                                  const std::vector<double>& temperatures, const Settings& s,
                                  const Draws& draws, const Analysis& nominal,
                                  const FitWeights* weights, std::size_t done, std::size_t total) {
  const std::size_t n = cells.size();
  Tally t;
  for (AxisTally& a : t.axes) a.alpha_at = a.strains = std::vector<Spread>(n);
  t.volume_alpha_at = t.volumes = std::vector<Spread>(n);
  std::size_t d = 0;
  const auto drawn = for_each_drawn_series(
      cells, draws, [&](const std::vector<Eigen::Matrix3d>& bases) -> common::Expected<void> {
        const auto an = analyse(temperatures, bases, s.reference, s.measure, s.degree, weights);
        if (!an) return drawn_failure(an.error());
        add_draw(*an, nominal, t);
        ++d;
        if (draws.progress) draws.progress(done + d, total);
        return {};
      });
  if (!drawn) return drawn.error();
  return t;
}

// The SUs of `result`: the coefficients' from `fits`, the strains', volumes'
// and directions' from `shapes`, whose axis shape_of[k] is the result's k.
PropagatedSus collect(const Tally& fits, const Tally& shapes, const std::array<int, 3>& shape_of,
                      const Analysis& result) {
  PropagatedSus out;
  std::array<bool, 3> open{};
  for (std::size_t k = 0; k + 1 < 3; ++k) {
    if (expand_alike(result.axes[k], result.axes[k + 1])) open[k] = open[k + 1] = true;
  }
  for (std::size_t k = 0; k < 3; ++k) {
    const AxisTally& shape = shapes.axes[static_cast<std::size_t>(shape_of[k])];
    AxisSus& a = out.axes[k];
    a.alpha = fits.axes[k].alpha.sd();
    a.alpha_at = sds(fits.axes[k].alpha_at);
    a.strains = sds(shape.strains);
    if (!open[k]) a.direction_deg = std::sqrt(shape.squared_angles / shapes.draws);
  }
  out.volume = {fits.volume_alpha.sd(), sds(fits.volume_alpha_at), sds(shapes.volumes)};
  return out;
}

std::string point_name(const CellEntry& e) {
  char t[32];
  std::snprintf(t, sizeof t, "%.2f K", e.temperature.value_or(0));
  return t + (" (" + e.source + ")");
}

// The scatter of an ordinary fit about its points, the SU it implies for
// each: sqrt(sum e^2 / (n - d - 1)); 0 without a spare point.
double fit_scatter(const AxisResult& axis, const Analysis& an) {
  const std::size_t n = an.temperatures.size(), spare = n - static_cast<std::size_t>(an.degree) - 1;
  if (n <= static_cast<std::size_t>(an.degree) + 1) return 0;
  double squares = 0;
  for (std::size_t i = 0; i < n; ++i)
    squares += std::pow(axis.strains[i] - value_at(axis.fit, an.temperatures[i]), 2);
  return std::sqrt(squares / static_cast<double>(spare));
}

// The SUs that weight one axis' strains: the draws'. The reference point,
// whose strain is nil in every draw, takes the RMS of the others' (the
// reference cell's own SU enters each of them); a point the draws leave exact
// takes the scatter of the ordinary fit.
common::Expected<std::vector<double>> strain_weights(std::vector<double> su,
                                                     const Analysis& nominal, std::size_t k,
                                                     const std::vector<CellEntry>& cells) {
  const std::size_t ref = nominal.reference;
  double squares = 0;
  for (std::size_t i = 0; i < su.size(); ++i)
    if (i != ref) squares += su[i] * su[i];
  su[ref] = su.size() > 1 ? std::sqrt(squares / static_cast<double>(su.size() - 1)) : 0;
  const double scatter = fit_scatter(nominal.axes[k], nominal);
  for (std::size_t i = 0; i < su.size(); ++i) {
    if (su[i] > kRoundingSpread) continue;
    if (!(scatter > kRoundingSpread))
      return common::Error{0, "--weighted: the strain along X" + std::to_string(k + 1) + " at " +
                                  point_name(cells[i]) +
                                  " has no SU, and the fit's scatter gives none"};
    su[i] = scatter;
  }
  return su;
}

// The weights of a weighted fit, or why the draws give none.
common::Expected<FitWeights> weights_from(const PropagatedSus& sus, const Analysis& nominal,
                                          const std::vector<CellEntry>& cells) {
  FitWeights w{axis_directions(nominal), {}, sus.volume.values};
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (!(w.volume[i] > kRoundingSpread * nominal.volume.values[i]))
      return common::Error{0, "--weighted needs SUs at every point; the cell at " +
                                  point_name(cells[i]) + " has none"};
  }
  for (std::size_t k = 0; k < 3; ++k) {
    COMMON_TRY(su, strain_weights(sus.axes[k].strains, nominal, k, cells));
    w.strain[k] = std::move(su).value();
  }
  return w;
}

}  // namespace

common::Expected<void> for_each_drawn_series(
    const std::vector<CellEntry>& cells, const Draws& draws,
    const std::function<common::Expected<void>(const std::vector<Eigen::Matrix3d>&)>& visit) {
  const Plan plan = plan_draws(cells);
  NormalDeviates z(draws.start);
  for (std::size_t d = 0; d < draws.count; ++d) {
    COMMON_TRY(bases, drawn_bases(cells, plan, z));
    COMMON_TRY_VOID(visit(*bases));
  }
  return {};
}

common::Error drawn_failure(const common::Error& error) {
  return {0, "a series drawn with its SUs has no analysis (" + error.message +
                 "): the SUs are too large for the values"};
}

double bounding_su(double su_fit, std::optional<double> su_cells) {
  if (!su_cells || std::isnan(*su_cells)) return su_fit;
  if (std::isnan(su_fit)) return *su_cells;
  return std::max(su_fit, *su_cells);
}

bool has_sus(const std::vector<CellEntry>& cells) {
  return std::any_of(cells.begin(), cells.end(), [](const CellEntry& e) {
    const std::array<std::optional<double>, 6> sus = crystal::parameters(e.su);
    return std::any_of(sus.begin(), sus.end(), [](const auto& su) { return usable(su) > 0; });
  });
}

common::Expected<SeriesAnalysis> analyse_series(const std::vector<CellEntry>& cells,
                                                const Settings& s, const Draws& draws) {
  std::vector<double> temperatures;
  std::vector<Eigen::Matrix3d> bases;
  for (const CellEntry& e : cells) {
    if (!e.temperature) return common::Error{0, e.source + ": no temperature"};
    if (const auto checked = crystal::check_cell(e.cell); !checked)
      return common::Error{0, e.source + ": " + checked.error().message};
    temperatures.push_back(*e.temperature);
    bases.push_back(basis(e.cell));
  }
  COMMON_TRY(nominal, analyse(temperatures, bases, s.reference, s.measure, s.degree));
  if (!has_sus(cells)) {
    if (s.weighted)
      return common::Error{0,
                           "--weighted needs cells with standard uncertainties; these give none"};
    return SeriesAnalysis{std::move(nominal).value(), series_symmetry(cells), std::nullopt};
  }
  if (draws.count < 2) return common::Error{0, "at least 2 draws are needed"};
  const std::size_t total = s.weighted ? 2 * draws.count : draws.count;
  COMMON_TRY(first, run_draws(cells, temperatures, s, draws, *nominal, nullptr, 0, total));
  PropagatedSus sus = collect(*first, *first, {0, 1, 2}, *nominal);
  sus.draws = draws;
  if (!s.weighted)
    return SeriesAnalysis{std::move(nominal).value(), series_symmetry(cells), std::move(sus)};

  COMMON_TRY(weights, weights_from(sus, *nominal, cells));
  COMMON_TRY(weighted, analyse(temperatures, bases, s.reference, s.measure, s.degree, &*weights));
  COMMON_TRY(second,
             run_draws(cells, temperatures, s, draws, *weighted, &*weights, draws.count, total));
  const std::array<int, 3> shape_of =
      closest_order(axis_directions(*nominal), axis_directions(*weighted));
  sus = collect(*second, *first, shape_of, *weighted);
  sus.draws = draws;
  sus.weighted = true;
  return SeriesAnalysis{std::move(weighted).value(), series_symmetry(cells), std::move(sus)};
}

}  // namespace expansion
