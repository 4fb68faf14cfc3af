// The symmetry of a series of cells: the crystal family the files give, or
// else the metric symmetry of the cells, and the unique axis of the families
// that have one.
//
// The metric symmetry of a cell in its conventional setting: lengths equal and
// angles at 90 or 120 degrees within their SUs (twice the combined SU of the
// two parameters), or to 1e-4 relative where the SUs are smaller or not given.
//   cubic          a = b = c, all angles 90
//   tetragonal     two lengths equal, all angles 90; unique the third axis
//   hexagonal      two lengths equal, the angle between them 120, the others
//                  90; unique the third axis (a trigonal crystal in its
//                  hexagonal setting has the same metric)
//   trigonal       a = b = c and alpha = beta = gamma, not 90 (rhombohedral);
//                  unique the direction [111]
//   orthorhombic   all angles 90
//   monoclinic     two angles 90; unique the axis between them
//   triclinic      otherwise
// A series has the lowest symmetry of its cells.
#pragma once

#include <Eigen/Dense>
#include <optional>
#include <string>
#include <vector>

#include "crystal/cell.h"

namespace expansion {

enum class Family {
  kTriclinic,
  kMonoclinic,
  kOrthorhombic,
  kTetragonal,
  kTrigonal,
  kHexagonal,
  kCubic
};

struct Symmetry {
  Family family = Family::kTriclinic;
  bool from_files = false;  // the files name the crystal system; else the metric
  // The unique direction in crystal coordinates [uvw] (monoclinic,
  // tetragonal, trigonal, hexagonal); none for the others.
  std::optional<Eigen::Vector3d> unique_uvw;
};

// "triclinic", "monoclinic", ...
[[nodiscard]] const char* family_name(Family family);

// The family named so by a file ("monoclinic", "rhombohedral", "trigonal", ...).
[[nodiscard]] std::optional<Family> family_named(const std::string& system);

// The metric symmetry of one cell.
[[nodiscard]] Symmetry metric_symmetry(const crystal::Cell& cell, const crystal::CellSu& su);

// The symmetry of a series: the crystal system every file gives, where all
// give the same one, with the unique axis from the metric; else the lowest
// metric symmetry of the cells.
[[nodiscard]] Symmetry series_symmetry(const std::vector<crystal::CellEntry>& cells);

// Whether symmetry makes every direction in a plane a principal one: the
// plane normal to the unique axis of a tetragonal, trigonal or hexagonal
// crystal (`normal` the Cartesian direction of the axis left out, `basis` the
// cell it is read against), or any plane of a cubic one.
[[nodiscard]] bool plane_by_symmetry(const Symmetry& symmetry, const Eigen::Vector3d& normal,
                                     const Eigen::Matrix3d& basis);

}  // namespace expansion
