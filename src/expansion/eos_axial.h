// Axial (linear) equations of state: each cell length whose direction
// symmetry fixes, fitted as EosFit7 fits it (Angel, Alvaro & Gonzalez-Platas,
// Z. Kristallogr. 229 (2014) 405): the cube x = l^3, sigma_x = 3 l^2 sigma_l,
// is fitted as a volume with the 3rd-order Birch-Murnaghan equation and the
// series' weights. Of the fit of x, with K0 and K' its bulk modulus and
// derivative,
//
//   l0 = V0(x)^(1/3),   M0 = 3 K0,   M' = 3 K',   beta0 = 1000 / M0 (1/TPa),
//
// M0 being the linear modulus -l dp/dl at zero pressure and beta0 the linear
// compressibility there (the "K(a)" papers quote is K0 of the cube, with
// beta = 1/(3K)).
//
// The lengths symmetry fixes: a, b and c of an orthorhombic cell; the unique
// axis and one length normal to it of a tetragonal, trigonal (hexagonal
// setting) or hexagonal one; the unique axis of a monoclinic one; a of a
// cubic one; none of a triclinic or rhombohedral one.
#pragma once

#include <vector>

#include "common/expected.h"
#include "expansion/eos_fit.h"
#include "expansion/symmetry.h"

namespace expansion {

struct AxialEos {
  int axis = 0;     // 0, 1, 2 for a, b, c
  EosSolution fit;  // of the cubed length
  Estimate l0;      // A
  Estimate m0;      // GPa
  Estimate mp;      // M'
  Estimate beta0;   // 1/TPa
};

// The lengths (0, 1, 2 for a, b, c) whose direction the symmetry fixes.
[[nodiscard]] std::vector<int> axial_lengths(const Symmetry& symmetry);

// The axial equation of the lengths l (A, SUs sigma_l, NaN or empty where
// not given) at pressures p with SUs sigma_p, fitted with `weights`.
[[nodiscard]] common::Expected<AxialEos> fit_axial(int axis, const std::vector<double>& p,
                                                   const std::vector<double>& sigma_p,
                                                   const std::vector<double>& l,
                                                   const std::vector<double>& sigma_l,
                                                   EosWeights weights);

}  // namespace expansion
