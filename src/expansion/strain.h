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
//
// PASCal's "Eulerian finite" strain (Cliffe & Goodwin, J. Appl. Cryst. 45
// (2012) 1321; PASCal 2, Lertkiattrakul et al., Digital Discovery 2 (2023)
// 712) is none of these. With s = I - A_ref A^-1 = I - F^-1 it takes
//   e = 1/2 (s + s^T + s s^T)
// where the textbook Eulerian strain is 1/2 (s + s^T - s^T s), and computes
// it with each cell placed in PASCal's Cartesian frame: c along z, b in the
// y-z plane (x along a*). F between two cells so placed keeps the turn that
// the placing gives it, and the sum is not invariant under a turn of F, so the
// frame changes the result (by a few hundredths of MK^-1 on a monoclinic
// series). For a pure stretch U = exp(h) it is h - h^3/3: the natural strain
// to second order. Its infinitesimal form is 1/2 (s + s^T), the Eulerian
// infinitesimal strain in that frame. Its principal directions are lines of
// the cell.
#pragma once

#include <Eigen/Dense>
#include <optional>
#include <string>
#include <string_view>

namespace expansion {

enum class StrainKind { kNatural, kEulerian, kLagrangian, kPascal };

struct StrainMeasure {
  StrainKind kind = StrainKind::kNatural;
  bool finite = true;  // else infinitesimal; not for the natural strain
};

// "natural", "eulerian-finite", "lagrangian-infinitesimal", "pascal-finite", ...
[[nodiscard]] std::string measure_key(StrainMeasure measure);

// "natural (Hencky)", "Eulerian finite", "Lagrangian infinitesimal",
// "PASCal's Eulerian finite", ...
[[nodiscard]] std::string measure_name(StrainMeasure measure);

// The kind named "natural", "eulerian", "lagrangian" or "pascal".
[[nodiscard]] std::optional<StrainKind> strain_kind_named(std::string_view name);

// Whether the measure's principal directions are lines of the reference
// state (natural and Lagrangian), rather than of the deformed cell.
[[nodiscard]] bool in_reference_state(StrainMeasure measure);

// F = basis * reference^-1.
[[nodiscard]] Eigen::Matrix3d deformation_gradient(const Eigen::Matrix3d& reference,
                                                   const Eigen::Matrix3d& basis);

// The symmetric strain tensor of F, in the frame F is given in (PASCal's
// strain takes F as it comes: strain_between places the cells).
[[nodiscard]] Eigen::Matrix3d strain_tensor(const Eigen::Matrix3d& f, StrainMeasure measure);

// The rotation that places a cell in PASCal's frame: rows x, y, z with z
// along c and x along b x c (a*), so that b lies in the y-z plane.
[[nodiscard]] Eigen::Matrix3d pascal_frame(const Eigen::Matrix3d& basis);

// The strain of the cell `basis` against `reference`, in the frame the bases
// are given in: strain_tensor of their F, PASCal's computed with both cells
// in PASCal's frame and turned back into the frame of `basis`.
[[nodiscard]] Eigen::Matrix3d strain_between(const Eigen::Matrix3d& reference,
                                             const Eigen::Matrix3d& basis, StrainMeasure measure);

}  // namespace expansion
