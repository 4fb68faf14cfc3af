// The strain of a cell against the reference cell.
//
// The deformation gradient F carries the reference basis onto the cell's
// basis (basis = F * reference basis). From it, by the textbook definitions:
//   natural (Hencky)        ln U,  U = (F^T F)^(1/2) the right stretch
//   Lagrangian finite       E = 1/2 (F^T F - I)
//   Eulerian finite         e = 1/2 (I - F^-T F^-1)
//   Lagrangian infinitesimal  = 1/2 (F + F^T) - I
//   Eulerian infinitesimal    = I - 1/2 (F^-1 + F^-T)
// (Hencky, Z. techn. Phys. 9 (1928) 215; Bower, Applied Mechanics of Solids,
// 2009, sect. 2.1.) Along a principal direction of stretch l/l_ref the natural
// strain is ln(l/l_ref), so that its rate is d ln l/dT, and its trace is
// ln(V/V_ref). Natural and Lagrangian strains are measured in the reference
// state, Eulerian ones in the deformed state: a principal direction of the
// first two is a line of the reference cell, one of an Eulerian strain a line
// of the cell itself. The analysis carries the first into the cell where
// directions are given, so that all are read against that cell.
#pragma once

#include <Eigen/Dense>
#include <optional>
#include <string>
#include <string_view>

namespace expansion {

enum class StrainKind { kNatural, kEulerian, kLagrangian };

struct StrainMeasure {
  StrainKind kind = StrainKind::kNatural;
  bool finite = true;  // else infinitesimal; Eulerian and Lagrangian only
};

// "natural", "eulerian-finite", "lagrangian-infinitesimal", ...
[[nodiscard]] std::string measure_key(StrainMeasure measure);

// "natural (Hencky)", "Eulerian finite", "Lagrangian infinitesimal", ...
[[nodiscard]] std::string measure_name(StrainMeasure measure);

// The kind named "natural", "eulerian" or "lagrangian".
[[nodiscard]] std::optional<StrainKind> strain_kind_named(std::string_view name);

// Whether the measure's principal directions are lines of the reference
// state (natural and Lagrangian), rather than of the deformed cell.
[[nodiscard]] bool in_reference_state(StrainMeasure measure);

// F = basis * reference^-1.
[[nodiscard]] Eigen::Matrix3d deformation_gradient(const Eigen::Matrix3d& reference,
                                                   const Eigen::Matrix3d& basis);

// The symmetric strain tensor of F.
[[nodiscard]] Eigen::Matrix3d strain_tensor(const Eigen::Matrix3d& f, StrainMeasure measure);

}  // namespace expansion
