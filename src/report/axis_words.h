// What is said of principal axes whose rates the data do not tell apart, in
// either mode: a plane (or every direction) of principal directions only
// where the crystal's symmetry makes one, and otherwise that the two are
// "not distinguishable within their SUs"; and which of "greatest" and
// "least" may be said at all.
#pragma once

#include <Eigen/Dense>
#include <array>
#include <string>
#include <vector>

#include "expansion/poly_fit.h"
#include "expansion/symmetry.h"

namespace report {

struct AxisRates {
  std::array<expansion::Estimate, 3> rates;  // ascending; each with its bounding SU
  Eigen::Matrix3d directions;                // column k that of axis k, Cartesian
  Eigen::Matrix3d basis;                     // the cell the directions are read against
  double floor = 0;                          // a gap below it is no gap, in the rates' unit
  const char* verb = "expand";               // "X1 and X2 <verb> alike"
};

// Two axes the data do not tell apart: within twice their combined SU, or
// closer than the floor.
[[nodiscard]] bool rates_alike(const AxisRates& r, std::size_t i, std::size_t j);

// The sentences, plain text with '\n' where a report breaks the line; none
// where every axis stands apart.
[[nodiscard]] std::vector<std::string> alike_words(const AxisRates& r,
                                                   const expansion::Symmetry& symmetry);

// Whether symmetry makes axes i and j (neighbours in order) one choice of
// many: alike, and in a plane symmetry makes, or all three of a cubic crystal.
[[nodiscard]] bool equal_by_symmetry(const AxisRates& r, const expansion::Symmetry& symmetry,
                                     std::size_t i, std::size_t j);

}  // namespace report
