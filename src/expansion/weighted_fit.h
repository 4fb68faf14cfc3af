// Weighted least-squares polynomials, for series whose points carry standard
// uncertainties of their own.
//
// Each point is weighted by 1/su^2. The covariance of the coefficients is
// (X^T W X)^-1 scaled by the reduced chi-squared, chi^2 / (m - d - 1) for m
// points fitted with a polynomial of degree d, so that scatter larger or
// smaller than the SUs promise widens or narrows the standard errors; with
// no point to spare the scatter says nothing, and the SUs alone are used.
#pragma once

#include <vector>

#include "expansion/poly_fit.h"

namespace expansion {

// The fit of y against x, point i weighted by 1/su[i]^2 (every su
// positive). The points hold at least degree + 1 distinct x values.
[[nodiscard]] PolyFit fit_polynomial_weighted(const std::vector<double>& x,
                                              const std::vector<double>& y,
                                              const std::vector<double>& su, int degree);

}  // namespace expansion
