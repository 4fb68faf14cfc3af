// A unit cell as a file gives it: three lengths and three angles.
#pragma once

#include <optional>
#include <string>

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
};

// Why the six numbers are not the cell of a crystal: a length outside 0.1 to
// 10000 A, an angle outside (0, 180) degrees, or angles that close no volume.
// Nothing when they are one.
[[nodiscard]] std::optional<std::string> cell_fault(const Cell& cell);

// Why a temperature is not one a crystal is measured at: beyond 100000 K
// either way. Nothing when it is one.
[[nodiscard]] std::optional<std::string> temperature_fault(double kelvin);

}  // namespace formats
