// Confidence ellipses of B0 and B' from a fit's covariance. For a joint
// region of two parameters the boundary is the curve where chi^2 exceeds its
// minimum by delta (Press et al., Numerical Recipes, 3rd ed., section 15.6):
// with the 2x2 covariance C of (B0, B') and its eigenvalues lambda_i, the
// semi-axes are sqrt(delta lambda_i) along the eigenvectors. delta = 2.30,
// 6.18 and 11.83 hold 68.3, 95.4 and 99.7 % of the probability.
#pragma once

#include <Eigen/Dense>
#include <array>
#include <vector>

#include "expansion/eos_fit.h"

namespace expansion {

struct ConfidenceEllipse {
  double percent = 0;      // 68.3, 95.4, 99.7
  double delta_chi2 = 0;   // 2.30, 6.18, 11.83
  Eigen::Vector2d centre;  // B0 (GPa), B'
  Eigen::Vector2d axis_1;  // the semi-axes as vectors in (B0, B')
  Eigen::Vector2d axis_2;
};

inline constexpr std::array<double, 3> kEllipsePercents = {68.3, 95.4, 99.7};
inline constexpr std::array<double, 3> kEllipseDeltas = {2.30, 6.18, 11.83};

// The three ellipses of the fit's (B0, B'); none where B' was not fitted or
// the covariance gives no finite, positive ellipse.
[[nodiscard]] std::vector<ConfidenceEllipse> confidence_ellipses(const EosSolution& fit);

// `count` points around the ellipse, the first repeated last.
[[nodiscard]] std::vector<Eigen::Vector2d> ellipse_outline(const ConfidenceEllipse& ellipse,
                                                           int count);

}  // namespace expansion
