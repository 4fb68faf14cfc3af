// A unit cell as a file gives it: three lengths and three angles.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"

namespace formats {

struct Cell {
  double a = 0, b = 0, c = 0;                // lengths, A
  double alpha = 90, beta = 90, gamma = 90;  // angles, degrees
};

// The standard uncertainties of a cell's six parameters, where a file gives
// them; a parameter without one is taken as exact.
struct CellSu {
  std::optional<double> a, b, c, alpha, beta, gamma;
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
  std::optional<double> pressure;  // GPa, where the file gives it
};

// What a reader passed over or took on trust, in words that name the file.
struct CellWarning {
  std::string message;
  bool temperature = false;  // about the temperature the file gives, and that alone
};

// What a reader found in one file: its cells, and its warnings.
struct CellRead {
  std::vector<CellEntry> entries;
  std::vector<CellWarning> warnings;
};

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

// Whether the six numbers are the cell of a crystal; the error (of line 0)
// says why not: a length outside 0.1 to 10000 A, an angle outside (0, 180)
// degrees, or angles that close no volume.
[[nodiscard]] common::Expected<void> check_cell(const Cell& cell);

// Whether a temperature is one a crystal is measured at; the error (of line
// 0) says why not: beyond 100000 K either way.
[[nodiscard]] common::Expected<void> check_temperature(double kelvin);

}  // namespace formats
