// The principal thermal-expansion analysis of a series of cells.
//
// Each cell's strain against the reference cell is split into principal
// strains; the three principal axes, kept the same from point to point, each
// get a polynomial of their strain in temperature (a line by default) whose
// slope is the axis's expansion coefficient. The volume gets the same fit,
// divided by the reference volume. The directions of the axes are given at the
// median point in crystal coordinates, the way a crystallographer names a
// direction.
#pragma once

#include <Eigen/Dense>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "common/expected.h"
#include "expansion/poly_fit.h"
#include "expansion/strain.h"

namespace expansion {

struct AxisResult {
  std::vector<double> strains;     // one per point, the reference point's 0 included
  PolyFit fit;                     // of the strain against temperature
  Estimate alpha;                  // 1/K: the slope; for a polynomial, at the median temperature
  std::vector<Estimate> alpha_at;  // 1/K: d strain / dT at each point's temperature
  Eigen::Vector3d uvw;             // [u v w], unit length, largest component positive
  Eigen::Vector3d direction;       // the same direction, Cartesian, in the frame of crystal_axes
  std::array<double, 3> angles{};  // degrees, to a, b and c
};

struct VolumeResult {
  std::vector<double> values;  // from the six parameters, one per point
  double reference = 0;        // the reference point's volume
  PolyFit fit;                 // of the volume against temperature
  Estimate alpha;              // 1/K: slope / reference volume, as for the axes
  std::vector<Estimate> alpha_at;
};

struct Analysis {
  StrainMeasure measure;
  int degree = 1;  // 1 linear, 2 quadratic, 3 cubic
  std::vector<double> temperatures;
  std::size_t reference = 0;        // index of the reference point
  std::size_t median = 0;           // index of the median point, row ceil(N/2)
  std::size_t direction_point = 0;  // the median point, or its neighbour when it is the reference
  std::array<AxisResult, 3> axes;   // alpha ascending
  VolumeResult volume;
  Eigen::Matrix3d crystal_axes;  // columns: unit a, b, c in the frame of the directions
};

// The index of the first point at `kelvin` (to within the table's 0.005 K).
[[nodiscard]] common::Expected<std::size_t> find_reference(const std::vector<double>& temperatures,
                                                           double kelvin);

// The SUs of every point's principal strains and volume, for weighted fits
// (weighted_fit.h): the strains of the axis closest to directions.col(k) are
// weighted by strain[k]. The reference point, whose strain is zero by
// definition, is left out of the strain fits; the volume fit keeps it.
struct FitWeights {
  Eigen::Matrix3d directions;                 // Cartesian unit vectors, as AxisResult::direction
  std::array<std::vector<double>, 3> strain;  // one SU per point
  std::vector<double> volume;                 // one SU per point
};

// The analysis of the cells with the given bases (basis.h) at the given
// temperatures, by ordinary least squares, or weighted when `weights` are
// given. Fails for fewer than three points, or fewer distinct temperatures
// than the polynomial needs.
[[nodiscard]] common::Expected<Analysis> analyse(const std::vector<double>& temperatures,
                                                 const std::vector<Eigen::Matrix3d>& bases,
                                                 std::size_t reference, StrainMeasure measure,
                                                 int degree, const FitWeights* weights = nullptr);

// Two coefficients that the data do not tell apart: within twice their
// combined standard error, or equal to 0.0005 MK^-1.
[[nodiscard]] bool expand_alike(const AxisResult& x, const AxisResult& y);

// "linear", "quadratic", "cubic".
[[nodiscard]] const char* fit_name(int degree);

}  // namespace expansion
