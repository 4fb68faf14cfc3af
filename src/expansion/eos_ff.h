// The F-f plot, the usual check of the order of a Birch-Murnaghan equation:
// the Eulerian strain against the normalised pressure,
//
//   f = ((V0/V)^(2/3) - 1)/2,   F = p / (3f (1 + 2f)^(5/2)),
//
// V0 that of the 3rd-order Birch-Murnaghan fit. The 3rd-order equation is
// the line F = B0 + 3/2 B0 (B' - 4) f, so a horizontal line is the 2nd order
// and a curve calls for the 4th. The SUs of f and F are propagated from
// those of p, V and V0 as Heinz & Jeanloz, J. Appl. Phys. 55 (1984) 885,
// do: with eta = V/V0 and sigma_eta = eta sqrt((sigma_V/V)^2 + (sigma_V0/V0)^2),
//
//   sigma_f = eta^(-5/3) sigma_eta / 3,
//   sigma_F^2 = (sigma_p / (3f (1 + 2f)^(5/2)))^2 + (F sigma')^2,
//   sigma' = (7 eta^(-2/3) - 5) sigma_eta / (3 (eta^(-2/3) - 1) eta).
//
// A point with f = 0 has no F and is left out. The line is fitted by least
// squares weighted 1/sigma_F^2 over the points whose sigma_F is positive
// (a pressure of exactly 0 without an SU has F = 0 and sigma_F = 0 however
// uncertain its f: it would pin the line), unweighted over all when none
// is; its covariance is scaled by chi^2 / (m - 2) as the fits of eos_fit.h
// are. B0 is its intercept and B' = 4 + 2 slope / (3 B0).
#pragma once

#include <Eigen/Dense>
#include <vector>

#include "common/expected.h"
#include "expansion/eos_fit.h"
#include "expansion/poly_fit.h"

namespace expansion {

struct FfPlot {
  Estimate v0;                           // A^3
  std::vector<double> f, f_su, F, F_su;  // one per point; NaN for a point left out
  Estimate b0, bp;                       // from the line; NaN without one
  double intercept = 0, slope = 0;       // of the line, GPa
};

// The F-f points of the series against v0 (its value and SU), and their
// line. Fails for a V0 that is not positive; the line is absent (NaN) with
// fewer than two points of distinct f.
[[nodiscard]] common::Expected<FfPlot> ff_plot(const PvSeries& series, Estimate v0);

}  // namespace expansion
