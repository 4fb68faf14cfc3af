#include "expansion/analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "expansion/principal_axes.h"
#include "expansion/weighted_fit.h"

namespace expansion {

namespace {

std::string kelvin_text(double t) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f K", t);
  return text;
}

// The fit of a series, its coefficient at the median temperature and at every
// point, each divided by `per`.
struct Fitted {
  PolyFit fit;
  Estimate alpha;
  std::vector<Estimate> alpha_at;
};
// With SUs, the fit is weighted, `left_out` taking no part.
Fitted fit_series(const std::vector<double>& temperatures, const std::vector<double>& values,
                  int degree, double median_temperature, double per,
                  const std::vector<double>* su = nullptr,
                  std::optional<std::size_t> left_out = std::nullopt) {
  Fitted out{su != nullptr ? fit_polynomial_weighted(temperatures, values, *su, degree, left_out)
                           : fit_polynomial(temperatures, values, degree),
             {},
             {}};
  const auto scaled = [&](double t) {
    const Estimate d = derivative_at(out.fit, t);
    return Estimate{d.value / per, d.su / per};
  };
  out.alpha = scaled(median_temperature);
  out.alpha_at.reserve(temperatures.size());
  for (const double t : temperatures) out.alpha_at.push_back(scaled(t));
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
  out.median = (n + 1) / 2 - 1;
  out.direction_point = out.median;
  if (out.median == reference) out.direction_point = out.median + 1 < n ? out.median + 1 : 0;

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

  const double median_t = temperatures[out.median];
  const Eigen::Matrix3d& direction_basis =
      measure.lagrangian ? bases[reference] : bases[out.direction_point];
  const std::array<int, 3> weight_of =
      weights != nullptr ? closest_order(weights->directions, axes[out.direction_point].vectors)
                         : std::array<int, 3>{};
  for (int k = 0; k < 3; ++k) {
    AxisResult& axis = out.axes[static_cast<std::size_t>(k)];
    axis.strains.reserve(n);
    for (const PrincipalAxes& a : axes) axis.strains.push_back(a.values(k));
    const std::vector<double>* su =
        weights != nullptr ? &weights->strain[static_cast<std::size_t>(weight_of[k])] : nullptr;
    Fitted f = fit_series(temperatures, axis.strains, degree, median_t, 1, su, reference);
    axis.fit = std::move(f.fit);
    axis.alpha = f.alpha;
    axis.alpha_at = std::move(f.alpha_at);
    axis.direction = axes[out.direction_point].vectors.col(k);
    crystal_direction(direction_basis, axis);
  }
  std::sort(out.axes.begin(), out.axes.end(),
            [](const AxisResult& x, const AxisResult& y) { return x.alpha.value < y.alpha.value; });
  for (int k = 0; k < 3; ++k) out.crystal_axes.col(k) = direction_basis.col(k).normalized();

  VolumeResult& v = out.volume;
  v.values.reserve(n);
  for (const Eigen::Matrix3d& b : bases) v.values.push_back(std::fabs(b.determinant()));
  v.reference = v.values[reference];
  Fitted f = fit_series(temperatures, v.values, degree, median_t, v.reference,
                        weights != nullptr ? &weights->volume : nullptr);
  v.fit = std::move(f.fit);
  v.alpha = f.alpha;
  v.alpha_at = std::move(f.alpha_at);
  return out;
}

bool expand_alike(const AxisResult& x, const AxisResult& y) {
  const double gap = std::fabs(x.alpha.value - y.alpha.value);
  return gap <= 2 * std::hypot(x.alpha.su, y.alpha.su) || gap * 1e6 < 0.0005;
}

}  // namespace expansion
