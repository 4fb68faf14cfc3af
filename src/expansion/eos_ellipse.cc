#include "expansion/eos_ellipse.h"

#include <cmath>
#include <numbers>

namespace expansion {

std::vector<ConfidenceEllipse> confidence_ellipses(const EosSolution& fit) {
  if (!fit.fitted[kB0] || !fit.fitted[kBp]) return {};
  // The rows of B0 and B' in the covariance of the fitted parameters.
  const Eigen::Index b0 = fit.fitted[kV0] ? 1 : 0;
  const Eigen::Index bp = b0 + 1;
  Eigen::Matrix2d c;
  c << fit.covariance(b0, b0), fit.covariance(b0, bp), fit.covariance(bp, b0),
      fit.covariance(bp, bp);
  if (!c.allFinite()) return {};
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> eigen(c);
  const Eigen::Vector2d& lambda = eigen.eigenvalues();
  if (!(lambda.minCoeff() > 0)) return {};
  std::vector<ConfidenceEllipse> out;
  for (std::size_t k = 0; k < kEllipseDeltas.size(); ++k) {
    const double d = kEllipseDeltas[k];
    out.push_back({kEllipsePercents[k], d,
                   Eigen::Vector2d(fit.theta[kB0].value, fit.theta[kBp].value),
                   eigen.eigenvectors().col(0) * std::sqrt(d * lambda(0)),
                   eigen.eigenvectors().col(1) * std::sqrt(d * lambda(1))});
  }
  return out;
}

std::vector<Eigen::Vector2d> ellipse_outline(const ConfidenceEllipse& e, int count) {
  std::vector<Eigen::Vector2d> out;
  for (int i = 0; i <= count; ++i) {
    const double t = 2 * std::numbers::pi * (i % count) / count;
    out.emplace_back(e.centre + std::cos(t) * e.axis_1 + std::sin(t) * e.axis_2);
  }
  return out;
}

}  // namespace expansion
