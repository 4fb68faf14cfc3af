// Checks on a series of cells before it is fitted as one: temperatures the
// data can tell apart, and changes of phase or setting between neighbouring
// points.
//
// A fit through a phase transition, a relabelled setting or a file of another
// compound gives a coefficient that looks like any other. So the points,
// taken in temperature order, are compared pairwise:
//
//   - the crystal system, the space group (blanks and case aside) and the
//     lattice letter, where both files give them;
//   - the axes: of the six ways to match a, b, c to the previous cell's, the
//     one that changes the lengths least (the largest |ln(l/l_prev)| the
//     smallest) should be a to a, b to b, c to c; another way is an exchange
//     of axes, unless it does no better than the identity by 0.5 %;
//   - jumps: a length or the volume whose change per kelvin exceeds ten times
//     the series' median change per kelvin (the lower median, over the
//     neighbouring pairs), and whose change is more than five times its SU
//     (from the two cells' SUs, sqrt(s1^2 + s2^2) of the relative change),
//     or more than 0.1 % where neither cell gives one. A change between two
//     points at one temperature is a jump when it passes the second test.
//
// A pressure series is checked the same way, pressure (GPa) standing for
// temperature.
//
// Each finding is a warning; the analysis still runs. Where there is one, a
// last warning names the --range of each part between them (series_range.h). Cells whose best match
// still changes a length or the volume by more than 20 % are not one
// crystal's: that ends the run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "crystal/cell.h"
#include "expansion/monte_carlo.h"

namespace expansion {

// Refuses a series whose temperatures are no temperatures or cannot be told
// apart: one below 0 K, or a span of less than kLeastSpan kelvin (fewer than
// two distinct temperatures among them, or some a rounding apart). The
// message names the points' sources. Every cell must give its temperature.
inline constexpr double kLeastSpan = 0.01;  // kelvin
[[nodiscard]] common::Expected<void> check_temperatures(
    const std::vector<crystal::CellEntry>& cells);

// Refuses a pressure series with a pressure (GPa, each cell's pressure) below
// zero, unless it lies above kLeastPressure or within
// three times its SU of zero: a ruby gauge read near ambient pressure scatters
// slightly below zero. The message names the point's source and its value.
inline constexpr double kLeastPressure = -0.1;  // GPa
[[nodiscard]] common::Expected<void> check_pressures(const std::vector<crystal::CellEntry>& cells);

// What the pairwise comparison above finds, each naming the two
// temperatures ("between 100 K and 130 K: ...") or pressures ("between 1.2
// GPa and 2.5 GPa: ..."): warnings, and the pairs of cells that cannot be
// matched at all.
struct SeriesChanges {
  std::vector<std::string> warnings;
  std::vector<std::string> unmatched;
};
[[nodiscard]] SeriesChanges check_changes(
    const std::vector<crystal::CellEntry>& cells,
    crystal::Abscissa variable = crystal::Abscissa::kTemperature);

// A fit whose standard error exceeds the SU drawn from the cells by more than
// kScatterFactor says the points scatter far more than their SUs allow: a
// warning naming the quantities, or nothing. Where the fit is a straight line
// and a quadratic through the same points (of the strains, and of ln V for
// the volume) brings the standard error of every one named within that
// factor, the points curve rather than scatter, and the warning says to fit
// a quadratic. Without SUs from the cells, nothing.
inline constexpr double kScatterFactor = 30;
[[nodiscard]] std::vector<std::string> check_scatter(const SeriesAnalysis& result);

// A warning where a series read as temperatures looks like one of pressures
// in GPa: every value within 0 to 100 (a ruby gauge may read a little below
// zero), and either every one below 20 or the lowest below 1, which no
// diffraction series' temperature is (a diamond-anvil series starts near
// ambient pressure, 0 GPa). A series of kelvin beyond 100, whatever its
// comment says of pressure, gets none. "warning: WHY; if the series is one
// of pressure in GPa, run with --pressure", WHY naming the file's comment
// where it speaks of pressure.
[[nodiscard]] std::optional<std::string> pressure_hint(const std::vector<crystal::CellEntry>& cells,
                                                       bool comment_names_pressure);

}  // namespace expansion
