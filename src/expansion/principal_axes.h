// Principal strains and their directions, and the order that keeps each axis
// the same axis from one point of a series to the next.
//
// An eigen solver returns the axes of each strain tensor sorted by value; when
// two principal strains cross over the series, sorting by value would swap
// the axes' identities halfway. Instead every point's axes are matched to a
// guide (the axes at one chosen point) by the largest overlap, and each
// direction is given the sign that points it the way of its guide.
#pragma once

#include <Eigen/Dense>
#include <array>

namespace expansion {

struct PrincipalAxes {
  Eigen::Vector3d values;   // principal strains
  Eigen::Matrix3d vectors;  // column i: the unit direction of values(i)
};

// The eigen decomposition of a symmetric tensor, values ascending.
[[nodiscard]] PrincipalAxes principal_axes(const Eigen::Matrix3d& tensor);

// Which column of `vectors` goes with each column of the guide: of the six
// orders, the one with the largest sum of squared overlaps, signs aside.
[[nodiscard]] std::array<int, 3> closest_order(const Eigen::Matrix3d& vectors,
                                               const Eigen::Matrix3d& guide);

// The axes reordered and signed so that column i lies closest to the guide's
// column i: of the six orders, the one with the largest sum of squared
// overlaps.
[[nodiscard]] PrincipalAxes order_like(const PrincipalAxes& axes, const Eigen::Matrix3d& guide);

}  // namespace expansion
