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
// K in the parameters.
//
// The fit works in mu = lambda (p_top - p_c)^nu, p_top the highest pressure,
// so that eps = eps0 + mu u^nu with u = (p - p_c) / (p_top - p_c) in [0, 1]:
// no power overflows, however far below the series p_c lies or however
// large nu grows. For a fixed (p_c, nu) the form is linear in eps0 and mu,
// whose best values follow in closed form, so the sum of squares is profiled
// over a grid of p_c and nu. Two minima are then polished by
// Levenberg-Marquardt: the best with p_c held at the lowest pressure (in
// eps0, mu and nu) and the best with p_c below it (in all four); the lower
// sum of squares is the fit. A fit is found whatever the series, not the
// minimum nearest a guess.
//
// Where the sum of squares keeps falling towards nu -> 0 (the logarithmic
// law eps0' + c ln(p - p_c) that the form approaches) or towards
// p_c -> -infinity (a straight line or an exponential), the least squares
// have no minimum at finite parameters: the curve and K(p) are determined,
// the four parameters not. The search keeps to 1e-4 <= nu <= 50 and p_c no
// more than 1e4 ranges of the series below it, and a fit counts as such when
// it rests near an edge of that box, or when its SUs leave nu within one SU
// of 0 or p_c within one SU of the highest pressure. It is marked, its
// parameters given without SUs, and the SU of K taken from the directions
// the data fix (the pseudo-inverse of the normal matrix).
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
  // False where the minimum lies at nu -> 0 or p_c -> -infinity: the
  // parameters are those the search stopped at, without SUs; K(p) holds.
  bool determined = true;
  double top = 0;              // GPa, the highest pressure
  double mu = 0;               // lambda (top - p_c)^nu
  Eigen::Matrix4d covariance;  // of eps0, mu, p_c, nu (p_c's row zero at the bound)
  double chi2 = 0;             // of the residuals over the SUs divided by the largest SU
};

// The fit of the strains eps at pressures p (GPa) with SUs sigma_p. Fails for
// no more distinct pressures than parameters ("cannot be judged"), and for an
// SU that is not positive and finite or a pressure or strain that is not
// finite. Given `near`, the fit of a series that differs from this one by
// little (one drawn from the cells' SUs about it), the polish starts from its
// p_c and nu in place of the grid, within a smaller budget.
[[nodiscard]] common::Expected<EmpiricalFit> fit_empirical(const std::vector<double>& p,
                                                           const std::vector<double>& sigma_p,
                                                           const std::vector<double>& eps,
                                                           const EmpiricalFit* near = nullptr);

// The fitted strain at p.
[[nodiscard]] double empirical_strain(const EmpiricalFit& fit, double p);

// K(p) in TPa^-1 with its SU; NaN at p = p_c when nu < 1, where K is infinite.
[[nodiscard]] Estimate compressibility(const EmpiricalFit& fit, double p);

}  // namespace expansion
