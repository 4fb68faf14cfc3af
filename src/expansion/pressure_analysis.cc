#include "expansion/pressure_analysis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

#include "expansion/poly_fit.h"
#include "expansion/principal_axes.h"

namespace expansion {
namespace {

constexpr double kPerTpa = 1000;  // GPa^-1 to TPa^-1
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// K = -slope of a straight line, TPa^-1.
Estimate line_compressibility(const PolyFit& line) {
  const Estimate slope = derivative_at(line, 0);
  return {-slope.value * kPerTpa, slope.su * kPerTpa};
}

// The index of the point of median pressure, as the strain analysis takes it.
std::size_t median_point(const std::vector<double>& p) {
  std::vector<std::size_t> order(p.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t i, std::size_t j) { return p[i] < p[j]; });
  return order[(p.size() + 1) / 2 - 1];
}

// PASCal's weights of the straight lines, 1/sigma_p.
std::vector<double> line_weights(const std::vector<double>& sigma_p) {
  std::vector<double> w;
  w.reserve(sigma_p.size());
  for (const double s : sigma_p) w.push_back(1 / s);
  return w;
}

CompressibilityAxis axis_of(const AxisResult& strain, std::size_t index,
                            const std::vector<double>& p, const std::vector<double>& sigma_p,
                            std::size_t median, const EmpiricalFit* near) {
  CompressibilityAxis out;
  out.axis = index;
  out.line = fit_polynomial(p, strain.strains, 1, line_weights(sigma_p));
  out.linear = line_compressibility(out.line);
  out.k_at.assign(p.size(), {kNaN, kNaN});
  out.k_median = {kNaN, kNaN};
  auto fit = fit_empirical(p, sigma_p, strain.strains, near);
  if (!fit) {
    out.why_not = fit.error().message;
    return out;
  }
  out.fit = *fit;
  for (std::size_t i = 0; i < p.size(); ++i) out.k_at[i] = compressibility(*fit, p[i]);
  out.k_median = out.k_at[median];
  return out;
}

// The volume's straight-line compressibility (see the header): under the
// natural strain K_V = -d ln(V/V_ref)/dp, the trace of the natural strain's
// rate and so the sum of the three principal K (issue 23's definition in
// temperature mode); under PASCal's measures K_V = -(dV/dp)/V_ref with V_ref
// the volume measured at the reference point (Cliffe & Goodwin, J. Appl.
// Cryst. 45 (2012) 1321, as PASCal reports it).
Estimate volume_compressibility(const std::vector<double>& p, const std::vector<double>& sigma_p,
                                const VolumeResult& volume, bool logarithmic) {
  std::vector<double> relative;
  relative.reserve(volume.values.size());
  for (const double v : volume.values)
    relative.push_back(logarithmic ? std::log(v / volume.reference) : v / volume.reference);
  return line_compressibility(fit_polynomial(p, relative, 1, line_weights(sigma_p)));
}

// The fits of `near` for each strain axis of `strains`, matched by direction.
std::array<const EmpiricalFit*, 3> fits_near(const Analysis& strains,
                                             const PressureAnalysis* near) {
  std::array<const EmpiricalFit*, 3> out{};
  if (near == nullptr) return out;
  const std::array<int, 3> order =
      closest_order(axis_directions(strains), axis_directions(near->strains));
  for (const CompressibilityAxis& axis : near->axes)
    if (axis.fit) out[static_cast<std::size_t>(order[axis.axis])] = &*axis.fit;
  return out;
}

}  // namespace

bool negative_linear_compressibility(const Estimate& k) {
  return k.value < 0 && (std::isnan(k.su) ? false : -k.value > 2 * k.su);
}

common::Expected<PressureAnalysis> analyse_compressibility(
    const std::vector<double>& p, const std::vector<double>& given_sigma_p,
    const std::vector<Eigen::Matrix3d>& bases, std::size_t reference, StrainMeasure measure,
    const PressureAnalysis* near) {
  const std::vector<double> sigma_p =
      given_sigma_p.empty() ? std::vector<double>(p.size(), 1.0) : given_sigma_p;
  if (p.size() < 3)
    return common::Error{
        0, "at least 3 pressures are needed; the series holds " + std::to_string(p.size())};
  if (distinct_count(p) < 2)
    return common::Error{0, "every point lies at the same pressure: no compressibility"};
  COMMON_TRY(strains, analyse(p, bases, reference, measure, 1));
  PressureAnalysis out{std::move(strains).value(), sigma_p, !given_sigma_p.empty(), {}, {}};
  const std::size_t median = median_point(p);
  // The axes in order of their compressibility, each built in its place.
  std::array<std::size_t, 3> order{0, 1, 2};
  std::array<double, 3> k_of{};
  std::array<CompressibilityAxis, 3> built;
  const std::array<const EmpiricalFit*, 3> starts = fits_near(out.strains, near);
  for (std::size_t k = 0; k < 3; ++k) {
    built[k] = axis_of(out.strains.axes[k], k, p, sigma_p, median, starts[k]);
    k_of[k] = std::isnan(built[k].k_median.value) ? built[k].linear.value : built[k].k_median.value;
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t x, std::size_t y) { return k_of[x] < k_of[y]; });
  for (std::size_t k = 0; k < 3; ++k) out.axes[k] = std::move(built[order[k]]);
  out.volume =
      volume_compressibility(p, sigma_p, out.strains.volume, measure.kind == StrainKind::kNatural);
  return out;
}

}  // namespace expansion
