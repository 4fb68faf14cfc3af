// Birch-Murnaghan equations of state fitted to a series of volumes against
// pressure.
//
// With x = V0 / V, the third-order Birch-Murnaghan equation (Birch, Phys.
// Rev. 71 (1947) 809; as written by Angel, Rev. Mineral. Geochem. 41 (2000)
// 35) is
//
//   p(V) = 3/2 B0 (x^7/3 - x^5/3) [1 + 3/4 (B' - 4) (x^2/3 - 1)],
//
// V0 the volume at zero pressure, B0 the bulk modulus there (GPa) and B' its
// pressure derivative; the second-order equation is the same with B' = 4, and
// the third-order one with a critical pressure p_c reads p - p_c = p(V), V0
// and B0 then belonging to p_c (the three forms PASCal fits: Cliffe &
// Goodwin, J. Appl. Cryst. 45 (2012) 1321).
//
// Each is fitted to p(V), the volumes taken as exact and the residuals being
// (p_model - p) / sigma_p; the covariance of V0, B0 and B' is scaled by
// chi^2 / (N - n), n = 2 or 3 the number of parameters fitted.
//
// Expanded in powers of u = V_r / V (V_r any fixed volume; the largest of the
// series is used), the equations are linear in their coefficients:
//   p - p_c = c5 u^5/3 + c7 u^7/3 + c9 u^3   (c9 = 0 for B' = 4),
// with, for a = (V0 / V_r)^2/3, S = 3/2 B0 a^5/2 and k = 3/4 (B' - 4),
//   c5 = S (k - 1),  c7 = S (1 - 2k) a,  c9 = S k a^2.
// So a is a root of c5 a^2 + c7 a + c9 = 0, S = c9 / a^2 - c5 and k =
// c9 / (S a^2). The linear least-squares solution is therefore the minimum
// itself, reached without a starting point; the Levenberg-Marquardt polish
// (least_squares.h) only refines it and gives the covariance.
#pragma once

#include <vector>

#include "common/expected.h"
#include "expansion/poly_fit.h"

namespace expansion {

enum class EosOrder { kSecond, kThird, kThirdCritical };

struct EosFit {
  EosOrder order = EosOrder::kSecond;
  double pc = 0;  // GPa, the critical pressure held fixed; 0 but for kThirdCritical
  Estimate v0;    // cubic angstroms
  Estimate b0;    // GPa
  Estimate bp;    // B'; 4 with a NaN SU for the second order
  double chi2 = 0;
};

// "BM2", "BM3", "BM3 with p_c".
[[nodiscard]] const char* eos_name(EosOrder order);

// The fit of `order` to the pressures p (GPa) with SUs sigma_p and volumes v
// (cubic angstroms). `pc` is used by kThirdCritical alone, lowered to the
// lowest pressure when above it. Fails when the points are too few for a
// spare one (3 for BM2, 4 otherwise), when two volumes are equal, a volume
// or an SU is not positive, or no Birch-Murnaghan curve fits (V0 not real
// and positive).
[[nodiscard]] common::Expected<EosFit> fit_eos(EosOrder order, const std::vector<double>& p,
                                               const std::vector<double>& sigma_p,
                                               const std::vector<double>& v, double pc = 0);

// The pressure the fitted equation gives at volume v, GPa.
[[nodiscard]] double eos_pressure(const EosFit& fit, double v);

}  // namespace expansion
