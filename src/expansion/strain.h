// The strain of a cell against the reference cell.
//
// The deformation gradient F carries the reference basis onto the cell's
// basis (basis = F * reference basis). From it, by the textbook definitions:
//   Lagrangian finite       E = 1/2 (F^T F - I)
//   Eulerian finite         e = 1/2 (I - F^-T F^-1)
//   Lagrangian infinitesimal  = 1/2 (F + F^T) - I
//   Eulerian infinitesimal    = I - 1/2 (F^-1 + F^-T)
// Lagrangian strains are measured in the reference state, Eulerian ones in
// the deformed state: a principal direction of a Lagrangian strain is a line
// of the reference cell, one of an Eulerian strain a line of the cell itself.
// The analysis carries the first into the cell where directions are given, so
// that both are read against that cell.
#pragma once

#include <Eigen/Dense>
#include <string>

namespace expansion {

struct StrainMeasure {
  bool lagrangian = false;  // else Eulerian
  bool finite = true;       // else infinitesimal
};

// "eulerian-finite", "lagrangian-infinitesimal", ...
[[nodiscard]] std::string measure_key(StrainMeasure measure);

// "Eulerian finite", "Lagrangian infinitesimal", ...
[[nodiscard]] std::string measure_name(StrainMeasure measure);

// F = basis * reference^-1.
[[nodiscard]] Eigen::Matrix3d deformation_gradient(const Eigen::Matrix3d& reference,
                                                   const Eigen::Matrix3d& basis);

// The symmetric strain tensor of F.
[[nodiscard]] Eigen::Matrix3d strain_tensor(const Eigen::Matrix3d& f, StrainMeasure measure);

}  // namespace expansion
