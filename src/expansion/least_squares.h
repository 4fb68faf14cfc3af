// Weighted nonlinear least squares for the pressure fits: a model y(x; theta)
// fitted to points (x_i, y_i) with standard uncertainties sigma_i, the sum of
// squares of the residuals r_i = (y(x_i; theta) - y_i) / sigma_i made least.
//
// The minimum is polished with the Levenberg-Marquardt method of Eigen's
// unsupported module from a start the caller finds by other means (a closed
// form, a grid); the method only walks downhill, so the start decides which
// minimum is reached. The covariance of the parameters is the usual
// (J^T J)^-1 of the weighted Jacobian J, scaled by the reduced chi-squared
// chi^2 / (N - n) (Press et al., Numerical Recipes, 3rd ed., sections 15.4
// and 15.5), which is what the fits of equations of state and strains report.
#pragma once

#include <Eigen/Dense>
#include <functional>
#include <vector>

namespace expansion {

struct Observations {
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> sigma;  // every one positive
};

// The model's value at x for parameters theta; its partial derivatives with
// respect to theta go into `gradient` (sized like theta).
using Model =
    std::function<double(const Eigen::VectorXd& theta, double x, Eigen::VectorXd& gradient)>;

// The sum of squared weighted residuals.
[[nodiscard]] double chi_squared(const Model& model, const Eigen::VectorXd& theta,
                                 const Observations& data);

// The parameters at the minimum reached from `start` (never worse than it)
// within `evaluations` evaluations of the residuals.
[[nodiscard]] Eigen::VectorXd polish(const Model& model, const Eigen::VectorXd& start,
                                     const Observations& data, int evaluations = 2000);

// (J^T J)^-1 chi^2 / (N - counted) at theta, `counted` the number of fitted
// parameters (the model's own, and any held at a bound). NaN throughout when
// the data cannot fix the parameters (J^T J singular) or no point is spare.
[[nodiscard]] Eigen::MatrixXd scaled_covariance(const Model& model, const Eigen::VectorXd& theta,
                                                const Observations& data, int counted);

// The same where the data fix only some combinations of the parameters: the
// pseudo-inverse of J^T J (its columns scaled to unit length, singular values
// below 1e-10 of the largest dropped), so that a quantity that depends on the
// fixed combinations alone gets its variance, and the others none.
[[nodiscard]] Eigen::MatrixXd scaled_pseudo_covariance(const Model& model,
                                                       const Eigen::VectorXd& theta,
                                                       const Observations& data, int counted);

}  // namespace expansion
