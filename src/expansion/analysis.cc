#include "expansion/analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
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
using Coefficient = std::function<std::optional<Estimate>(const PolyFit&, double)>;

// The rate itself: the coefficient of a principal strain.
std::optional<Estimate> strain_rate(const PolyFit& fit, double t) {
  return derivative_at(fit, t);
}

// The stretches of the series' range where the coefficient is negative: the
// derivative of the fit changes sign only at its roots.
std::vector<NegativeSpan> negative_spans(const PolyFit& fit, const Coefficient& coefficient,
                                         double lo, double hi) {
  constexpr int kSamples = 8;  // of a stretch, for its most negative value
  std::vector<double> ends = derivative_roots(fit, lo, hi);
  ends.insert(ends.begin(), lo);
  ends.push_back(hi);
  std::vector<NegativeSpan> spans;
  for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
    const double from = ends[i], to = ends[i + 1];
    if (!(derivative_at(fit, (from + to) / 2).value < 0)) continue;
    NegativeSpan span{from, to, 0, 0, 0};
    for (int k = 0; k <= kSamples; ++k) {
      const double t = from + (to - from) * k / kSamples;
      if (const auto a = coefficient(fit, t); a && a->value < span.least)
        span.least = a->value, span.least_su = a->su, span.least_at = t;
    }
    // A root where the derivative only touches zero joins two stretches.
    if (!spans.empty() && spans.back().to == from) {
      NegativeSpan& last = spans.back();
      last.to = to;
      if (span.least < last.least)
        last.least = span.least, last.least_su = span.least_su, last.least_at = span.least_at;
    } else {
      spans.push_back(span);
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
// With SUs, the fit is weighted.
common::Expected<Fitted> fit_series(const std::vector<double>& temperatures,
                                    const std::vector<double>& values, int degree, double at,
                                    const Coefficient& coefficient, const char* what,
                                    const std::vector<double>* su = nullptr) {
  Fitted out{su != nullptr ? fit_polynomial_weighted(temperatures, values, *su, degree)
                           : fit_polynomial(temperatures, values, degree),
             {},
             {},
             {}};
  const auto alpha = [&](double t) -> common::Expected<Estimate> {
    if (const auto a = coefficient(out.fit, t)) return *a;
    return common::Error{0, std::string("the fitted ") + what + " at " + kelvin_text(t) +
                                " is not positive: no expansion coefficient"};
  };
  COMMON_TRY(headline, alpha(at));
  out.alpha = *headline;
  out.alpha_at.reserve(temperatures.size());
  for (const double t : temperatures) {
    COMMON_TRY(a, alpha(t));
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

std::size_t median_of(const std::vector<double>& temperatures, std::vector<std::size_t> points) {
  std::stable_sort(points.begin(), points.end(),
                   [&](std::size_t i, std::size_t j) { return temperatures[i] < temperatures[j]; });
  return points[(points.size() + 1) / 2 - 1];
}

// The point whose strain gives the directions: the median, in temperature,
// of the points away from the reference temperature (beyond the table's
// 0.005 K, else merely at another one), so that it is never a point without
// strain.
std::size_t strained_median(const std::vector<double>& temperatures, std::size_t reference) {
  std::vector<std::size_t> away, apart;
  for (std::size_t i = 0; i < temperatures.size(); ++i) {
    const double gap = std::fabs(temperatures[i] - temperatures[reference]);
    if (gap > 0.005) away.push_back(i);
    if (gap > 0) apart.push_back(i);
  }
  if (!away.empty()) return median_of(temperatures, away);
  return apart.empty() ? reference : median_of(temperatures, apart);
}

common::Expected<void> check_points(const std::vector<double>& temperatures, int degree) {
  const std::size_t n = temperatures.size();
  if (n < 2) {
    return common::Error{0, "at least 2 points are needed; the series holds " + std::to_string(n)};
  }
  if (const int distinct = distinct_count(temperatures); distinct < degree + 1) {
    return common::Error{0, "the points lie at " + std::to_string(distinct) +
                                " distinct temperature" + (distinct == 1 ? "" : "s") + "; a " +
                                fit_name(degree) + " fit needs at least " +
                                std::to_string(degree + 1)};
  }
  return {};
}

// Every point's principal axes, ordered like those of the point that strains
// most: in a dense series the second point's strain is mostly the rounding of
// the table, and its axes would be noise.
std::vector<PrincipalAxes> followed_axes(const std::vector<Eigen::Matrix3d>& bases,
                                         std::size_t reference, StrainMeasure measure) {
  const std::size_t n = bases.size();
  std::vector<PrincipalAxes> axes(n);
  std::size_t guide_point = reference == 0 ? 1 : 0;
  double largest = -1;
  for (std::size_t i = 0; i < n; ++i) {
    // The reference cell's own strain is nil exactly, not that of B * B^-1
    // with its rounding.
    const Eigen::Matrix3d strain = i == reference
                                       ? Eigen::Matrix3d::Zero().eval()
                                       : strain_between(bases[reference], bases[i], measure);
    axes[i] = principal_axes(strain);
    if (const double size = strain.norm(); size > largest) {
      largest = size;
      guide_point = i;
    }
  }
  const Eigen::Matrix3d guide = axes[guide_point].vectors;
  for (PrincipalAxes& a : axes) a = order_like(a, guide);
  return axes;
}

// The volume's fit and coefficients (coefficient.h): of ln(V/V_ref) for the
// natural strain, else of V, a line's slope over the volume measured at the
// reference point.
common::Expected<void> fit_volume(const std::vector<double>& temperatures,
                                  const std::vector<Eigen::Matrix3d>& bases, const Analysis& an,
                                  double at, const FitWeights* weights, VolumeResult& v) {
  v.values.clear();
  for (const Eigen::Matrix3d& b : bases) v.values.push_back(std::fabs(b.determinant()));
  v.reference = v.values[an.reference];
  v.logarithmic = an.measure.kind == StrainKind::kNatural;
  std::vector<double> fitted = v.values;
  std::optional<std::vector<double>> su;
  if (weights != nullptr) su = weights->volume;
  Coefficient coefficient =
      static_cast<std::optional<Estimate> (*)(const PolyFit&, double)>(expansion_coefficient);
  if (v.logarithmic) {
    fitted = *log_ratios(v.values, v.reference);  // volumes of checked cells: positive
    if (su) {
      for (std::size_t i = 0; i < su->size(); ++i) (*su)[i] /= v.values[i];
    }
    coefficient = strain_rate;
  } else if (an.degree == 1) {
    coefficient = [&v](const PolyFit& fit, double t) {
      return expansion_coefficient(derivative_at(fit, t), v.reference);
    };
  }
  COMMON_TRY(f, fit_series(temperatures, fitted, an.degree, at, coefficient, "volume",
                           su ? &*su : nullptr));
  v.fit = std::move(f->fit);
  v.alpha = f->alpha;
  v.alpha_at = std::move(f->alpha_at);
  v.negative = std::move(f->negative);
  return {};
}

}  // namespace

Eigen::Matrix3d axis_directions(const Analysis& analysis) {
  Eigen::Matrix3d m;
  for (int k = 0; k < 3; ++k) m.col(k) = analysis.axes[static_cast<std::size_t>(k)].direction;
  return m;
}

double fitted_volume(const VolumeResult& volume, double t) {
  const double y = value_at(volume.fit, t);
  return volume.logarithmic ? volume.reference * std::exp(y) : y;
}

const char* fit_name(int degree) {
  return degree == 3 ? "cubic" : degree == 2 ? "quadratic" : "linear";
}

common::Expected<Analysis> analyse(const std::vector<double>& temperatures,
                                   const std::vector<Eigen::Matrix3d>& bases, std::size_t reference,
                                   StrainMeasure measure, int degree, const FitWeights* weights) {
  const std::size_t n = temperatures.size();
  COMMON_TRY_VOID(check_points(temperatures, degree));
  Analysis out;
  out.measure = measure;
  out.degree = degree;
  out.temperatures = temperatures;
  out.reference = reference;
  out.standard_errors = weights != nullptr || n > static_cast<std::size_t>(degree) + 1;
  std::vector<std::size_t> all(n);
  std::iota(all.begin(), all.end(), std::size_t{0});
  out.median = median_of(temperatures, all);
  out.direction_point = strained_median(temperatures, reference);
  const std::vector<PrincipalAxes> axes = followed_axes(bases, reference, measure);

  // A line's coefficient is read at the reference temperature, a
  // polynomial's at the median one (and at every point).
  const double at = degree == 1 ? temperatures[reference] : temperatures[out.median];
  // Directions are read against the cell of the direction point. An Eulerian
  // principal direction is a line of that cell; a natural or Lagrangian one
  // is a line of the reference state, carried into that cell by its F (the
  // same line of the crystal there). Read without being carried, it would
  // depend on how each cell is placed in the frame.
  const std::size_t dp = out.direction_point;
  const Eigen::Matrix3d& direction_basis = bases[dp];
  const Eigen::Matrix3d carry = dp == reference || !in_reference_state(measure)
                                    ? Eigen::Matrix3d::Identity()
                                    : deformation_gradient(bases[reference], bases[dp]);
  const std::array<int, 3> weight_of = weights != nullptr
                                           ? closest_order(weights->directions, axes[dp].vectors)
                                           : std::array<int, 3>{};
  for (int k = 0; k < 3; ++k) {
    AxisResult& axis = out.axes[static_cast<std::size_t>(k)];
    for (const PrincipalAxes& a : axes) axis.strains.push_back(a.values(k));
    const std::vector<double>* su =
        weights != nullptr ? &weights->strain[static_cast<std::size_t>(weight_of[k])] : nullptr;
    COMMON_TRY(f, fit_series(temperatures, axis.strains, degree, at, strain_rate,
                             "length along a principal axis", su));
    axis.fit = std::move(f->fit);
    axis.alpha = f->alpha;
    axis.alpha_at = std::move(f->alpha_at);
    axis.negative = std::move(f->negative);
    axis.direction = (carry * axes[dp].vectors.col(k)).normalized();
    crystal_direction(direction_basis, axis);
  }
  std::sort(out.axes.begin(), out.axes.end(),
            [](const AxisResult& x, const AxisResult& y) { return x.alpha.value < y.alpha.value; });
  for (int k = 0; k < 3; ++k) out.crystal_axes.col(k) = direction_basis.col(k).normalized();
  COMMON_TRY_VOID(fit_volume(temperatures, bases, out, at, weights, out.volume));
  if (!out.standard_errors) {
    for (AxisResult& axis : out.axes) clear_su(axis.alpha, axis.alpha_at);
    clear_su(out.volume.alpha, out.volume.alpha_at);
  }
  return out;
}

bool expand_alike(const AxisResult& x, const AxisResult& y) {
  const double gap = std::fabs(x.alpha.value - y.alpha.value);
  return gap <= 2 * std::hypot(x.alpha.su, y.alpha.su) || gap * 1e6 < 0.0005;
}

}  // namespace expansion
