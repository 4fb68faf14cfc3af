// Unit-cell geometry: the basis vectors of a cell in a Cartesian frame and the
// cell's volume.
//
// The frame puts a along x and b in the x-y plane, c completing a right-handed
// set; nothing computed from the bases depends on that choice, since every
// cell of a series is placed the same way and strains, their principal values
// and the directions in crystal coordinates do not change when the whole
// series is turned.
#pragma once

#include <Eigen/Dense>
#include <optional>
#include <string>

namespace expansion {

struct Cell {
  double a = 0, b = 0, c = 0;                // lengths, any unit (usually A)
  double alpha = 90, beta = 90, gamma = 90;  // angles, degrees
};

// Why the six numbers are not a cell: a length that is not positive, an angle
// outside (0, 180) degrees, or angles that close no volume. Nothing when they
// are one.
[[nodiscard]] std::optional<std::string> cell_fault(const Cell& cell);

// The basis vectors a, b, c as the columns of a matrix. The cell must be one
// (cell_fault gives nothing).
[[nodiscard]] Eigen::Matrix3d basis(const Cell& cell);

// The volume, from the six parameters.
[[nodiscard]] double volume(const Cell& cell);

}  // namespace expansion
