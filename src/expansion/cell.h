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

#include "formats/cell.h"

namespace expansion {

using formats::Cell;

// The basis vectors a, b, c as the columns of a matrix. The cell must be one
// (formats::check_cell passes it).
[[nodiscard]] Eigen::Matrix3d basis(const formats::Cell& cell);

}  // namespace expansion
