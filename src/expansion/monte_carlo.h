// The cells' standard uncertainties (SUs) carried into the principal
// expansion, by Monte Carlo over the whole analysis.
//
// Each cell parameter is drawn from a normal distribution about its value, its
// SU the width, independently of every other; a parameter without SU is exact.
// Lengths equal at every point of the series (a = b, or a = b = c, compared
// exactly) are one parameter, drawn once per point with the largest of their
// SUs, so that every drawn series keeps the cell's symmetry; angles equal at
// every point likewise (those of a rhombohedral cell). The analysis is
// repeated on each drawn series, and the SU of each result is the standard
// deviation of its draws. Drawn axes are matched to the nominal ones by
// direction, not by the size of their coefficients, so that two close
// coefficients do not trade places from draw to draw. The SU of a direction
// is the RMS angle between drawn and nominal axis, signs aside; axes that
// expand alike (expand_alike) get none, since the data leave their directions
// open. Temperatures are not drawn.
//
// With weighted fits, each point's strains and volume are weighted by the SUs
// the draws give them, and the draws are made a second time, the same ones,
// through the weighted fits.
//
// The numbers come from the 64-bit Mersenne Twister and the Box-Muller
// transform, both fixed by their definitions, so that one start gives the
// same draws with any standard library.
#pragma once

#include <Eigen/Dense>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "common/expected.h"
#include "crystal/cell.h"
#include "expansion/analysis.h"
#include "expansion/symmetry.h"

namespace expansion {

struct Settings {
  std::size_t reference = 0;  // index of the reference point
  StrainMeasure measure;
  int degree = 1;
  bool weighted = false;  // weighted least squares, 1/SU^2 from the draws
};

inline constexpr std::uint64_t kDefaultStart = 1;

struct Draws {
  std::size_t count = 2000;             // at least 2
  std::uint64_t start = kDefaultStart;  // the generator's starting value
  // Told after each draw: the draws done and the draws the run makes in all
  // (twice count for weighted fits); none to tell no one.
  std::function<void(std::size_t done, std::size_t total)> progress{};
};

struct AxisSus {
  double alpha = 0;                     // 1/K
  std::vector<double> alpha_at;         // 1/K, at each point's temperature
  std::optional<double> direction_deg;  // none for axes that expand alike
  std::vector<double> strains;          // at each point; 0 at the reference
};

struct VolumeSus {
  double alpha = 0;  // 1/K
  std::vector<double> alpha_at;
  std::vector<double> values;  // of each point's volume
};

// SUs of an analysis' results, axis k that of Analysis::axes[k].
struct PropagatedSus {
  Draws draws;
  bool weighted = false;  // the analysis' fits are weighted
  std::array<AxisSus, 3> axes;
  VolumeSus volume;
};

struct SeriesAnalysis {
  Analysis analysis;
  Symmetry symmetry;
  std::optional<PropagatedSus> sus;  // when some cell has an SU
};

// The running mean and sum of squared deviations of a quantity's draws.
struct Spread {
  double count = 0, mean = 0, squares = 0;
  void add(double x) {
    count += 1;
    const double d = x - mean;
    mean += d / count;
    squares += d * (x - mean);
  }
  [[nodiscard]] double sd() const { return count > 1 ? std::sqrt(squares / (count - 1)) : 0; }
};

// The bases (basis.h) of `draws.count` series drawn from the cells as above,
// the first from draws.start, each told to `visit` in turn; stops at the
// first failure, of a drawn cell that is no cell or of `visit`. draws.progress
// is left to `visit`.
[[nodiscard]] common::Expected<void> for_each_drawn_series(
    const std::vector<crystal::CellEntry>& cells, const Draws& draws,
    const std::function<common::Expected<void>(const std::vector<Eigen::Matrix3d>&)>& visit);

// The failure of an analysis of a drawn series, as it is told.
[[nodiscard]] common::Error drawn_failure(const common::Error& error);

// The SU a result is given, the one that bounds it: the larger of the fit's
// standard error and the cells' SU; the fit's alone where the cells give none,
// the cells' alone where the fit gives none (NaN: two points, or no spare
// point).
[[nodiscard]] double bounding_su(double su_fit, std::optional<double> su_cells);

// Some parameter of some cell has an SU.
[[nodiscard]] bool has_sus(const std::vector<crystal::CellEntry>& cells);

// The analysis of the cells (each with its temperature) and, where they carry
// SUs, the SUs drawn. Fails where analyse fails, where a cell is no cell or a
// drawn one is none (SUs too large for their values), and for weighted fits
// without SUs or with a point whose strain or volume the draws leave exact.
[[nodiscard]] common::Expected<SeriesAnalysis> analyse_series(
    const std::vector<crystal::CellEntry>& cells, const Settings& settings, const Draws& draws);

}  // namespace expansion
