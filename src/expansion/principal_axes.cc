#include "expansion/principal_axes.h"

#include <Eigen/Eigenvalues>
#include <algorithm>
#include <array>

namespace expansion {

PrincipalAxes principal_axes(const Eigen::Matrix3d& tensor) {
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> solver(tensor);
  return {solver.eigenvalues(), solver.eigenvectors()};
}

std::array<int, 3> closest_order(const Eigen::Matrix3d& vectors, const Eigen::Matrix3d& guide) {
  const Eigen::Matrix3d overlap = (guide.transpose() * vectors).cwiseAbs2();
  std::array<int, 3> order = {0, 1, 2};
  std::array<int, 3> best = order;
  double best_sum = -1;
  do {
    const double sum = overlap(0, order[0]) + overlap(1, order[1]) + overlap(2, order[2]);
    if (sum > best_sum) {
      best_sum = sum;
      best = order;
    }
  } while (std::next_permutation(order.begin(), order.end()));
  return best;
}

PrincipalAxes order_like(const PrincipalAxes& axes, const Eigen::Matrix3d& guide) {
  const std::array<int, 3> best = closest_order(axes.vectors, guide);
  PrincipalAxes out;
  for (int i = 0; i < 3; ++i) {
    out.values(i) = axes.values(best[i]);
    const Eigen::Vector3d v = axes.vectors.col(best[i]);
    out.vectors.col(i) = guide.col(i).dot(v) < 0 ? Eigen::Vector3d(-v) : v;
  }
  return out;
}

}  // namespace expansion
