// The cells' standard uncertainties carried into the compressibilities of a
// pressure series, by Monte Carlo over the whole analysis, as monte_carlo.h
// carries them into the expansion: each drawn series of cells (its pressures
// and their SUs as they are) is analysed again, its axes matched to the
// nominal ones by direction, and the SU of each compressibility is the
// standard deviation of its draws. The equations of state are not drawn:
// their SUs are the fits' own.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "common/expected.h"
#include "crystal/cell.h"
#include "expansion/monte_carlo.h"
#include "expansion/pressure_analysis.h"

namespace expansion {

struct CompressibilitySus {
  double linear = 0;         // TPa^-1, of the straight line's K
  std::vector<double> k_at;  // TPa^-1, of K at each pressure; empty without the fit
  double k_median = 0;       // TPa^-1, of K at the median pressure; NaN without the fit
};

// Axis k that of PressureAnalysis::axes[k].
struct PressureSus {
  Draws draws;
  std::array<CompressibilitySus, 3> axes;
  double volume = 0;  // TPa^-1, of the volume's straight-line K
};

struct PressureSeries {
  PressureAnalysis analysis;
  std::optional<PressureSus> sus;  // when some cell has an SU
};

// analyse_compressibility of the cells, each at its pressure (GPa) with SU
// sigma_p (empty where no point has one), and, where the cells carry SUs, the
// SUs drawn. Fails where analyse_compressibility fails, and where a drawn cell
// is no cell or a
// drawn series has no analysis (SUs too large for their values).
[[nodiscard]] common::Expected<PressureSeries> analyse_pressure_series(
    const std::vector<crystal::CellEntry>& cells, const std::vector<double>& sigma_p,
    std::size_t reference, StrainMeasure measure, const Draws& draws);

// The compressibilities of axis k (TPa^-1) with the SU that bounds each
// (bounding_su: the larger of the fit's and the one drawn from the cells):
// at the median pressure, at point i, of the straight line; the one the axis
// is named by (at the median pressure, the straight line's without the
// empirical fit); and the volume's straight-line K.
[[nodiscard]] Estimate bounded_k_median(const PressureSeries& series, std::size_t k);
[[nodiscard]] Estimate bounded_k_at(const PressureSeries& series, std::size_t k, std::size_t i);
[[nodiscard]] Estimate bounded_linear(const PressureSeries& series, std::size_t k);
[[nodiscard]] Estimate shown_compressibility(const PressureSeries& series, std::size_t k);
[[nodiscard]] Estimate bounded_volume(const PressureSeries& series);

}  // namespace expansion
