// Least-squares polynomials of a quantity in temperature, with
// heteroscedasticity-consistent (HC0, White's) standard errors.
//
// The ordinary least-squares coefficients come with the covariance
//   (X^T X)^-1 X^T diag(e_i^2) X (X^T X)^-1
// built from the residuals e_i themselves, so that a series whose scatter
// changes with temperature still gets an honest standard error. The slope of
// a line, and the derivative of a quadratic or cubic at any temperature, take
// their standard errors from that covariance. The powers are taken of the
// temperature centred on the series' mean and scaled by its half range, which
// keeps the normal equations well conditioned for a cubic over hundreds of
// kelvin.
#pragma once

#include <Eigen/Dense>
#include <vector>

namespace expansion {

struct PolyFit {
  int degree = 1;
  double x_mean = 0;  // x is used as (x - x_mean) / x_scale
  double x_scale = 1;
  Eigen::VectorXd coefficients;  // of the scaled x, constant first
  Eigen::MatrixXd covariance;    // HC0, of the coefficients
};

struct Estimate {
  double value = 0;
  double su = 0;  // standard uncertainty; NaN where the data give none
};

// Number of distinct x values; a polynomial of degree d needs d + 1.
[[nodiscard]] int distinct_count(const std::vector<double>& x);

// The fit of y against x (same sizes, at least degree + 1 distinct x values).
[[nodiscard]] PolyFit fit_polynomial(const std::vector<double>& x, const std::vector<double>& y,
                                     int degree);

// The same with point i weighted by w[i] (every one positive): the
// coefficients make sum w_i e_i^2 least, and their HC0 covariance is the
// sandwich of weighted least squares,
//   (X^T W X)^-1 X^T W diag(e_i^2) W X (X^T W X)^-1,  W = diag(w)
// (White, Econometrica 48 (1980) 817, on the rows scaled by sqrt(w_i)).
// PASCal weights the lines of a pressure series so, by w = 1/sigma_p.
[[nodiscard]] PolyFit fit_polynomial(const std::vector<double>& x, const std::vector<double>& y,
                                     int degree, const std::vector<double>& w);

// The scaling of x that the fits use for these points (degree set, no
// coefficients yet), and the matrix of powers of the scaled x, one row a point.
[[nodiscard]] PolyFit polynomial_in(const std::vector<double>& x, int degree);
[[nodiscard]] Eigen::MatrixXd design_matrix(const PolyFit& fit, const std::vector<double>& x);

// The fitted value at x.
[[nodiscard]] double value_at(const PolyFit& fit, double x);

// dy/dx at x, with its HC0 standard error.
[[nodiscard]] Estimate derivative_at(const PolyFit& fit, double x);

// The x strictly between lo and hi where dy/dx is zero, ascending.
[[nodiscard]] std::vector<double> derivative_roots(const PolyFit& fit, double lo, double hi);

}  // namespace expansion
