// The unit cell of a crystal: its six parameters, their standard
// uncertainties, and its geometry (volume, basis vectors), in one place for
// every library that reads, writes or analyses cells.
#pragma once

#include <Eigen/Dense>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"

namespace crystal {

struct Cell {
  double a = 0, b = 0, c = 0;                // lengths, A
  double alpha = 90, beta = 90, gamma = 90;  // angles, degrees
};

// The standard uncertainties of a cell's six parameters, where a file gives
// them; a parameter without one is taken as exact.
struct CellSu {
  std::optional<double> a, b, c, alpha, beta, gamma;
};

// A value as its file writes it: the number's text ("16.119(2)", "0.190")
// and, where the file gives its SU apart (a column of sigmas), that text
// ("1"); both empty where the reader keeps no text.
struct GivenText {
  std::string value;
  std::string su;
};

// The texts a point's file writes of its values, kept in one string (a
// series of 10^6 points holds 16 short texts a point): the six parameters
// (slots 0 to 5), the temperature and the pressure. A slot never set reads
// empty.
class GivenTexts {
 public:
  static constexpr std::size_t kTemperature = 6, kPressure = 7;
  [[nodiscard]] GivenText operator[](std::size_t slot) const;
  // A text too long to keep (beyond 64 KiB in all) is not kept.
  void set(std::size_t slot, const GivenText& text);
  // All eight at once, as a reader of whole rows has them; none kept where
  // they are too long.
  [[nodiscard]] static GivenTexts of(const std::array<GivenText, 8>& texts);

 private:
  [[nodiscard]] static std::optional<GivenTexts> joined(const std::array<GivenText, 8>& texts);

  std::string joined_;                    // the texts, value then SU, slot by slot
  std::array<std::uint16_t, 16> ends_{};  // where each ends in joined_
};

// One cell of a series as a file gives it.
struct CellEntry {
  std::string source;                    // the file as named; "FILE:BLOCK" for a CIF block
  std::optional<double> temperature;     // kelvin, where the file gives it
  std::optional<double> temperature_su;  // kelvin
  Cell cell;
  CellSu su;
  // The crystal system in lower case ("monoclinic") and the Bravais lattice
  // letter ("C"), where the file gives them; empty otherwise.
  std::string system;
  std::string lattice;
  // The space group's Hermann-Mauguin symbol as the file writes it ("P 21/c"),
  // where it gives one; empty otherwise.
  std::string space_group;
  std::optional<double> pressure;     // GPa, where the file gives it
  std::optional<double> pressure_su;  // GPa; 0 where the file gives 0
  // The volume (A^3) and its SU where the file gives them: a P-V table's
  // point may give a volume and no cell.
  std::optional<double> volume;
  std::optional<double> volume_su;
  // Whether `cell` is a cell the file gives, all six parameters. Where it is
  // not, `cell` and `su` hold the parameters the file gives (a P-V table's
  // a and c, say) and 0 for the others.
  bool has_cell = true;
  // The six parameters, the temperature and the pressure as the file writes
  // them, where its reader keeps them (CIF, whitespace tables); shown as
  // given only while they still read back to the values above.
  GivenTexts given;
};

// The point's volume (A^3): the one its file gives, else its cell's; its SU
// likewise (cell_volume_su), none where neither gives one.
[[nodiscard]] double point_volume(const CellEntry& entry);
[[nodiscard]] std::optional<double> point_volume_su(const CellEntry& entry);

// What a series is measured against: temperature (kelvin) or pressure (GPa).
// Each point carries both where its file gives them; the series' mode picks
// the one it is fitted against, its abscissa.
enum class Abscissa { kTemperature, kPressure };

// A point's abscissa and its SU under the mode, to read or to set.
[[nodiscard]] std::optional<double>& abscissa(CellEntry& entry, Abscissa mode);
[[nodiscard]] const std::optional<double>& abscissa(const CellEntry& entry, Abscissa mode);
[[nodiscard]] std::optional<double>& abscissa_su(CellEntry& entry, Abscissa mode);
[[nodiscard]] const std::optional<double>& abscissa_su(const CellEntry& entry, Abscissa mode);

// The abscissa's name and unit as messages give them: "temperature", "K";
// "pressure", "GPa".
[[nodiscard]] const char* abscissa_name(Abscissa mode);
[[nodiscard]] const char* abscissa_unit(Abscissa mode);

// The six parameters in the order a, b, c, alpha, beta, gamma.
inline constexpr std::array<const char*, 6> kCellParameterNames = {"a",     "b",    "c",
                                                                   "alpha", "beta", "gamma"};
[[nodiscard]] std::array<double, 6> parameters(const Cell& cell);
[[nodiscard]] Cell cell_of(const std::array<double, 6>& parameters);
[[nodiscard]] std::array<std::optional<double>, 6> parameters(const CellSu& su);
[[nodiscard]] CellSu cell_su_of(const std::array<std::optional<double>, 6>& sus);

// The volume of a cell (the cube of its length unit); 0 for six numbers that
// close none.
[[nodiscard]] double cell_volume(const Cell& cell);

// The basis vectors a, b, c as the columns of a matrix, in a Cartesian frame
// with a along x and b in the x-y plane, c completing a right-handed set.
// Nothing computed from bases depends on that choice: every cell of a series
// is placed the same way, and strains, their principal values and directions
// in crystal coordinates do not change when the whole series is turned. The
// cell must be one (check_cell passes it); |det| is cell_volume.
[[nodiscard]] Eigen::Matrix3d basis(const Cell& cell);

// The cell whose basis vectors are the columns of `basis`: lengths and the
// angles between them.
[[nodiscard]] Cell cell_of_basis(const Eigen::Matrix3d& basis);
// The volume's SU from the parameters' SUs, to first order, each parameter
// independent of the others (the law of propagation of uncertainty, GUM
// 5.1.2, with dV/da = V/a and dV/dalpha = abc sin(alpha) (cos(alpha) -
// cos(beta) cos(gamma)) / sqrt(1 - cos²alpha - cos²beta - cos²gamma + 2 cos(alpha)
// cos(beta) cos(gamma)), Giacovazzo et al., Fundamentals of Crystallography,
// 3rd ed., ch. 2); none when no parameter has an SU or the cell closes no
// volume.
[[nodiscard]] std::optional<double> cell_volume_su(const Cell& cell, const CellSu& su);

// Whether the six numbers are the cell of a crystal; the error (of line 0)
// says why not: a length outside 0.1 to 10000 A, an angle outside (0, 180)
// degrees, or angles that close no volume.
[[nodiscard]] common::Expected<void> check_cell(const Cell& cell);

// Whether a temperature is one a crystal is measured at; the error (of line
// 0) says why not: beyond 100000 K either way.
[[nodiscard]] common::Expected<void> check_temperature(double kelvin);

}  // namespace crystal
