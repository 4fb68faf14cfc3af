// Principal compressibilities from the strains of a pressure series.
//
// Each strain is fitted by the empirical form PASCal uses (Goodwin et al.,
// J. Am. Chem. Soc. 130 (2008) 9660; Cliffe & Goodwin, J. Appl. Cryst. 45
// (2012) 1321, eq. 8):
//
//   eps(p) = eps0 + lambda (p - p_c)^nu,   p_c <= the lowest pressure, nu >= 0,
//
// weighted by 1/sigma_p^2, with the covariance scaled by chi^2 / (N - 4)
// (least_squares.h). The compressibility is
//
//   K(p) = -d eps/dp = -lambda nu (p - p_c)^(nu - 1),
//
// given in TPa^-1, its SU carried from the covariance through the gradient of
// K in the four parameters.
//
// For a fixed (p_c, nu) the form is linear in eps0 and lambda, whose best
// values then follow in closed form: the sum of squares is profiled over a
// grid of p_c and nu, and the best cell polished by Levenberg-Marquardt in
// all four parameters, so that the least-squares minimum is found whatever
// the series, not the minimum nearest a guess.
#pragma once

#include <Eigen/Dense>
#include <vector>

#include "common/expected.h"
#include "expansion/poly_fit.h"

namespace expansion {

struct EmpiricalFit {
  Estimate eps0;
  Estimate lambda;
  Estimate pc;  // GPa; its SU is NaN when p_c sits at the lowest pressure, its bound
  Estimate nu;
  Eigen::Matrix4d covariance;  // of eps0, lambda, p_c, nu (p_c's row zero at the bound)
  double chi2 = 0;
};

// The fit of the strains eps at pressures p (GPa) with SUs sigma_p. Fails for
// fewer than five points (four parameters and a spare one), fewer than four
// distinct pressures, or an SU that is not positive. Given `near`, the fit of
// a series that differs from this one by little (one drawn from the cells'
// SUs about it), the polish starts from its p_c and nu in place of the grid.
[[nodiscard]] common::Expected<EmpiricalFit> fit_empirical(const std::vector<double>& p,
                                                           const std::vector<double>& sigma_p,
                                                           const std::vector<double>& eps,
                                                           const EmpiricalFit* near = nullptr);

// The fitted strain at p.
[[nodiscard]] double empirical_strain(const EmpiricalFit& fit, double p);

// K(p) in TPa^-1 with its SU; NaN at p = p_c when nu < 1, where K is infinite.
[[nodiscard]] Estimate compressibility(const EmpiricalFit& fit, double p);

}  // namespace expansion
