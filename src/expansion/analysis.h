// The principal thermal-expansion analysis of a series of cells.
//
// Each cell's strain against the reference cell is split into principal
// strains; the three principal axes, kept the same from point to point, each
// get a polynomial of their strain in temperature (a line by default), and the
// volume gets the same fit. The coefficients follow coefficient.h: for a line,
// one over the series; for a polynomial, one at every temperature, and the one
// named first at the median point. The median point is the point of median
// temperature (the points sorted by temperature), so that a series that heats
// and cools again has it in the middle of its range. Two points give the
// secant: the line through them, without a standard error of its own.
//
// The directions of the axes are read at the direction point, the median in
// temperature of the points whose temperature differs from the reference's
// (a point at the reference temperature has no strain to give directions),
// in crystal coordinates of that point's cell, the way a crystallographer
// names a direction.
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

// A stretch of temperature over which a coefficient is negative, and its
// most negative value there.
struct NegativeSpan {
  double from = 0, to = 0;  // kelvin
  double least = 0;         // 1/K
  double least_su = 0;      // 1/K, the fit's standard error there (NaN: none)
  double least_at = 0;      // kelvin, where the coefficient is least
};

struct AxisResult {
  std::vector<double> strains;         // one per point, the reference point's 0 included
  PolyFit fit;                         // of the strain against temperature
  Estimate alpha;                      // 1/K: at the reference temperature; for a polynomial, at
                                       // the median temperature
  std::vector<Estimate> alpha_at;      // 1/K: at each point's temperature
  std::vector<NegativeSpan> negative;  // where alpha < 0, over the series' range
  Eigen::Vector3d uvw;                 // [u v w], unit length, largest component positive
  Eigen::Vector3d direction;       // the same direction, Cartesian, in the frame of crystal_axes
  std::array<double, 3> angles{};  // degrees, to a, b and c
};

struct VolumeResult {
  std::vector<double> values;  // from the six parameters, one per point
  double reference = 0;        // the reference point's volume
  bool logarithmic = false;    // the fit is of ln(V/V_ref) (natural strain), else of V
  PolyFit fit;                 // against temperature
  Estimate alpha;              // 1/K: as for the axes
  std::vector<Estimate> alpha_at;
  std::vector<NegativeSpan> negative;
};

struct Analysis {
  StrainMeasure measure;
  int degree = 1;  // 1 linear, 2 quadratic, 3 cubic
  std::vector<double> temperatures;
  std::size_t reference = 0;        // index of the reference point
  std::size_t median = 0;           // index of the point of median temperature: of the points
                                    // sorted by temperature (ties in file order), number ceil(N/2)
  std::size_t direction_point = 0;  // the median of the points away from the reference
                                    // temperature
  // Whether the fit gives standard errors: a weighted fit always does (from
  // the points' SUs), an ordinary one only with a spare point (more points
  // than coefficients): without one every residual is zero and the HC0
  // standard errors say nothing, so none are given.
  bool standard_errors = true;
  std::array<AxisResult, 3> axes;  // alpha ascending
  VolumeResult volume;
  Eigen::Matrix3d crystal_axes;  // columns: unit a, b, c in the frame of the directions
};

// The directions of the axes, column k that of axes[k].
[[nodiscard]] Eigen::Matrix3d axis_directions(const Analysis& analysis);

// The volume the fit gives at t.
[[nodiscard]] double fitted_volume(const VolumeResult& volume, double t);

// The SUs of every point's principal strains and volume, for weighted fits
// (weighted_fit.h): the strains of the axis closest to directions.col(k) are
// weighted by strain[k], every SU positive (monte_carlo.h says how the
// reference point, whose strain is nil by definition, gets one).
struct FitWeights {
  Eigen::Matrix3d directions;                 // Cartesian unit vectors, as AxisResult::direction
  std::array<std::vector<double>, 3> strain;  // one SU per point
  std::vector<double> volume;                 // one SU per point
};

// The analysis of the cells with the given bases (basis.h) at the given
// temperatures, by ordinary least squares, or weighted when `weights` are
// given. Fails for fewer than two points, fewer distinct temperatures than
// the polynomial needs, or a fitted volume that is not positive at one of the
// temperatures.
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
