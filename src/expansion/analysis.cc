#include "expansion/analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <numeric>
#include <optional>

#include "expansion/coefficient.h"
#include "expansion/principal_axes.h"
#include "expansion/weighted_fit.h"

namespace expansion {

namespace {

std::string kelvin_text(double t) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f K", t);
  return text;
}

// The coefficient at temperature t of a fit: of the quantity itself, or of
// a strain against the reference.
using Coefficient = std::optional<Estimate> (*)(const PolyFit&, double);

// The stretches of the series' range where the coefficient is negative: the
// derivative of the fit changes sign only at its roots.
std::vector<NegativeSpan> negative_spans(const PolyFit& fit, Coefficient coefficient, double lo,
                                         double hi) {
  constexpr int kSamples = 8;  // of a stretch, for its most negative value
  std::vector<double> ends = derivative_roots(fit, lo, hi);
  ends.insert(ends.begin(), lo);
  ends.push_back(hi);
  std::vector<NegativeSpan> spans;
  for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
    const double from = ends[i], to = ends[i + 1];
    if (!(derivative_at(fit, (from + to) / 2).value < 0)) continue;
    double least = 0;
    for (int k = 0; k <= kSamples; ++k) {
      if (const auto a = coefficient(fit, from + (to - from) * k / kSamples))
        least = std::min(least, a->value);
    }
    // A root where the derivative only touches zero joins two stretches.
    if (!spans.empty() && spans.back().to == from) {
      spans.back().to = to;
      spans.back().least = std::min(spans.back().least, least);
    } else {
      spans.push_back({from, to, least});
    }
  }
  return spans;
}

// The fit of a series, its coefficient at `at` and at every point, and where
// it is negative; fails where the fitted quantity is not positive.
struct Fitted {
  PolyFit fit;
  Estimate alpha;
  std::vector<Estimate> alpha_at;
  std::vector<NegativeSpan> negative;
};
// With SUs, the fit is weighted, `left_out` taking no part.
common::Expected<Fitted> fit_series(const std::vector<double>& temperatures,
                                    const std::vector<double>& values, int degree, double at,
                                    Coefficient coefficient, const char* what,
                                    const std::vector<double>* su = nullptr,
                                    std::optional<std::size_t> left_out = std::nullopt) {
  Fitted out{su != nullptr ? fit_polynomial_weighted(temperatures, values, *su, degree, left_out)
                           : fit_polynomial(temperatures, values, degree),
             {},
             {},
             {}};
  const auto alpha = [&](double t) -> common::Expected<Estimate> {
    if (const auto a = coefficient(out.fit, t)) return *a;
    return common::Error{0, std::string("the fitted ") + what + " at " + kelvin_text(t) +
                                " is not positive: no expansion coefficient"};
  };
  const auto headline = alpha(at);
  if (!headline) return headline.error();
  out.alpha = *headline;
  out.alpha_at.reserve(temperatures.size());
  for (const double t : temperatures) {
    const auto a = alpha(t);
    if (!a) return a.error();
    out.alpha_at.push_back(*a);
  }
  const auto [lo, hi] = std::minmax_element(temperatures.begin(), temperatures.end());
  out.negative = negative_spans(out.fit, coefficient, *lo, *hi);
  return out;
}

// The Cartesian direction in crystal coordinates of the cell `basis`, unit
// length, largest component positive; the direction turned to match.
void crystal_direction(const Eigen::Matrix3d& basis, AxisResult& axis) {
  Eigen::Vector3d uvw = basis.inverse() * axis.direction;
  uvw.normalize();
  Eigen::Index largest = 0;
  uvw.cwiseAbs().maxCoeff(&largest);
  if (uvw(largest) < 0) {
    uvw = -uvw;
    axis.direction = -axis.direction;
  }
  // Rounding leaves ~1e-17 where a direction lies in a plane of the cell.
  for (double& x : uvw) x = std::fabs(x) < 1e-12 ? 0.0 : x;
  axis.uvw = uvw;
  for (int k = 0; k < 3; ++k) {
    const double cosine = axis.direction.dot(basis.col(k).normalized());
    axis.angles[static_cast<std::size_t>(k)] =
        std::acos(std::clamp(cosine, -1.0, 1.0)) * 180 / std::numbers::pi;
  }
}

// Standard errors marked as unknown (NaN): a fit without a spare point gives
// none.
void clear_su(Estimate& alpha, std::vector<Estimate>& alpha_at) {
  alpha.su = std::numeric_limits<double>::quiet_NaN();
  for (Estimate& e : alpha_at) e.su = alpha.su;
}

}  // namespace

const char* fit_name(int degree) {
  return degree == 3 ? "cubic" : degree == 2 ? "quadratic" : "linear";
}

common::Expected<std::size_t> find_reference(const std::vector<double>& temperatures,
                                             double kelvin) {
  for (std::size_t i = 0; i < temperatures.size(); ++i) {
    if (std::fabs(temperatures[i] - kelvin) <= 0.005) return i;
  }
  std::string message = "no point at " + kelvin_text(kelvin) + " for the reference";
  if (!temperatures.empty()) {
    const auto [lo, hi] = std::minmax_element(temperatures.begin(), temperatures.end());
    message += " (the series runs from " + kelvin_text(*lo) + " to " + kelvin_text(*hi) + ")";
  }
  return common::Error{0, message};
}

common::Expected<Analysis> analyse(const std::vector<double>& temperatures,
                                   const std::vector<Eigen::Matrix3d>& bases, std::size_t reference,
                                   StrainMeasure measure, int degree, const FitWeights* weights) {
  const std::size_t n = temperatures.size();
  if (n < 3) {
    return common::Error{0, "at least 3 points are needed; the series holds " + std::to_string(n)};
  }
  if (const int distinct = distinct_count(temperatures); distinct < degree + 1) {
    return common::Error{0, "the points lie at " + std::to_string(distinct) +
                                " distinct temperature" + (distinct == 1 ? "" : "s") + "; a " +
                                fit_name(degree) + " fit needs at least " +
                                std::to_string(degree + 1)};
  }
  Analysis out;
  out.measure = measure;
  out.degree = degree;
  out.temperatures = temperatures;
  out.reference = reference;
  out.standard_errors = weights != nullptr || n > static_cast<std::size_t>(degree) + 1;
  std::vector<std::size_t> by_temperature(n);
  std::iota(by_temperature.begin(), by_temperature.end(), std::size_t{0});
  std::stable_sort(by_temperature.begin(), by_temperature.end(),
                   [&](std::size_t i, std::size_t j) { return temperatures[i] < temperatures[j]; });
  const std::size_t middle = (n + 1) / 2 - 1;
  out.median = by_temperature[middle];
  out.direction_point = out.median;
  if (out.median == reference) {
    // The reference cell has no strain to give directions; the nearest point
    // in temperature that has one, above the median if there is one.
    const double t_ref = temperatures[reference];
    for (std::size_t k = middle + 1; k < n && out.direction_point == reference; ++k)
      if (temperatures[by_temperature[k]] != t_ref) out.direction_point = by_temperature[k];
    for (std::size_t k = middle; k-- > 0 && out.direction_point == reference;)
      if (temperatures[by_temperature[k]] != t_ref) out.direction_point = by_temperature[k];
  }

  // Every point's principal axes, ordered like those of the point that
  // strains most: in a dense series the second point's strain is mostly the
  // rounding of the table, and its axes would be noise.
  std::vector<PrincipalAxes> axes(n);
  std::size_t guide_point = reference == 0 ? 1 : 0;
  double largest = -1;
  for (std::size_t i = 0; i < n; ++i) {
    // The reference cell's own F is I exactly, not B * B^-1 with its rounding.
    const Eigen::Matrix3d f = i == reference ? Eigen::Matrix3d::Identity()
                                             : deformation_gradient(bases[reference], bases[i]);
    const Eigen::Matrix3d strain = strain_tensor(f, measure);
    axes[i] = principal_axes(strain);
    if (const double size = strain.norm(); size > largest) {
      largest = size;
      guide_point = i;
    }
  }
  const Eigen::Matrix3d guide = axes[guide_point].vectors;
  for (PrincipalAxes& a : axes) a = order_like(a, guide);

  // A line's coefficient is read at the reference temperature, a
  // polynomial's at the median one (and at every point).
  const double at = degree == 1 ? temperatures[reference] : temperatures[out.median];
  // Directions are read against a cell of the median temperature. An
  // Eulerian principal direction is a line of the cell it is found at, the
  // median point's or, when that is the reference, its neighbour's. A
  // Lagrangian one is a line of the reference state: carried into the median
  // cell by its F, it is the same line of the crystal there (for finite strain
  // the Eulerian direction). Read against the median cell without being
  // carried, it would depend on how each cell is placed in the frame.
  const Eigen::Matrix3d& direction_basis =
      measure.lagrangian ? bases[out.median] : bases[out.direction_point];
  const Eigen::Matrix3d to_median = out.median == reference
                                        ? Eigen::Matrix3d::Identity()
                                        : deformation_gradient(bases[reference], bases[out.median]);
  const std::array<int, 3> weight_of =
      weights != nullptr ? closest_order(weights->directions, axes[out.direction_point].vectors)
                         : std::array<int, 3>{};
  for (int k = 0; k < 3; ++k) {
    AxisResult& axis = out.axes[static_cast<std::size_t>(k)];
    axis.strains.reserve(n);
    for (const PrincipalAxes& a : axes) axis.strains.push_back(a.values(k));
    const std::vector<double>* su =
        weights != nullptr ? &weights->strain[static_cast<std::size_t>(weight_of[k])] : nullptr;
    auto f = fit_series(temperatures, axis.strains, degree, at, strain_expansion_coefficient,
                        "length along a principal axis", su, reference);
    if (!f) return f.error();
    axis.fit = std::move(f->fit);
    axis.alpha = f->alpha;
    axis.alpha_at = std::move(f->alpha_at);
    axis.negative = std::move(f->negative);
    axis.direction = axes[out.direction_point].vectors.col(k);
    if (measure.lagrangian) axis.direction = (to_median * axis.direction).normalized();
    crystal_direction(direction_basis, axis);
  }
  std::sort(out.axes.begin(), out.axes.end(),
            [](const AxisResult& x, const AxisResult& y) { return x.alpha.value < y.alpha.value; });
  for (int k = 0; k < 3; ++k) out.crystal_axes.col(k) = direction_basis.col(k).normalized();

  VolumeResult& v = out.volume;
  v.values.reserve(n);
  for (const Eigen::Matrix3d& b : bases) v.values.push_back(std::fabs(b.determinant()));
  v.reference = v.values[reference];
  auto f = fit_series(temperatures, v.values, degree, at,
                      static_cast<Coefficient>(expansion_coefficient), "volume",
                      weights != nullptr ? &weights->volume : nullptr);
  if (!f) return f.error();
  v.fit = std::move(f->fit);
  v.alpha = f->alpha;
  v.alpha_at = std::move(f->alpha_at);
  v.negative = std::move(f->negative);
  if (!out.standard_errors) {
    for (AxisResult& axis : out.axes) clear_su(axis.alpha, axis.alpha_at);
    clear_su(v.alpha, v.alpha_at);
  }
  return out;
}

bool expand_alike(const AxisResult& x, const AxisResult& y) {
  const double gap = std::fabs(x.alpha.value - y.alpha.value);
  return gap <= 2 * std::hypot(x.alpha.su, y.alpha.su) || gap * 1e6 < 0.0005;
}

}  // namespace expansion
