#include "expansion/pressure_draws.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "common/number_text.h"
#include "expansion/principal_axes.h"

namespace expansion {
namespace {

struct AxisTally {
  Spread linear, k_median;
  std::vector<Spread> k_at;
};

struct Tally {
  std::array<AxisTally, 3> axes;
  Spread volume;
};

// The directions of the compressibility axes, column k that of axes[k].
Eigen::Matrix3d directions(const PressureAnalysis& r) {
  Eigen::Matrix3d m;
  for (std::size_t k = 0; k < 3; ++k)
    m.col(static_cast<Eigen::Index>(k)) = r.strains.axes[r.axes[k].axis].direction;
  return m;
}

void add_draw(const PressureAnalysis& drawn, const PressureAnalysis& nominal, Tally& t) {
  const std::array<int, 3> order = closest_order(directions(drawn), directions(nominal));
  for (std::size_t k = 0; k < 3; ++k) {
    const CompressibilityAxis& x = drawn.axes[static_cast<std::size_t>(order[k])];
    AxisTally& a = t.axes[k];
    a.linear.add(x.linear.value);
    if (!x.fit) continue;
    a.k_median.add(x.k_median.value);
    for (std::size_t i = 0; i < x.k_at.size(); ++i) a.k_at[i].add(x.k_at[i].value);
  }
  t.volume.add(drawn.volume.value);
}

PressureSus collect(const Tally& t, const PressureAnalysis& nominal, const Draws& draws) {
  PressureSus out;
  out.draws = draws;
  out.draws.progress = nullptr;
  for (std::size_t k = 0; k < 3; ++k) {
    const AxisTally& a = t.axes[k];
    CompressibilitySus& s = out.axes[k];
    s.linear = a.linear.sd();
    s.k_median = std::numeric_limits<double>::quiet_NaN();
    if (!nominal.axes[k].fit) continue;
    s.k_median = a.k_median.sd();
    for (const Spread& at : a.k_at) s.k_at.push_back(at.sd());
  }
  out.volume = t.volume.sd();
  return out;
}

Estimate bounded(const Estimate& e, const double* drawn) {
  return {e.value,
          bounding_su(e.su, drawn != nullptr ? std::optional<double>(*drawn) : std::nullopt)};
}

const CompressibilitySus* drawn_of(const PressureSeries& series, std::size_t k) {
  return series.sus ? &series.sus->axes[k] : nullptr;
}

// Why a pressure's SU cannot weigh its point, naming it: one so much smaller
// than the largest that its weight would swamp every other point's.
common::Expected<void> check_pressure_sus(const std::vector<crystal::CellEntry>& cells,
                                          const std::vector<double>& sigma_p) {
  constexpr double kSpread = 1e8;
  if (sigma_p.empty()) return {};
  const double largest = *std::max_element(sigma_p.begin(), sigma_p.end());
  for (std::size_t i = 0; i < sigma_p.size() && i < cells.size(); ++i) {
    if (!(sigma_p[i] * kSpread >= largest))
      return common::Error{0, cells[i].source + ": a pressure SU of " +
                                  common::shortest(sigma_p[i]) +
                                  " GPa is more than 1e8 times smaller than the largest (" +
                                  common::shortest(largest) +
                                  " GPa): its point would outweigh "
                                  "all the others"};
  }
  return {};
}

}  // namespace

Estimate bounded_k_median(const PressureSeries& series, std::size_t k) {
  const CompressibilitySus* d = drawn_of(series, k);
  return bounded(series.analysis.axes[k].k_median,
                 d != nullptr && !d->k_at.empty() ? &d->k_median : nullptr);
}

Estimate bounded_k_at(const PressureSeries& series, std::size_t k, std::size_t i) {
  const CompressibilitySus* d = drawn_of(series, k);
  return bounded(series.analysis.axes[k].k_at[i],
                 d != nullptr && !d->k_at.empty() ? &d->k_at[i] : nullptr);
}

Estimate bounded_linear(const PressureSeries& series, std::size_t k) {
  const CompressibilitySus* d = drawn_of(series, k);
  return bounded(series.analysis.axes[k].linear, d != nullptr ? &d->linear : nullptr);
}

Estimate shown_compressibility(const PressureSeries& series, std::size_t k) {
  return series.analysis.axes[k].fit ? bounded_k_median(series, k) : bounded_linear(series, k);
}

Estimate bounded_volume(const PressureSeries& series) {
  return bounded(series.analysis.volume, series.sus ? &series.sus->volume : nullptr);
}

common::Expected<PressureSeries> analyse_pressure_series(
    const std::vector<crystal::CellEntry>& cells, const std::vector<double>& sigma_p,
    std::size_t reference, StrainMeasure measure, const Draws& draws) {
  std::vector<double> p;
  std::vector<Eigen::Matrix3d> bases;
  for (const crystal::CellEntry& e : cells) {
    if (!e.pressure) return common::Error{0, e.source + ": no pressure"};
    if (const auto checked = crystal::check_cell(e.cell); !checked)
      return common::Error{0, e.source + ": " + checked.error().message};
    p.push_back(*e.pressure);
    bases.push_back(basis(e.cell));
  }
  COMMON_TRY_VOID(check_pressure_sus(cells, sigma_p));
  COMMON_TRY(nominal, analyse_compressibility(p, sigma_p, bases, reference, measure));
  if (!has_sus(cells)) return PressureSeries{std::move(nominal).value(), std::nullopt};
  if (draws.count < 2) return common::Error{0, "at least 2 draws are needed"};
  Tally t;
  for (AxisTally& a : t.axes) a.k_at.resize(cells.size());
  std::size_t done = 0;
  const auto drawn = for_each_drawn_series(
      cells, draws, [&](const std::vector<Eigen::Matrix3d>& drawn_bases) -> common::Expected<void> {
        const auto r =
            analyse_compressibility(p, sigma_p, drawn_bases, reference, measure, &*nominal);
        if (!r) return drawn_failure(r.error());
        add_draw(*r, *nominal, t);
        if (draws.progress) draws.progress(++done, draws.count);
        return {};
      });
  if (!drawn) return drawn.error();
  PressureSus sus = collect(t, *nominal, draws);
  return PressureSeries{std::move(nominal).value(), std::move(sus)};
}

}  // namespace expansion
